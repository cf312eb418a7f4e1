// The line over a serial device: deadlines per byte on the port's clock, line errors as codes.
#pragma once

#include <memory>
#include <string>

#include "link/Transport.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"

class SerialTransport final : public Transport {
 public:
  SerialTransport(std::unique_ptr<SerialDevice> device, Clock& clock, LineWaits& waits);

  // Opens the device and sets its line format. CannotOpenPort (OpenError() says why) leaves it
  // closed; a refused line format leaves it open, with the code its line errors give.
  CommError Open(const std::string& path, const LineSettings& settings);
  int OpenError() const { return device_->OpenError(); }
  SerialDeviceFacts Facts() const { return device_->Facts(); }

  bool IsOpen() const override { return device_->IsOpen(); }
  Transfer Write(const uint8_t* data, int32_t count, int32_t timeoutMs) override;
  Transfer Read(uint8_t* buffer, int32_t count, int32_t timeoutMs) override;
  CommError Purge(bool input, bool output) override;
  void DropUntilQuiet(QuietSpan span, int64_t limitMs) override;
  void Close() override;

  static CommError ErrorFromLineStatus(uint32_t flags);
  // How long the line must stay quiet before a repeated attempt, at a baud rate (0: no pacing).
  static int32_t QuietTimeMs(int32_t baudRate);
  // How long it must stay quiet before a first request or a repeated ENQ: a few byte times.
  static int32_t SettleTimeMs(int32_t baudRate);
  // How long it must be quiet before a port's first request: the longest request frame and a byte.
  static int32_t FreshLineTimeMs(int32_t baudRate);

 private:
  CommError LineErrors() { return ErrorFromLineStatus(device_->TakeLineErrors()); }
  // Waits for input until deadlineMs, in slices that let the watcher see time pass.
  void WaitForInput(int64_t deadlineMs);

  std::unique_ptr<SerialDevice> device_;
  Clock& clock_;
  LineWaits& waits_;
  int32_t baudRate_ = 0;
  // A write ran out of time with bytes still in the output queue. Only those may be discarded: bytes
  // a write handed over completely are on their way, and a purge must not take them off the line
  // (on a pseudo-terminal it would, before the far end has read them).
  bool outputLeftBehind_ = false;
};
