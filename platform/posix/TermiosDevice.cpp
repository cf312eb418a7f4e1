// Drives a Linux terminal device for the port: exclusive open, raw 8N1-style setup, sleeping waits.
#include "platform/posix/TermiosDevice.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/Deadline.h"
#include "platform/LineStatus.h"
#include "platform/StopSignals.h"
#include "platform/SystemSerialDevice.h"
#include "platform/posix/TtySysfs.h"

namespace {

// Drain waits sleep at least this long, so a queue that empties slower than estimated never makes us spin.
constexpr int64_t MinDrainSleepUs = 200;

speed_t SpeedCode(int baudRate) {
  switch (baudRate) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 134: return B134;
    case 150: return B150;
    case 200: return B200;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 500000: return B500000;
    case 576000: return B576000;
    case 921600: return B921600;
    case 1000000: return B1000000;
    case 1152000: return B1152000;
    case 1500000: return B1500000;
    case 2000000: return B2000000;
    case 2500000: return B2500000;
    case 3000000: return B3000000;
    case 3500000: return B3500000;
    case 4000000: return B4000000;
    default: return B0;
  }
}

bool SetCharacterSize(termios& tio, int byteSize) {
  tio.c_cflag &= ~CSIZE;
  switch (byteSize) {
    case 5: tio.c_cflag |= CS5; return true;
    case 6: tio.c_cflag |= CS6; return true;
    case 7: tio.c_cflag |= CS7; return true;
    case 8: tio.c_cflag |= CS8; return true;
    default: return false;
  }
}

// The termios flags for a parity; false for a value termios has none for.
bool ParityFlags(Parity parity, tcflag_t& flags) {
  switch (parity) {
    case Parity::None: flags = 0; return true;
    case Parity::Odd: flags = PARENB | PARODD; return true;
    case Parity::Even: flags = PARENB; return true;
    case Parity::Mark: flags = PARENB | PARODD | CMSPAR; return true;
    case Parity::Space: flags = PARENB | CMSPAR; return true;
  }
  return false;
}

bool SetParity(termios& tio, Parity parity) {
  tcflag_t flags = 0;
  if (!ParityFlags(parity, flags)) return false;
  tio.c_cflag = (tio.c_cflag & ~(PARENB | PARODD | CMSPAR)) | flags;
  tio.c_iflag = flags != 0 ? tio.c_iflag | INPCK : tio.c_iflag & ~INPCK;
  return true;
}

// Linux has no one-and-a-half stop bits; the UART sends that for two stop bits at five data bits.
bool SetStopBits(termios& tio, StopBits stopBits) {
  switch (stopBits) {
    case StopBits::One: tio.c_cflag &= ~CSTOPB; return true;
    case StopBits::OneAndHalf:
    case StopBits::Two: tio.c_cflag |= CSTOPB; return true;
  }
  return false;
}

timespec ToTimespec(int64_t us) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(us / 1000000);
  ts.tv_nsec = static_cast<long>((us % 1000000) * 1000);
  return ts;
}

}  // namespace

TermiosDevice::~TermiosDevice() { Close(); }

bool TermiosDevice::Open(const std::string& path) {
  Close();
  openError_ = 0;
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    openError_ = errno;
    return false;
  }
  // Held before exclusive mode is set, so a stop signal from here on clears it again.
  StopSignals::HoldPort(fd);
  // TIOCEXCL keeps other users out but not root, so the lock is what makes a held port unopenable for all.
  if (::ioctl(fd, TIOCEXCL) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    // A lock held elsewhere says EWOULDBLOCK; the user hears that the device is busy.
    openError_ = errno == EWOULDBLOCK ? EBUSY : errno;
    StopSignals::ReleasePort(fd);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  path_ = path;
  pendingErrors_ = 0;
  hasCounts_ = ReadCounts(lastCounts_);
  hasSaved_ = ::tcgetattr(fd, &saved_) == 0;
  return true;
}

bool TermiosDevice::Configure(const LineSettings& settings) {
  if (fd_ < 0) return false;
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return false;
  ::cfmakeraw(&tio);
  speed_t speed = SpeedCode(settings.baudRate);
  if (speed == B0 || !SetCharacterSize(tio, settings.byteSize) || !SetParity(tio, settings.parity) ||
      !SetStopBits(tio, settings.stopBits)) {
    return false;
  }
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~CRTSCTS;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) return false;
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
  baudRate_ = settings.baudRate;
  // Pseudo-terminals have no modem lines and refuse this; the line works without it there.
  int lines = TIOCM_DTR | TIOCM_RTS;
  (void)::ioctl(fd_, TIOCMBIS, &lines);
  return true;
}

bool TermiosDevice::AskLowLatency() {
  serial_struct serial{};
  // Pseudo-terminals and many drivers know no serial flags; a user may not change them on some.
  if (fd_ < 0 || ::ioctl(fd_, TIOCGSERIAL, &serial) != 0) return false;
  if (serial.flags & ASYNC_LOW_LATENCY) return true;
  const serial_struct own = serial;
  serial.flags |= ASYNC_LOW_LATENCY;
  if (::ioctl(fd_, TIOCSSERIAL, &serial) != 0) return false;
  hasSavedSerial_ = true;
  savedSerial_ = own;
  return true;
}

SerialDeviceFacts TermiosDevice::Facts() const {
  if (fd_ < 0) return {};
  SerialDeviceFacts facts = TtySysfs::Facts(path_);
  serial_struct serial{};
  if (::ioctl(fd_, TIOCGSERIAL, &serial) == 0) {
    facts.lowLatency = (serial.flags & ASYNC_LOW_LATENCY) ? SerialDeviceFacts::LowLatency::On
                                                          : SerialDeviceFacts::LowLatency::Off;
  }
  return facts;
}

