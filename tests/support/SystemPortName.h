// COM n's own device name as each system spells it, stated as data rather than asked of the code.
#pragma once

#include <string>

inline std::string SystemPortName(int port) {
#ifdef _WIN32
  return "\\\\.\\COM" + std::to_string(port);
#else
  return "/dev/ttyS" + std::to_string(port - 1);
#endif
}
