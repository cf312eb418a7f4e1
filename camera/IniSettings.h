// The settings store's INI file read as QSettings reads it: groups, keys, quoting, escapes and the
// marks of typed values, so that what QSettings wrote reads back here unchanged without the toolkit.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

class IniSettings {
 public:
  // A file's bytes. What is not well-formed is read as far as QSettings reads it.
  explicit IniSettings(std::string_view bytes);

  // What QSettings' value("group/key").toString() gives (UTF-8), or nothing when the file holds no such
  // key. A key that holds a value of another kind gives an empty text, as the toolkit does.
  std::optional<std::string> Text(const std::string& group, const std::string& key) const;

 private:
  // Each group by its full name ending in '/', the root group as "", with the raw text after each key's
  // '=' by the key's full name. Repeated groups are one group; of repeated keys the last one counts.
  std::map<std::u16string, std::map<std::u16string, std::string>> groups_;
};
