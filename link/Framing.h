// Message framing: control characters, the check code, request frames and the reply check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/CommError.h"

namespace Framing {

inline constexpr uint8_t STX = 0x02;
inline constexpr uint8_t ETX = 0x03;
inline constexpr uint8_t ENQ = 0x05;
inline constexpr uint8_t ACK = 0x06;
inline constexpr uint8_t NAK = 0x15;

inline constexpr int MaxTextLength = 22;     // a longer request text is refused
inline constexpr int FrameBufferSize = 28;   // room for the longest frame (26 bytes)
inline constexpr int ReplyFrameLength = 10;  // STX, six data characters, ETX, two check digits
inline constexpr int ReplyDataLength = 6;

}  // namespace Framing

// 255 minus the low byte of the sum of the bytes.
uint8_t Checksum(const uint8_t* bytes, size_t count);

bool IsHexDigit(char c);

// Reads length characters as a hexadecimal number; callers check the digits first.
int32_t HexToInt(const char* text, int length);

// Writes STX, text, ETX and the two upper-case check digits into frame (FrameBufferSize bytes).
// Returns the frame length, or 0 when the text is too long (code 26; nothing written then).
int32_t BuildFrame(std::string_view text, uint8_t* frame);

// Checks a received reply frame: NoError when good, otherwise the code of the first failed check.
CommError CheckReply(const uint8_t* reply, int32_t count);
