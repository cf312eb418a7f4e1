// Lists serial device names with opendir/readdir; nothing is opened or probed.
#include "platform/SerialDeviceNames.h"

#include <dirent.h>

#include <unistd.h>

#include <algorithm>
#include <string_view>

#include "platform/NaturalOrder.h"

namespace {

// Names in folder starting with prefix (all names when prefix is empty), naturally sorted.
std::vector<std::string> NamesIn(const std::string& folder, std::string_view prefix) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;  // a missing folder simply holds no devices
  while (const dirent* entry = readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (name.size() > prefix.size() && name.starts_with(prefix)) names.emplace_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end(), NaturalLess);
  return names;
}

}  // namespace

std::vector<std::string> SerialDeviceNames(const std::string& devRoot) {
  std::vector<std::string> paths;
  const std::string byId = devRoot + "/serial/by-id";
  for (const std::string& name : NamesIn(byId, "")) paths.push_back(byId + "/" + name);
  for (std::string_view prefix : {"ttyS", "ttyUSB", "ttyACM"}) {
    for (const std::string& name : NamesIn(devRoot, prefix)) paths.push_back(devRoot + "/" + name);
  }
  return paths;
}

std::string DefaultPortDevice(int port) { return "/dev/ttyS" + std::to_string(port - 1); }

bool SerialDeviceExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }
