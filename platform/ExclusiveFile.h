// A file opened by this process alone, so an append cannot meet another program that has it open.
#pragma once

#include <cstdint>
#include <string>

class ExclusiveFile {
 public:
  ExclusiveFile() = default;
  ~ExclusiveFile();
  ExclusiveFile(const ExclusiveFile&) = delete;
  ExclusiveFile& operator=(const ExclusiveFile&) = delete;

  // Opens or creates path for reading and writing; false when another program holds it open (a
  // spreadsheet showing it) or it cannot be opened at all.
  bool Open(const std::string& path);
  // The file's length in bytes, or the negative errno.
  int64_t Size();
  // Appends the bytes whole: 0, or the errno of the failure after cutting the file back to its old end.
  int AppendWhole(const std::string& bytes);
  // Closes it: 0, or the errno of a close that lost data.
  int Close();

 private:
  intptr_t handle_ = -1;
};
