// Appending the adjustment-log row: exclusive open, camera read-back, and an all-or-nothing append.
#include "camera/AdjustmentLog.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "camera/SettingsDocument.h"
#include "camera/CameraInfo.h"
#include "platform/Clock.h"
#include "platform/ExclusiveFile.h"
#include "platform/LocalTime.h"
#include "platform/RegularFile.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace {

// "日時,機種名,シリアルNo.,SUB電圧,標準感度1,標準感度2" in code page 932, then CR LF. Spreadsheets on the
// factory's machines read the file in that code page, so the bytes are fixed here rather than converted.
constexpr char HeaderLine[] =
    "\x93\xFA\x8E\x9E\x2C\x8B\x40\x8E\xED\x96\xBC\x2C\x83\x56\x83\x8A\x83\x41\x83\x8B\x4E\x6F\x2E\x2C\x53\x55\x42"
    "\x93\x64\x88\xB3\x2C\x95\x57\x8F\x80\x8A\xB4\x93\x78\x31\x2C\x95\x57\x8F\x80\x8A\xB4\x93\x78\x32\r\n";
static_assert(sizeof HeaderLine - 1 == 51 + 2);

// The operator knows the log by the name after its last backslash, as the file was named on the factory PCs.
std::string ShownName(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

class ReadBack {
 public:
  explicit ReadBack(SettingsDocument& document) : document_(document) {}

  // A failed read has already been shown to the operator; the row then carries the value stored before.
  int32_t Fresh(ParameterId id) {
    int32_t result = document_.ReadCameraValue(id);
    if (result < 0 && firstError_ == 0) firstError_ = result;
    return document_.GetCameraValue(id);
  }

  int32_t FirstError() const { return firstError_; }

  // PairText asks for rows only until its text ends, so only those rows are read from the camera.
  std::string ModelName() {
    return PairText([this](ParameterId id) { return Fresh(id); }, ParamModelName0, 8);
  }

  std::string SerialNumber() {
    return SerialNumberText([this](ParameterId id) { return Fresh(id); });
  }

 private:
  SettingsDocument& document_;
  int32_t firstError_ = 0;
};

// The log is code page 932 with CR LF line ends; a row's texts are the camera's own bytes.
std::string Row(const std::tm& when, const std::string& model, const std::string& serial, int32_t subVoltage,
                int32_t adjustGain) {
  char stamp[64], numbers[32];
  std::snprintf(stamp, sizeof stamp, "%4d.%2d.%2d %d:%d,", when.tm_year + 1900, when.tm_mon + 1, when.tm_mday,
                when.tm_hour, when.tm_min);
  std::snprintf(numbers, sizeof numbers, "%d,%d,\r\n", static_cast<int>(subVoltage), static_cast<int>(adjustGain));
  return stamp + model + "," + serial + "," + numbers;
}

// Another station holds the lock only while it reads its camera back and appends, a fraction of a
// second; a spreadsheet holds it until the operator closes it, and is told so after the wait.
ExclusiveFile::Opened OpenWaiting(ExclusiveFile& log, const std::string& path, Clock& clock) {
  constexpr int64_t RetryMs = 5;
  const int64_t until = clock.NowMs() + AdjustmentLogLockWaitMs;
  ExclusiveFile::Opened opened = log.Open(path);
  while (opened == ExclusiveFile::Opened::Busy && clock.NowMs() < until) {
    clock.SleepUntilUs(std::min(until, clock.NowMs() + RetryMs) * 1000);
    opened = log.Open(path);
  }
  return opened;
}

// A row is a line of its own even after a last row cut short of its CR LF (a copy or an editor that
// dropped it): the line is ended first. 0, or the negative errno.
int64_t LineEndNeeded(ExclusiveFile& log, int64_t end, std::string& bytes) {
  char last = '\n';
  const int64_t got = log.ReadAt(end - 1, &last, 1);
  if (got < 0) return got;
  if (last != '\n') bytes = last == '\r' ? "\n" : "\r\n";
  return 0;
}

}  // namespace

AdjustmentLogResult AppendAdjustmentLog(SettingsDocument& document, const AdjustmentLogTarget& target) {
  OperatorOutput& output = document.Parameters().Operator();
  AdjustmentLogResult result;
  result.path = RegularFile::FullPath(target.path);
  const std::string name = ShownName(result.path);
  ExclusiveFile log;
  const ExclusiveFile::Opened opened =
      OpenWaiting(log, target.path, target.clock != nullptr ? *target.clock : MonotonicClock::Instance());
  if (opened != ExclusiveFile::Opened::Yes) {
    result.message = FormatString(LoadString(StringIds::AdjustmentLogInUse), name);
    result.status = AdjustmentLogStatus::InUse;
    // The operator's text is the one for a log held open; a log that cannot be opened at all says why on
    // a line of its own, or the operator would go looking for a program that has it open.
    if (opened == ExclusiveFile::Opened::Failed) {
      result.status = AdjustmentLogStatus::CannotOpen;
      result.error = log.OpenError() != 0 ? log.OpenError() : EIO;
      result.message += "\n" + result.path + ": " + std::strerror(result.error);
    }
    output.ShowMessage(result.message, LoadString(StringIds::AdjustmentLogCaption), MessageIcon::None);
    return result;
  }

  const std::tm when = target.localTime ? target.localTime() : LocalTimeNow();
  ReadBack camera(document);
  result.modelName = camera.ModelName();
  const std::string serial = camera.SerialNumber();
  const int32_t subVoltage = camera.Fresh(ParamSubVoltage);
  const int32_t adjustGain = camera.Fresh(ParamAdjustGain);
  result.readError = camera.FirstError();

  // The row goes out in one piece: a disk that fills up part way must not leave half a row for the next
  // one to run into, so whatever this call managed to add is taken back and the operator is told.
  int error = 0;
  const int64_t end = log.Size();
  if (end < 0) {
    error = static_cast<int>(-end);
  } else {
    std::string bytes = end == 0 ? std::string(HeaderLine) : std::string();
    if (end > 0) error = static_cast<int>(-LineEndNeeded(log, end, bytes));
    if (error == 0) error = log.AppendWhole(bytes + Row(when, *result.modelName, serial, subVoltage, adjustGain));
  }
  if (int closed = log.Close(); closed != 0 && error == 0) error = closed;
  if (error != 0) {
    result.error = error;
    result.message = FormatString(LoadString(StringIds::AdjustmentLogWriteFailed), {name, std::strerror(error)});
    output.ShowMessage(result.message, LoadString(StringIds::AdjustmentLogCaption), MessageIcon::None);
    result.status = AdjustmentLogStatus::WriteFailed;
    return result;
  }
  result.status = AdjustmentLogStatus::Written;
  return result;
}
