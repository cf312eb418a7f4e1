// The one link to the camera: serial port or Camera Link channel, framing and the request/reply exchange.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/CameraLinkLibrary.h"
#include "platform/Clock.h"
#include "link/CommErrorState.h"
#include "link/OperatorOutput.h"
#include "platform/SerialDevice.h"
#include "link/WaitObserver.h"

namespace PurgeFlags {
inline constexpr uint32_t Transmit = 4;
inline constexpr uint32_t Receive = 8;
inline constexpr uint32_t Both = Transmit | Receive;
}  // namespace PurgeFlags

namespace ExchangeTimeouts {
inline constexpr int32_t Enquiry = 1000;      // ENQ write and the ACK that answers it
inline constexpr int32_t FrameWrite = 1000;   // the request frame, NAK and ACK writes
inline constexpr int32_t FrameAck = 3000;     // the ACK after a request frame
inline constexpr int32_t ReplyStart = 4000;   // each wait for the reply's STX
inline constexpr int32_t ReplyRest = 1000;    // the nine bytes after STX
// Before a request is repeated after bad or short replies, the line must have been quiet this much
// longer than one reply frame takes, so that a reply still on its way is not read as the next answer.
inline constexpr int32_t QuietMargin = 20;
// On a Camera Link channel the line's speed is the grabber's business: a fixed quiet time stands in.
inline constexpr int32_t CameraLinkQuiet = 25;
// Before a port's first request, and before the ENQ that follows a wrong answer to one, the line
// must have been quiet this many byte times: the tail of a reply to someone else's request (a run
// that was interrupted, a camera still repeating) would otherwise be read as the answer to our ENQ.
inline constexpr int32_t SettleByteTimes = 4;
inline constexpr int32_t CameraLinkSettle = 5;
// However long the camera keeps talking, one settling wait ends after this.
inline constexpr int32_t SettleLimit = 1000;
}  // namespace ExchangeTimeouts

class CameraPort : public virtual CommErrorState {
 public:
  // The production link: the system's serial device on the monotonic clock.
  CameraPort();
  CameraPort(std::unique_ptr<SerialDevice> device, Clock& clock);
  ~CameraPort() override;

  CameraPort(const CameraPort&) = delete;
  CameraPort& operator=(const CameraPort&) = delete;

  void SetOperatorOutput(OperatorOutput* output);

  // Sees every byte that goes out or comes in, on either transport; for diagnostics.
  using ByteTrace = std::function<void(bool sent, const uint8_t* bytes, int32_t count)>;
  void SetByteTrace(ByteTrace trace) { trace_ = std::move(trace); }
  // Where texts and boxes go; nowhere while a refused request unwinds, since nothing was sent.
  OperatorOutput& Operator() const;
  // Told while exchanges run and wait; none by default.
  void SetWaitObserver(WaitObserver* observer) { observer_ = observer; }
  // Whether an exchange is under way: the one place that says the line is taken.
  bool ExchangeRunning() const { return exchangeRunning_; }
  // Exchanges asked for while another ran, and refused: whatever asked, nothing reached the line.
  int RefusedExchanges() const { return refusedExchanges_; }

  // Request texts and value encoding.
  static char* FormatRequest(char* text, int mode, int fixed, int area, int address, int32_t minimum,
                             int32_t maximum, int32_t value);
  static int32_t OrderValue(int32_t value, int area, int32_t minimum, int32_t maximum);

  // Exchanges. Each refuses to start while another runs on this port (-CommErrors::Refused).
  int32_t SendFrame(std::string_view text);
  int32_t WaitAck(int32_t timeoutMs);
  int32_t Transact(std::string_view text, char* reply);
  int32_t WriteParameter(int mode, int fixed, int area, int address, int32_t minimum, int32_t maximum,
                         int32_t value);
  int32_t ReadParameter(int mode, int fixed, int area, int address, int32_t minimum, int32_t maximum,
                        int32_t* value);

  // Byte transport.
  int32_t OpenSerial(int32_t port, int32_t baudRate, int byteSize, int stopBits, int parity);
  int32_t OpenSerialDefault(int32_t port, int32_t baudRate);
  // Loads the library for this port and opens the board's serial port serialIndex (0: the first).
  int32_t OpenCameraLink(const std::string& libraryPath, uint32_t serialIndex = 0);
  int32_t WriteBytes(const uint8_t* data, int32_t count, int32_t timeoutMs);
  int32_t ReadBytes(uint8_t* buffer, int32_t count, int32_t timeoutMs);
  int32_t Purge(uint32_t flags);
  int32_t Close();
  static CommError ErrorFromLineStatus(uint32_t flags);
  // How long the line must stay quiet before a repeated attempt, at a baud rate (0: no pacing).
  static int32_t QuietTimeMs(int32_t baudRate);
  // How long it must stay quiet before a first request or a repeated ENQ: a few byte times.
  static int32_t SettleTimeMs(int32_t baudRate);

