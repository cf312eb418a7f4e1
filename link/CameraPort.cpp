// The port over its transports: opening, the byte operations the exchange is built from, closing.
#include "link/CameraPort.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "link/PortPaths.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "platform/SystemSerialDevice.h"

CameraPort::CameraPort()
    : CameraPort(NewSystemSerialDevice(MonotonicClock::Instance()), MonotonicClock::Instance()) {}

CameraPort::CameraPort(std::unique_ptr<SerialDevice> device, Clock& clock)
    : clock_(&clock), serial_(std::move(device), clock, *this), output_(&StreamOperatorOutput::Stderr()) {}

CameraPort::~CameraPort() { Close(); }

void CameraPort::SetOperatorOutput(OperatorOutput* output) {
  output_ = output != nullptr ? output : &StreamOperatorOutput::Stderr();
}

OperatorOutput& CameraPort::Operator() const { return Refusing() ? silent_ : *output_; }

int32_t CameraPort::OpenSerialDefault(int32_t port, int32_t baudRate) {
  return OpenSerial(port, baudRate, 8, 0, 0);
}

int32_t CameraPort::OpenSerial(int32_t port, int32_t baudRate, int byteSize, int stopBits, int parity) {
  if (Admit(state_, PortOperation::Open) == Admission::Refuse) return RefuseExchange();
  CloseForOpen();
  // Port numbers below 1 name no device either; they are refused like those above 10.
  if (port < FirstComPort || port > LastComPort) return Fail(CommError::InvalidPortNumber);
  portNumber_ = port;
  baudRate_ = baudRate;
  openFailure_ = {};
  const CommError opened =
      serial_.Open(DevicePathForPort(port), LineSettingsFromCodes(baudRate, byteSize, stopBits, parity));
  if (opened == CommError::CannotOpenPort) {
    const int error = serial_.OpenError();
    openFailure_ = {error, error != 0 ? std::strerror(error) : "cannot be opened"};
    return Fail(CommError::CannotOpenPort);
  }
  Opened(serial_);
  NeedQuiet(LineQuiet::Fresh);
  // A line format the driver refused leaves the device open.
  return opened == CommError::NoError ? 0 : Fail(opened);
}

int32_t CameraPort::OpenCameraLink(const std::string& libraryPath, uint32_t serialIndex) {
  if (Admit(state_, PortOperation::Open) == Admission::Refuse) return RefuseExchange();
  CloseForOpen();
  auto link = std::make_unique<CameraLinkTransport>(*clock_, static_cast<LineWaits&>(*this));
  openFailure_ = {};
  const CameraLinkTransport::Opening opening = link->Open(libraryPath, serialIndex);
  ObserverReturned();
  switch (opening) {
    case CameraLinkTransport::Opening::NotLoaded: {
      // The system's words where it named a cause, as for a serial device; the loader's otherwise.
      const int error = link->LoadErrno();
      openFailure_ = {error, error != 0 ? std::strerror(error) : link->LoadReason()};
      return Fail(CommError::CannotOpenPort);
    }
    case CameraLinkTransport::Opening::PortInUse:
      // Two links on one board port would take each other's replies, and a close would cut both off.
      openFailure_ = {EBUSY, std::strerror(EBUSY)};
      return Fail(CommError::CannotOpenPort);
    case CameraLinkTransport::Opening::Opened:
      // No settling before the first request here: the grabber's library keeps its own buffers, and
      // a stray byte still costs only one ENQ, after which the line is settled as on a serial port.
      cameraLink_ = std::move(link);
      Opened(*cameraLink_);
      return 0;
    case CameraLinkTransport::Opening::BoardFailed: break;
  }
  // Loaded without a channel: the port stays closed, and reads and writes fail with code 3; lost
  // when the open never came back. Given up on for a stop, the board did not fail to open: nobody
  // is there to be told.
  cameraLink_ = std::move(link);
  line_ = cameraLink_.get();
  NoteLoss();
  if (!StopRequested()) {
    output_->ShowMessage(LoadString(StringIds::BoardOpenError), LoadString(StringIds::BoardOpenErrorCaption),
                         MessageIcon::Error);
  }
  return 0;
}

void CameraPort::CloseForOpen() {
  Close();
  // A library loaded before stays loaded in the process, but this port is done with it, lost or not.
  cameraLink_.reset();
  line_ = &serial_;
  state_ = PortState::Closed;
}

