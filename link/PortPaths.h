// Which device path each COM port number stands for; the settings store fills in the operator's choices.
#pragma once

#include <string>

inline constexpr int FirstComPort = 1;
inline constexpr int LastComPort = 10;

// The device for COM n: the path assigned to it, else the system's own name for COM n.
std::string DevicePathForPort(int port);
void AssignPortPath(int port, const std::string& path);
void ClearPortPaths();
