// The simulated camera's own behaviour, driven through the port so requests are real frames.
#include <gtest/gtest.h>

#include "support/MemoryLink.h"

namespace {

class SimulatedCamera : public ::testing::Test {
 protected:
  void SetUp() override { link.Open(); }

  int32_t Read(int mode, int area, int address, int32_t maximum = 255) {
    int32_t value = -1;
    int32_t r = link.port->ReadParameter(mode, 0xFF, area, address, 0, maximum, &value);
    return r < 0 ? r : value;
  }
  int32_t Write(int area, int address, int32_t value, int32_t maximum = 255) {
    return link.port->WriteParameter(1, 0xFF, area, address, 0, maximum, value);
  }
  std::string InfoText(int firstAddress, int words) {
    std::string text;
    for (int a = firstAddress; a < firstAddress + words; ++a) {
      int32_t v = Read(1, 0x90, a, 65535);
      for (int32_t c : {v & 0xFF, (v >> 8) & 0xFF}) {
        if (c != 0) text += static_cast<char>(c);
      }
    }
    return text;
  }

  MemoryLink link;
};

}  // namespace

TEST_F(SimulatedCamera, StartsWithTheParameterDefaults) {
  EXPECT_EQ(Read(1, 0x81, 0x0C, 671), 168);
  EXPECT_EQ(Read(1, 0x81, 0x11, 1536), 834);
  EXPECT_EQ(Read(1, 0x81, 0x1C, 256), 100);
  EXPECT_EQ(Read(1, 0x81, 0x20, 1040), 1040);
  EXPECT_EQ(Read(1, 0x81, 0x4C), 20);
  EXPECT_EQ(Read(1, 0x81, 0x77), 176);
  EXPECT_EQ(Read(0, 0x81, 0x15), 1);
}

TEST_F(SimulatedCamera, ReportsItsIdentity) {
  EXPECT_EQ(InfoText(0x00, 8), "NORVANE IMAGING");
  EXPECT_EQ(InfoText(0x08, 8), "VQ-R310NTX");
  EXPECT_EQ(InfoText(0x10, 4), "1234567");
  EXPECT_EQ(InfoText(0x14, 2), "1000");
}

TEST_F(SimulatedCamera, WorkingRegisterWritesDoNotChangeStoredSettings) {
  char reply[Framing::FrameBufferSize];
  ASSERT_EQ(link.port->SendFrame("00FF0308AB0000"), 0);
  ASSERT_EQ(link.port->Transact("00FF8308000000", reply), 6);
  EXPECT_STREQ(reply, "AB0000");
  ASSERT_EQ(link.port->Transact("01FF8308000000", reply), 6);
  EXPECT_STREQ(reply, "000000");
}

TEST_F(SimulatedCamera, FactorySetBusyThenDefaults) {
  link.camera.SetFactoryBusyReads(2);
  ASSERT_EQ(Write(0x01, 0x0C, 300, 671), 0);
  ASSERT_EQ(Write(0x01, 0x45, 1), 0);
  EXPECT_EQ(Read(1, 0x81, 0x45), 1);
  EXPECT_EQ(Read(1, 0x81, 0x45), 1);
  EXPECT_EQ(Read(1, 0x81, 0x0C, 671), 300);
  EXPECT_EQ(Read(1, 0x81, 0x45), 0);
  EXPECT_EQ(Read(1, 0x81, 0x0C, 671), 168);
}

TEST_F(SimulatedCamera, WhiteSpotDetectionRunsThenListsSpots) {
  link.camera.SetDetection(2, 0);
  link.camera.SetSpots({{10, 20}, {300, 5}});
  ASSERT_EQ(Write(0x01, 0x4D, 1), 0);
  EXPECT_EQ(Read(0, 0x81, 0x4D), 1);
  EXPECT_EQ(Read(0, 0x81, 0x4D), 1);
  EXPECT_EQ(Read(0, 0x81, 0x4D), 0);
  char reply[Framing::FrameBufferSize];
  const char* expected[] = {"000A00", "001400", "012C00", "000500", "FFFF00"};
  for (int address = 0; address < 5; ++address) {
    char text[16];
    std::snprintf(text, sizeof text, "00FF91%02X000000", address);
    ASSERT_EQ(link.port->Transact(text, reply), 6);
    EXPECT_STREQ(reply, expected[address]) << address;
  }
}

TEST_F(SimulatedCamera, DetectionOutcomesOtherThanFinished) {
  for (int outcome : {2, 3}) {
    link.camera.SetDetection(0, outcome);
    ASSERT_EQ(Write(0x01, 0x4D, 1), 0);
    EXPECT_EQ(Read(0, 0x81, 0x4D), outcome);
  }
}

TEST_F(SimulatedCamera, InformationWordsTakeWritesOnlyAfterTheUnlock) {
  // Acknowledged all the same, so a writer that forgot the unlock learns nothing from the handshake.
  EXPECT_EQ(Write(0x10, 0x10, 0x3837, 65535), 0);
  EXPECT_EQ(Read(1, 0x90, 0x10, 65535), 0x3231);
  EXPECT_EQ(link.port->SendFrame("01FF01601D5C00"), 0) << "the value's bytes the wrong way round";
  EXPECT_FALSE(link.camera.Unlocked());
  ASSERT_EQ(link.port->SendFrame("00FF01605C1D00"), 0);
  EXPECT_TRUE(link.camera.Unlocked());
  EXPECT_EQ(Write(0x10, 0x10, 0x3837, 65535), 0);
  EXPECT_EQ(Read(1, 0x90, 0x10, 65535), 0x3837);
  // The unlock holds until power-down, whatever is written there next.
  ASSERT_EQ(link.port->SendFrame("01FF0160000000"), 0);
  EXPECT_EQ(Write(0x10, 0x11, 0x3039, 65535), 0);
  EXPECT_EQ(Read(1, 0x90, 0x11, 65535), 0x3039);
}

TEST_F(SimulatedCamera, RefusesFramesThatAreNotRequests) {
  EXPECT_EQ(link.port->SendFrame("HELLO"), -CommError::UnexpectedCharacter);
  EXPECT_TRUE(link.camera.Requests().empty());
}

TEST_F(SimulatedCamera, PacesItsBytesAtTheLineSpeed) {
  link.camera.SetBaudRate(9600);
  int32_t value = -1;
  ASSERT_EQ(link.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  // ENQ, ACK, 18-byte frame, ACK, 10-byte reply, ACK: 32 bytes of 10 bits, after the fresh port
  // has found the line quiet.
  const int64_t settleUs = (SerialTransport::FreshLineTimeMs(9600) + 1) * 1000;
  EXPECT_NEAR(link.clock.NowUs(), settleUs + 32 * 1041, 32);
}
