// Waiting for a worker's call on either clock.
#include "platform/Clock.h"

#include <chrono>

bool MonotonicClock::WaitForWorkUntilUs(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                                        int64_t us, const std::function<bool()>& done) {
  for (;;) {
    if (done()) return true;
    const int64_t left = us - NowUs();
    if (left <= 0) return false;
    changed.wait_for(lock, std::chrono::microseconds(left));
  }
}

bool VirtualClock::WaitForWorkUntilUs(std::unique_lock<std::mutex>& lock, std::condition_variable& changed,
                                      int64_t us, const std::function<bool()>& done) {
  if (stalled_ != &changed && changed.wait_for(lock, std::chrono::milliseconds(StallPatienceMs), done)) return true;
  if (done()) {
    stalled_ = nullptr;
    return true;
  }
  stalled_ = &changed;
  AdvanceTo(us);
  return done();
}
