// Who may use a serial device the user may not open: asked of the system, for the operator's hint.
#pragma once

#include <optional>
#include <string>

struct DeviceAccess {
  std::string group;            // the device's group
  bool groupMayUse = false;     // that group may read and write it
  std::string kernelName;       // the device's own name (ttyUSB0), whatever link named it
  bool pseudoTerminal = false;  // a pseudo-terminal (/dev/pts/N): it belongs to whoever made it, not to udev
};

// Who may use the device when this user may not read and write it; nothing when the user may, or
// when it is missing.
std::optional<DeviceAccess> DeniedAccess(const std::string& device);
