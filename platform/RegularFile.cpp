// The messages about settings files, the same on every system.
#include "platform/RegularFile.h"

#include <cstring>

namespace RegularFile {

std::string ErrorText(int error) { return error == NotRegular ? "Not a regular file" : std::strerror(error); }

std::string FailureMessage(const std::string& what, const std::string& path, int error) {
  return what + "\n" + FullPath(path) + "\n" + ErrorText(error);
}

}  // namespace RegularFile
