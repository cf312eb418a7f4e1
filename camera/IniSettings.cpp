// QSettings' INI reading rules: its lines (quotes and escaped line ends join them, ';' starts a comment),
// its group headers, its escaped key names and its quoted and escaped values.
#include "camera/IniSettings.h"

#include <vector>

#include "camera/SettingsText.h"

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
// What the toolkit trims from both ends of a key or group name.
bool IsTrimmed(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int OctalValue(char c) { return c >= '0' && c <= '7' ? c - '0' : -1; }

// The toolkit's INI files on Windows know no letter case in group and key names (this reader meets
// them there only in a folder tests keep the store in).
#ifdef _WIN32
constexpr bool NamesIgnoreCase = true;
#else
constexpr bool NamesIgnoreCase = false;
#endif

std::u16string Folded(std::u16string name) {
  if (NamesIgnoreCase) {
    for (char16_t& c : name) c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
  }
  return name;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsTrimmed(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsTrimmed(text.back())) text.remove_suffix(1);
  return text;
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != lower[i]) return false;
  }
  return true;
}

// One logical line: where it starts and how long it is, and its first '=' outside quotes (npos: none).
struct Line {
  size_t start = 0, length = 0, equals = std::string_view::npos;
};

// The next line from pos on, as the toolkit splits them: leading blanks and empty lines skipped, comment
// lines passed over, a line break inside quotes or after a backslash kept in the line, and an unquoted
// ';' ending it. False at the end of the data.
bool NextLine(std::string_view data, size_t& pos, Line& line) {
  bool inQuotes = false;
  line.equals = std::string_view::npos;
  line.start = pos;
  while (line.start < data.size() && IsSpace(data[line.start])) ++line.start;
  size_t i = line.start;
  while (i < data.size()) {
    const char c = data[i++];
    if (c == '=') {
      if (!inQuotes && line.equals == std::string_view::npos) line.equals = i - 1;
    } else if (c == '\n' || c == '\r') {
      if (i == line.start + 1) {
        ++line.start;
      } else if (!inQuotes) {
        --i;
        break;
      }
    } else if (c == '\\') {
      if (i < data.size()) {
        const char escaped = data[i++];
        // \r\n and \n\r after a backslash are one line end.
        if (i < data.size() && ((escaped == '\n' && data[i] == '\r') || (escaped == '\r' && data[i] == '\n'))) ++i;
      }
    } else if (c == '"') {
      inQuotes = !inQuotes;
    } else if (c == ';') {
      if (i == line.start + 1) {
        while (i < data.size() && data[i] != '\n' && data[i] != '\r') ++i;
        while (i < data.size() && IsSpace(data[i])) ++i;
        line.start = i;
      } else if (!inQuotes) {
        --i;
        break;
      }
    }
  }
  pos = i;
  line.length = i - line.start;
  return line.length > 0;
}

// A key or group name as written: a backslash stands for '/', %XX and %UXXXX for a character.
std::u16string UnescapedKey(std::string_view key) {
  const std::u16string decoded = SettingsText::FromUtf8(key);
  std::u16string result;
  for (size_t i = 0; i < decoded.size();) {
    const char16_t c = decoded[i];
    if (c == u'\\') {
      result += u'/';
      ++i;
      continue;
    }
    if (c != u'%' || i + 1 == decoded.size()) {
      result += c;
      ++i;
      continue;
    }
    size_t first = i + 1, digits = 2;
    if (decoded[first] == u'U') ++first, digits = 4;
    char16_t value = 0;
    bool ok = first + digits <= decoded.size();
    for (size_t k = first; ok && k < first + digits; ++k) {
      const int h = decoded[k] < 0x80 ? HexValue(static_cast<char>(decoded[k])) : -1;
      ok = h >= 0;
      value = static_cast<char16_t>(value * 16 + h);
    }
    if (!ok) {
      result += u'%';
      ++i;
      continue;
    }
    result += value;
    i = first + digits;
  }
  return result;
}

// A value as written: quotes keep blanks, commas and '=', backslash escapes stand for characters
// (\x and octal ones for any number of digits, as the toolkit reads them), and an unquoted comma makes
// a list. The text, or the list's items.
struct Unescaped {
  bool isList = false;
  std::u16string text;
  std::vector<std::u16string> items;
};

void ChopBlanks(std::u16string& text, size_t limit) {
  while (text.size() > limit && (text.back() == u' ' || text.back() == u'\t')) text.pop_back();
}