  // Waits between exchanges (a detection's poll interval) in slices the observer sees; false when
  // a stop was asked for meanwhile.
  bool Pause(int64_t ms);
  bool StopRequested() const { return observer_ != nullptr && observer_->StopRequested(); }
  int64_t NowUs() const { return clock_->NowUs(); }

  // Why the last open failed (code 4): the system's error number where there is one, and the reason
  // in one line ("Permission denied", or the library loader's words).
  struct OpenFailure {
    int error = 0;
    std::string reason;
  };
  const OpenFailure& LastOpenFailure() const { return openFailure_; }

  int32_t PortNumber() const { return portNumber_; }
  int32_t BaudRate() const { return baudRate_; }
  bool IsPortOpen() const { return device_->IsOpen(); }
  // Whether a Camera Link library was loaded for this port, and whether its channel is open.
  bool CameraLinkLoaded() const { return cameraLink_ != nullptr && cameraLink_->IsLoaded(); }
  bool CameraLinkOpen() const { return cameraLink_ != nullptr && cameraLink_->ChannelOpen(); }

 private:
  int32_t FailFromLineStatus();
  // SendFrame's steps, for SendFrame and for each attempt of Transact.
  int32_t DeliverRequest(std::string_view text);
  bool EnquiryPhase();
  bool FramePhase(const uint8_t* frame, int32_t length);
  // How one attempt's wait for a reply ended.
  enum class ReplyOutcome { Started, Taken, NoReply, Noise, BadReplies, ShortReply };

  ReplyOutcome AwaitReplyStart(int& noiseBytes);
  ReplyOutcome ReceiveReply(char* reply);
  // After a stopped exchange or before a repeated attempt: quiet for a reply frame's time.
  void AwaitQuietLine();
  // Before a first request or a repeated ENQ: quiet for a few byte times.
  void SettleLine();
  // Reads and drops what arrives until nothing came for quietMs, or until limitMs has passed.
  void DropUntilQuiet(int64_t quietMs, int64_t limitMs);
  void DrainCameraLink(uint32_t quietMs, int64_t limitMs);
  // Waits for input until deadlineMs, in slices that let the observer see time pass.
  void WaitForInput(int64_t deadlineMs);
  // What a Camera Link call, which blocks as long as its time-out, does meanwhile: tells the observer.
  CameraLinkLibrary::Waiting CameraLinkWaiting();
  // Opening and closing a channel, which no time-out bounds: also given up on a stop.
  CameraLinkLibrary::Waiting ChannelCallWaiting();
  // A Camera Link call never came back: the channel is lost, and every exchange fails with code 5.
  bool CameraLinkLost() const { return cameraLink_ != nullptr && cameraLink_->Abandoned(); }
  // Whatever the observer or the trace ran meanwhile has unwound: a refusal it met is over.
  void ObserverReturned() { EndRefusal(); }
  int32_t RefuseExchange();
  // A stop was asked for: nothing more goes on the line in this exchange, which fails.
  int32_t Stopped();

  // Marks the exchange for the observer, however it ends.
  class ExchangeScope {
   public:
    explicit ExchangeScope(CameraPort& port);
    ~ExchangeScope();
    ExchangeScope(const ExchangeScope&) = delete;
    ExchangeScope& operator=(const ExchangeScope&) = delete;

   private:
    CameraPort& port_;
  };

  void Trace(bool sent, const uint8_t* bytes, int32_t count) {
    if (!trace_ || count <= 0) return;
    trace_(sent, bytes, count);
    ObserverReturned();
  }

  std::unique_ptr<SerialDevice> device_;
  // This port's Camera Link library and channel; none on a serial port.
  std::unique_ptr<CameraLinkLibrary> cameraLink_;
  ByteTrace trace_;
  Clock* clock_;
  OperatorOutput* output_;
  WaitObserver* observer_ = nullptr;
  bool exchangeRunning_ = false;
  // An exchange was stopped while the camera may still be answering it: the next one waits for a
  // quiet line first, so that the late reply is not taken for its own.
  bool lineUnsettled_ = false;
  // Nothing has been asked on this link since it opened: whatever arrives is someone else's.
  bool lineFresh_ = false;
  // A write ran out of time with bytes still in the output queue. Only those may be discarded: bytes
  // a write handed over completely are on their way, and a purge must not take them off the line
  // (on a pseudo-terminal it would, before the far end has read them).
  bool outputLeftBehind_ = false;
  OpenFailure openFailure_;
  int refusedExchanges_ = 0;
  int32_t portNumber_ = 0;
  int32_t baudRate_ = 0;
};
