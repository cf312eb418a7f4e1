// The register menu's request texts: mode byte, FF, area code, address, three data bytes.
#include "camera/RegisterRequest.h"

#include <cctype>

#include <cstdio>

namespace RegisterRequest {

namespace {

constexpr size_t DataCharacters = 6;

std::string Prefix(int mode, int areaCode) {
  char text[8];
  std::snprintf(text, sizeof text, "%02XFF%02X", mode & 0xFF, areaCode & 0xFF);
  return text;
}

}  // namespace

bool IsHexText(const std::string& text, size_t digits) {
  if (text.size() != digits) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

Check BuildWrite(int mode, int writeCode, size_t dataDigits, const std::string& address, const std::string& data,
                 std::string& text) {
  if (!IsHexText(address, 2)) return Check::BadAddress;
  if (dataDigits > DataCharacters || !IsHexText(data, dataDigits)) return Check::BadData;
  text = Prefix(mode, writeCode) + address + data + std::string(DataCharacters - dataDigits, '0');
  return Check::Ok;
}

Check BuildRead(int mode, int writeCode, const std::string& address, std::string& text) {
  if (!IsHexText(address, 2)) return Check::BadAddress;
  text = Prefix(mode, writeCode | ReadBit) + address + std::string(DataCharacters, '0');
  return Check::Ok;
}

std::string AsTyped(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace RegisterRequest
