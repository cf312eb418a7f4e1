// vqctl's commands, run on the same parameter set and document as the windowed program.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "camera/CVQS90Doc.h"
#include "camera/CameraParameterSet.h"
#include "camera/SettingsFile.h"
#include "cli/VqctlOptions.h"

class Vqctl {
 public:
  Vqctl(const VqctlOptions& options, std::ostream& out, std::ostream& err);
  ~Vqctl();
  // The exit status.
  int Run();

 private:
  using Command = int (Vqctl::*)();

  int OpenLink();
  void TraceBytes(bool sent, const uint8_t* bytes, int32_t count);
  bool ParameterArgument(size_t index, ParameterId& id);
  int UsageError(const std::string& reason);
  int Failed(int32_t result) const { return static_cast<int>(-result); }
  // A settings file's values, or the exit status that refused it.
  int DecodeFile(const std::string& path, SettingsFile::Values& values, bool& empty);

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

  const VqctlOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  StreamOperatorOutput output_;
  CameraParameterSet parameters_;
  CVQS90Doc document_;
  int64_t startUs_ = 0;
};

// The whole program: parses args (without the program name) and runs the command.
int RunVqctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The second line for a serial device the user may not open: its group and how to join it.
std::string PermissionHint(const std::string& device, const std::string& group);
