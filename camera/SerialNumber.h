// The serial number as the operator types it: stepping, the checks before a write, and its register words.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// digitsMode: 0 for seven-digit numbers, 1 for eight-digit numbers whose third character may be X, Y or Z.
inline constexpr int SerialLength(int digitsMode) { return digitsMode == 0 ? 7 : 8; }

// The text after one step of the spin button (step +1 up, -1 down).
std::string StepSerialNumber(const std::string& text, int digitsMode, int step);

// Why the text may not be written, as the operator is told; empty when it may.
std::string SerialNumberRefusal(const std::string& text, int digitsMode);

// The four register values: characters 2k and 2k+1 in the low and high byte of word k. Only for an
// accepted text; a seven-digit number leaves the last high byte 0.
std::array<int32_t, 4> SerialNumberWords(const std::string& text, int digitsMode);
