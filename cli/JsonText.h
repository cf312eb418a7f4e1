// JSON as vqctl prints it: one compact document, object keys in the order they were added.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// text as a JSON string. Valid UTF-8 passes through; a byte that is not part of a valid sequence (a
// camera's text or a path in another encoding) is written as the character of the same number, so
// the document is always valid and no byte is lost.
std::string JsonString(std::string_view text);

class JsonObject {
 public:
  JsonObject& Text(std::string_view key, std::string_view text);
  // Null when the text is empty.
  JsonObject& TextOrNull(std::string_view key, std::string_view text);
  JsonObject& Number(std::string_view key, int64_t number);
  JsonObject& NumberOrNull(std::string_view key, std::optional<int64_t> number);
  // Seconds from microseconds, to the microsecond.
  JsonObject& Seconds(std::string_view key, int64_t microseconds);
  JsonObject& Flag(std::string_view key, bool flag);
  JsonObject& Null(std::string_view key);
  // An object or array already written as JSON.
  JsonObject& Json(std::string_view key, std::string json);
  std::string Document() const { return "{" + members_ + "}"; }

 private:
  JsonObject& Member(std::string_view key, const std::string& json);
  std::string members_;
};

// Elements already written as JSON.
std::string JsonArray(const std::vector<std::string>& elements);
