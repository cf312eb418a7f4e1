// Serial-number text rules: the spin button's steps, the checks before a write, and the register words.
#include <gtest/gtest.h>

#include "camera/SerialNumber.h"

TEST(SerialNumber, StepsInBothDigitModes) {
  const struct {
    const char* text;
    int mode, step;
    const char* stepped;
  } cases[] = {
      {"0012345", 0, +1, "0012346"}, {"9999999", 0, +1, "0000000"}, {"0000000", 0, -1, "0000000"},
      {"", 0, +1, "0000001"},
      {"  +41abc", 0, +1, "0000042"},  // read as strtol reads: blanks, a sign, digits up to the first other
      {"-5", 0, +1, "0000000"},
      {"99999999999999999999999", 0, +1, "0000000"},  // too many digits must not overflow into range
      {"12X34567", 1, +1, "12X34568"}, {"12399999", 1, +1, "12300000"}, {"12300000", 1, -1, "12300000"},
      {"123", 1, +1, "12300124"},  // prefix and tail are both the whole text
      {"", 1, +1, "00001"},
      {"12X4567890", 1, -1, "12X67889"},  // the middle is dropped
  };
  for (const auto& c : cases) EXPECT_EQ(StepSerialNumber(c.text, c.mode, c.step), c.stepped) << c.text;
}

TEST(SerialNumber, WriteChecksAndWords) {
  const std::string length7 = "Serial number cannot be written.\nPlease input the number of 7 digits. ";
  const std::string notDecimal = "Serial number cannot be written.\nPlease input the decimal number. ";
  EXPECT_EQ(SerialNumberRefusal("12Z45678", 1), "");
  EXPECT_EQ(SerialNumberRefusal("1234567", 0), "");
  EXPECT_EQ(SerialNumberRefusal("12X45678", 0), length7);
  EXPECT_EQ(SerialNumberRefusal("1234567", 1), "Serial number cannot be written.\nPlease input the number of 8 digits. ");
  for (const char* text : {"1X345678", "12x45678", "12W45678", "123 5678"}) {
    EXPECT_EQ(SerialNumberRefusal(text, 1), notDecimal) << text;
  }
  EXPECT_EQ(SerialNumberRefusal("12X4567", 0), notDecimal) << "no letter in seven-digit mode";
  EXPECT_EQ(SerialNumberRefusal(std::string("123\0" "567", 7), 0), notDecimal);

  EXPECT_EQ(SerialNumberWords("12X45678", 1), (std::array<int32_t, 4>{0x3231, 0x3458, 0x3635, 0x3837}));
  EXPECT_EQ(SerialNumberWords("1234567", 0), (std::array<int32_t, 4>{0x3231, 0x3433, 0x3635, 0x0037}));
}
