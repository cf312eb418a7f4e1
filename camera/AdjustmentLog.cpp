// Appending the adjustment-log row: exclusive open, camera read-back, and an all-or-nothing append.
#include "camera/AdjustmentLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "camera/CVQS90Doc.h"
#include "camera/CameraInfo.h"
#include "camera/RegularFile.h"

namespace {

// "日時,機種名,シリアルNo.,SUB電圧,標準感度1,標準感度2" in code page 932, then CR LF. Spreadsheets on the
// factory's machines read the file in that code page, so the bytes are fixed here rather than converted.
constexpr char HeaderLine[] =
    "\x93\xFA\x8E\x9E\x2C\x8B\x40\x8E\xED\x96\xBC\x2C\x83\x56\x83\x8A\x83\x41\x83\x8B\x4E\x6F\x2E\x2C\x53\x55\x42"
    "\x93\x64\x88\xB3\x2C\x95\x57\x8F\x80\x8A\xB4\x93\x78\x31\x2C\x95\x57\x8F\x80\x8A\xB4\x93\x78\x32\r\n";
static_assert(sizeof HeaderLine - 1 == 51 + 2);

constexpr const char* Caption = "Serial Number";

// The operator knows the log by the name after its last backslash, as the file was named on the factory PCs.
std::string ShownName(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// A spreadsheet that has the log open leaves ".~lock.NAME#" beside it and may not lock the file itself.
std::string SpreadsheetLockFile(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(0, nameStart) + ".~lock." + path.substr(nameStart) + "#";
}

// A descriptor holding the whole file under a write lock, or -1 when someone else holds it.
int OpenExclusive(const std::string& path) {
  struct stat st {};
  if (lstat(SpreadsheetLockFile(path).c_str(), &st) == 0) return -1;
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  if (fcntl(fd, F_SETLK, &whole) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// 0, or the errno of the write that failed.
int WriteFully(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : ENOSPC;
    done += static_cast<size_t>(n);
  }
  return 0;
}

std::tm SystemLocalTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

class ReadBack {
 public:
  explicit ReadBack(CVQS90Doc& document) : document_(document) {}

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
  CVQS90Doc& document_;
  int32_t firstError_ = 0;
};

std::string Row(const std::tm& when, const std::string& model, const std::string& serial, int32_t subVoltage,
                int32_t adjustGain) {
  char stamp[64], numbers[32];
  std::snprintf(stamp, sizeof stamp, "%4d.%2d.%2d %d:%d,", when.tm_year + 1900, when.tm_mon + 1, when.tm_mday,
                when.tm_hour, when.tm_min);
  std::snprintf(numbers, sizeof numbers, "%d,%d,\r\n", static_cast<int>(subVoltage), static_cast<int>(adjustGain));
  return stamp + model + "," + serial + "," + numbers;
}

}  // namespace

AdjustmentLogResult AppendAdjustmentLog(CVQS90Doc& document, const AdjustmentLogTarget& target) {
  OperatorOutput& output = document.Parameters().Operator();
  const std::string name = ShownName(RegularFile::FullPath(target.path));
  AdjustmentLogResult result;
  int fd = OpenExclusive(target.path);
  if (fd < 0) {
    output.ShowMessage(name + " is opend. Please close " + name, Caption, MessageIcon::None);
    result.status = AdjustmentLogStatus::InUse;
    return result;
  }

  const std::tm when = target.localTime ? target.localTime() : SystemLocalTime();
  ReadBack camera(document);
  result.modelName = camera.ModelName();
  const std::string serial = camera.SerialNumber();
  const int32_t subVoltage = camera.Fresh(ParamSubVoltage);
  const int32_t adjustGain = camera.Fresh(ParamAdjustGain);
  result.readError = camera.FirstError();

  // The row goes out in one piece: a disk that fills up part way must not leave half a row for the next
  // one to run into, so whatever this call managed to add is taken back and the operator is told.
  int error = 0;
  off_t end = lseek(fd, 0, SEEK_END);
  if (end < 0) {
    error = errno;
  } else {
    std::string bytes = end == 0 ? std::string(HeaderLine) : std::string();
    error = WriteFully(fd, bytes + Row(when, *result.modelName, serial, subVoltage, adjustGain));
    if (error != 0 && ftruncate(fd, end) != 0) {
      // Nothing more can be done; the message below still tells the operator the row is not there.
    }
  }
  if (close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    output.ShowMessage(name + " could not be written.\n" + std::strerror(error), Caption, MessageIcon::None);
    result.status = AdjustmentLogStatus::WriteFailed;
    return result;
  }
  result.status = AdjustmentLogStatus::Written;
  return result;
}
