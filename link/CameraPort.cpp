// The port's byte transport: opening, reading and writing against deadlines, purging, closing.
#include "link/CameraPort.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "link/CameraLinkLibrary.h"
#include "platform/LineStatus.h"
#include "link/PortPaths.h"
#include "platform/SystemSerialDevice.h"

CameraPort::CameraPort()
    : CameraPort(NewSystemSerialDevice(MonotonicClock::Instance()), MonotonicClock::Instance()) {}

CameraPort::CameraPort(std::unique_ptr<SerialDevice> device, Clock& clock)
    : device_(std::move(device)), clock_(&clock), output_(&StreamOperatorOutput::Stderr()) {}

CameraPort::~CameraPort() { Close(); }

void CameraPort::SetOperatorOutput(OperatorOutput* output) {
  output_ = output != nullptr ? output : &StreamOperatorOutput::Stderr();
}

OperatorOutput& CameraPort::Operator() const {
  static SilentOperatorOutput silent;
  return Refusing() ? silent : *output_;
}

int32_t CameraPort::OpenSerialDefault(int32_t port, int32_t baudRate) {
  return OpenSerial(port, baudRate, 8, 0, 0);
}

int32_t CameraPort::OpenSerial(int32_t port, int32_t baudRate, int byteSize, int stopBits, int parity) {
  Close();
  // Port numbers below 1 name no device either; they are refused like those above 10.
  if (port < FirstComPort || port > LastComPort) return Fail(CommErrors::InvalidPortNumber);
  portNumber_ = port;
  baudRate_ = baudRate;
  openFailure_ = {};
  if (!device_->Open(DevicePathForPort(port))) {
    const int error = device_->OpenError();
    openFailure_ = {error, error != 0 ? std::strerror(error) : "cannot be opened"};
    return Fail(CommErrors::CannotOpenPort);
  }
  lineFresh_ = true;
  if (!device_->Configure(LineSettings{baudRate, byteSize, stopBits, parity})) return FailFromLineStatus();
  return 0;
}

int32_t CameraPort::OpenCameraLink(const std::string& libraryPath, uint32_t serialIndex) {
  Close();
  cameraLink_.reset();
  auto library = std::make_unique<CameraLinkLibrary>();
  openFailure_ = {};
  if (!library->Load(libraryPath)) {
    // The system's words where it named a cause, as for a serial device; the loader's otherwise.
    const int error = library->LoadErrno();
    openFailure_ = {error, error != 0 ? std::strerror(error) : library->LoadReason()};
    return Fail(CommErrors::CannotOpenPort);
  }
  // Loaded without a channel when the board does not open: reads and writes then go to the closed
  // serial port and fail with code 3.
  const int32_t init = library->InitChannel(serialIndex, ChannelCallWaiting());
  ObserverReturned();
  if (init == CameraLinkLibrary::PortInUse) {
    // Two links on one board port would take each other's replies, and a close would cut both off.
    openFailure_ = {EBUSY, std::strerror(EBUSY)};
    return Fail(CommErrors::CannotOpenPort);
  }
  // No settling before the first request here: the grabber's library keeps its own buffers, and
  // a stray byte still costs only one ENQ, after which the line is settled as on a serial port.
  cameraLink_ = std::move(library);
  // Given up on for a stop, the port did not fail to open: nobody is there to be told.
  if (init != 0 && !StopRequested()) output_->ShowMessage("Board Open Error", "Error", MessageIcon::Error);
  return 0;
}

int32_t CameraPort::WriteBytes(const uint8_t* data, int32_t count, int32_t timeoutMs) {
  if (count <= 0) return Fail(CommErrors::BadSize);
  if (StopRequested()) return Stopped();
  if (CameraLinkOpen()) {
    auto written = static_cast<int32_t>(cameraLink_->Write(data, static_cast<uint32_t>(count),
                                                           static_cast<uint32_t>(timeoutMs), CameraLinkWaiting()));
    ObserverReturned();
    Trace(true, data, written);
    // A call that never came back has no count of its own to leave a reason by.
    if (CameraLinkLost()) Fail(CommErrors::Timeout);
    return written;
  }
  if (!device_->IsOpen()) return Fail(CommErrors::PortNotOpen);
  int64_t deadline = clock_->NowMs() + static_cast<int64_t>(count) * timeoutMs;
  int written = device_->Write(data, count, deadline);
  Trace(true, data, written);
  if (written < 0) {
    device_->Discard(false, true);
    outputLeftBehind_ = false;
    FailFromLineStatus();
    return 0;
  }
  // A write cut short by its deadline would otherwise leave no reason behind, and a later
  // pass-through report could then read as success.
  if (written < count) {
    outputLeftBehind_ = true;
    Fail(CommErrors::Timeout);
  }
  return written;
}

