// Windows grants a COM port to whoever opens it first; there is no group to join, so no hint to give.
#include "platform/DeviceAccess.h"

std::optional<DeviceAccess> DeniedAccess(const std::string&) { return std::nullopt; }
