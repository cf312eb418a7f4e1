// vqctl: the camera's settings and service functions for production-line scripts.
#include "cli/Vqctl.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "camera/CameraInfo.h"
#include "camera/CameraQueries.h"
#include "camera/LinkChoice.h"
#include "camera/ParameterTable.h"
#include "camera/PortSettings.h"
#include "camera/RegularFile.h"
#include "camera/SerialNumberWriter.h"
#include "camera/WhiteSpotList.h"
#include "camera/WhiteSpotRun.h"
#include "camera/ParameterNames.h"
#include "link/Framing.h"
#include "link/PortPaths.h"

namespace {


std::string NameOf(ParameterId id) { return ParameterTable::Identifier(id); }

// Who may use a device the user may not read and write; nothing when the user may, or it is missing.
std::optional<DeviceAccess> DeniedAccess(const std::string& device) {
  if (access(device.c_str(), R_OK | W_OK) == 0 || errno != EACCES) return std::nullopt;
  struct stat st {};
  if (stat(device.c_str(), &st) != 0) return std::nullopt;
  DeviceAccess denied;
  const group* g = getgrgid(st.st_gid);
  denied.group = g != nullptr ? g->gr_name : std::to_string(st.st_gid);
  denied.groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  // A udev rule matches the kernel's name, not a link under /dev/serial/by-id.
  char* real = realpath(device.c_str(), nullptr);
  denied.kernelName = real != nullptr ? real : device;
  std::free(real);
  denied.kernelName = denied.kernelName.substr(denied.kernelName.find_last_of('/') + 1);
  return denied;
}

}  // namespace

std::string PermissionHint(const std::string& device, const DeviceAccess& who) {
  const std::string join = "\"sudo usermod -aG " + (who.groupMayUse ? who.group : std::string("dialout")) +
                           " $USER\", then log in again.";
  if (who.groupMayUse) {
    return "No permission to use " + device + ": it belongs to the group \"" + who.group + "\". Join it with " +
           join;
  }
  return "No permission to use " + device + ": only its owner may open it. To let the group \"dialout\" use it, " +
         "put this line into /etc/udev/rules.d/60-vq-camera.rules:\n  KERNEL==\"" + who.kernelName +
         "\", GROUP=\"dialout\", MODE=\"0660\"\nthen run \"sudo udevadm trigger\" and join the group with " + join;
}

Vqctl::Vqctl(const VqctlOptions& options, std::ostream& out, std::ostream& err)
    : options_(options), out_(out), err_(err), output_(err), document_(parameters_) {
  parameters_.SetOperatorOutput(&output_);
  startUs_ = MonotonicClock::Instance().NowUs();
  if (options.trace) {
    parameters_.SetByteTrace([this](bool sent, const uint8_t* bytes, int32_t count) { TraceBytes(sent, bytes, count); });
  }
}

Vqctl::~Vqctl() { parameters_.Close(); }

void Vqctl::TraceBytes(bool sent, const uint8_t* bytes, int32_t count) {
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%8lld ms %s", static_cast<long long>((MonotonicClock::Instance().NowUs() - startUs_) / 1000),
                sent ? ">" : "<");
  err_ << stamp;
  for (int32_t i = 0; i < count; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", bytes[i]);
    err_ << hex;
  }
  err_ << '\n';
}

int Vqctl::UsageError(const std::string& reason) {
  err_ << "vqctl: " << reason << '\n' << VqctlUsage;
  return VqctlExit::Usage;
}

int Vqctl::OpenLink() {
  int32_t result = OpenChosenLink(
      parameters_, {options_.device, options_.com, options_.baud, options_.cameraLink, options_.cameraLinkPort});
  if (result < 0 && -result == CommErrors::CannotOpenPort && options_.cameraLink.empty()) {
    std::string device = DevicePathForPort(options_.com);
    std::optional<DeviceAccess> denied = DeniedAccess(device);
    if (denied) err_ << PermissionHint(device, *denied) << '\n';
  }
  return result < 0 ? Failed(result) : 0;
}

int Vqctl::Run() {
  static const std::map<std::string, Command> commands = {
      {"read-all", &Vqctl::ReadAll}, {"get", &Vqctl::Get},     {"set", &Vqctl::Set},       {"load", &Vqctl::Load},
      {"save", &Vqctl::Save},        {"show", &Vqctl::Show},   {"diff", &Vqctl::Diff},     {"info", &Vqctl::Info},
      {"send", &Vqctl::Send},        {"query", &Vqctl::Query}, {"detect", &Vqctl::Detect}, {"spots", &Vqctl::Spots},
      {"write-serial", &Vqctl::WriteSerial}, {"parameters", &Vqctl::Parameters},
  };
  Command command = commands.at(options_.command);
  if (command != &Vqctl::Show && command != &Vqctl::Parameters) {
    int status = OpenLink();
    if (status != 0) return status;
  }
  return (this->*command)();
}

