// The register menu's request texts and checks.
#include <gtest/gtest.h>

#include "camera/RegisterRequest.h"

using RegisterRequest::Check;

TEST(RegisterRequest, TextsAsTyped) {
  std::string text;
  EXPECT_EQ(RegisterRequest::BuildWrite(1, 0x02, 2, "00", "7F", text), Check::Ok);
  EXPECT_EQ(text, "01FF02007F0000");
  EXPECT_EQ(RegisterRequest::BuildWrite(0, 0x04, 4, "e0", "ab12", text), Check::Ok);
  EXPECT_EQ(text, "00FF04e0ab1200") << "the typed digits go out as typed";
  EXPECT_EQ(RegisterRequest::BuildRead(0, 0x10, "7F", text), Check::Ok);
  EXPECT_EQ(text, "00FF907F000000");
}

TEST(RegisterRequest, AddressIsCheckedBeforeData) {
  std::string text = "untouched";
  EXPECT_EQ(RegisterRequest::BuildWrite(0, 0x04, 4, "5", "123", text), Check::BadAddress);
  EXPECT_EQ(RegisterRequest::BuildWrite(0, 0x04, 4, "G1", "1234", text), Check::BadAddress);
  EXPECT_EQ(RegisterRequest::BuildWrite(0, 0x04, 4, "10", "123", text), Check::BadData);
  EXPECT_EQ(RegisterRequest::BuildWrite(0, 0x03, 2, "10", "1234", text), Check::BadData);
  EXPECT_EQ(RegisterRequest::BuildRead(0, 0x03, "\xEF\xBC\x91" "1", text), Check::BadAddress) << "a full-width digit";
  EXPECT_EQ(text, "untouched");
}
