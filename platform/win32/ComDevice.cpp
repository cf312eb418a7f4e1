// COM ports through the Win32 communications calls, plain (not overlapped) input and output. Waits
// for input look at the driver's input queue (ClearCommError's count) and sleep on the port's clock
// between looks: that takes no byte from the driver, leaves no call pending at the deadline or when
// a stop event closes the handle from another thread, and means the same under wine (the terminal's
// input count) as on Windows. A wait for the first byte in the driver (WaitCommEvent) has no time
// limit of its own on a plain handle, and bounding it would make every call overlapped and need a
// cancel whose completion must be awaited at each deadline.
#include "platform/win32/ComDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/Deadline.h"
#include "platform/LineStatus.h"
#include "platform/StopSignals.h"
#include "platform/SystemSerialDevice.h"
#include "platform/win32/ComPortRegistry.h"
#include "platform/win32/SystemErrors.h"

namespace {

constexpr DWORD QueueSize = 4096;
constexpr DWORD Forever = MAXDWORD;
// How often a wait looks at the input queue: a byte time at 9600 baud, so a reply waits at most
// about that long to be seen.
constexpr int64_t QueueLookUs = 1000;
// What a UART may still be shifting out once the driver's queue is empty: a 16550's transmit FIFO.
constexpr int64_t UartFifoBytes = 16;

// The device control block's codes for the line format; false for a value it has none for.
bool DcbParity(Parity parity, BYTE& code) {
  switch (parity) {
    case Parity::None: code = NOPARITY; return true;
    case Parity::Odd: code = ODDPARITY; return true;
    case Parity::Even: code = EVENPARITY; return true;
    case Parity::Mark: code = MARKPARITY; return true;
    case Parity::Space: code = SPACEPARITY; return true;
  }
  return false;
}

bool DcbStopBits(StopBits stopBits, BYTE& code) {
  switch (stopBits) {
    case StopBits::One: code = ONESTOPBIT; return true;
    case StopBits::OneAndHalf: code = ONE5STOPBITS; return true;
    case StopBits::Two: code = TWOSTOPBITS; return true;
  }
  return false;
}

bool SameLineFormat(const DCB& a, const DCB& b) {
  return a.BaudRate == b.BaudRate && a.ByteSize == b.ByteSize && a.Parity == b.Parity && a.StopBits == b.StopBits;
}

}  // namespace

ComDevice::~ComDevice() { Close(); }

bool ComDevice::Open(const std::string& path) {
  Close();
  openError_ = 0;
  // No sharing: a port another program holds cannot be opened (Windows says access denied).
  HANDLE handle = CreateFileW(WideName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    openError_ = error == ERROR_ACCESS_DENIED ? EBUSY : ErrnoFromSystemError(error);
    return false;
  }
  handle_ = handle;
  path_ = path;
  StopSignals::HoldPort(reinterpret_cast<intptr_t>(handle));
  savedState_ = {};
  savedState_.DCBlength = sizeof savedState_;
  hasSaved_ = GetCommState(handle, &savedState_) && GetCommTimeouts(handle, &savedTimeouts_);
  (void)SetupComm(handle, QueueSize, QueueSize);
  timeoutsKnown_ = false;
  DWORD queued = 0;
  (void)CollectErrors(queued);
  pendingErrors_ = 0;
  return true;
}

bool ComDevice::Configure(const LineSettings& settings) {
  if (!IsOpen()) return false;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle_, &dcb) || !DcbParity(settings.parity, dcb.Parity) ||
      !DcbStopBits(settings.stopBits, dcb.StopBits)) {
    return false;
  }
  dcb.BaudRate = static_cast<DWORD>(settings.baudRate);
  dcb.ByteSize = static_cast<BYTE>(settings.byteSize);
  dcb.fBinary = TRUE;
  dcb.fParity = settings.parity != Parity::None;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = FALSE;
  // fNull and fTXContinueOnXoff stay as the driver reported them.
  return SetCommState(handle_, &dcb) != 0;
}

SerialDeviceFacts ComDevice::Facts() const {
  return IsOpen() ? ComPortRegistry::Facts(path_) : SerialDeviceFacts{};
}

