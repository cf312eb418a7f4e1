// vqctl's commands, run on the same parameter set and document as the windowed program.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "camera/CameraSession.h"
#include "cli/JsonText.h"
#include "cli/VqctlCommands.h"
#include "cli/VqctlJson.h"
#include "cli/VqctlOptions.h"

// With --json: what the operator is told is kept for the one object on standard error.
class GatheredOperatorOutput final : public OperatorOutput {
 public:
  void ShowStatusText(const std::string&) override {}
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

class Vqctl {
 public:
  Vqctl(const VqctlOptions& options, std::ostream& out, std::ostream& err);
  // The exit status.
  int Run();
  // A warning for the operator, among the messages of the object on standard error (--json only).
  void Warn(const std::string& text) { gathered_.texts.push_back(text); }

 private:
  friend const std::vector<VqctlCommand>& VqctlCommands();

  int OpenLink();
  void TraceBytes(bool sent, const uint8_t* bytes, int32_t count);
  bool ParameterArgument(size_t index, ParameterId& id);
  int UsageError(const std::string& reason);
  // The exit status of an outcome, with the text a script reads on standard error (with --json, kept
  // for the error object).
  int Translate(const Outcome& outcome);
  // A failure kept for the error object (--json), or a usage error's line told now.
  int Fail(VqctlJson::Failure failure);
  // The error object, or the messages of a run that worked; only with --json.
  void FinishJson();
  // One line of standard output: the text form, or the JSON document.
  void Print(const std::string& text, const std::string& json);

  int ReadAll();
  int Get();
  int Set();
  int Load();
  int Save();
  int Show();
  int Diff();
  int Info();
  int Send();
  int Query();
  int Detect();
  int Spots();
  // The spot list; after a finished detection, into the detection's document.
  int ListSpots(JsonObject* detection);
  int WriteSerial();
  int Parameters();
  int Check();

  const VqctlOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  StreamOperatorOutput streamed_;
  GatheredOperatorOutput gathered_;
  OperatorOutput& output_;
  std::optional<VqctlJson::Failure> failure_;
  CameraSession session_;
  int64_t startUs_ = 0;
};

// The one line a usage error prints on standard error.
std::string UsageErrorLine(const std::string& reason);

// The whole program: parses args (without the program name) and runs the command.
int RunVqctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
