// The one link to the camera: the request/reply exchange over a serial port or a Camera Link channel.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "link/CameraLinkTransport.h"
#include "link/CommErrorState.h"
#include "link/ExchangeTimeouts.h"
#include "link/OperatorOutput.h"
#include "link/PortState.h"
#include "link/SerialTransport.h"
#include "link/WaitObserver.h"
#include "platform/Clock.h"
#include "platform/SerialDevice.h"

namespace PurgeFlags {
inline constexpr uint32_t Transmit = 4;
inline constexpr uint32_t Receive = 8;
inline constexpr uint32_t Both = Transmit | Receive;
}  // namespace PurgeFlags

class CameraPort : public virtual CommErrorState, private LineWaits {
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
  const ByteTrace& Trace() const { return trace_; }
  // Where texts and boxes go; nowhere while a refused request unwinds, since nothing was sent.
  OperatorOutput& Operator() const;
  // Told while exchanges run and wait; none by default.
  void SetWaitObserver(WaitObserver* observer) { observer_ = observer; }
  PortState State() const { return state_; }
  // Whether an exchange is under way: the line is taken.
  bool ExchangeRunning() const { return state_ == PortState::Exchanging || state_ == PortState::Refusing; }
  // True from a refused exchange until the wait that the refused request came from goes on: its
  // callers pass the refusal up and show nothing, and the running exchange's record stays its own.
  bool Refusing() const override { return state_ == PortState::Refusing; }
  // Exchanges asked for while another ran, and refused: whatever asked, nothing reached the line.
  int RefusedExchanges() const { return refusedExchanges_; }

  // Request texts and value encoding.
  static char* FormatRequest(char* text, int mode, int fixed, int area, int address, int32_t minimum,
                             int32_t maximum, int32_t value);
  static int32_t OrderValue(int32_t value, int area, int32_t minimum, int32_t maximum);

  // Exchanges. Each refuses to start while another runs on this port (-CommError::Refused).
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
  static CommError ErrorFromLineStatus(uint32_t flags) { return SerialTransport::ErrorFromLineStatus(flags); }

  // Waits between exchanges (a detection's poll interval) in slices the observer sees; false when
  // a stop was asked for meanwhile.
  bool Pause(int64_t ms);
  bool StopRequested() const override { return observer_ != nullptr && observer_->StopRequested(); }
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
  bool IsPortOpen() const { return serial_.IsOpen(); }
  // What the system tells of the open serial device; nothing on a Camera Link channel.
  SerialDeviceFacts SerialFacts() const { return serial_.IsOpen() ? serial_.Facts() : SerialDeviceFacts{}; }
  // Whether a Camera Link library was loaded for this port, and whether its channel is open.
  bool CameraLinkLoaded() const { return cameraLink_ != nullptr; }
  bool CameraLinkOpen() const { return cameraLink_ != nullptr && cameraLink_->ChannelOpen(); }

 private:
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
  // Before a repeated ENQ: quiet for a few byte times; before a first request, for a request frame's.
  void SettleLine(QuietSpan span = QuietSpan::FewBytes);
  int32_t RefuseExchange();
  // A stop was asked for: nothing more goes on the line in this exchange, which fails.
  int32_t Stopped();
  // Whether a read or write of count bytes may reach the line now; if not, the result it ends with.
  enum class Direction { Write, Read };
  std::optional<int32_t> RefusedTransfer(int32_t count, Direction direction);
  // Closes whatever is open and forgets the Camera Link library: an open starts from nothing.
  void CloseForOpen();
  // The open transport, once it has opened.
  void Opened(Transport& transport);
  // After a call into the transport: one that never came back has lost the link.
  void NoteLoss();

  // The transport's view of this port's waits.
  bool Watched() const override { return observer_ != nullptr; }
  void SliceWaited() override;
  bool AbandonBlockedCalls() const override { return observer_ != nullptr && observer_->AbandonBlockedCalls(); }
  void Traced(bool sent, const uint8_t* bytes, int32_t count) override;
  // Whatever the observer or the trace ran meanwhile has unwound: a refusal it met is over.
  void ObserverReturned() {
    if (state_ == PortState::Refusing) state_ = PortState::Exchanging;
  }

  // Marks the exchange for the observer, however it ends; an open line is taken meanwhile.
  class ExchangeScope {
   public:
    explicit ExchangeScope(CameraPort& port);
    ~ExchangeScope();
    ExchangeScope(const ExchangeScope&) = delete;
    ExchangeScope& operator=(const ExchangeScope&) = delete;

   private:
    CameraPort& port_;
  };

  // What the line needs before the next request: nothing, a few quiet byte times (nothing has been
  // asked since it opened: whatever arrives is someone else's), or a quiet reply frame's time (an
  // exchange was stopped while the camera may still be answering it). The longer need wins.
  enum class LineQuiet { Settled, Fresh, Unsettled };
  void NeedQuiet(LineQuiet need) { lineQuiet_ = std::max(lineQuiet_, need); }

  Clock* clock_;
  SerialTransport serial_;
  // This port's Camera Link library and channel, once a library was loaded; none on a serial port.
  std::unique_ptr<CameraLinkTransport> cameraLink_;
  // The transport the port's state refers to while it is not Closed.
  Transport* line_ = &serial_;
  PortState state_ = PortState::Closed;
  LineQuiet lineQuiet_ = LineQuiet::Settled;
  ByteTrace trace_;
  OperatorOutput* output_;
  mutable SilentOperatorOutput silent_;
  WaitObserver* observer_ = nullptr;
  OpenFailure openFailure_;
  int refusedExchanges_ = 0;
  int32_t portNumber_ = 0;
  int32_t baudRate_ = 0;
};
