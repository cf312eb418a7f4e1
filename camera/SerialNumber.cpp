// Serial-number text rules; no camera and no files here, so both front ends share them unchanged.
#include "camera/SerialNumber.h"

#include <cstdio>

#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal number the text starts with, as strtol reads it (blanks and a sign first, 0 when there is
// none). Saturates far outside any serial number, so a long run of digits cannot overflow.
int64_t LeadingNumber(const std::string& text) {
  constexpr int64_t Saturated = 1'000'000'000'000;
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t n = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (n < Saturated) n = n * 10 + (text[i] - '0');
  }
  return negative ? -n : n;
}

std::string Formatted(const char* format, int64_t n) {
  char digits[16];
  std::snprintf(digits, sizeof digits, format, static_cast<int>(n));
  return digits;
}

}  // namespace

std::string StepSerialNumber(const std::string& text, int digitsMode, int step) {
  if (digitsMode == 0) {
    int64_t n = LeadingNumber(text) + step;
    return Formatted("%07d", n >= 0 && n <= 9'999'999 ? n : 0);
  }
  std::string prefix = text.substr(0, 3);
  std::string tail = text.size() > 5 ? text.substr(text.size() - 5) : text;
  int64_t n = LeadingNumber(tail) + step;
  return prefix + Formatted("%05d", n >= 0 && n <= 99'999 ? n : 0);
}

std::string SerialNumberRefusal(const std::string& text, int digitsMode) {
  const int length = SerialLength(digitsMode);
  if (text.size() != static_cast<size_t>(length)) {
    return FormatString(LoadString(StringIds::SerialNumberLength), std::to_string(length));
  }
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    bool seriesLetter = digitsMode != 0 && i == 2 && (c == 'X' || c == 'Y' || c == 'Z');
    if (!IsDigit(c) && !seriesLetter) return LoadString(StringIds::SerialNumberNotDecimal);
  }
  return std::string();
}

std::array<int32_t, 4> SerialNumberWords(const std::string& text, int digitsMode) {
  auto code = [&](size_t i) -> int32_t {
    if (i >= text.size() || (digitsMode == 0 && i == 7)) return 0;
    return static_cast<unsigned char>(text[i]);
  };
  std::array<int32_t, 4> words{};
  for (size_t k = 0; k < words.size(); ++k) words[k] = code(2 * k) + 256 * code(2 * k + 1);
  return words;
}
