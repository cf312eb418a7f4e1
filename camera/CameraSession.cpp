// The sequences vqctl and vqcam share, each run once here.
#include "camera/CameraSession.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <tuple>

#include "camera/ParameterTable.h"
#include "platform/RegularFile.h"
#include "camera/SerialNumber.h"
#include "camera/SerialNumberWriter.h"
#include "camera/WhiteSpotRun.h"
#include "link/Framing.h"
#include "link/PortPaths.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace {

constexpr int SerialWordCount = static_cast<int>(std::tuple_size_v<decltype(SerialNumberWords(std::string(), 0))>);

// The longest a detection may be waited for, as vqctl's --timeout takes it.
constexpr double LongestDetectionSeconds = 86400;

// A row the table says is never read or written: the reserved one.
std::optional<Outcome> NeverTransferred(ParameterId id) {
  if (ParameterTable::Flags(id) != 0) return std::nullopt;
  return Outcome::Of(Outcome::Status::BadArgument, std::string(ParameterTable::Identifier(id)) + " is never read or written");
}

// A number as a range check must see it: one far outside every range stays outside.
int32_t Checked(int64_t value) { return value < 0 ? -1 : (value > 0xFFFFFF ? 0x1000000 : static_cast<int32_t>(value)); }

// The file an outcome is about, by its full path, and the system's reason in one line.
Outcome AboutFile(Outcome outcome, const std::string& path) {
  if (path.empty()) return outcome;
  outcome.path = RegularFile::FullPath(path);
  if (outcome.error > 0) outcome.reason = std::strerror(outcome.error);
  return outcome;
}

// An outcome whose message has reached the operator already, about path when one is given.
Outcome Shown(Outcome::Status status, std::string message, int error = 0, const std::string& path = {}) {
  Outcome outcome = Outcome::Of(status, std::move(message), error);
  outcome.shown = true;
  return AboutFile(std::move(outcome), path);
}

// A document command on path that failed: the operator has been told.
Outcome FileFailed(Outcome::Status status, DocumentFileResult failed, const std::string& path) {
  return Shown(status, std::move(failed.message), failed.error, path);
}

// A settings file's raw values, or why not: an unreadable or refused file is told to the operator.
Outcome ReadRawValues(const std::string& path, OperatorOutput& output, SettingsFile::Values& raw) {
  SettingsFileRead read = ReadSettingsFile(path, raw);
  switch (read.status) {
    case SettingsFileRead::Status::Loaded: return {};
    case SettingsFileRead::Status::Empty:
      return AboutFile(Outcome::Of(Outcome::Status::FileRefused, RegularFile::FullPath(path) + " holds no values"), path);
    case SettingsFileRead::Status::Unreadable:
    case SettingsFileRead::Status::Refused: break;
  }
  output.ShowMessage(read.message, LoadString(StringIds::ApplicationTitle), MessageIcon::Warning);
  return Shown(read.status == SettingsFileRead::Status::Unreadable ? Outcome::Status::FileUnreadable
                                                                   : Outcome::Status::FileRefused,
               read.message, read.error, path);
}

std::vector<NamedValue> Named(int lastRow, const std::function<int32_t(ParameterId)>& value) {
  std::vector<NamedValue> values;
  for (int i = 0; i <= lastRow; ++i) {
    auto id = static_cast<ParameterId>(i);
    values.push_back({ParameterTable::Identifier(id), value(id)});
  }
  return values;
}

}  // namespace

std::vector<ParameterRow> ParameterRows() {
  std::vector<ParameterRow> rows;
  for (int i = 0; i < ParameterCount; ++i) {
    auto id = static_cast<ParameterId>(i);
    const uint8_t flags = ParameterTable::Flags(id);
    rows.push_back({ParameterTable::Identifier(id), i, ParameterTable::Minimum(id, ParameterTable::AsStored),
                    ParameterTable::Maximum(id, ParameterTable::AsStored),
                    ParameterTable::DefaultValue(id, ParameterTable::AsStored), (flags & ParameterFlags::InWriteAll) != 0,
                    (flags & ParameterFlags::Readable) != 0, ParameterTable::Name(id), ParameterTable::Unit(id)});
  }
  return rows;
}

