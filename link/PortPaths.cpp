// The process-wide table of COM port number to device path.
#include "link/PortPaths.h"

#include <map>

#include "platform/SerialDeviceNames.h"

namespace {
std::map<int, std::string>& Assigned() {
  static std::map<int, std::string> paths;
  return paths;
}
}  // namespace

std::string DevicePathForPort(int port) {
  auto it = Assigned().find(port);
  if (it != Assigned().end() && !it->second.empty()) return it->second;
  return DefaultPortDevice(port);
}

void AssignPortPath(int port, const std::string& path) { Assigned()[port] = path; }

void ClearPortPaths() { Assigned().clear(); }