bool Vqctl::ParameterArgument(size_t index, ParameterId& id) { return FindParameter(options_.arguments[index], id); }

int Vqctl::Parameters() {
  for (int i = 0; i < ParameterCount; ++i) {
    auto id = static_cast<ParameterId>(i);
    uint8_t flags = ParameterTable::Flags(id);
    out_ << NameOf(id) << ' ' << i << ' ' << ParameterTable::Minimum(id, true) << ' '
         << ParameterTable::Maximum(id, true) << ' ' << ParameterTable::DefaultValue(id, true) << ' '
         << ((flags & ParameterFlags::InWriteAll) ? "w" : "-") << ((flags & ParameterFlags::Readable) ? "r" : "-")
         << '\n';
  }
  return VqctlExit::Success;
}

int Vqctl::ReadAll() {
  int32_t result = document_.ReadAllCameraValues();
  if (result < 0) return Failed(result);
  for (int i = 0; i <= LastReadableRow; ++i) {
    auto id = static_cast<ParameterId>(i);
    out_ << NameOf(id) << '=' << document_.GetCameraValue(id) << '\n';
  }
  return VqctlExit::Success;
}

int Vqctl::Get() {
  ParameterId id;
  if (!ParameterArgument(0, id)) return UsageError("unknown parameter " + options_.arguments[0]);
  int32_t result = document_.ReadCameraValue(id);
  if (result < 0) return Failed(result);
  out_ << document_.GetCameraValue(id) << '\n';
  return VqctlExit::Success;
}

int Vqctl::Set() {
  ParameterId id;
  if (!ParameterArgument(0, id)) return UsageError("unknown parameter " + options_.arguments[0]);
  int32_t value = 0;
  if (!ParseParameterValue(options_.arguments[1], value)) return UsageError("bad value " + options_.arguments[1]);
  // The panel cannot leave a row's range and a script must not either.
  if (std::optional<std::string> refusal = RangeRefusal(id, value)) return UsageError(*refusal);
  int32_t result = document_.WriteCameraValue(id, value);
  return result < 0 ? Failed(result) : VqctlExit::Success;
}

int Vqctl::Load() {
  if (document_.OnOpenDocument(QByteArray::fromStdString(options_.arguments[0]))) {
    int32_t result = document_.LastSendResult();
    return result < 0 ? Failed(result) : VqctlExit::Success;
  }
  return document_.LastFileError() != 0 ? VqctlExit::NoInput : VqctlExit::RefusedFile;
}

int Vqctl::Save() {
  // A name that is not a file to replace (a device named by mistake, say) is refused before the
  // camera is read: that read takes a while and would be for nothing.
  QByteArray path = QByteArray::fromStdString(options_.arguments[0]);
  if (!document_.CanSaveTo(path)) return VqctlExit::CannotWrite;
  int32_t result = document_.ReadAllCameraValues();
  if (result < 0) return Failed(result);
  return document_.OnSaveDocument(path) ? VqctlExit::Success : VqctlExit::CannotWrite;
}

int Vqctl::DecodeFile(const std::string& path, SettingsFile::Values& values, bool& empty) {
  SettingsFileRead read = ReadSettingsFile(path, values);
  empty = read.status == SettingsFileRead::Status::Empty;
  if (!read.message.empty()) err_ << read.message << '\n';
  if (read.status == SettingsFileRead::Status::Unreadable) return VqctlExit::NoInput;
  return read.status == SettingsFileRead::Status::Refused ? VqctlExit::RefusedFile : VqctlExit::Success;
}

int Vqctl::Show() {
  SettingsFile::Values values{};
  bool empty = false;
  int status = DecodeFile(options_.arguments[0], values, empty);
  if (status != VqctlExit::Success || empty) return status;
  for (int i = 0; i < ParameterCount; ++i) {
    auto id = static_cast<ParameterId>(i);
    out_ << NameOf(id) << '=' << ParameterTable::FromCamera(id, values[static_cast<size_t>(i)]) << '\n';
  }
  return VqctlExit::Success;
}

