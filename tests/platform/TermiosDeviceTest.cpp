// The termios twin's line formats on a pseudo-terminal, which keeps every flag but PARENB; the
// parity check on input (INPCK) shows whether parity is on. Each format follows another, so a flag
// the one before left behind shows.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "platform/SystemSerialDevice.h"

TEST(TermiosDevice, EachLineFormatBecomesItsTermiosFlagsAndUnknownCodesAreRefused) {
  const struct {
    int stopBits, parity;
    bool configured;
    tcflag_t flags;  // of PARODD, CMSPAR, CSTOPB
    bool checked;
  } cases[] = {{0, 0, true, 0, false},     {0, 1, true, PARODD, true},          {0, 2, true, 0, true},
               {0, 4, true, CMSPAR, true}, {0, 3, true, PARODD | CMSPAR, true},
               {1, 0, true, CSTOPB, false},  // one and a half: Linux sends it for two at five data bits
               {2, 2, true, CSTOPB, true}, {3, 0, false, 0, false},            {0, 5, false, 0, false},
               {-1, 0, false, 0, false},   {0, -1, false, 0, false}};
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
  const auto device = NewSystemSerialDevice(MonotonicClock::Instance());
  ASSERT_TRUE(device->Open(ptsname(master)));
  for (const auto& c : cases) {
    const std::string format = std::to_string(c.stopBits) + " " + std::to_string(c.parity);
    EXPECT_EQ(device->Configure(LineSettingsFromCodes(9600, 8, c.stopBits, c.parity)), c.configured) << format;
    termios settings{};
    ASSERT_EQ(tcgetattr(master, &settings), 0);  // the master reads the terminal's own
    if (!c.configured) continue;
    EXPECT_EQ(settings.c_cflag & (PARODD | CMSPAR | CSTOPB), c.flags) << format;
    EXPECT_EQ((settings.c_iflag & INPCK) != 0, c.checked) << format;
  }
  device->Close();
  close(master);
}

// A pseudo-terminal knows no serial flags: the low-latency request is refused, sysfs has nothing to
// tell, and the device carries bytes as before.
TEST(TermiosDevice, APseudoTerminalRefusesLowLatencyAndWorksAsBefore) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
  const auto device = NewSystemSerialDevice(MonotonicClock::Instance());
  ASSERT_TRUE(device->Open(ptsname(master)));
  EXPECT_FALSE(device->AskLowLatency());
  ASSERT_TRUE(device->Configure(LineSettingsFromCodes(115200, 8, 0, 0)));
  const SerialDeviceFacts facts = device->Facts();
  EXPECT_EQ(facts.lowLatency, SerialDeviceFacts::LowLatency::Unknown);
  EXPECT_EQ(facts.driver, "");
  EXPECT_EQ(facts.latencyTimerMs, -1);
  const uint8_t out[] = {0x05};
  EXPECT_EQ(device->Write(out, 1, MonotonicClock::Instance().NowMs() + 1000), 1);
  uint8_t in = 0;
  ASSERT_EQ(read(master, &in, 1), 1);
  EXPECT_EQ(in, 0x05);
  ASSERT_EQ(write(master, "\x06", 1), 1);
  device->WaitReadable(MonotonicClock::Instance().NowMs() + 1000);
  EXPECT_EQ(device->ReadAvailable(&in, 1), 1);
  EXPECT_EQ(in, 0x06);
  device->Close();
  close(master);
}
