// Stop signals release the serial port before the process ends, so that the next user can open it.
#pragma once

namespace StopSignals {

// The open serial port the handlers release; one per process (the program has one link).
void HoldPort(int fd);
// Forgets fd, if it is the one held.
void ReleasePort(int fd);
// SIGINT, SIGTERM and SIGHUP clear the held port's exclusive mode, close it and end the process
// with 128 + the signal's number. A file-size limit's signal is ignored, so the write fails instead.
void Install();

}  // namespace StopSignals