int Vqctl::Diff() {
  SettingsFile::Values values{};
  bool empty = false;
  int status = DecodeFile(options_.arguments[0], values, empty);
  if (status != VqctlExit::Success) return status;
  if (empty) {
    err_ << "vqctl: " << RegularFile::FullPath(options_.arguments[0]) << " holds no values\n";
    return VqctlExit::RefusedFile;
  }
  int32_t result = document_.ReadAllCameraValues();
  if (result < 0) return Failed(result);
  std::vector<ValueDifference> differences = CompareWithFile(document_, values);
  for (const ValueDifference& d : differences) {
    out_ << NameOf(d.id) << ": camera=" << d.camera << " file=" << d.file << '\n';
  }
  return differences.empty() ? VqctlExit::Success : VqctlExit::Differs;
}

int Vqctl::Info() {
  CameraInfo info;
  if (int32_t result = ReadCameraInfo(document_, info); result < 0) return Failed(result);
  out_ << "Vendor=" << info.vendorName << "\nModel=" << info.modelName << "\nSerial=" << info.serialNumber
       << "\nVersion=" << info.version << '\n';
  return VqctlExit::Success;
}

int Vqctl::Send() {
  int32_t result = parameters_.SendFrame(AsTyped(options_.arguments[0]));
  if (result < 0) parameters_.ReportLastError();
  return result < 0 ? Failed(result) : VqctlExit::Success;
}

int Vqctl::Query() {
  char reply[Framing::FrameBufferSize];
  int32_t result = parameters_.Transact(AsTyped(options_.arguments[0]), reply);
  if (result < 0) {
    parameters_.ReportLastError();
    return Failed(result);
  }
  out_ << reply << '\n';
  return VqctlExit::Success;
}

int Vqctl::Detect() {
  int32_t threshold = 0;
  if (!options_.arguments.empty()) {
    if (!ParseParameterValue(options_.arguments[0], threshold) || RangeRefusal(ParamWhiteSpotThreshold, threshold)) {
      return UsageError("the threshold is 0 to 255");
    }
  }
  DetectionOutcome outcome = RunDetection(document_, options_.arguments.empty() ? nullptr : &threshold,
                                          int64_t{options_.timeoutSeconds} * 1000000);
  if (outcome.result < 0) return Failed(outcome.result);
  if (outcome.timedOut) {
    err_ << "vqctl: the detection did not finish within " << options_.timeoutSeconds << " s\n";
    return VqctlExit::TimedOut;
  }
  out_ << WhiteSpot::EndMessage(outcome.state) << '\n';
  if (outcome.state != WhiteSpot::Finished) return VqctlExit::Differs;
  return Spots();
}

int Vqctl::Spots() {
  int32_t failure = 0;
  out_ << WhiteSpot::ListSpots(parameters_, "\n", &failure);
  if (failure < 0) parameters_.ReportLastError();
  return failure < 0 ? Failed(failure) : VqctlExit::Success;
}

int Vqctl::WriteSerial() {
  SerialWriteResult result = WriteSerialNumber(document_, options_.arguments[0], options_.digits == 8 ? 1 : 0);
  switch (result.status) {
    case SerialWriteStatus::Written:
      // The row is in the log, but a field the camera did not give holds the value stored before.
      return result.error < 0 ? Failed(result.error) : VqctlExit::Success;
    case SerialWriteStatus::NotUnlocked:
    case SerialWriteStatus::WordFailed:
      return Failed(result.error);
    case SerialWriteStatus::Refused:
      return VqctlExit::RefusedInput;
    case SerialWriteStatus::LogNotWritten:
      return VqctlExit::CannotCreate;
  }
  return VqctlExit::CannotCreate;
}

namespace {

int ParseAndRun(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  VqctlOptions options;
  VqctlParse parse = ParseVqctlOptions(args, options);
  if (parse.help || parse.version) {
    out << (parse.help ? VqctlUsage : "vqctl " VQ_VERSION "\n");
    return VqctlExit::Success;
  }
  if (!parse.ok) {
    err << "vqctl: " << parse.error << '\n' << VqctlUsage;
    return VqctlExit::Usage;
  }
  return Vqctl(options, out, err).Run();
}

}  // namespace

int RunVqctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  int status = ParseAndRun(args, out, err);
  // A script acts on what was printed: output that did not arrive is a failure, however the rest went.
  errno = 0;
  out.flush();
  const int error = errno;
  if (out || status > VqctlExit::Differs) return status;
  err << "vqctl: the output could not be written" << (error != 0 ? std::string(": ") + std::strerror(error) : "")
      << '\n';
  return VqctlExit::CannotWrite;
}
