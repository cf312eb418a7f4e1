// The names each system gives COM n's device and a grabber's library, stated as data rather than
// asked of the code.
#pragma once

#include <string>

inline std::string SystemPortName(int port) {
#ifdef _WIN32
  return "\\\\.\\COM" + std::to_string(port);
#else
  return "/dev/ttyS" + std::to_string(port - 1);
#endif
}

inline std::string SystemLibraryName(const std::string& stem) {
#ifdef _WIN32
  return stem + ".dll";
#else
  return "lib" + stem + ".so";
#endif
}
