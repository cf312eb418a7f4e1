// Serves one simulated camera on a pseudo-terminal, pacing the line like a real serial cable.
#pragma once

#include <csignal>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>

#include "sim/CameraModel.h"
#include "sim/UsbAdapter.h"

class PtyServer {
 public:
  explicit PtyServer(CameraModel& camera) : camera_(camera) {}
  ~PtyServer();

  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  // Creates the pseudo-terminal in raw mode; false with the reason in error when the system refuses.
  bool Open(std::string& error);
  // The device path clients open.
  const std::string& SlavePath() const { return slavePath_; }

  // Serves until stop becomes nonzero. Signals are delivered only while sleeping, with sleepMask in
  // force, so a handler that sets stop can never be missed between the check and the sleep.
  void Serve(const volatile std::sig_atomic_t& stop, const sigset_t& sleepMask);
  // Serving also ends when fd reaches its end or its writer is gone.
  void EndWhenClosed(int fd) { watchFd_ = fd; }
  // The camera's bytes pass a USB-serial adapter with this latency timer on their way to the host.
  // A pseudo-terminal cannot hear a low-latency request, so the timer stays as given.
  void HoldOutputInAdapter(int64_t timerUs) { adapter_.emplace(timerUs); }

 private:
  void ReadHost(int64_t nowUs);
  bool WatchedClosed();
  void DeliverDue(int64_t nowUs);
  void SendOutputDueBy(int64_t us);
  // When something next has to happen; -1 when only the host can start anything.
  int64_t NextEventUs() const;

  CameraModel& camera_;
  int master_ = -1;
  int watchFd_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  // Host bytes still on their way down the simulated line, with the time each is fully received.
  std::deque<std::pair<int64_t, uint8_t>> arriving_;
  int64_t lastArrivalUs_ = 0;
  std::optional<UsbAdapter> adapter_;
};
