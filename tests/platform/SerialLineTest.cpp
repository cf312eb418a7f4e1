// The serial interface both systems' devices share: the line format from the port's codes, the
// deadline rule, and what a system device does while it is closed.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/Clock.h"
#include "platform/Deadline.h"
#include "platform/SerialDevice.h"
#include "platform/SystemSerialDevice.h"

namespace {

TEST(SerialLine, TheCallersCodesNameTheLineFormat) {
  struct Case {
    int stopBits;
    int parity;
    StopBits wantStopBits;
    Parity wantParity;
  };
  const Case cases[] = {
      {0, 0, StopBits::One, Parity::None},  {1, 1, StopBits::OneAndHalf, Parity::Odd},
      {2, 2, StopBits::Two, Parity::Even},  {0, 3, StopBits::One, Parity::Mark},
      {0, 4, StopBits::One, Parity::Space},
  };
  for (const Case& c : cases) {
    const LineSettings settings = LineSettingsFromCodes(115200, 7, c.stopBits, c.parity);
    EXPECT_EQ(settings.baudRate, 115200);
    EXPECT_EQ(settings.byteSize, 7);
    EXPECT_EQ(settings.stopBits, c.wantStopBits) << c.stopBits;
    EXPECT_EQ(settings.parity, c.wantParity) << c.parity;
  }
}

TEST(SerialLine, ADeadlineLastsUntilTheMillisecondClockReadsPastIt) {
  struct Case {
    int64_t deadlineMs;
    int64_t nowUs;
    int64_t usLeft;
    int64_t msLeft;
  };
  const Case cases[] = {
      {5, 0, 6000, 6}, {5, 4999, 1001, 2}, {5, 5000, 1000, 1},  // reached, not passed
      {5, 5999, 1, 1}, {5, 6000, 0, 0},    {5, 9000, 0, 0},    {0, 0, 1000, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Deadline::UsUntilPast(c.deadlineMs, c.nowUs), c.usLeft) << c.deadlineMs << " at " << c.nowUs;
    EXPECT_EQ(Deadline::MsUntilPast(c.deadlineMs, c.nowUs), c.msLeft) << c.deadlineMs << " at " << c.nowUs;
  }
}

TEST(SerialLine, AClosedSystemDeviceRefusesAndWaitsOutTheWholeLastMillisecond) {
  VirtualClock clock;
  const auto device = NewSystemSerialDevice(clock);
  uint8_t byte = 0;
  EXPECT_FALSE(device->IsOpen());
  EXPECT_FALSE(device->Configure(LineSettings{}));
  EXPECT_EQ(device->ReadAvailable(&byte, 1), -1);
  EXPECT_EQ(device->Write(&byte, 1, 10), -1);
  EXPECT_FALSE(device->Discard(true, true));

  for (int64_t startUs : {0, 4999, 5000, 5999}) {
    VirtualClock waiting;
    waiting.AdvanceTo(startUs);
    NewSystemSerialDevice(waiting)->WaitReadable(5);
    EXPECT_EQ(waiting.NowUs(), 6000) << "from " << startUs;
  }
  VirtualClock late;
  late.AdvanceTo(6500);
  NewSystemSerialDevice(late)->WaitReadable(5);
  EXPECT_EQ(late.NowUs(), 6500) << "a deadline already passed";
}

}  // namespace