void ComDevice::Close() {
  if (!IsOpen()) return;
  RestoreSettings();
  StopSignals::ReleasePort(reinterpret_cast<intptr_t>(handle_));
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

void ComDevice::RestoreSettings() {
  if (!hasSaved_) return;
  hasSaved_ = false;
  // Once the last bytes have left: the driver's queue may be empty while the UART still shifts them
  // out, and a change of speed or format under them would spoil the last ACK.
  (void)FlushFileBuffers(handle_);
  DCB now{};
  now.DCBlength = sizeof now;
  if (GetCommState(handle_, &now) && !SameLineFormat(now, savedState_)) {
    const int64_t fifoUs = UartFifoBytes * 10 * 1000000 / std::max<int64_t>(now.BaudRate, 1);
    clock_.SleepUntilUs(clock_.NowUs() + fifoUs);
  }
  (void)SetCommState(handle_, &savedState_);
  (void)SetCommTimeouts(handle_, &savedTimeouts_);
}

bool ComDevice::ApplyTimeouts(DWORD writeLimitMs) {
  COMMTIMEOUTS wanted{};
  // The largest read interval with no totals: a read returns at once with what has arrived.
  wanted.ReadIntervalTimeout = Forever;
  wanted.ReadTotalTimeoutMultiplier = 0;
  wanted.ReadTotalTimeoutConstant = 0;
  wanted.WriteTotalTimeoutMultiplier = 0;
  wanted.WriteTotalTimeoutConstant = writeLimitMs;
  if (timeoutsKnown_ && std::memcmp(&wanted, &timeouts_, sizeof wanted) == 0) return true;
  timeoutsKnown_ = SetCommTimeouts(handle_, &wanted) != 0;
  if (timeoutsKnown_) timeouts_ = wanted;
  return timeoutsKnown_;
}

bool ComDevice::CollectErrors(DWORD& queued) {
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(handle_, &errors, &status)) return false;
  // Windows' flags and the port's own have the same values.
  pendingErrors_ |= errors;
  queued = status.cbInQue;
  return true;
}

int ComDevice::ReadAvailable(uint8_t* buffer, int count) {
  if (!IsOpen()) return -1;
  if (count <= 0 || !ApplyTimeouts(timeouts_.WriteTotalTimeoutConstant)) return 0;
  DWORD read = 0;
  if (!ReadFile(handle_, buffer, static_cast<DWORD>(count), &read, nullptr)) {
    DWORD queued = 0;
    (void)CollectErrors(queued);
    pendingErrors_ |= LineStatus::IoError;
    return -1;
  }
  return static_cast<int>(read);
}

void ComDevice::WaitReadable(int64_t deadlineMs) {
  const int64_t pastUs = Deadline::PastUs(deadlineMs);
  while (clock_.NowUs() < pastUs) {
    DWORD queued = 0;
    // A closed or failed device has nothing to wait for but the time; its next read reports it.
    if (!IsOpen() || !CollectErrors(queued)) return clock_.SleepUntilUs(pastUs);
    if (queued > 0) return;
    clock_.SleepUntilUs(std::min(pastUs, clock_.NowUs() + QueueLookUs));
  }
}

int ComDevice::Write(const uint8_t* data, int count, int64_t deadlineMs) {
  if (!IsOpen()) return -1;
  if (count <= 0) return 0;
  // One write with a total limit: what has left the port when it strikes is what counts.
  const int64_t limit = std::max<int64_t>(1, Deadline::MsUntilPast(deadlineMs, clock_.NowUs()));
  if (!ApplyTimeouts(static_cast<DWORD>(limit))) return -1;
  DWORD written = 0;
  if (!WriteFile(handle_, data, static_cast<DWORD>(count), &written, nullptr)) {
    (void)PurgeComm(handle_, PURGE_TXCLEAR);
    DWORD queued = 0;
    (void)CollectErrors(queued);
    return -1;
  }
  return static_cast<int>(written);
}

bool ComDevice::Discard(bool input, bool output) {
  if (!IsOpen()) return false;
  DWORD flags = 0;
  if (output) flags |= PURGE_TXCLEAR;
  if (input) flags |= PURGE_RXCLEAR;
  return flags == 0 || PurgeComm(handle_, flags) != 0;
}

uint32_t ComDevice::TakeLineErrors() {
  DWORD queued = 0;
  if (IsOpen()) (void)CollectErrors(queued);
  const uint32_t errors = pendingErrors_;
  pendingErrors_ = 0;
  return errors;
}

std::unique_ptr<SerialDevice> NewSystemSerialDevice(Clock& clock) { return std::make_unique<ComDevice>(clock); }