int32_t CameraPort::ReadBytes(uint8_t* buffer, int32_t count, int32_t timeoutMs) {
  if (count <= 0) return Fail(CommErrors::BadSize);
  if (StopRequested()) return Stopped();
  if (CameraLinkOpen()) {
    uint32_t got = cameraLink_->Read(buffer, static_cast<uint32_t>(count), static_cast<uint32_t>(timeoutMs),
                                     CameraLinkWaiting());
    ObserverReturned();
    Trace(false, buffer, static_cast<int32_t>(got));
    if (got == static_cast<uint32_t>(count)) return count;
    return Fail(CommErrors::Timeout);
  }
  if (!device_->IsOpen()) return Fail(CommErrors::PortNotOpen);
  int64_t deadline = clock_->NowMs() + static_cast<int64_t>(count) * timeoutMs;
  int32_t got = 0;
  while (clock_->NowMs() <= deadline) {
    int n = device_->ReadAvailable(buffer + got, count - got);
    if (n > 0) got += n;
    if (got == count) {
      Trace(false, buffer, got);
      return count;
    }
    WaitForInput(deadline);
    if (StopRequested()) {
      Trace(false, buffer, got);
      return Stopped();
    }
  }
  Trace(false, buffer, got);
  device_->Discard(true, false);
  return FailFromLineStatus();
}

int32_t CameraPort::Stopped() {
  if (exchangeRunning_) lineUnsettled_ = true;
  return Fail(CommErrors::Timeout);
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

void CameraPort::WaitForInput(int64_t deadlineMs) {
  if (observer_ == nullptr) return device_->WaitReadable(deadlineMs);
  device_->WaitReadable(std::min(deadlineMs, clock_->NowMs() + WaitObserver::SliceMs));
  observer_->StillWaiting(clock_->NowMs());
  ObserverReturned();
}

CameraLinkLibrary::Waiting CameraPort::CameraLinkWaiting() {
  if (observer_ == nullptr) return {};
  return [this] {
    observer_->StillWaiting(clock_->NowMs());
    ObserverReturned();
    return !observer_->AbandonBlockedCalls();
  };
}

CameraLinkLibrary::Waiting CameraPort::ChannelCallWaiting() {
  if (observer_ == nullptr) return {};
  return [this] {
    observer_->StillWaiting(clock_->NowMs());
    ObserverReturned();
    return !observer_->StopRequested() && !observer_->AbandonBlockedCalls();
  };
}

int32_t CameraPort::RefuseExchange() {
  ++refusedExchanges_;
  return Refuse();
}

CameraPort::ExchangeScope::ExchangeScope(CameraPort& port) : port_(port) {
  port_.exchangeRunning_ = true;
  if (port_.observer_ != nullptr) port_.observer_->ExchangeStarted(port_.clock_->NowMs());
}

CameraPort::ExchangeScope::~ExchangeScope() {
  port_.exchangeRunning_ = false;
  if (port_.observer_ != nullptr) port_.observer_->ExchangeEnded();
}

int32_t CameraPort::Purge(uint32_t flags) {
  if (!device_->IsOpen()) return Fail(CommErrors::PortNotOpen);
  bool input = (flags & PurgeFlags::Receive) != 0;
  bool output = (flags & PurgeFlags::Transmit) != 0 && outputLeftBehind_;
  if (!device_->Discard(input, output)) return Fail(CommErrors::PurgeFailure);
  if (output) outputLeftBehind_ = false;
  return 0;
}

int32_t CameraPort::Close() {
  if (device_->IsOpen()) {
    // The last ACK may still be on its way: only what a write left behind is taken off the line.
    device_->Discard(true, outputLeftBehind_);
    outputLeftBehind_ = false;
    device_->Close();
  }
  if (cameraLink_) {
    cameraLink_->CloseChannel(ChannelCallWaiting());
    ObserverReturned();
  }
  return 0;
}

int32_t CameraPort::FailFromLineStatus() { return Fail(ErrorFromLineStatus(device_->TakeLineErrors())); }

CommError CameraPort::ErrorFromLineStatus(uint32_t flags) {
  static constexpr struct {
    uint32_t flag;
    CommError code;
  } order[] = {
      {LineStatus::ModeError, CommErrors::ModeError},
      {LineStatus::Break, CommErrors::LineBreak},
      {LineStatus::Frame, CommErrors::Framing},
      {LineStatus::IoError, CommErrors::IoError},
      {LineStatus::Overrun, CommErrors::Overrun},
      {LineStatus::ReceiveOverflow, CommErrors::ReceiveBufferFull},
      {LineStatus::Parity, CommErrors::Parity},
      {LineStatus::TransmitFull, CommErrors::TransmitBufferFull},
      {LineStatus::DeviceNotSelected, CommErrors::ParallelUnselected},
      {LineStatus::DeviceTimeout, CommErrors::ParallelTimeout},
      {LineStatus::OutOfPaper, CommErrors::PaperEmpty},
  };
  for (const auto& row : order) {
    if (flags & row.flag) return row.code;
  }
  return CommErrors::Timeout;
}