Outcome ReadSettingsValues(const std::string& path, OperatorOutput& output, std::vector<NamedValue>& values) {
  SettingsFile::Values raw{};
  Outcome outcome = ReadRawValues(path, output, raw);
  if (outcome.Ok()) {
    values = Named(ParameterCount - 1, [&raw](ParameterId id) {
      return ParameterTable::FromCamera(id, raw[static_cast<size_t>(id)]);
    });
  }
  return outcome;
}

CameraSession::CameraSession(OperatorOutput& output) : output_(output), document_(parameters_) {
  parameters_.SetOperatorOutput(&output_);
}

CameraSession::CameraSession(OperatorOutput& output, std::unique_ptr<SerialDevice> device, Clock& clock)
    : output_(output), parameters_(std::move(device), clock), document_(parameters_) {
  parameters_.SetOperatorOutput(&output_);
}

CameraSession::~CameraSession() { parameters_.Close(); }

Outcome CameraSession::Open(const LinkChoice& choice) {
  if (std::optional<std::string> error = LinkChoiceError(choice)) return Outcome::Of(Outcome::Status::BadArgument, *error);
  Outcome outcome = Outcome::Comm(OpenChosenLink(parameters_, choice));
  if (outcome.code != CommError::CannotOpenPort) return outcome;
  const CameraPort::OpenFailure& failure = parameters_.LastOpenFailure();
  outcome.error = failure.error;
  outcome.reason = failure.reason;
  outcome.path = choice.cameraLink ? CameraLinkLibraryFor(*choice.cameraLink) : DevicePathForPort(choice.com);
  // The loader names the file in its reason; the outcome names it once.
  if (outcome.reason.rfind(outcome.path + ": ", 0) == 0) outcome.reason.erase(0, outcome.path.size() + 2);
  if (!choice.cameraLink) {
    if (std::optional<DeviceAccess> denied = DeniedAccess(outcome.path)) outcome.message = PermissionHint(outcome.path, *denied);
  }
  return outcome;
}

Outcome CameraSession::ReadAll(std::vector<NamedValue>& values) {
  Outcome outcome = Outcome::Comm(document_.ReadAllCameraValues());
  if (outcome.Ok()) values = Named(ParameterTable::LastReadableRow, [this](ParameterId id) { return document_.GetCameraValue(id); });
  return outcome;
}

Outcome CameraSession::Get(ParameterId id, int32_t& value) {
  if (std::optional<Outcome> refusal = NeverTransferred(id)) return *refusal;
  Outcome outcome = Outcome::Comm(document_.ReadCameraValue(id));
  if (outcome.Ok()) value = document_.GetCameraValue(id);
  return outcome;
}

Outcome CameraSession::Set(ParameterId id, int64_t value) {
  if (std::optional<Outcome> refusal = NeverTransferred(id)) return *refusal;
  const int32_t checked = Checked(value);
  // The panel cannot leave a row's range and a script must not either.
  if (std::optional<std::string> refusal = ParameterTable::RangeRefusal(id, checked)) {
    return Outcome::Of(Outcome::Status::BadArgument, *refusal);
  }
  return Outcome::Comm(document_.WriteCameraValue(id, checked));
}

Outcome CameraSession::Save(const std::string& path) {
  // A name that is not a file to replace (a device named by mistake, say) is refused before the
  // camera is read: that read takes a while and would be for nothing.
  if (DocumentFileResult replaceable = document_.CanSaveTo(path); !replaceable) {
    return FileFailed(Outcome::Status::CannotWrite, std::move(replaceable), path);
  }
  Outcome outcome = Outcome::Comm(document_.ReadAllCameraValues());
  if (!outcome.Ok()) return outcome;
  if (DocumentFileResult saved = document_.OnSaveDocument(path); !saved) {
    return FileFailed(Outcome::Status::CannotWrite, std::move(saved), path);
  }
  return outcome;
}

