// QSettings' text conventions, so that a value reads here as the toolkit would give it.
#include "camera/SettingsText.h"

namespace {

constexpr char16_t Replacement = 0xFFFD;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point of the well-formed sequence at utf8[i], and its length; 0 when there is none there.
size_t DecodeOne(std::string_view utf8, size_t i, char32_t& point) {
  const auto lead = static_cast<unsigned char>(utf8[i]);
  size_t length = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    point = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, point = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, point = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, point = lead & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (i + length > utf8.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    const auto byte = static_cast<unsigned char>(utf8[i + k]);
    if (!IsContinuation(byte)) return 0;
    point = (point << 6) | (byte & 0x3F);
  }
  // Overlong forms, surrogates and points past U+10FFFF are no UTF-8.
  if (point < least || (point >= 0xD800 && point <= 0xDFFF) || point > 0x10FFFF) return 0;
  return length;
}

void AppendUtf8(std::string& out, char32_t point) {
  if (point < 0x80) {
    out += static_cast<char>(point);
  } else if (point < 0x800) {
    out += static_cast<char>(0xC0 | (point >> 6));
    out += static_cast<char>(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    out += static_cast<char>(0xE0 | (point >> 12));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (point >> 18));
    out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
  }
}

bool StartsWith(const std::u16string& text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && std::u16string_view(text).substr(0, prefix.size()) == prefix;
}

// How many arguments QSettings finds in "@Rect(1 2 3 4)" and its kind, from the '(' at open: each blank
// and each ')' ends one.
size_t ArgumentCount(const std::u16string& text, size_t open) {
  size_t count = 0;
  for (size_t i = open + 1; i < text.size(); ++i) count += text[i] == u' ' || text[i] == u')';
  return count;
}

// The part between a mark's '(' at open and the closing ')'.
std::u16string Inner(const std::u16string& text, size_t open) { return text.substr(open + 1, text.size() - open - 2); }

}  // namespace

namespace SettingsText {

std::u16string FromUtf8(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t point = 0;
    const size_t length = DecodeOne(utf8, i, point);
    if (length == 0) {
      out += Replacement;
      ++i;
      continue;
    }
    if (point >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(point);
    }
    i += length;
  }
  return out;
}

std::string ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      out += '?';
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

std::string FromStored(const std::u16string& stored) {
  if (!StartsWith(stored, u"@")) return ToUtf8(stored);
  if (stored.back() == u')') {
    if (StartsWith(stored, u"@ByteArray(")) {
      // Its bytes stand one to a character; a program asking for text reads them as UTF-8.
      std::string bytes;
      for (char16_t unit : Inner(stored, 10)) bytes += unit > 0xFF ? '?' : static_cast<char>(unit);
      return ToUtf8(FromUtf8(bytes));
    }
    if (StartsWith(stored, u"@String(")) return ToUtf8(Inner(stored, 7));
    // A serialized value of some other type, or an invalid one: no text.
    if (StartsWith(stored, u"@Variant(") || StartsWith(stored, u"@DateTime(") || stored == u"@Invalid()") return {};
    // Geometry with the right number of arguments has no text; with any other number it is text.
    if (StartsWith(stored, u"@Rect(") && ArgumentCount(stored, 5) == 4) return {};
    if (StartsWith(stored, u"@Size(") && ArgumentCount(stored, 5) == 2) return {};
    if (StartsWith(stored, u"@Point(") && ArgumentCount(stored, 6) == 2) return {};
  }
  if (StartsWith(stored, u"@@")) return ToUtf8(std::u16string_view(stored).substr(1));
  return ToUtf8(stored);
}

std::string FromStoredList(std::vector<std::u16string> stored) {
  for (std::u16string& text : stored) {
    if (!StartsWith(text, u"@")) continue;
    // One item marked as a value of its own makes the whole a list of values, which has no text.
    if (!StartsWith(text, u"@@")) return {};
    text.erase(0, 1);
  }
  return stored.size() == 1 ? ToUtf8(stored.front()) : std::string();
}

}  // namespace SettingsText
