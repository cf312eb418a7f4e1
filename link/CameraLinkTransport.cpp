// Moving bytes through the grabber's library: counts as the library gives them, short reads as time-outs.
#include "link/CameraLinkTransport.h"

#include "link/ExchangeTimeouts.h"

CameraLinkTransport::Opening CameraLinkTransport::Open(const std::string& libraryPath, uint32_t serialIndex) {
  if (!library_.Load(libraryPath)) return Opening::NotLoaded;
  const int32_t init = library_.InitChannel(serialIndex, ChannelCallWaiting());
  if (init == CameraLinkLibrary::PortInUse) return Opening::PortInUse;
  return init == 0 ? Opening::Opened : Opening::BoardFailed;
}

Transfer CameraLinkTransport::Write(const uint8_t* data, int32_t count, int32_t timeoutMs) {
  const auto written = static_cast<int32_t>(
      library_.Write(data, static_cast<uint32_t>(count), static_cast<uint32_t>(timeoutMs), TransferWaiting()));
  waits_.Traced(true, data, written);
  // The library's count is the whole answer; only a call that never came back leaves a reason.
  return {written, Lost() ? CommError::Timeout : CommError::NoError};
}

Transfer CameraLinkTransport::Read(uint8_t* buffer, int32_t count, int32_t timeoutMs) {
  const auto got = static_cast<int32_t>(
      library_.Read(buffer, static_cast<uint32_t>(count), static_cast<uint32_t>(timeoutMs), TransferWaiting()));
  waits_.Traced(false, buffer, got);
  if (got == count) return {count};
  return {got, CommError::Timeout};
}

// No line speed to go by: the grabber's business. A fixed quiet time stands in for each span.
void CameraLinkTransport::DropUntilQuiet(QuietSpan span, int64_t limitMs) {
  if (waits_.StopRequested() || !library_.ChannelOpen()) return;
  const uint32_t quietMs =
      span == QuietSpan::ReplyFrame ? ExchangeTimeouts::CameraLinkQuiet : ExchangeTimeouts::CameraLinkSettle;
  const int64_t limit = clock_.NowMs() + limitMs;
  uint8_t byte = 0;
  while (clock_.NowMs() <= limit && !waits_.StopRequested() &&
         library_.Read(&byte, 1, quietMs, TransferWaiting()) == 1) {
    waits_.Traced(false, &byte, 1);
  }
}

CameraLinkLibrary::Waiting CameraLinkTransport::TransferWaiting() {
  if (!waits_.Watched()) return {};
  return [this] {
    waits_.SliceWaited();
    return !waits_.AbandonBlockedCalls();
  };
}

CameraLinkLibrary::Waiting CameraLinkTransport::ChannelCallWaiting() {
  if (!waits_.Watched()) return {};
  return [this] {
    waits_.SliceWaited();
    return !waits_.StopRequested() && !waits_.AbandonBlockedCalls();
  };
}
