// An exclusive open on Linux: a non-blocking fcntl write lock over the whole file. A spreadsheet
// there may not lock the file itself, but it leaves ".~lock.NAME#" beside it while the file is open.
#include "platform/ExclusiveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

std::string SpreadsheetLockFile(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(0, nameStart) + ".~lock." + path.substr(nameStart) + "#";
}

int Fd(intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

ExclusiveFile::~ExclusiveFile() { (void)Close(); }

ExclusiveFile::Opened ExclusiveFile::Open(const std::string& path) {
  (void)Close();
  openError_ = 0;
  struct stat st {};
  if (lstat(SpreadsheetLockFile(path).c_str(), &st) == 0) return Opened::HeldOpen;
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    openError_ = errno;
    return Opened::Failed;
  }
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  if (fcntl(fd, F_SETLK, &whole) != 0) {
    const int error = errno;
    close(fd);
    if (error == EACCES || error == EAGAIN) return Opened::Busy;
    openError_ = error;
    return Opened::Failed;
  }
  handle_ = fd;
  return Opened::Yes;
}

int64_t ExclusiveFile::Size() {
  off_t end = lseek(Fd(handle_), 0, SEEK_END);
  return end < 0 ? -errno : static_cast<int64_t>(end);
}

int64_t ExclusiveFile::ReadAt(int64_t offset, char* buffer, size_t count) {
  for (;;) {
    ssize_t n = pread(Fd(handle_), buffer, count, static_cast<off_t>(offset));
    if (n >= 0) return n;
    if (errno != EINTR) return -errno;
  }
}

int ExclusiveFile::AppendWhole(const std::string& bytes) {
  const int fd = Fd(handle_);
  off_t end = lseek(fd, 0, SEEK_END);
  if (end < 0) return errno;
  size_t done = 0;
  int error = 0;
  while (done < bytes.size() && error == 0) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) error = n < 0 ? errno : ENOSPC;
    if (n > 0) done += static_cast<size_t>(n);
  }
  // Nothing more can be done if the cut fails; the caller still reports the row as not written.
  if (error != 0 && ftruncate(fd, end) != 0) {
  }
  return error;
}

int ExclusiveFile::Close() {
  if (handle_ < 0) return 0;
  const int fd = Fd(handle_);
  handle_ = -1;
  return close(fd) != 0 ? errno : 0;
}
