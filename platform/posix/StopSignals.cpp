// Stop-signal handlers that clear a terminal's exclusive mode: on a terminal someone else keeps open
// (a pseudo-terminal's server, a getty), that mode outlives our descriptor and locks out every other user.
#include "platform/StopSignals.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

#include "platform/StopNote.h"

namespace {

std::atomic<intptr_t> heldPort{-1};
static_assert(std::atomic<intptr_t>::is_always_lock_free, "the handler reads it");

// A save's temporary file while it is written: its name is copied in before the flag is raised.
char heldFile[4096];
std::atomic<bool> fileHeld{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads it");

void WriteNote() {
  const char* note = nullptr;
  size_t length = 0;
  if (!StopNote::Take(note, length)) return;
  for (size_t done = 0; done < length;) {
    const ssize_t n = ::write(2, note + done, length - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

// Every signal that would end the program and can be caught.
constexpr int Stopping[] = {SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF};

void OnStopSignal(int signal) {
  if (fileHeld.exchange(false)) (void)::unlink(heldFile);
  const int fd = static_cast<int>(heldPort.exchange(-1));
  if (fd >= 0) {
    (void)::ioctl(fd, TCFLSH, TCIOFLUSH);
    (void)::ioctl(fd, TIOCNXCL);
    (void)::close(fd);
  }
  WriteNote();
  ::_exit(128 + signal);
}

}  // namespace

namespace StopSignals {

void HoldPort(intptr_t port) { heldPort.store(port); }

void ReleasePort(intptr_t port) {
  intptr_t expected = port;
  heldPort.compare_exchange_strong(expected, -1);
}

void HoldTemporaryFile(const std::string& path) {
  if (path.size() >= sizeof heldFile) return;
  fileHeld.store(false);
  path.copy(heldFile, path.size());
  heldFile[path.size()] = '\0';
  fileHeld.store(true);
}

void ReleaseTemporaryFile() { fileHeld.store(false); }

void SetStopNote(const std::string& text) { StopNote::Set(text); }

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
