// The line over a frame grabber's Camera Link serial channel: each read and write is one library
// call on the channel's worker, with the exchange's time-out as the whole call's limit. The grabber
// keeps no purge and no line errors: a purge fails with "port not opened", as no serial port is open.
#pragma once

#include <string>

#include "link/CameraLinkLibrary.h"
#include "link/Transport.h"
#include "platform/Clock.h"

class CameraLinkTransport final : public Transport {
 public:
  CameraLinkTransport(Clock& clock, LineWaits& waits) : clock_(clock), library_(clock), waits_(waits) {}

  // NotLoaded: the library or one of its entry points is missing (LoadErrno(), LoadReason() say
  // why); PortInUse: another link of this process holds the board's port; BoardFailed: loaded, but
  // the board's port did not open, and the transport stays closed.
  enum class Opening { Opened, BoardFailed, PortInUse, NotLoaded };
  Opening Open(const std::string& libraryPath, uint32_t serialIndex);
  int LoadErrno() const { return library_.LoadErrno(); }
  const std::string& LoadReason() const { return library_.LoadReason(); }
  bool ChannelOpen() const { return library_.ChannelOpen(); }

  bool IsOpen() const override { return library_.ChannelOpen(); }
  Transfer Write(const uint8_t* data, int32_t count, int32_t timeoutMs) override;
  Transfer Read(uint8_t* buffer, int32_t count, int32_t timeoutMs) override;
  CommError Purge(bool, bool) override { return CommError::PortNotOpen; }
  void DropUntilQuiet(QuietSpan span, int64_t limitMs) override;
  void Close() override { library_.CloseChannel(ChannelCallWaiting()); }
  bool Lost() const override { return library_.Abandoned(); }

 private:
  // A read or write blocks as long as its time-out: the watcher hears from it meanwhile.
  CameraLinkLibrary::Waiting TransferWaiting();
  // Opening and closing a channel, which no time-out bounds: also given up on a stop.
  CameraLinkLibrary::Waiting ChannelCallWaiting();

  Clock& clock_;
  CameraLinkLibrary library_;
  LineWaits& waits_;
};
