// The serial device names present under a /dev tree, listed without opening any of them.
#pragma once

#include <string>
#include <vector>

// Full paths: the stable names under serial/by-id first, then ttyS*, ttyUSB*, ttyACM*, each kind
// in natural order (ttyS2 before ttyS10). Opening a port to probe it could disturb whatever is
// attached, so only names are read.
std::vector<std::string> SerialDeviceNames(const std::string& devRoot = "/dev");
