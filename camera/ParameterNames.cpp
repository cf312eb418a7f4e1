// Parameter names and values as typed by a script.
#include "camera/ParameterNames.h"

#include <cctype>
#include <charconv>

#include "camera/ParameterTable.h"

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool ParseWhole(const std::string& text, int base, int32_t& value) {
  if (text.empty()) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool FindParameter(const std::string& name, ParameterId& id) {
  int32_t index = 0;
  if (ParseWhole(name, 10, index)) {
    if (index < 0 || index >= ParameterCount) return false;
    id = static_cast<ParameterId>(index);
    return true;
  }
  for (int i = 0; i < ParameterCount; ++i) {
    std::string identifier = ParameterTable::Identifier(static_cast<ParameterId>(i));
    if (EqualIgnoringCase(name, identifier) || EqualIgnoringCase(name, "Param" + identifier)) {
      id = static_cast<ParameterId>(i);
      return true;
    }
  }
  return false;
}

bool ParseParameterValue(const std::string& text, int32_t& value) {
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  if (!ParseWhole(hex ? text.substr(2) : text, hex ? 16 : 10, value)) return false;
  return value >= 0 && value <= 0xFFFFFF;
}
