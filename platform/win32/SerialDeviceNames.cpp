// COM port names from the system's own list (HARDWARE\DEVICEMAP\SERIALCOMM); nothing is opened.
#include <windows.h>

#include <algorithm>

#include "platform/NaturalOrder.h"
#include "platform/SerialDeviceNames.h"

namespace {

constexpr const char* DevicePrefix = "\\\\.\\";

std::vector<std::string> ListedPorts() {
  std::vector<std::string> ports;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return ports;  // no serial hardware at all
  }
  for (DWORD index = 0;; ++index) {
    char name[256], data[256];
    DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
    LONG result = RegEnumValueA(key, index, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
    if (result == ERROR_NO_MORE_ITEMS) break;
    if (result != ERROR_SUCCESS || type != REG_SZ) continue;
    data[dataSize] = '\0';
    if (data[0] != '\0') ports.emplace_back(data);
  }
  RegCloseKey(key);
  return ports;
}

}  // namespace

std::vector<std::string> SerialDeviceNames(const std::string&) {
  std::vector<std::string> ports = ListedPorts();
  std::sort(ports.begin(), ports.end(), NaturalLess);
  ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
  for (std::string& port : ports) port = DevicePrefix + port;
  return ports;
}

std::string DefaultPortDevice(int port) { return DevicePrefix + std::string("COM") + std::to_string(port); }

bool SerialDeviceExists(const std::string& path) {
  // A device name is known to the object manager, not to the file system.
  std::string name = path.rfind(DevicePrefix, 0) == 0 ? path.substr(4) : path;
  char target[1024];
  if (QueryDosDeviceA(name.c_str(), target, sizeof target) != 0) return true;
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
