// The serial devices the system has, listed without opening any of them, and COM n's own device name.
#pragma once

#include <string>
#include <vector>

// Full paths: the stable names under serial/by-id first, then ttyS*, ttyUSB*, ttyACM*, each kind in
// natural order (ttyS2 before ttyS10); on Windows the system's list of COM ports as "\\.\COMn", in
// natural order, devRoot unused. Opening a port to probe it could disturb whatever is attached, so
// only names are read.
std::vector<std::string> SerialDeviceNames(const std::string& devRoot = "/dev");

// The device COM n stands for unless the operator assigns another: /dev/ttyS(n-1) here, "\\.\COMn"
// on Windows.
std::string DefaultPortDevice(int port);

// Whether a device by that name is there now (it may still be held elsewhere).
bool SerialDeviceExists(const std::string& path);
