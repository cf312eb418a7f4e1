// Request texts and the value's data bytes, both ways, for every width and area rule.
#include <gtest/gtest.h>

#include <string>

#include "link/CameraPort.h"
#include "support/MemoryLink.h"

namespace {

std::string Request(int mode, int area, int address, int32_t minimum, int32_t maximum, int32_t value) {
  char text[Framing::FrameBufferSize];
  return CameraPort::FormatRequest(text, mode, 0xFF, area, address, minimum, maximum, value);
}

// Reads a register whose data bytes stand in the camera exactly as given (six hex digits).
int32_t ReadBack(const char* data, int area, int32_t minimum, int32_t maximum) {
  MemoryLink link;
  link.Open();
  uint32_t raw = static_cast<uint32_t>(HexToInt(data, 2) + 256 * HexToInt(data + 2, 2) + 65536 * HexToInt(data + 4, 2));
  link.camera.SetSetting(area & 0x7F, 0x30, raw);
  int32_t value = -1;
  EXPECT_EQ(link.port->ReadParameter(1, 0xFF, area, 0x30, minimum, maximum, &value), 0);
  return value;
}

}  // namespace

TEST(FormatRequest, WorkedExamples) {
  EXPECT_EQ(Request(1, 0x01, 0x0C, 0, 671, 168), "01FF010C00A800");  // Gain Level, width 2
  EXPECT_EQ(Request(1, 0x01, 0x04, 0, 3, 2), "01FF0104020000");      // Trigger Mode, width 1
  EXPECT_EQ(Request(1, 0x81, 0x0C, 0, 671, 0), "01FF810C000000");
}

TEST(FormatRequest, CommonAreaIsHighByteFirstAndLeftAligned) {
  EXPECT_EQ(Request(1, 0x01, 0x20, 1, 1040, 1040), "01FF0120041000");
  EXPECT_EQ(Request(1, 0x01, 0x60, 0, 65535, 0x5C1D), "01FF01605C1D00");   // unlock word
  EXPECT_EQ(Request(1, 0x01, 0x1C, 0, 256, 100), "01FF011C006400");        // 0..256 is two bytes wide
  EXPECT_EQ(Request(1, 0x01, 0x40, 0, 0x10000, 0x123456), "01FF0140123456");  // width 3
  EXPECT_EQ(Request(1, 0x01, 0x40, 0x10000, 0, 0x010203), "01FF0140010203");  // the minimum counts too
  EXPECT_EQ(Request(1, 0x01, 0x40, 0, 671, 0x12345), "01FF0140234500");    // width 2 sends the low 16 bits
  EXPECT_EQ(Request(1, 0x01, 0x40, 0, 255, 0x1234), "01FF0140341200");     // width 1 is not re-ordered
}

TEST(FormatRequest, OtherAreasAreLowByteFirst) {
  EXPECT_EQ(Request(1, 0x10, 0x00, 0, 65535, 0x4241), "01FF1000414200");
  EXPECT_EQ(Request(0, 0x03, 0x7F, 0, 0x10000, 0x123456), "00FF037F563412");
  // Only the low eight bits of mode, fixed byte, area and address are used.
  char text[Framing::FrameBufferSize];
  EXPECT_STREQ(CameraPort::FormatRequest(text, 0x101, 0x1FF, 0x181, 0x20C, 0, 3, 1), "01FF810C010000");
}

TEST(ReadParameter, DecodesDataBytesByAreaAndWidth) {
  EXPECT_EQ(ReadBack("00A800", 0x81, 0, 671), 168);
  EXPECT_EQ(ReadBack("00A800", 0x90, 0, 65535), 43008);
  EXPECT_EQ(ReadBack("050000", 0x81, 0, 255), 5);
  EXPECT_EQ(ReadBack("000005", 0x81, 0, 255), 327680);
  EXPECT_EQ(ReadBack("00A8FF", 0x81, 0, 671), 168) << "width 2 ignores the third byte";
  EXPECT_EQ(ReadBack("123456", 0x81, 0, 0x10000), 0x123456);
  EXPECT_EQ(ReadBack("414200", 0x90, 0, 65535), 0x4241);
}

TEST(ReadParameter, RoundTripsEveryWidth) {
  struct Row {
    int area;
    int32_t minimum, maximum, value;
  } rows[] = {{0x01, 0, 3, 2}, {0x01, 0, 671, 671}, {0x01, 1, 1040, 1040}, {0x01, 0, 0x10000, 0xABCDEF},
              {0x10, 0, 65535, 0x3231}, {0x03, 0, 255, 0x7F}};
  for (const auto& row : rows) {
    MemoryLink link;
    link.Open();
    ASSERT_EQ(link.port->WriteParameter(1, 0xFF, 0x01, 0x60, 0, 65535, 0x5C1D), 0);  // information words need it
    ASSERT_EQ(link.port->WriteParameter(1, 0xFF, row.area, 0x21, row.minimum, row.maximum, row.value), 0);
    int32_t value = -1;
    ASSERT_EQ(link.port->ReadParameter(1, 0xFF, row.area | 0x80, 0x21, row.minimum, row.maximum, &value), 0);
    EXPECT_EQ(value, row.value) << "area " << row.area << " max " << row.maximum;
  }
}
