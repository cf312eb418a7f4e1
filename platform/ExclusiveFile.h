// A file opened by this process alone, so an append cannot meet another program that has it open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ExclusiveFile {
 public:
  enum class Opened {
    Yes,
    // Another writer holds it (another station appending, or a program on Windows that keeps it open):
    // worth trying again shortly.
    Busy,
    // A spreadsheet has it open and says so in its lock file beside it: it stays held until the
    // operator closes it.
    HeldOpen,
    // It cannot be opened at all (no such folder, no permission).
    Failed,
  };

  ExclusiveFile() = default;
  ~ExclusiveFile();
  ExclusiveFile(const ExclusiveFile&) = delete;
  ExclusiveFile& operator=(const ExclusiveFile&) = delete;

  // Opens or creates path for reading and writing, never truncating it; one try, it never waits.
  Opened Open(const std::string& path);
  // Why the last Open returned Failed, as an errno (a missing folder, a folder in the file's place, no
  // permission); 0 after any other result.
  int OpenError() const { return openError_; }
  // The file's length in bytes, or the negative errno.
  int64_t Size();
  // Reads up to count bytes from offset: how many were read, or the negative errno.
  int64_t ReadAt(int64_t offset, char* buffer, size_t count);
  // Appends the bytes whole: 0, or the errno of the failure after cutting the file back to its old end.
  int AppendWhole(const std::string& bytes);
  // Closes it: 0, or the errno of a close that lost data.
  int Close();

 private:
  intptr_t handle_ = -1;
  int openError_ = 0;
};