Unescaped UnescapedValue(std::string_view value) {
  static constexpr char Escapes[][2] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'},
                                        {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
  Unescaped out;
  std::u16string& text = out.text;
  bool inQuotes = false, quoted = false;
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < value.size() && IsBlank(value[i])) ++i;
  };
  // Blanks before chopLimit came from escapes or quotes and stay.
  size_t chopLimit = 0;
  auto numeric = [&](int (*digit)(char), int base, char16_t first) {
    char16_t code = first;
    while (i < value.size() && digit(value[i]) >= 0) code = static_cast<char16_t>(code * base + digit(value[i++]));
    text += code;
    chopLimit = text.size();
  };
  skipBlanks();
  while (i < value.size()) {
    const char c = value[i];
    if (c == '\\') {
      if (++i >= value.size()) goto end;
      const char e = value[i++];
      bool known = false;
      for (const auto& escape : Escapes) {
        if (e == escape[0]) {
          text += static_cast<char16_t>(escape[1]);
          known = true;
          break;
        }
      }
      if (known) {
        chopLimit = text.size();
      } else if (e == 'x') {
        if (i >= value.size()) goto end;
        if (HexValue(value[i]) >= 0) {
          numeric(HexValue, 16, 0);
          if (i >= value.size()) goto end;
          continue;
        }
        chopLimit = text.size();
      } else if (OctalValue(e) >= 0) {
        numeric(OctalValue, 8, static_cast<char16_t>(OctalValue(e)));
        if (i >= value.size()) goto end;
      } else {
        // An escaped line end joins the lines; any other escaped character is dropped.
        if ((e == '\n' || e == '\r') && i < value.size() && (value[i] == '\n' || value[i] == '\r') && value[i] != e) ++i;
        chopLimit = text.size();
      }
    } else if (c == '"') {
      ++i;
      quoted = true;
      inQuotes = !inQuotes;
      if (!inQuotes) {
        skipBlanks();
        chopLimit = text.size();
      }
    } else if (c == ',' && !inQuotes) {
      if (!quoted) ChopBlanks(text, chopLimit);
      out.isList = true;
      out.items.push_back(std::move(text));
      text.clear();
      quoted = false;
      ++i;
      skipBlanks();
      chopLimit = 0;
    } else {
      size_t j = i + 1;
      while (j < value.size() && value[j] != '\\' && value[j] != '"' && value[j] != ',') ++j;
      text += SettingsText::FromUtf8(value.substr(i, j - i));
      i = j;
    }
  }
  if (!quoted) ChopBlanks(text, chopLimit);
end:
  if (out.isList) out.items.push_back(std::move(text));
  return out;
}

}  // namespace

IniSettings::IniSettings(std::string_view data) {
  if (data.substr(0, 3) == "\xEF\xBB\xBF") data.remove_prefix(3);
  std::map<std::u16string, std::string>* group = &groups_[u""];
  std::u16string groupName;
  size_t pos = 0;
  Line line;
  while (NextLine(data, pos, line)) {
    const std::string_view text = data.substr(line.start, line.length);
    if (text.front() == '[') {
      const size_t close = text.find(']');
      const std::string_view name = Trimmed(text.substr(1, close == std::string_view::npos ? text.size() - 1 : close - 1));
      if (EqualsIgnoringCase(name, "general")) {
        groupName.clear();
      } else {
        // "[%General]" is the group named "General", which the plain name cannot be.
        groupName = EqualsIgnoringCase(name, "%general") ? SettingsText::FromUtf8(name.substr(1)) : UnescapedKey(name);
        groupName += u'/';
      }
      group = &groups_[Folded(groupName)];
      continue;
    }
    // A line without '=' is no setting (a comment, or something the toolkit also skips).
    if (line.equals == std::string_view::npos) continue;
    const size_t equals = line.equals - line.start;
    (*group)[Folded(groupName + UnescapedKey(Trimmed(text.substr(0, equals))))] = std::string(text.substr(equals + 1));
  }
}

std::optional<std::string> IniSettings::Text(const std::string& group, const std::string& key) const {
  const std::u16string name = Folded(SettingsText::FromUtf8(group + "/" + key));
  // The toolkit looks only in the last group whose name sorts at or before the key's, and only when
  // that group's name begins the key's.
  auto found = groups_.upper_bound(name);
  if (found == groups_.begin()) return std::nullopt;
  --found;
  if (found->first.empty() || name.compare(0, found->first.size(), found->first) != 0) return std::nullopt;
  const auto value = found->second.find(name);
  if (value == found->second.end()) return std::nullopt;
  Unescaped unescaped = UnescapedValue(value->second);
  if (unescaped.isList) return SettingsText::FromStoredList(std::move(unescaped.items));
  return SettingsText::FromStored(unescaped.text);
}
