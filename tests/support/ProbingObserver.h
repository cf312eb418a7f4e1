// Stands between the port and the windowed program's observer: runs a test's hook in every slice of
// a wait (no timer: a command holds timer ticks), and can let real time pass with the port's virtual
// clock, so that the toolkit's own timers (a scroll bar's auto-repeat) fire during waits as on a line.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "link/WaitObserver.h"

class ProbingObserver final : public WaitObserver {
 public:
  // realTimeDivisor 0: waits take no real time; n: a virtual second takes 1/n of a real one.
  explicit ProbingObserver(WaitObserver& inner, int realTimeDivisor = 0) : inner_(inner), divisor_(realTimeDivisor) {}

  // Runs in every slice of every wait, while the exchange still counts as running.
  std::function<void()> during;
  int slices = 0;

  void ExchangeStarted(int64_t nowMs) override {
    lastMs_ = nowMs;
    inner_.ExchangeStarted(nowMs);
  }
  void ExchangeEnded() override { inner_.ExchangeEnded(); }
  void StillWaiting(int64_t nowMs) override {
    if (divisor_ > 0 && nowMs > lastMs_) std::this_thread::sleep_for(std::chrono::microseconds((nowMs - lastMs_) * 1000 / divisor_));
    lastMs_ = nowMs;
    ++slices;
    if (during) during();
    inner_.StillWaiting(nowMs);
  }

 private:
  WaitObserver& inner_;
  int divisor_;
  int64_t lastMs_ = 0;
};
