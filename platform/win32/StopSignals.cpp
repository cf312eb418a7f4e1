// Console control events in place of signals: Ctrl+C, Ctrl+Break and the console's close, logoff and
// shutdown release the held port and remove a half-written save before the process ends.
#include <windows.h>

#include "platform/StopHoldings.h"
#include "platform/StopSignals.h"
#include "platform/win32/SystemErrors.h"

namespace {

StopHoldings::HeldName<wchar_t> heldFile;

// The standard error's handle takes at most a DWORD's worth of bytes a call.
long WriteToStandardError(const char* data, size_t length) {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  if (err == nullptr || err == INVALID_HANDLE_VALUE) return 0;
  if (!WriteFile(err, data, static_cast<DWORD>(length), &written, nullptr)) return 0;
  return static_cast<long>(written);
}

// The exit statuses a script sees on Linux for the matching signals.
DWORD ExitStatusFor(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT: return 128 + 2;       // SIGINT
    case CTRL_BREAK_EVENT: return 128 + 21;  // SIGBREAK
    default: return 128 + 15;                // SIGTERM: the console closed, logoff, shutdown
  }
}

// Runs on a thread of its own that the system starts; the rest of the program may be inside a read.
BOOL WINAPI OnControlEvent(DWORD event) {
  if (const wchar_t* file = heldFile.Take()) (void)DeleteFileW(file);
  const intptr_t port = StopHoldings::TakePort();
  if (port != StopHoldings::NoPort) {
    const HANDLE handle = reinterpret_cast<HANDLE>(port);
    (void)PurgeComm(handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    (void)CloseHandle(handle);
  }
  StopHoldings::WriteNote(WriteToStandardError);
  ExitProcess(ExitStatusFor(event));
}

}  // namespace

namespace StopSignals {

void HoldTemporaryFile(const std::string& path) { heldFile.Hold(WideName(path)); }

void ReleaseTemporaryFile() { heldFile.Release(); }

void Install() {
  SetConsoleCtrlHandler(OnControlEvent, TRUE);
  // The C library's own SIGTERM and SIGABRT are raised only by the program itself; SIGINT never
  // reaches it once the handler above is in place.
}

}  // namespace StopSignals
