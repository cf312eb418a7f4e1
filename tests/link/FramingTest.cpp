// Framing and the reply check against the protocol's worked examples.
#include <gtest/gtest.h>

#include <cstdio>

#include <string>
#include <vector>

#include "link/CommError.h"
#include "link/Framing.h"

namespace {

std::vector<uint8_t> Frame(const std::string& text) {
  uint8_t buffer[Framing::FrameBufferSize];
  int32_t n = BuildFrame(text, buffer);
  if (n < 0) return {};
  return std::vector<uint8_t>(buffer, buffer + n);
}

std::vector<uint8_t> Reply(const char* tenBytes) {
  return std::vector<uint8_t>(tenBytes, tenBytes + 10);
}

}  // namespace

TEST(Checksum, WorkedExamples) {
  const uint8_t abc[] = {0x61, 0x62, 0x63};
  EXPECT_EQ(Checksum(abc, 3), 0xD9);
  const uint8_t stxEtx[] = {0x02, 0x03};
  EXPECT_EQ(Checksum(stxEtx, 2), 0xFA);
  EXPECT_EQ(Checksum(nullptr, 0), 0xFF);
}

TEST(BuildFrame, MatchesWorkedExamples) {
  EXPECT_EQ(Frame("01FF0104020000"),
            (std::vector<uint8_t>{0x02, 0x30, 0x31, 0x46, 0x46, 0x30, 0x31, 0x30, 0x34, 0x30, 0x32, 0x30, 0x30, 0x30,
                                  0x30, 0x03, 0x32, 0x36}));
  EXPECT_EQ(Frame(""), (std::vector<uint8_t>{0x02, 0x03, 'F', 'A'}));
  // Gain Level 168 written and read.
  auto write = Frame("01FF010C00A800");
  EXPECT_EQ(std::string(write.end() - 2, write.end()), "00");
  auto read = Frame("01FF810C000000");
  EXPECT_EQ(std::string(read.end() - 2, read.end()), "11");
}

TEST(BuildFrame, SendsTextUnchangedAndRefusesOverlongText) {
  auto lower = Frame("abc");
  ASSERT_EQ(lower.size(), 7u);
  EXPECT_EQ(std::string(lower.begin() + 1, lower.begin() + 4), "abc");
  // 0x02 + 0x126 + 0x03 = 0x12B; 255 - 0x2B = 0xD4.
  EXPECT_EQ(std::string(lower.end() - 2, lower.end()), "D4");

  EXPECT_EQ(Frame(std::string(22, '0')).size(), 26u);
  uint8_t buffer[Framing::FrameBufferSize] = {};
  EXPECT_EQ(BuildFrame(std::string(23, '0'), buffer), 0) << "refused: code 26";
  EXPECT_EQ(buffer[0], 0) << "nothing may be written for a refused text";
}

TEST(HexToInt, ReadsBothCases) {
  EXPECT_EQ(HexToInt("A8", 2), 0xA8);
  EXPECT_EQ(HexToInt("b9", 2), 0xB9);
  EXPECT_EQ(HexToInt("00A800", 6), 0xA800);
  EXPECT_EQ(HexToInt("", 0), 0);
  EXPECT_TRUE(IsHexDigit('f'));
  EXPECT_FALSE(IsHexDigit('G'));
  EXPECT_FALSE(IsHexDigit(' '));
}

TEST(CheckReply, AcceptsWorkedReplyInEitherCase) {
  EXPECT_EQ(CheckReply(Reply("\x02" "029F00" "\x03" "B9").data(), 10), CommError::NoError);
  EXPECT_EQ(CheckReply(Reply("\x02" "029F00" "\x03" "b9").data(), 10), CommError::NoError);
  EXPECT_EQ(CheckReply(Reply("\x02" "00A800" "\x03" "C1").data(), 10), CommError::NoError);
  // Data characters are not this check's business.
  uint8_t frame[Framing::FrameBufferSize];
  BuildFrame("0G!z00", frame);
  EXPECT_EQ(CheckReply(frame, 10), CommError::NoError);
}

TEST(CheckReply, FirstFailedCheckDecides) {
  auto good = Reply("\x02" "029F00" "\x03" "B9");
  EXPECT_EQ(CheckReply(good.data(), 9), CommError::BadReplySize);
  EXPECT_EQ(CheckReply(good.data(), 11), CommError::BadReplySize);

  auto noStx = good;
  noStx[0] = 'X';  // also spoils ETX and check: the STX check still comes first
  noStx[7] = 'X';
  EXPECT_EQ(CheckReply(noStx.data(), 10), CommError::NoStx);

  // ETX out of place fails even with a check code that matches the bytes.
  uint8_t moved[10] = {0x02, '0', '2', '9', 'F', '0', 0x03, '0', 0, 0};
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02X", Checksum(moved, 8));
  moved[8] = static_cast<uint8_t>(digits[0]);
  moved[9] = static_cast<uint8_t>(digits[1]);
  EXPECT_EQ(CheckReply(moved, 10), CommError::NoEtx);

  auto notHex = Reply("\x02" "029F00" "\x03" "G9");
  EXPECT_EQ(CheckReply(notHex.data(), 10), CommError::InvalidCharacter);
  auto notHexSecond = Reply("\x02" "029F00" "\x03" "B ");
  EXPECT_EQ(CheckReply(notHexSecond.data(), 10), CommError::InvalidCharacter);

  auto wrong = Reply("\x02" "029F00" "\x03" "B8");
  EXPECT_EQ(CheckReply(wrong.data(), 10), CommError::ChecksumMismatch);
}
