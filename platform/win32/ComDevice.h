// The production serial device on Windows: a COM port's handle, its device control block and time-outs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"

class ComDevice final : public SerialDevice {
 public:
  explicit ComDevice(Clock& clock) : clock_(clock) {}
  ~ComDevice() override;

  bool Open(const std::string& path) override;
  int OpenError() const override { return openError_; }
  bool Configure(const LineSettings& settings) override;
  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
  // The latency timer is the driver's setting, an administrator's to change: it is read, not asked.
  SerialDeviceFacts Facts() const override;
  void Close() override;
  int ReadAvailable(uint8_t* buffer, int count) override;
  void WaitReadable(int64_t deadlineMs) override;
  int Write(const uint8_t* data, int count, int64_t deadlineMs) override;
  bool Discard(bool input, bool output) override;
  uint32_t TakeLineErrors() override;

 private:
  // Reads always return at once with what has arrived; writes give up after writeLimitMs. Sets the
  // record only when it differs from the one the driver has.
  bool ApplyTimeouts(DWORD writeLimitMs);
  // Moves ClearCommError's flags into pendingErrors_ and tells how many bytes wait in the input
  // queue; false when the call failed (the device is gone or in error).
  bool CollectErrors(DWORD& queued);
  void RestoreSettings();

  // The waits sleep on it.
  Clock& clock_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::string path_;
  int openError_ = 0;
  uint32_t pendingErrors_ = 0;
  COMMTIMEOUTS timeouts_{};
  bool timeoutsKnown_ = false;
  // The port's own settings, given back when it is closed, so that the next program finds the port
  // as we did.
  bool hasSaved_ = false;
  DCB savedState_{};
  COMMTIMEOUTS savedTimeouts_{};
};
