// The production serial device on Windows: a COM port's handle, its device control block and time-outs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"

class ComDevice final : public SerialDevice {
 public:
  explicit ComDevice(const Clock& clock) : clock_(clock) {}
  ~ComDevice() override;

  bool Open(const std::string& path) override;
  int OpenError() const override { return openError_; }
  bool Configure(const LineSettings& settings) override;
  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
  void Close() override;
  int ReadAvailable(uint8_t* buffer, int count) override;
  void WaitReadable(int64_t deadlineMs) override;
  int Write(const uint8_t* data, int count, int64_t deadlineMs) override;
  bool Discard(bool input, bool output) override;
  uint32_t TakeLineErrors() override;

 private:
  // Applies the time-out record when it differs from the one the driver has.
  bool ApplyTimeouts(DWORD interval, DWORD perByte, DWORD constant, DWORD writeConstant);
  // Moves ClearCommError's flags into pendingErrors_; the bytes waiting in the input queue.
  DWORD CollectErrors();
  int64_t MsUntil(int64_t deadlineMs) const;

  const Clock& clock_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  int openError_ = 0;
  uint32_t pendingErrors_ = 0;
  COMMTIMEOUTS timeouts_{};
  bool timeoutsKnown_ = false;
  // A byte the wait for input has taken from the driver; the next read hands it out first.
  bool hasEarly_ = false;
  uint8_t early_ = 0;
};
