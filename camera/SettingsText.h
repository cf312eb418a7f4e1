// Texts in the settings store as QSettings keeps them: UTF-16 inside, UTF-8 in its files and for the
// program, and its marks for values that are not plain text ("@ByteArray(...)", "@@" for "@", ...).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace SettingsText {

// UTF-8 as the toolkit decodes it: each byte of a sequence that is no UTF-8 becomes U+FFFD.
std::u16string FromUtf8(std::string_view utf8);
// UTF-16 as the toolkit hands it to a program: a surrogate without its partner becomes '?'.
std::string ToUtf8(std::u16string_view utf16);

// What a program asking the store for a text gets for a stored text: the text a mark stands for,
// or none (empty) for a value of another kind (a rectangle, an invalid value, a serialized type).
std::string FromStored(const std::u16string& stored);
// The same for a stored list of texts: a list of one text gives that text, any other list none.
std::string FromStoredList(std::vector<std::u16string> stored);

}  // namespace SettingsText
