// What Linux's sysfs tells of a terminal device: its driver and, for a USB adapter, what it is.
#pragma once

#include <string>

#include "platform/SerialDevice.h"

namespace TtySysfs {

// The facts sysfs (under sysRoot) holds for the terminal devicePath names, after its links; the
// low-latency flag is not among them. Empty where sysfs has no entry (a pseudo-terminal).
SerialDeviceFacts Facts(const std::string& devicePath, const std::string& sysRoot = "/sys");

}  // namespace TtySysfs