void CameraPort::Opened(Transport& transport) {
  line_ = &transport;
  state_ = PortState::Open;
}

void CameraPort::NoteLoss() {
  if (line_->Lost()) state_ = PortState::Lost;
}

std::optional<int32_t> CameraPort::RefusedTransfer(int32_t count, Direction direction) {
  if (count <= 0) return Fail(CommError::BadSize);
  if (StopRequested()) return Stopped();
  switch (Admit(state_, PortOperation::Transfer)) {
    case Admission::Run: return std::nullopt;
    case Admission::NotOpen: return Fail(CommError::PortNotOpen);
    case Admission::Refuse: return RefuseExchange();
    case Admission::Unreachable: {
      // A write to a channel whose call never came back has no count of its own to leave a reason by.
      const int32_t failed = Fail(CommError::Timeout);
      return direction == Direction::Write ? 0 : failed;
    }
  }
  return std::nullopt;
}

int32_t CameraPort::WriteBytes(const uint8_t* data, int32_t count, int32_t timeoutMs) {
  if (const std::optional<int32_t> refused = RefusedTransfer(count, Direction::Write)) return *refused;
  const Transfer written = line_->Write(data, count, timeoutMs);
  NoteLoss();
  // The count is the answer; a reason is left behind for a later pass-through report.
  if (written.failure != CommError::NoError) Fail(written.failure);
  return written.moved;
}

int32_t CameraPort::ReadBytes(uint8_t* buffer, int32_t count, int32_t timeoutMs) {
  if (const std::optional<int32_t> refused = RefusedTransfer(count, Direction::Read)) return *refused;
  const Transfer got = line_->Read(buffer, count, timeoutMs);
  NoteLoss();
  if (got.stopped) return Stopped();
  if (got.moved == count) return count;
  return Fail(got.failure);
}

int32_t CameraPort::Purge(uint32_t flags) {
  switch (Admit(state_, PortOperation::Purge)) {
    case Admission::Run: break;
    case Admission::NotOpen:
    case Admission::Unreachable: return Fail(CommError::PortNotOpen);
    case Admission::Refuse: return RefuseExchange();
  }
  const CommError refused =
      line_->Purge((flags & PurgeFlags::Receive) != 0, (flags & PurgeFlags::Transmit) != 0);
  return refused == CommError::NoError ? 0 : Fail(refused);
}

int32_t CameraPort::Close() {
  // Each open starts by closing the other transport: only this one can be open.
  line_->Close();
  ObserverReturned();
  // A call that never came back keeps the camera out of reach until another open.
  state_ = line_->Lost() ? PortState::Lost : PortState::Closed;
  return 0;
}

int32_t CameraPort::Stopped() {
  if (ExchangeRunning()) NeedQuiet(LineQuiet::Unsettled);
  return Fail(CommError::Timeout);
}

bool CameraPort::Pause(int64_t ms) {
  const int64_t until = clock_->NowMs() + ms;
  while (!StopRequested() && clock_->NowMs() < until) {
    const int64_t sliceEnd = observer_ != nullptr ? std::min(until, clock_->NowMs() + WaitObserver::SliceMs) : until;
    clock_->SleepUntilUs(sliceEnd * 1000);
    if (observer_ != nullptr) observer_->StillWaiting(clock_->NowMs());
  }
  return !StopRequested();
}

void CameraPort::SliceWaited() {
  observer_->StillWaiting(clock_->NowMs());
  ObserverReturned();
}

void CameraPort::Traced(bool sent, const uint8_t* bytes, int32_t count) {
  if (!trace_ || count <= 0) return;
  trace_(sent, bytes, count);
  ObserverReturned();
}

int32_t CameraPort::RefuseExchange() {
  ++refusedExchanges_;
  if (ExchangeRunning()) state_ = PortState::Refusing;
  return -CommError::Refused;
}

CameraPort::ExchangeScope::ExchangeScope(CameraPort& port) : port_(port) {
  if (port_.state_ == PortState::Open) port_.state_ = PortState::Exchanging;
  if (port_.observer_ != nullptr) port_.observer_->ExchangeStarted(port_.clock_->NowMs());
}

CameraPort::ExchangeScope::~ExchangeScope() {
  if (port_.state_ == PortState::Exchanging) port_.state_ = PortState::Open;
  if (port_.observer_ != nullptr) port_.observer_->ExchangeEnded();
}
