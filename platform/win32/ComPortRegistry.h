// What Windows' registry tells of a COM port: its device's service and, for an FTDI adapter, its latency timer.
#pragma once

#include <string>

#include "platform/SerialDevice.h"

namespace ComPortRegistry {

// The facts for the port a device name ("\\.\COM3" or "COM3") opens; read-only keys any user may read.
SerialDeviceFacts Facts(const std::string& deviceName);

}  // namespace ComPortRegistry
