// Writing JSON text.
#include "cli/JsonText.h"

#include <cstdio>

namespace {

// The length of the valid UTF-8 sequence at text[i], or 0 when none starts there.
size_t Utf8Length(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  // No overlong forms, no surrogates, nothing beyond U+10FFFF.
  const unsigned char second = byte(i + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
      (lead == 0xF4 && second >= 0x90)) {
    return 0;
  }
  return length;
}

std::string Escaped(unsigned int code) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "\\u%04X", code);
  return escape;
}

}  // namespace

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const size_t length = Utf8Length(text, i);
      json += length > 0 ? std::string(text.substr(i, length)) : Escaped(c);
      i += length > 0 ? length : 1;
      continue;
    }
    switch (c) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default: json += c < 0x20 || c == 0x7F ? Escaped(c) : std::string(1, static_cast<char>(c));
    }
    ++i;
  }
  return json + '"';
}

JsonObject& JsonObject::Member(std::string_view key, const std::string& json) {
  if (!members_.empty()) members_ += ',';
  members_ += JsonString(key) + ':' + json;
  return *this;
}

JsonObject& JsonObject::Text(std::string_view key, std::string_view text) { return Member(key, JsonString(text)); }

JsonObject& JsonObject::TextOrNull(std::string_view key, std::string_view text) {
  return text.empty() ? Null(key) : Text(key, text);
}

JsonObject& JsonObject::Number(std::string_view key, int64_t number) { return Member(key, std::to_string(number)); }

JsonObject& JsonObject::NumberOrNull(std::string_view key, std::optional<int64_t> number) {
  return number ? Number(key, *number) : Null(key);
}

JsonObject& JsonObject::Seconds(std::string_view key, int64_t microseconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld.%06lld", microseconds < 0 ? "-" : "",
                static_cast<long long>((microseconds < 0 ? -microseconds : microseconds) / 1000000),
                static_cast<long long>((microseconds < 0 ? -microseconds : microseconds) % 1000000));
  return Member(key, text);
}

JsonObject& JsonObject::Flag(std::string_view key, bool flag) { return Member(key, flag ? "true" : "false"); }

JsonObject& JsonObject::Null(std::string_view key) { return Member(key, "null"); }

JsonObject& JsonObject::Json(std::string_view key, std::string json) { return Member(key, json); }

std::string JsonArray(const std::vector<std::string>& elements) {
  std::string json = "[";
  for (const std::string& element : elements) json += (json.size() > 1 ? "," : "") + element;
  return json + ']';
}
