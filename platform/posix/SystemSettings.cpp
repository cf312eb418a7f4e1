// Linux keeps no settings store of its own: the INI files are the program's to read.
#include "platform/SystemSettings.h"

namespace SystemSettings {

bool Kept() { return false; }

std::optional<SystemSettingValue> Read(const std::string&, const std::string&, const std::string&, const std::string&) {
  return std::nullopt;
}

}  // namespace SystemSettings