void TermiosDevice::Close() {
  if (fd_ < 0) return;
  if (hasSavedSerial_) (void)::ioctl(fd_, TIOCSSERIAL, &savedSerial_);
  hasSavedSerial_ = false;
  // Once the last bytes have left: the queue may read empty while a UART still shifts them out, and
  // a change of speed under them would spoil the last ACK.
  if (hasSaved_) (void)::tcsetattr(fd_, TCSADRAIN, &saved_);
  hasSaved_ = false;
  // Exclusive mode outlives our descriptor while anyone else holds the terminal (the simulator does).
  (void)::ioctl(fd_, TIOCNXCL);
  StopSignals::ReleasePort(fd_);
  ::close(fd_);
  fd_ = -1;
}

int TermiosDevice::ReadAvailable(uint8_t* buffer, int count) {
  if (fd_ < 0) return -1;
  if (count <= 0) return 0;
  for (;;) {
    ssize_t n = ::read(fd_, buffer, static_cast<size_t>(count));
    if (n > 0) return static_cast<int>(n);
    // With VMIN and VTIME at 0 an empty queue reads as 0, and so does a hung-up terminal; the wait
    // tells the two apart.
    if (n == 0) return 0;
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return 0;
    if (errno == EIO) pendingErrors_ |= LineStatus::IoError;
    return -1;
  }
}

void TermiosDevice::WaitReadable(int64_t deadlineMs) {
  for (;;) {
    int64_t left = UsUntilPast(deadlineMs);
    if (left <= 0) return;
    if (fd_ < 0) return clock_.SleepUntilUs(Deadline::PastUs(deadlineMs));
    short events = PollFor(POLLIN, left);
    // A hung-up terminal (device gone, or the far end of a pseudo-terminal closed) polls as always
    // readable yet never delivers; waking on it would spin until the deadline.
    if (events & (POLLHUP | POLLERR | POLLNVAL)) {
      pendingErrors_ |= LineStatus::IoError;
      return clock_.SleepUntilUs(Deadline::PastUs(deadlineMs));
    }
    if (events & POLLIN) return;
  }
}

int TermiosDevice::Write(const uint8_t* data, int count, int64_t deadlineMs) {
  if (fd_ < 0) return -1;
  int accepted = 0;
  while (accepted < count) {
    ssize_t n = ::write(fd_, data + accepted, static_cast<size_t>(count - accepted));
    if (n > 0) {
      accepted += static_cast<int>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      if (errno == EIO) pendingErrors_ |= LineStatus::IoError;
      return -1;
    }
    int64_t left = UsUntilPast(deadlineMs);
    if (left <= 0) break;
    short events = PollFor(POLLOUT, left);
    if ((events & (POLLHUP | POLLERR | POLLNVAL)) && !(events & POLLOUT)) {
      clock_.SleepUntilUs(Deadline::PastUs(deadlineMs));
      break;
    }
  }
  return WaitDrained(accepted, deadlineMs);
}

int TermiosDevice::WaitDrained(int accepted, int64_t deadlineMs) {
  for (;;) {
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) return accepted;
    int64_t left = UsUntilPast(deadlineMs);
    if (left <= 0) return std::max(0, accepted - queued);
    int64_t estimate = static_cast<int64_t>(queued) * 10 * 1000000 / std::max(baudRate_, 1);
    clock_.SleepUntilUs(clock_.NowUs() + std::min(std::max(estimate, MinDrainSleepUs), left));
  }
}

bool TermiosDevice::Discard(bool input, bool output) {
  if (fd_ < 0) return false;
  if (!input && !output) return true;
  int queue = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
  return ::tcflush(fd_, queue) == 0;
}

uint32_t TermiosDevice::TakeLineErrors() {
  uint32_t flags = pendingErrors_;
  pendingErrors_ = 0;
  ErrorCounts now;
  if (fd_ >= 0 && hasCounts_ && ReadCounts(now)) {
    if (now.brk != lastCounts_.brk) flags |= LineStatus::Break;
    if (now.frame != lastCounts_.frame) flags |= LineStatus::Frame;
    if (now.overrun != lastCounts_.overrun) flags |= LineStatus::Overrun;
    if (now.bufferOverrun != lastCounts_.bufferOverrun) flags |= LineStatus::ReceiveOverflow;
    if (now.parity != lastCounts_.parity) flags |= LineStatus::Parity;
    lastCounts_ = now;
  }
  return flags;
}

bool TermiosDevice::ReadCounts(ErrorCounts& counts) const {
  serial_icounter_struct icount{};
  if (fd_ < 0 || ::ioctl(fd_, TIOCGICOUNT, &icount) != 0) return false;
  counts.brk = icount.brk;
  counts.frame = icount.frame;
  counts.overrun = icount.overrun;
  counts.bufferOverrun = icount.buf_overrun;
  counts.parity = icount.parity;
  return true;
}

int64_t TermiosDevice::UsUntilPast(int64_t deadlineMs) const {
  return Deadline::UsUntilPast(deadlineMs, clock_.NowUs());
}

short TermiosDevice::PollFor(short events, int64_t maxUs) const {
  pollfd pfd{fd_, events, 0};
  timespec timeout = ToTimespec(maxUs);
  if (::ppoll(&pfd, 1, &timeout, nullptr) <= 0) return 0;
  return pfd.revents;
}

std::unique_ptr<SerialDevice> NewSystemSerialDevice(Clock& clock) { return std::make_unique<TermiosDevice>(clock); }
