// The pseudo-terminal side of vq-camera-sim: host bytes in, camera bytes out, each when the line delivers it.
#include "sim/PtyServer.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

int64_t MonotonicUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

timespec ToTimespec(int64_t us) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(us / 1000000);
  ts.tv_nsec = static_cast<long>((us % 1000000) * 1000);
  return ts;
}

std::string SystemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// How long to back off when the master reports a dead line, so that state cannot turn into a busy loop.
constexpr int64_t DeadLineBackoffUs = 10000;

}  // namespace

PtyServer::~PtyServer() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

bool PtyServer::Open(std::string& error) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) {
    error = SystemError("posix_openpt");
    return false;
  }
  char path[128];
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname_r(master_, path, sizeof path) != 0) {
    error = SystemError("pseudo-terminal setup");
    return false;
  }
  slavePath_ = path;
  // Holding the slave ourselves keeps the terminal alive between clients: the master never hangs up
  // and the line settings survive a client's close.
  slave_ = ::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) {
    error = SystemError(path);
    return false;
  }
  termios tio{};
  if (::tcgetattr(slave_, &tio) != 0) {
    error = SystemError("tcgetattr");
    return false;
  }
  // Raw from the start, so nothing a client sends before configuring the line is echoed back at it.
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  if (::tcsetattr(slave_, TCSANOW, &tio) != 0 || ::fcntl(master_, F_SETFL, O_NONBLOCK) != 0) {
    error = SystemError("line setup");
    return false;
  }
  return true;
}

void PtyServer::Serve(const volatile std::sig_atomic_t& stop, const sigset_t& sleepMask) {
  // The default 50 us timer slack would add to every paced byte and turnaround.
  (void)::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  while (!stop) {
    DeliverDue(MonotonicUs());
    int64_t next = NextEventUs();
    timespec wait{};
    timespec* timeout = nullptr;
    if (next >= 0) {
      wait = ToTimespec(std::max<int64_t>(0, next - MonotonicUs()));
      timeout = &wait;
    }
    pollfd fds[2] = {{master_, POLLIN, 0}, {watchFd_, POLLIN, 0}};
    int ready = ::ppoll(fds, watchFd_ >= 0 ? 2 : 1, timeout, &sleepMask);
    if (ready <= 0) continue;
    if (watchFd_ >= 0 && fds[1].revents != 0 && WatchedClosed()) return;
    const pollfd& pfd = fds[0];
    if (pfd.revents & POLLIN) {
      ReadHost(MonotonicUs());
    } else if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) {
      timespec backoff = ToTimespec(DeadLineBackoffUs);
      ::nanosleep(&backoff, nullptr);
    }
  }
}

bool PtyServer::WatchedClosed() {
  char buffer[256];
  ssize_t n = ::read(watchFd_, buffer, sizeof buffer);
  // Bytes written to it mean nothing; its end, or an error, ends the service.
  return n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR);
}

void PtyServer::ReadHost(int64_t nowUs) {
  uint8_t buffer[256];
  ssize_t n = ::read(master_, buffer, sizeof buffer);
  if (n <= 0) {
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    timespec backoff = ToTimespec(DeadLineBackoffUs);
    ::nanosleep(&backoff, nullptr);
    return;
  }
  int64_t byteUs = camera_.ByteTimeUs();
  for (ssize_t i = 0; i < n; ++i) {
    // A byte is received when its last bit is: one byte time after it started, and not before the
    // byte ahead of it has been received.
    int64_t arrival = byteUs > 0 ? std::max(nowUs, lastArrivalUs_) + byteUs : nowUs;
    lastArrivalUs_ = arrival;
    arriving_.emplace_back(arrival, buffer[i]);
  }
}

void PtyServer::DeliverDue(int64_t nowUs) {
  while (!arriving_.empty() && arriving_.front().first <= nowUs) {
    auto [arrival, byte] = arriving_.front();
    arriving_.pop_front();
    // Keep both directions in time order: what the camera sent before this byte arrived goes first.
    SendOutputDueBy(arrival);
    camera_.Receive(byte, arrival);
  }
  SendOutputDueBy(nowUs);
}

void PtyServer::SendOutputDueBy(int64_t us) {
  uint8_t buffer[256];
  if (adapter_) adapter_->Run(camera_, us);
  for (;;) {
    int n = adapter_ ? adapter_->Take(buffer, sizeof buffer) : camera_.TakeOutput(buffer, sizeof buffer, us);
    if (n <= 0) return;
    int written = 0;
    while (written < n) {
      ssize_t w = ::write(master_, buffer + written, static_cast<size_t>(n - written));
      if (w > 0) {
        written += static_cast<int>(w);
      } else if (w < 0 && errno == EINTR) {
        continue;
      } else {
        // The client's input queue is full (nobody reading): like a real receiver, it loses the rest.
        break;
      }
    }
  }
}

int64_t PtyServer::NextEventUs() const {
  int64_t next = -1;
  if (!arriving_.empty()) next = arriving_.front().first;
  if (camera_.HasOutput() && (next < 0 || camera_.NextOutputUs() < next)) next = camera_.NextOutputUs();
  if (adapter_ && adapter_->NextTickUs() != INT64_MAX && (next < 0 || adapter_->NextTickUs() < next)) {
    next = adapter_->NextTickUs();
  }
  return next;
}
