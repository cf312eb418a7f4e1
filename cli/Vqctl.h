// vqctl's commands, run on the same parameter set and document as the windowed program.
#pragma once

#include <memory>
#include <optional>
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
  int Parameters();

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

// Who may use a serial device the user may not open.
struct DeviceAccess {
  std::string group;        // the device's group
  bool groupMayUse = false;  // that group may read and write it
  std::string kernelName;   // the device's own name (ttyUSB0), whatever link named it
};
// The second message for a serial device the user may not open: the group to join, or, when only its
// owner may open it, a udev rule that lets a group in.
std::string PermissionHint(const std::string& device, const DeviceAccess& who);
