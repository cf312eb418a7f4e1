// File access by byte names with plain POSIX calls: Qt's file names are Unicode and cannot carry every
// name the file system accepts, and its buffered save can lose a failed write at commit.
#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>

#include "platform/StopSignals.h"

namespace RegularFile {

namespace {

int KindError(const struct stat& st) { return S_ISDIR(st.st_mode) ? EISDIR : NotRegular; }

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The name that is really replaced: links are followed, and a dangling one leads to the name it would create.
int ResolveLinks(std::string& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISLNK(st.st_mode)) return 0;
    char target[PATH_MAX];
    ssize_t n = readlink(path.c_str(), target, sizeof target);
    if (n < 0) return errno;
    if (static_cast<size_t>(n) == sizeof target) return ENAMETOOLONG;
    std::string next(target, static_cast<size_t>(n));
    path = next.front() == '/' ? next : DirectoryOf(path) + next;
  }
  return ELOOP;
}

// A new file beside target, so that the rename that replaces target cannot cross file systems. Its
// name is short, whatever the target's: any name the file system allows can be saved.
int CreateBeside(const std::string& target, std::string& temp) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    temp = DirectoryOf(target) + ".vq-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(now.tv_nsec);
    // The mode passed here meets the umask, as any new file's does.
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

int WriteAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    done += static_cast<size_t>(n);
  }
  return 0;
}

int ReadUpTo(int fd, size_t limit, std::vector<uint8_t>& bytes) {
  bytes.assign(limit, 0);
  size_t done = 0;
  while (done < limit) {
    ssize_t n = read(fd, bytes.data() + done, limit - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return 0;
}

// The name a save really replaces, and whether it may: a regular file the user may write, or a new
// name in a folder the user may write. Checked in full before the caller spends time on the camera.
int SaveTarget(const std::string& path, std::string& target, struct stat& old, bool& exists) {
  target = path;
  if (int error = ResolveLinks(target); error != 0) return error;
  exists = stat(target.c_str(), &old) == 0;
  if (!exists) {
    if (errno != ENOENT) return errno;
    std::string folder = DirectoryOf(target);
    return access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
  }
  if (!S_ISREG(old.st_mode)) return KindError(old);
  // A file the user may not write is not replaced behind its back through a writable folder.
  return access(target.c_str(), W_OK) == 0 ? 0 : errno;
}

// Written whole, on the disk, then put in place by one rename; the temporary file goes on any failure.
int WriteAndRename(const std::string& target, const struct stat* old, const std::vector<uint8_t>& bytes) {
  std::string temp;
  int fd = CreateBeside(target, temp);
  if (fd < 0) return errno;
  // A stop signal from here to the rename takes the temporary file with it.
  StopSignals::HoldTemporaryFile(temp);
  int error = WriteAll(fd, bytes);
  if (error == 0 && old != nullptr) {
    // The replacement keeps the file's owner and permissions where the file system lets it; where it
    // does not (no modes on the medium, no right to give the file away) the content still counts.
    bool owned = fchown(fd, old->st_uid, old->st_gid) == 0;
    bool moded = fchmod(fd, old->st_mode & 07777) == 0;
    (void)owned;
    (void)moded;
  }
  if (error == 0 && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) unlink(temp.c_str());
  StopSignals::ReleaseTemporaryFile();
  return error;
}

}  // namespace

std::string FullPath(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  char folder[PATH_MAX];
  if (getcwd(folder, sizeof folder) == nullptr) return path;
  std::string relative = path;
  while (relative.rfind("./", 0) == 0) relative.erase(0, 2);
  std::string full = folder;
  if (full.back() != '/') full += '/';
  return full + relative;
}

int CheckReplaceable(const std::string& path) {
  std::string target;
  struct stat old {};
  bool exists = false;
  return SaveTarget(path, target, old, exists);
}

bool RegularOrAbsent(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode);
}

int Read(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) {
  // Looked at before it is opened: opening a serial device raises its control lines, a FIFO may block.
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return KindError(st);
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno;
  // The name may have been given to something else between the look and the open.
  int error = fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : KindError(st);
  if (error == 0) error = ReadUpTo(fd, limit, bytes);
  close(fd);  // opened for reading only: nothing can be lost at close
  return error;
}

int Replace(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::string target;
  struct stat old {};
  bool exists = false;
  if (int error = SaveTarget(path, target, old, exists); error != 0) return error;
  return WriteAndRename(target, exists ? &old : nullptr, bytes);
}

}  // namespace RegularFile
