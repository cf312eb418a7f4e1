// Settings files on Windows by their UTF-8 names: read only when they are plain disk files, replaced
// whole through a temporary file beside them, flushed, then renamed over them with MoveFileExW.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "platform/RegularFile.h"
#include "platform/StopSignals.h"
#include "platform/win32/SystemErrors.h"

namespace RegularFile {

namespace {

int LastError() { return ErrnoFromSystemError(GetLastError()); }

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  if (slash != std::string::npos) return path.substr(0, slash + 1);
  // "C:name" is relative to drive C's current folder: the temporary file goes on the same drive.
  return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : std::string();
}

// The attributes of what the name leads to, or the error; a missing file is no error here.
int Attributes(const std::string& path, DWORD& attributes) {
  attributes = GetFileAttributesW(WideName(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return 0;
  const int error = LastError();
  return error == ENOENT ? 0 : error;
}

int KindError(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EISDIR : NotRegular; }

// A plain file of the disk, not a folder, a device or a pipe.
bool IsRegular(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

HANDLE CreateBeside(const std::string& target, std::string& temp) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = DirectoryOf(target) + ".vq-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++) +
           "-" + std::to_string(GetTickCount64());
    HANDLE file = CreateFileW(WideName(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return INVALID_HANDLE_VALUE;
}

int WriteAll(HANDLE file, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return LastError();
    if (written == 0) return ENOSPC;
    done += written;
  }
  return 0;
}

int ReadUpTo(HANDLE file, size_t limit, std::vector<uint8_t>& bytes) {
  bytes.assign(limit, 0);
  size_t done = 0;
  while (done < limit) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(limit - done, 1 << 20));
    if (!ReadFile(file, bytes.data() + done, chunk, &got, nullptr)) return LastError();
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return 0;
}

int SaveTarget(const std::string& path) {
  DWORD attributes;
  if (int error = Attributes(path, attributes); error != 0) return error;
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const std::string folder = DirectoryOf(path);
    DWORD folderAttributes;
    if (folder.empty()) return 0;
    if (int error = Attributes(folder, folderAttributes); error != 0) return error;
    if (folderAttributes == INVALID_FILE_ATTRIBUTES) return ENOENT;
    return (folderAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ENOTDIR;
  }
  if (!IsRegular(attributes)) return KindError(attributes);
  return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? EACCES : 0;
}

// Written whole and flushed to the disk, then put in place in one step; the temporary file goes on
// any failure, so what was there stays byte for byte.
int WriteAndReplace(const std::string& target, const std::vector<uint8_t>& bytes) {
  std::string temp;
  HANDLE file = CreateBeside(target, temp);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  StopSignals::HoldTemporaryFile(temp);
  int error = WriteAll(file, bytes);
  if (error == 0 && !FlushFileBuffers(file)) error = LastError();
  if (!CloseHandle(file) && error == 0) error = LastError();
  const std::wstring wideTemp = WideName(temp), wideTarget = WideName(target);
  // One rename puts the new content in place, whether a file was there or not; a target another
  // program holds without letting it be deleted refuses it, and the old file stays as it was.
  if (error == 0 && !MoveFileExW(wideTemp.c_str(), wideTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastError();
  }
  if (error != 0) DeleteFileW(wideTemp.c_str());
  StopSignals::ReleaseTemporaryFile();
  return error;
}

}  // namespace

std::string FullPath(const std::string& path) {
  if (path.empty()) return path;
  const std::wstring wide = WideName(path);
  DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  size = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  full.resize(size);
  return Utf8Name(full);
}

int CheckReplaceable(const std::string& path) {
  return SaveTarget(path);
}

bool RegularOrAbsent(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(WideName(path).c_str());
  return attributes == INVALID_FILE_ATTRIBUTES || IsRegular(attributes);
}

int Read(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) {
  // Looked at before it is opened: opening a COM port raises its control lines, a pipe may block.
  DWORD attributes;
  if (int error = Attributes(path, attributes); error != 0) return error;
  if (attributes == INVALID_FILE_ATTRIBUTES) return ENOENT;
  if (!IsRegular(attributes)) return KindError(attributes);
  HANDLE file = CreateFileW(WideName(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  // The name may have been given to something else between the look and the open.
  int error = GetFileType(file) == FILE_TYPE_DISK ? 0 : NotRegular;
  if (error == 0) error = ReadUpTo(file, limit, bytes);
  CloseHandle(file);  // opened for reading only: nothing can be lost at close
  return error;
}

int Replace(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (int error = SaveTarget(path); error != 0) return error;
  return WriteAndReplace(path, bytes);
}

}  // namespace RegularFile
