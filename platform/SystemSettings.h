// The settings store the system keeps for programs, where it has one of its own: the registry on
// Windows, read as QSettings reads its native store there. Linux keeps none; its settings stores are
// files, which the program reads itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SystemSettingValue {
  enum class Kind { Text, TextList, Number, Other };
  Kind kind = Kind::Text;
  std::u16string text;               // Text: as stored, up to its first NUL (a binary value whole)
  std::vector<std::u16string> list;  // TextList
  int64_t number = 0;                // Number
};

namespace SystemSettings {

// Whether the system keeps a store of its own.
bool Kept();

// group/key of company's application, from the first place that holds it, in the order QSettings
// looks: the user's then the machine's, each for the application and then the company's defaults.
std::optional<SystemSettingValue> Read(const std::string& company, const std::string& application,
                                       const std::string& group, const std::string& key);

}  // namespace SystemSettings
