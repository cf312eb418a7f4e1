// Reads the serial-device map and the FTDI bus's device parameters; nothing here needs an administrator.
#include "platform/win32/ComPortRegistry.h"

#include <windows.h>

#include <cwctype>
#include <string>
#include <vector>

#include "platform/win32/SystemErrors.h"

namespace {

bool SameName(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

// "COM3" from "\\.\COM3" or "COM3".
std::wstring PortName(const std::string& deviceName) {
  std::string name = deviceName;
  if (name.rfind("\\\\.\\", 0) == 0) name = name.substr(4);
  return std::wstring(name.begin(), name.end());
}

std::wstring StringValue(HKEY key, const wchar_t* sub, const wchar_t* value) {
  wchar_t buffer[512];
  DWORD size = sizeof buffer;
  if (RegGetValueW(key, sub, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return {};
  return buffer;
}

bool DwordValue(HKEY key, const wchar_t* sub, const wchar_t* value, DWORD& out) {
  DWORD size = sizeof out;
  return RegGetValueW(key, sub, value, RRF_RT_REG_DWORD, nullptr, &out, &size) == ERROR_SUCCESS;
}

std::vector<std::wstring> SubKeys(HKEY key) {
  std::vector<std::wstring> names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  return names;
}

// The driver's device object for the port ("\Device\VCP0"), its service's name without the number ("VCP").
std::string DeviceService(const std::wstring& port) {
  HKEY map = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &map) != ERROR_SUCCESS) return {};
  std::wstring found;
  wchar_t name[256];
  wchar_t data[64];
  for (DWORD i = 0; found.empty(); ++i) {
    DWORD nameLength = 256, dataSize = sizeof data, type = 0;
    if (RegEnumValueW(map, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize) !=
        ERROR_SUCCESS) {
      break;
    }
    if (type == REG_SZ && SameName(std::wstring(data, wcsnlen(data, dataSize / sizeof(wchar_t))), port)) {
      found.assign(name, nameLength);
    }
  }
  RegCloseKey(map);
  const size_t slash = found.find_last_of(L'\\');
  if (slash != std::wstring::npos) found = found.substr(slash + 1);
  while (!found.empty() && std::iswdigit(found.back())) found.pop_back();
  return Utf8Name(found);
}

// An FTDI adapter keeps its latency timer with the port's name among its device parameters.
void FtdiFacts(const std::wstring& port, SerialDeviceFacts& facts) {
  HKEY bus = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Enum\\FTDIBUS", 0, KEY_READ, &bus) != ERROR_SUCCESS) {
    return;
  }
  for (const std::wstring& device : SubKeys(bus)) {
    HKEY instances = nullptr;
    if (RegOpenKeyExW(bus, device.c_str(), 0, KEY_READ, &instances) != ERROR_SUCCESS) continue;
    for (const std::wstring& instance : SubKeys(instances)) {
      const std::wstring parameters = instance + L"\\Device Parameters";
      if (!SameName(StringValue(instances, parameters.c_str(), L"PortName"), port)) continue;
      DWORD latency = 0;
      if (DwordValue(instances, parameters.c_str(), L"LatencyTimer", latency)) {
        facts.latencyTimerMs = static_cast<int>(latency);
        facts.latencyHowTo = "an administrator sets it in Device Manager: Ports (COM & LPT), " + Utf8Name(port) +
                             ", Properties, Port Settings, Advanced..., Latency Timer (msec) 1";
      }
      const std::wstring friendly = StringValue(instances, instance.c_str(), L"FriendlyName");
      facts.adapter = Utf8Name(friendly.empty() ? device : friendly + L", " + device);
      if (facts.driver.empty()) facts.driver = "FTDIBUS";
    }
    RegCloseKey(instances);
  }
  RegCloseKey(bus);
}

}  // namespace

SerialDeviceFacts ComPortRegistry::Facts(const std::string& deviceName) {
  SerialDeviceFacts facts;
  const std::wstring port = PortName(deviceName);
  facts.driver = DeviceService(port);
  FtdiFacts(port, facts);
  return facts;
}
