// Stop signals release the serial port before the process ends, so that the next user can open it.
#pragma once

#include <string>

namespace StopSignals {

// The open serial port the handlers release; one per process (the program has one link).
void HoldPort(int fd);
// Forgets fd, if it is the one held.
void ReleasePort(int fd);
// A save's temporary file, removed by the handlers if the program ends before it is renamed.
void HoldTemporaryFile(const std::string& path);
void ReleaseTemporaryFile();
// SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM and SIGPROF remove a held temporary
// file, clear the held port's exclusive mode, close it and end the process with 128 + the signal's
// number. A file-size limit's signal and SIGPIPE are ignored, so the write fails and is reported.
void Install();

}  // namespace StopSignals
