// Console control events in place of signals: Ctrl+C, Ctrl+Break and the console's close, logoff and
// shutdown release the held port and remove a half-written save before the process ends.
#include <windows.h>

#include <atomic>
#include <csignal>

#include "platform/StopSignals.h"
#include "platform/StopNote.h"
#include "platform/win32/SystemErrors.h"

namespace {

std::atomic<intptr_t> heldPort{-1};
// A save's temporary file while it is written: its name is copied in before the flag is raised.
wchar_t heldFile[4096];
std::atomic<bool> fileHeld{false};

void WriteNote() {
  const char* note = nullptr;
  size_t length = 0;
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  if (!StopNote::Take(note, length) || err == nullptr || err == INVALID_HANDLE_VALUE) return;
  for (DWORD done = 0; done < length;) {
    DWORD written = 0;
    if (!WriteFile(err, note + done, static_cast<DWORD>(length) - done, &written, nullptr) || written == 0) return;
    done += written;
  }
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
  if (fileHeld.exchange(false)) (void)DeleteFileW(heldFile);
  const intptr_t port = heldPort.exchange(-1);
  if (port != -1) {
    const HANDLE handle = reinterpret_cast<HANDLE>(port);
    (void)PurgeComm(handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    (void)CloseHandle(handle);
  }
  WriteNote();
  ExitProcess(ExitStatusFor(event));
}

}  // namespace

namespace StopSignals {

void HoldPort(intptr_t port) { heldPort.store(port); }

void ReleasePort(intptr_t port) {
  intptr_t expected = port;
  heldPort.compare_exchange_strong(expected, -1);
}

void HoldTemporaryFile(const std::string& path) {
  const std::wstring wide = WideName(path);
  if (wide.size() >= sizeof heldFile / sizeof heldFile[0]) return;
  fileHeld.store(false);
  wide.copy(heldFile, wide.size());
  heldFile[wide.size()] = L'\0';
  fileHeld.store(true);
}

void ReleaseTemporaryFile() { fileHeld.store(false); }

void SetStopNote(const std::string& text) { StopNote::Set(text); }

void Install() {
  SetConsoleCtrlHandler(OnControlEvent, TRUE);
  // The C library's own SIGTERM and SIGABRT are raised only by the program itself; SIGINT never
  // reaches it once the handler above is in place.
}

}  // namespace StopSignals
