// vqctl's commands, run on the same parameter set and document as the windowed program.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "camera/CameraSession.h"
#include "cli/VqctlCommands.h"
#include "cli/VqctlOptions.h"

class Vqctl {
 public:
  Vqctl(const VqctlOptions& options, std::ostream& out, std::ostream& err);
  // The exit status.
  int Run();

 private:
  friend const std::vector<VqctlCommand>& VqctlCommands();

  int OpenLink();
  void TraceBytes(bool sent, const uint8_t* bytes, int32_t count);
  bool ParameterArgument(size_t index, ParameterId& id);
  int UsageError(const std::string& reason);
  // The exit status of an outcome, with the text a script reads on standard error.
  int Translate(const Outcome& outcome);

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
  int WriteSerial();
  int Parameters();
  int Check();

  const VqctlOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  StreamOperatorOutput output_;
  CameraSession session_;
  int64_t startUs_ = 0;
};

// The whole program: parses args (without the program name) and runs the command.
int RunVqctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
