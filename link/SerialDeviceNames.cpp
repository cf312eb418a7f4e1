// Lists serial device names with opendir/readdir; nothing is opened or probed.
#include "link/SerialDeviceNames.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <string_view>

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Runs of digits compare by value, so port numbers sort as the operator counts them.
bool NaturalLess(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      size_t ie = i, je = j;
      while (ie < a.size() && IsDigit(a[ie])) ++ie;
      while (je < b.size() && IsDigit(b[je])) ++je;
      std::string_view na = a.substr(i, ie - i), nb = b.substr(j, je - j);
      while (na.size() > 1 && na.front() == '0') na.remove_prefix(1);
      while (nb.size() > 1 && nb.front() == '0') nb.remove_prefix(1);
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ie;
      j = je;
    } else {
      if (a[i] != b[j]) return a[i] < b[j];
      ++i;
      ++j;
    }
  }
  return a.size() - i < b.size() - j;
}

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
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
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
