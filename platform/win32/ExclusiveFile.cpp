// An exclusive open on Windows: no sharing at all, so a spreadsheet that has the file open makes the
// open fail with a sharing violation, and nobody can open it while this process holds it.
#include "platform/ExclusiveFile.h"

#include <algorithm>
#include <cerrno>

#include "platform/win32/SystemErrors.h"

namespace {

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

ExclusiveFile::~ExclusiveFile() { (void)Close(); }

ExclusiveFile::Opened ExclusiveFile::Open(const std::string& path) {
  (void)Close();
  openError_ = 0;
  HANDLE file = CreateFileW(WideName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // Another station appending and a spreadsheet showing the file look alike from here: both are
    // waited for a little, and a spreadsheet outlasts the wait.
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return Opened::Busy;
    // A folder in the file's place is refused as access denied, a missing folder as path not found.
    openError_ = ErrnoFromSystemError(error);
    return Opened::Failed;
  }
  handle_ = reinterpret_cast<intptr_t>(file);
  return Opened::Yes;
}

int64_t ExclusiveFile::Size() {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(Handle(handle_), &size)) return -ErrnoFromSystemError(GetLastError());
  return size.QuadPart;
}

int64_t ExclusiveFile::ReadAt(int64_t offset, char* buffer, size_t count) {
  const HANDLE file = Handle(handle_);
  LARGE_INTEGER at;
  at.QuadPart = offset;
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return -ErrnoFromSystemError(GetLastError());
  DWORD got = 0;
  const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count, 1 << 20));
  if (!ReadFile(file, buffer, chunk, &got, nullptr)) return -ErrnoFromSystemError(GetLastError());
  return got;
}

int ExclusiveFile::AppendWhole(const std::string& bytes) {
  const HANDLE file = Handle(handle_);
  LARGE_INTEGER end, zero{};
  if (!SetFilePointerEx(file, zero, &end, FILE_END)) return ErrnoFromSystemError(GetLastError());
  size_t done = 0;
  int error = 0;
  while (done < bytes.size() && error == 0) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
      error = ErrnoFromSystemError(GetLastError());
    } else if (written == 0) {
      error = ENOSPC;
    }
    done += written;
  }
  // Nothing more can be done if the cut fails; the caller still reports the row as not written.
  if (error != 0 && SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) (void)SetEndOfFile(file);
  return error;
}

int ExclusiveFile::Close() {
  if (handle_ == -1) return 0;
  const HANDLE file = Handle(handle_);
  handle_ = -1;
  // Written data that the disk refuses later would otherwise be lost without a word.
  int error = FlushFileBuffers(file) ? 0 : ErrnoFromSystemError(GetLastError());
  if (!CloseHandle(file) && error == 0) error = ErrnoFromSystemError(GetLastError());
  return error;
}
