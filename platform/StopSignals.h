// Stop signals release the serial port before the process ends, so that the next user can open it.
#pragma once

#include <cstdint>
#include <string>

namespace StopSignals {

// The open serial port the handlers release (a descriptor, or a Windows handle); one per process, as
// the program has one link.
void HoldPort(intptr_t port);
// Forgets the port, if it is the one held.
void ReleasePort(intptr_t port);
// A save's temporary file, removed by the handlers if the program ends before it is renamed.
void HoldTemporaryFile(const std::string& path);
void ReleaseTemporaryFile();
// A few lines the handlers write to standard error before the process ends: what the program had done
// that stays done (the rows of a load already in the camera, say). Empty: nothing is written. Texts
// longer than 1 KiB are cut there.
void SetStopNote(const std::string& text);
// SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM and SIGPROF remove a held temporary
// file, clear the held port's exclusive mode, close it and end the process with 128 + the signal's
// number. A file-size limit's signal and SIGPIPE are ignored, so the write fails and is reported.
// On Windows the console's control events do the same: Ctrl+C ends with 130, Ctrl+Break with 149,
// closing the console, logging off and shutting down with 143.
void Install();

}  // namespace StopSignals
