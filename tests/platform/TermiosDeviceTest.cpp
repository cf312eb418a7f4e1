// The termios twin on a pseudo-terminal: each line format as termios flags, codes it has no flags
// for refused, and a wait that leaves the bytes it saw for the read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "platform/SystemSerialDevice.h"

namespace {

class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) name_ = ptsname(master_);
  }
  ~PseudoTerminal() {
    if (master_ >= 0) close(master_);
  }
  int Master() const { return master_; }
  const std::string& Name() const { return name_; }
  // The terminal's settings, read through the master: the terminal itself is held exclusively.
  termios Settings() const {
    termios tio{};
    (void)tcgetattr(master_, &tio);
    return tio;
  }

 private:
  int master_ = -1;
  std::string name_;
};

TEST(TermiosDevice, EachLineFormatBecomesItsTermiosFlags) {
  // A pseudo-terminal keeps every flag but PARENB, which it clears; the parity check on input
  // (INPCK) shows whether parity is on.
  struct Case {
    int stopBits;
    int parity;
    tcflag_t flags;  // of PARODD, CMSPAR, CSTOPB
    bool checked;
  };
  const Case cases[] = {
      {0, 0, 0, false},
      {0, 1, PARODD, true},
      {0, 2, 0, true},
      {0, 3, PARODD | CMSPAR, true},
      {0, 4, CMSPAR, true},
      {1, 0, CSTOPB, false},  // Linux sends one and a half for two at five data bits
      {2, 2, CSTOPB, true},
  };
  PseudoTerminal terminal;
  ASSERT_FALSE(terminal.Name().empty());
  MonotonicClock& clock = MonotonicClock::Instance();
  for (const Case& c : cases) {
    const auto device = NewSystemSerialDevice(clock);
    ASSERT_TRUE(device->Open(terminal.Name()));
    EXPECT_TRUE(device->Configure(LineSettingsFromCodes(9600, 8, c.stopBits, c.parity)));
    const termios settings = terminal.Settings();
    const std::string format = "stop bits " + std::to_string(c.stopBits) + ", parity " + std::to_string(c.parity);
    EXPECT_EQ(settings.c_cflag & (PARODD | CMSPAR | CSTOPB), c.flags) << format;
    EXPECT_EQ((settings.c_iflag & INPCK) != 0, c.checked) << format;
    device->Close();
  }
}

TEST(TermiosDevice, CodesOutsideTheListsAreRefused) {
  PseudoTerminal terminal;
  ASSERT_FALSE(terminal.Name().empty());
  const auto device = NewSystemSerialDevice(MonotonicClock::Instance());
  ASSERT_TRUE(device->Open(terminal.Name()));
  for (const auto& [stopBits, parity] : {std::pair{3, 0}, {-1, 0}, {0, 5}, {0, -1}}) {
    EXPECT_FALSE(device->Configure(LineSettingsFromCodes(9600, 8, stopBits, parity)))
        << "stop bits " << stopBits << ", parity " << parity;
  }
  EXPECT_TRUE(device->Configure(LineSettingsFromCodes(9600, 8, 0, 0)));
}

TEST(TermiosDevice, AWaitLeavesTheBytesItSawForTheRead) {
  PseudoTerminal terminal;
  ASSERT_FALSE(terminal.Name().empty());
  MonotonicClock& clock = MonotonicClock::Instance();
  const auto device = NewSystemSerialDevice(clock);
  ASSERT_TRUE(device->Open(terminal.Name()));
  ASSERT_TRUE(device->Configure(LineSettings{}));
  ASSERT_EQ(write(terminal.Master(), "ACK", 3), 3);
  const int64_t startMs = clock.NowMs();
  device->WaitReadable(startMs + 5000);
  EXPECT_LT(clock.NowMs() - startMs, 1000);
  uint8_t buffer[8] = {};
  EXPECT_EQ(device->ReadAvailable(buffer, sizeof buffer), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer), 3), "ACK");
}

}  // namespace
