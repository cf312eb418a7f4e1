// The messages about settings files, the same on every system.
#include "platform/RegularFile.h"

#include <cstring>

namespace RegularFile {

namespace {
#ifdef _WIN32
constexpr const char* Separators = "/\\";
#else
constexpr const char* Separators = "/";
#endif
}  // namespace

std::string FileName(const std::string& path) {
  const size_t last = path.find_last_of(Separators);
  return last == std::string::npos ? path : path.substr(last + 1);
}

std::string ErrorText(int error) { return error == NotRegular ? "Not a regular file" : std::strerror(error); }

std::string FailureMessage(const std::string& what, const std::string& path, int error) {
  return what + "\n" + FullPath(path) + "\n" + ErrorText(error);
}

}  // namespace RegularFile