Outcome CameraSession::Load(const std::string& path) {
  // The file is read once: what is checked here is what the document opens.
  std::vector<uint8_t> bytes;
  if (DocumentFileResult read = document_.ReadDocumentFile(path, bytes); !read) {
    return FileFailed(Outcome::Status::FileUnreadable, std::move(read), path);
  }
  // A script that loads a file means its settings to reach the camera; a file without any is refused.
  // (The window opens such a file silently, as it always has.)
  SettingsFile::Values raw{};
  const SettingsFile::Decoded decoded = SettingsFile::Decode(bytes, raw);
  if (decoded == SettingsFile::Decoded::Empty) {
    return AboutFile(Outcome::Of(Outcome::Status::FileRefused, RegularFile::FullPath(path) + " holds no settings"), path);
  }
  // A file the document will send: from its first row on, the camera may hold part of it.
  if (decoded == SettingsFile::Decoded::Loaded && SettingsFile::ValueRefusal(raw, path).empty()) {
    Changed({CameraChanges::Kind::LoadRows, 0, ParameterTable::RowsWith(ParameterFlags::InWriteAll), {}});
    output_.rowsDone = [this](int done, int total) { Changed({CameraChanges::Kind::LoadRows, done, total, {}}); };
  }
  DocumentFileResult opened = document_.OpenDocumentBytes(path, bytes);
  output_.rowsDone = nullptr;
  Changed({});
  if (!opened) return FileFailed(Outcome::Status::FileRefused, std::move(opened), path);
  return Outcome::Comm(opened.sendResult);
}

Outcome CameraSession::Diff(const std::string& path, std::vector<ValueDifference>& differences, DiffRows rows) {
  SettingsFile::Values raw{};
  Outcome outcome = ReadRawValues(path, output_, raw);
  if (!outcome.Ok()) return outcome;
  outcome = Outcome::Comm(document_.ReadAllCameraValues());
  if (!outcome.Ok()) return outcome;
  differences = CompareWithFile(parameters_, raw);
  if (rows == DiffRows::Written) {
    std::erase_if(differences, [](const ValueDifference& d) { return (ParameterTable::Flags(d.id) & ParameterFlags::InWriteAll) == 0; });
  }
  if (!differences.empty()) outcome.status = Outcome::Status::Differs;
  return outcome;
}

Outcome CameraSession::Info(CameraInfo& info) { return Outcome::Comm(ReadCameraInfo(parameters_, info)); }

Outcome CameraSession::Send(const std::string& text) {
  const int32_t result = parameters_.SendFrame(RegisterRequest::AsTyped(text));
  if (result < 0) parameters_.ReportLastError();
  return Outcome::Comm(result);
}

Outcome CameraSession::Query(const std::string& text, std::string& reply) {
  char data[Framing::FrameBufferSize] = {};
  const int32_t result = parameters_.Transact(RegisterRequest::AsTyped(text), data);
  if (result < 0) {
    parameters_.ReportLastError();
    return Outcome::Comm(result);
  }
  reply = data;
  return {};
}

