// The production serial device: a Linux terminal device driven through termios and poll(2).
#pragma once

#include <linux/serial.h>
#include <termios.h>

#include <cstdint>
#include <string>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"

class TermiosDevice final : public SerialDevice {
 public:
  explicit TermiosDevice(Clock& clock) : clock_(clock) {}
  ~TermiosDevice() override;

  bool Open(const std::string& path) override;
  int OpenError() const override { return openError_; }
  bool Configure(const LineSettings& settings) override;
  bool IsOpen() const override { return fd_ >= 0; }
  bool AskLowLatency() override;
  SerialDeviceFacts Facts() const override;
  void Close() override;
  int ReadAvailable(uint8_t* buffer, int count) override;
  void WaitReadable(int64_t deadlineMs) override;
  int Write(const uint8_t* data, int count, int64_t deadlineMs) override;
  bool Discard(bool input, bool output) override;
  uint32_t TakeLineErrors() override;

 private:
  int openError_ = 0;
  // The driver's cumulative line-error counts; only differences between two readings matter.
  struct ErrorCounts {
    int brk = 0;
    int frame = 0;
    int overrun = 0;
    int bufferOverrun = 0;
    int parity = 0;
  };

  bool ReadCounts(ErrorCounts& counts) const;
  // Microseconds until the clock has passed deadlineMs; 0 once it has.
  int64_t UsUntilPast(int64_t deadlineMs) const;
  // Sleeps in the kernel for at most maxUs, waking early when fd shows one of events; returns revents.
  short PollFor(short events, int64_t maxUs) const;
  int WaitDrained(int accepted, int64_t deadlineMs);

  // Sleeps that wait for nothing but the time run on it.
  Clock& clock_;
  int fd_ = -1;
  int baudRate_ = 9600;
  uint32_t pendingErrors_ = 0;
  bool hasCounts_ = false;
  ErrorCounts lastCounts_;
  // The terminal's own settings, given back when it is closed: a terminal of the user's (/dev/tty)
  // must not be left raw at the camera's speed.
  bool hasSaved_ = false;
  termios saved_{};
  // The driver's serial flags before low latency was asked for; given back at close.
  bool hasSavedSerial_ = false;
  serial_struct savedSerial_{};
  std::string path_;
};
