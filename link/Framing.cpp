// Framing of request texts and checking of reply frames; no I/O here.
#include "link/Framing.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "link/CommError.h"

uint8_t Checksum(const uint8_t* bytes, size_t count) {
  unsigned sum = 0;
  for (size_t i = 0; i < count; ++i) sum += bytes[i];
  return static_cast<uint8_t>(255 - (sum & 0xFF));
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int32_t HexToInt(const char* text, int length) {
  int32_t result = 0;
  for (int i = 0; i < length; ++i) {
    char c = text[i];
    int digit = (c >= '0' && c <= '9') ? c - '0' : std::toupper(static_cast<unsigned char>(c)) - 55;
    result = result * 16 + digit;
  }
  return result;
}

int32_t BuildFrame(std::string_view text, uint8_t* frame) {
  if (text.size() > static_cast<size_t>(Framing::MaxTextLength)) return 0;
  size_t n = text.size();
  frame[0] = Framing::STX;
  std::memcpy(frame + 1, text.data(), n);
  frame[1 + n] = Framing::ETX;
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02X", Checksum(frame, n + 2));
  frame[2 + n] = static_cast<uint8_t>(digits[0]);
  frame[3 + n] = static_cast<uint8_t>(digits[1]);
  return static_cast<int32_t>(n + 4);
}

CommError CheckReply(const uint8_t* reply, int32_t count) {
  if (count != Framing::ReplyFrameLength) return CommError::BadReplySize;
  if (reply[0] != Framing::STX) return CommError::NoStx;
  if (reply[7] != Framing::ETX) return CommError::NoEtx;
  const char* digits = reinterpret_cast<const char*>(reply + 8);
  if (!IsHexDigit(digits[0]) || !IsHexDigit(digits[1])) return CommError::InvalidCharacter;
  if (Checksum(reply, 8) != (HexToInt(digits, 2) & 0xFF)) return CommError::ChecksumMismatch;
  return CommError::NoError;
}
