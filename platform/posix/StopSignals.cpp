// Stop-signal handlers that clear a terminal's exclusive mode: on a terminal someone else keeps open
// (a pseudo-terminal's server, a getty), that mode outlives our descriptor and locks out every other user.
#include "platform/StopSignals.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>

#include "platform/StopHoldings.h"

namespace {

StopHoldings::HeldName<char> heldFile;

// Every signal that would end the program and can be caught.
constexpr int Stopping[] = {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF};

void OnStopSignal(int signal) {
  if (const char* file = heldFile.Take()) (void)::unlink(file);
  const int fd = static_cast<int>(StopHoldings::TakePort());
  if (fd >= 0) {
    (void)::ioctl(fd, TCFLSH, TCIOFLUSH);
    (void)::ioctl(fd, TIOCNXCL);
    (void)::close(fd);
  }
  StopHoldings::WriteNote([](const char* data, size_t length) { return ::write(2, data, length); });
  ::_exit(128 + signal);
}

}  // namespace

namespace StopSignals {

void HoldTemporaryFile(const std::string& path) { heldFile.Hold(path); }

void ReleaseTemporaryFile() { heldFile.Release(); }

void Install() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : Stopping) sigaddset(&action.sa_mask, signal);
  for (int signal : Stopping) sigaction(signal, &action, nullptr);
  // A file-size limit (ulimit -f) must come back as a failed write that is reported, not end the
  // program in the middle of a save; a reader that went away (| head) likewise.
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace StopSignals
