// What both systems' serial devices share: the line format from the port's codes, the deadline
// rule, and a closed device that refuses and waits the whole last millisecond out.
#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/Deadline.h"
#include "platform/SerialDevice.h"
#include "platform/SystemSerialDevice.h"

TEST(SerialLine, TheCallersCodesNameTheLineFormat) {
  const struct {
    int stopBits, parity;
    StopBits wantStopBits;
    Parity wantParity;
  } cases[] = {{0, 0, StopBits::One, Parity::None}, {1, 1, StopBits::OneAndHalf, Parity::Odd},
               {2, 2, StopBits::Two, Parity::Even}, {0, 3, StopBits::One, Parity::Mark},
               {0, 4, StopBits::One, Parity::Space}};
  for (const auto& c : cases) {
    const LineSettings settings = LineSettingsFromCodes(115200, 7, c.stopBits, c.parity);
    EXPECT_EQ(settings.baudRate, 115200);
    EXPECT_EQ(settings.byteSize, 7);
    EXPECT_EQ(settings.stopBits, c.wantStopBits) << c.stopBits;
    EXPECT_EQ(settings.parity, c.wantParity) << c.parity;
  }
}

TEST(SerialLine, ADeadlineLastsUntilTheMillisecondClockReadsPastIt) {
  const struct {
    int64_t deadlineMs, nowUs, usLeft, msLeft;
  } cases[] = {{5, 0, 6000, 6}, {5, 4999, 1001, 2}, {5, 5000, 1000, 1},  // reached, not passed
               {5, 5999, 1, 1}, {5, 6000, 0, 0},    {5, 9000, 0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(Deadline::UsUntilPast(c.deadlineMs, c.nowUs), c.usLeft) << c.nowUs;
    EXPECT_EQ(Deadline::MsUntilPast(c.deadlineMs, c.nowUs), c.msLeft) << c.nowUs;
  }
}

TEST(SerialLine, AClosedSystemDeviceRefusesAndWaitsOutTheWholeLastMillisecond) {
  for (const auto& [startUs, endUs] : {std::pair{0, 6000}, {5000, 6000}, {5999, 6000}, {6500, 6500}}) {
    VirtualClock clock;
    clock.AdvanceTo(startUs);
    const auto device = NewSystemSerialDevice(clock);
    device->WaitReadable(5);
    EXPECT_EQ(clock.NowUs(), endUs) << "from " << startUs;
    uint8_t byte = 0;
    EXPECT_FALSE(device->Configure(LineSettings{}));
    EXPECT_EQ(device->ReadAvailable(&byte, 1), -1);
    EXPECT_EQ(device->Write(&byte, 1, 10), -1);
  }
}
