// COM ports through the Win32 communications calls, plain (not overlapped) input and output. The waits
// sleep in the driver: a one-byte read with a total time-out, which Windows ends at the first byte.
#include "platform/win32/ComDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/LineStatus.h"
#include "platform/StopSignals.h"
#include "platform/SystemSerialDevice.h"
#include "platform/win32/SystemErrors.h"

namespace {

constexpr DWORD QueueSize = 4096;
constexpr DWORD Forever = MAXDWORD;

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
  StopSignals::HoldPort(reinterpret_cast<intptr_t>(handle));
  (void)SetupComm(handle, QueueSize, QueueSize);
  pendingErrors_ = 0;
  hasEarly_ = false;
  timeoutsKnown_ = false;
  (void)CollectErrors();
  pendingErrors_ = 0;
  return true;
}

bool ComDevice::Configure(const LineSettings& settings) {
  if (!IsOpen()) return false;
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle_, &dcb)) return false;
  dcb.BaudRate = static_cast<DWORD>(settings.baudRate);
  dcb.ByteSize = static_cast<BYTE>(settings.byteSize);
  dcb.Parity = static_cast<BYTE>(settings.parity);      // NOPARITY 0 .. SPACEPARITY 4
  dcb.StopBits = static_cast<BYTE>(settings.stopBits);  // ONESTOPBIT 0, ONE5STOPBITS 1, TWOSTOPBITS 2
  dcb.fBinary = TRUE;
  dcb.fParity = settings.parity != NOPARITY;
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

void ComDevice::Close() {
  if (!IsOpen()) return;
  StopSignals::ReleasePort(reinterpret_cast<intptr_t>(handle_));
  CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  hasEarly_ = false;
}

bool ComDevice::ApplyTimeouts(DWORD interval, DWORD perByte, DWORD constant, DWORD writeConstant) {
  COMMTIMEOUTS wanted{};
  wanted.ReadIntervalTimeout = interval;
  wanted.ReadTotalTimeoutMultiplier = perByte;
  wanted.ReadTotalTimeoutConstant = constant;
  wanted.WriteTotalTimeoutMultiplier = 0;
  wanted.WriteTotalTimeoutConstant = writeConstant;
  if (timeoutsKnown_ && std::memcmp(&wanted, &timeouts_, sizeof wanted) == 0) return true;
  timeoutsKnown_ = SetCommTimeouts(handle_, &wanted) != 0;
  if (timeoutsKnown_) timeouts_ = wanted;
  return timeoutsKnown_;
}

DWORD ComDevice::CollectErrors() {
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(handle_, &errors, &status)) return 0;
  // Windows' flags and the port's own have the same values.
  pendingErrors_ |= errors;
  return status.cbInQue;
}

int64_t ComDevice::MsUntil(int64_t deadlineMs) const { return std::max<int64_t>(0, deadlineMs - clock_.NowMs()); }

int ComDevice::ReadAvailable(uint8_t* buffer, int count) {
  if (!IsOpen()) return -1;
  if (count <= 0) return 0;
  int got = 0;
  if (hasEarly_) {
    buffer[got++] = early_;
    hasEarly_ = false;
  }
  // The largest read interval with no totals: the read returns at once with what has arrived.
  if (got == count || !ApplyTimeouts(Forever, 0, 0, timeouts_.WriteTotalTimeoutConstant)) return got;
  DWORD read = 0;
  if (!ReadFile(handle_, buffer + got, static_cast<DWORD>(count - got), &read, nullptr)) {
    (void)CollectErrors();
    pendingErrors_ |= LineStatus::IoError;
    return got > 0 ? got : -1;
  }
  return got + static_cast<int>(read);
}

void ComDevice::WaitReadable(int64_t deadlineMs) {
  if (!IsOpen() || hasEarly_) {
    if (!IsOpen()) Sleep(static_cast<DWORD>(MsUntil(deadlineMs)));
    return;
  }
  int64_t left = MsUntil(deadlineMs);
  if (left <= 0 || CollectErrors() > 0) return;
  // Interval and per-byte at their largest with a total: the read waits for the first byte, at most
  // `left` milliseconds, and returns with it at once.
  if (!ApplyTimeouts(Forever, Forever, static_cast<DWORD>(left), timeouts_.WriteTotalTimeoutConstant)) {
    Sleep(static_cast<DWORD>(left));
    return;
  }
  DWORD read = 0;
  if (ReadFile(handle_, &early_, 1, &read, nullptr) && read == 1) {
    hasEarly_ = true;
  } else if (read == 0 && MsUntil(deadlineMs) > 0) {
    // A failed read that came back early: the device is gone or in error; do not spin on it.
    (void)CollectErrors();
    Sleep(static_cast<DWORD>(MsUntil(deadlineMs)));
  }
}

int ComDevice::Write(const uint8_t* data, int count, int64_t deadlineMs) {
  if (!IsOpen()) return -1;
  if (count <= 0) return 0;
  // One write with a total limit: what has left the port when it strikes is what counts.
  const DWORD limit = static_cast<DWORD>(std::max<int64_t>(1, MsUntil(deadlineMs)));
  if (!ApplyTimeouts(timeouts_.ReadIntervalTimeout, timeouts_.ReadTotalTimeoutMultiplier,
                     timeouts_.ReadTotalTimeoutConstant, limit)) {
    return -1;
  }
  DWORD written = 0;
  if (!WriteFile(handle_, data, static_cast<DWORD>(count), &written, nullptr)) {
    (void)PurgeComm(handle_, PURGE_TXCLEAR);
    (void)CollectErrors();
    return -1;
  }
  return static_cast<int>(written);
}

bool ComDevice::Discard(bool input, bool output) {
  if (!IsOpen()) return false;
  DWORD flags = 0;
  if (output) flags |= PURGE_TXCLEAR;
  if (input) {
    flags |= PURGE_RXCLEAR;
    hasEarly_ = false;
  }
  return flags == 0 || PurgeComm(handle_, flags) != 0;
}

uint32_t ComDevice::TakeLineErrors() {
  if (IsOpen()) (void)CollectErrors();
  const uint32_t errors = pendingErrors_;
  pendingErrors_ = 0;
  return errors;
}

std::unique_ptr<SerialDevice> NewSystemSerialDevice(const Clock& clock) { return std::make_unique<ComDevice>(clock); }
