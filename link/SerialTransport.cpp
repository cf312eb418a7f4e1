// Reading and writing a serial device against deadlines, discarding, and waiting for a quiet line.
#include "link/SerialTransport.h"

#include <algorithm>

#include "link/ExchangeTimeouts.h"
#include "link/Framing.h"
#include "link/WaitObserver.h"
#include "platform/LineStatus.h"

SerialTransport::SerialTransport(std::unique_ptr<SerialDevice> device, Clock& clock, LineWaits& waits)
    : device_(std::move(device)), clock_(clock), waits_(waits) {}

CommError SerialTransport::Open(const std::string& path, const LineSettings& settings) {
  baudRate_ = settings.baudRate;
  if (!device_->Open(path)) return CommError::CannotOpenPort;
  // An adapter that passes bytes on only at its latency timer would add its period to every
  // turn-around; a device without the setting is used as it is.
  (void)device_->AskLowLatency();
  if (!device_->Configure(settings)) return LineErrors();
  return CommError::NoError;
}

Transfer SerialTransport::Write(const uint8_t* data, int32_t count, int32_t timeoutMs) {
  const int64_t deadline = clock_.NowMs() + static_cast<int64_t>(count) * timeoutMs;
  const int written = device_->Write(data, count, deadline);
  waits_.Traced(true, data, written);
  if (written < 0) {
    device_->Discard(false, true);
    outputLeftBehind_ = false;
    return {0, LineErrors()};
  }
  // A write cut short by its deadline would otherwise leave no reason behind, and a later
  // pass-through report could then read as success.
  if (written < count) {
    outputLeftBehind_ = true;
    return {written, CommError::Timeout};
  }
  return {written};
}

Transfer SerialTransport::Read(uint8_t* buffer, int32_t count, int32_t timeoutMs) {
  const int64_t deadline = clock_.NowMs() + static_cast<int64_t>(count) * timeoutMs;
  int32_t got = 0;
  while (clock_.NowMs() <= deadline) {
    const int n = device_->ReadAvailable(buffer + got, count - got);
    if (n > 0) got += n;
    if (got == count) {
      waits_.Traced(false, buffer, got);
      return {count};
    }
    WaitForInput(deadline);
    if (waits_.StopRequested()) {
      waits_.Traced(false, buffer, got);
      return {got, CommError::Timeout, true};
    }
  }
  waits_.Traced(false, buffer, got);
  device_->Discard(true, false);
  return {got, LineErrors()};
}

void SerialTransport::WaitForInput(int64_t deadlineMs) {
  if (!waits_.Watched()) return device_->WaitReadable(deadlineMs);
  device_->WaitReadable(std::min(deadlineMs, clock_.NowMs() + WaitObserver::SliceMs));
  waits_.SliceWaited();
}

CommError SerialTransport::Purge(bool input, bool output) {
  const bool discardOutput = output && outputLeftBehind_;
  if (!device_->Discard(input, discardOutput)) return CommError::PurgeFailure;
  if (discardOutput) outputLeftBehind_ = false;
  return CommError::NoError;
}

void SerialTransport::Close() {
  if (!device_->IsOpen()) return;
  // The last ACK may still be on its way: only what a write left behind is taken off the line.
  device_->Discard(true, outputLeftBehind_);
  outputLeftBehind_ = false;
  device_->Close();
}

void SerialTransport::DropUntilQuiet(QuietSpan span, int64_t limitMs) {
  if (waits_.StopRequested() || !device_->IsOpen()) return;
  const int64_t quietMs = span == QuietSpan::ReplyFrame ? QuietTimeMs(baudRate_)
                          : span == QuietSpan::FreshLine ? FreshLineTimeMs(baudRate_)
                                                         : SettleTimeMs(baudRate_);
  const int64_t limit = clock_.NowMs() + limitMs;
  int64_t lastByteMs = clock_.NowMs();
  for (;;) {
    uint8_t buffer[64];
    const int n = device_->ReadAvailable(buffer, sizeof buffer);
    const int64_t now = clock_.NowMs();
    if (n > 0) {
      waits_.Traced(false, buffer, n);
      lastByteMs = now;
    }
    const int64_t until = std::min(lastByteMs + quietMs, limit);
    // An unpaced line has nothing in flight: what is not there now is not coming.
    if ((quietMs <= 0 && n <= 0) || now > until || waits_.StopRequested()) return;
    if (n <= 0) WaitForInput(until);
  }
}

int32_t SerialTransport::QuietTimeMs(int32_t baudRate) {
  if (baudRate <= 0) return ExchangeTimeouts::QuietMargin;
  const int32_t frameMs = (Framing::ReplyFrameLength * 10 * 1000 + baudRate - 1) / baudRate;
  return frameMs + ExchangeTimeouts::QuietMargin;
}

int32_t SerialTransport::SettleTimeMs(int32_t baudRate) {
  if (baudRate <= 0) return 0;
  return (ExchangeTimeouts::SettleByteTimes * 10 * 1000 + baudRate - 1) / baudRate;
}

int32_t SerialTransport::FreshLineTimeMs(int32_t baudRate) {
  if (baudRate <= 0) return 0;
  return (ExchangeTimeouts::FreshLineByteTimes * 10 * 1000 + baudRate - 1) / baudRate;
}

CommError SerialTransport::ErrorFromLineStatus(uint32_t flags) {
  static constexpr struct {
    uint32_t flag;
    CommError code;
  } order[] = {
      {LineStatus::ModeError, CommError::ModeError},
      {LineStatus::Break, CommError::LineBreak},
      {LineStatus::Frame, CommError::Framing},
      {LineStatus::IoError, CommError::IoError},
      {LineStatus::Overrun, CommError::Overrun},
      {LineStatus::ReceiveOverflow, CommError::ReceiveBufferFull},
      {LineStatus::Parity, CommError::Parity},
      {LineStatus::TransmitFull, CommError::TransmitBufferFull},
      {LineStatus::DeviceNotSelected, CommError::ParallelUnselected},
      {LineStatus::DeviceTimeout, CommError::ParallelTimeout},
      {LineStatus::OutOfPaper, CommError::PaperEmpty},
  };
  for (const auto& row : order) {
    if (flags & row.flag) return row.code;
  }
  return CommError::Timeout;
}
