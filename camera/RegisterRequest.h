// Request texts of the register command menu, built from what the engineer typed, and their checks.
#pragma once

#include <string>

namespace RegisterRequest {

enum class Check { Ok, BadAddress, BadData };

inline constexpr int ReadBit = 0x80;

// Exactly digits characters, each 0-9, A-F or a-f.
bool IsHexText(const std::string& text, size_t digits);

// "MMFFCC" + address + data + the zeros that fill the three data bytes; the typed digits go out as
// typed. text is set only when the check passes.
Check BuildWrite(int mode, int writeCode, size_t dataDigits, const std::string& address, const std::string& data,
                 std::string& text);
Check BuildRead(int mode, int writeCode, const std::string& address, std::string& text);

// A request text as the manual command's box holds it: letters in capitals.
std::string AsTyped(std::string text);

}  // namespace RegisterRequest