Outcome CameraSession::Detect(const std::optional<int64_t>& threshold, double timeoutSeconds, int& endState) {
  int32_t value = 0;
  if (threshold) {
    value = Checked(*threshold);
    if (ParameterTable::RangeRefusal(ParamWhiteSpotThreshold, value)) return Outcome::Of(Outcome::Status::BadArgument, "the threshold is 0 to 255");
  }
  // Checked before anything is sent: a limit that is no number must not be found out mid-run.
  if (!(timeoutSeconds > 0 && timeoutSeconds <= LongestDetectionSeconds)) {
    return Outcome::Of(Outcome::Status::BadArgument, "the timeout is more than 0 and at most 86400 seconds");
  }
  // Until this run finishes, the camera's list is not its own.
  unfinishedDetection_ = "the detection did not end";
  DetectionOutcome run = RunDetection(document_, threshold ? &value : nullptr, static_cast<int64_t>(timeoutSeconds * 1e6));
  if (run.result < 0) return Outcome::Comm(run.result);
  if (run.timedOut) {
    unfinishedDetection_ = "the detection was still running when its time was up";
    return Outcome::Of(Outcome::Status::TimedOut, "the detection did not finish in time");
  }
  endState = run.state;
  const std::string end = WhiteSpot::EndMessage(run.state);
  if (run.state == WhiteSpot::Finished) {
    unfinishedDetection_.reset();
    return Outcome::Of(Outcome::Status::Done, end);
  }
  unfinishedDetection_ = "the detection ended with \"" + end + "\"";
  return Outcome::Of(Outcome::Status::Differs, end);
}

Outcome CameraSession::Spots(std::vector<WhiteSpot::Spot>& spots, bool earlierRun) {
  if (unfinishedDetection_ && !earlierRun) {
    return Outcome::Of(Outcome::Status::EarlierSpots, "the camera's spot list is from an earlier run: " + *unfinishedDetection_);
  }
  int32_t failure = 0;
  spots = WhiteSpot::ReadSpots(parameters_, &failure);
  if (failure < 0) parameters_.ReportLastError();
  return Outcome::Comm(failure);
}

Outcome CameraSession::WriteSerial(const std::string& number, int digits, const AdjustmentLogTarget& log) {
  if (digits != 7 && digits != 8) return Outcome::Of(Outcome::Status::BadArgument, "digits is 7 or 8");
  const std::string logPath = RegularFile::FullPath(log.path);
  SerialWriteResult result = WriteSerialNumber(document_, number, digits == 8 ? 1 : 0, log, [&](int words) {
    Changed({CameraChanges::Kind::SerialWords, words, SerialWordCount, logPath});
  });
  Changed({});
  switch (result.status) {
    case SerialWriteStatus::Written:
      // The row is in the log, but a field the camera did not give holds the value stored before.
    case SerialWriteStatus::NotUnlocked:
    case SerialWriteStatus::WordFailed: return Outcome::Comm(result.error);
    case SerialWriteStatus::Refused: return Shown(Outcome::Status::RefusedInput, std::move(result.message));
    case SerialWriteStatus::LogNotWritten: break;
  }
  Outcome outcome = Shown(Outcome::Status::LogNotWritten, std::move(result.message), result.logError, result.logPath);
  // Held open elsewhere, the system has no reason to give: the operator's text is the reason.
  if (outcome.error == 0) outcome.reason = outcome.message.substr(0, outcome.message.find('\n'));
  return outcome;
}

std::string PermissionHint(const std::string& device, const DeviceAccess& who) {
  const std::string join = "\"sudo usermod -aG " + (who.groupMayUse ? who.group : std::string("dialout")) +
                           " $USER\", then log in again.";
  if (who.groupMayUse) {
    return "No permission to use " + device + ": it belongs to the group \"" + who.group + "\". Join it with " +
           join;
  }
  // No udev rule reaches a pseudo-terminal: it is made for, and owned by, whoever opened its other end.
  if (who.pseudoTerminal) {
    return "No permission to use " + device + ": only its owner may open it. A pseudo-terminal belongs to the "
           "user that made it.";
  }
  return "No permission to use " + device + ": only its owner may open it. To let the group \"dialout\" use it, " +
         "put this line into /etc/udev/rules.d/60-vq-camera.rules:\n  KERNEL==\"" + who.kernelName +
         "\", GROUP=\"dialout\", MODE=\"0660\"\nthen run \"sudo udevadm trigger\" and join the group with " + join;
}
