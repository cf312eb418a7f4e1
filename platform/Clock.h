// The clock the port measures its deadlines against; production is monotonic, tests are virtual.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t NowUs() const = 0;
  int64_t NowMs() const { return NowUs() / 1000; }
  // Sleeps until the clock has reached us (at once when it has).
  virtual void SleepUntilUs(int64_t us) = 0;
  // Waits for another thread's work: until done() holds or the clock has reached us. lock holds the
  // mutex that guards what done() reads, and changed is notified whenever that may have changed.
  // True when done() holds.
  virtual bool WaitForWorkUntilUs(std::unique_lock<std::mutex>& lock, std::condition_variable& changed, int64_t us,
                                  const std::function<bool()>& done) = 0;
};

class MonotonicClock final : public Clock {
 public:
  int64_t NowUs() const override;
  void SleepUntilUs(int64_t us) override;
  bool WaitForWorkUntilUs(std::unique_lock<std::mutex>& lock, std::condition_variable& changed, int64_t us,
                          const std::function<bool()>& done) override;
  static MonotonicClock& Instance();
};

// A clock that only moves when told to: waits jump straight to the moment something can happen.
// Work on another thread takes none of its time: a wait for it gives it real time to finish first
// (StallPatienceMs, ample for a call that only computes), and only a call that has not finished by
// then, one that blocks or never comes back, lets the clock run on. Once such a call has stalled,
// later waits for it run at once.
class VirtualClock final : public Clock {
 public:
  static constexpr int64_t StallPatienceMs = 100;

  int64_t NowUs() const override { return nowUs_.load(); }
  void SleepUntilUs(int64_t us) override { AdvanceTo(us); }
  bool WaitForWorkUntilUs(std::unique_lock<std::mutex>& lock, std::condition_variable& changed, int64_t us,
                          const std::function<bool()>& done) override;
  void AdvanceTo(int64_t us) {
    int64_t now = nowUs_.load();
    while (us > now && !nowUs_.compare_exchange_weak(now, us)) {
    }
  }
  void Advance(int64_t us) { nowUs_ += us; }

 private:
  // Read from the port's thread and a worker's: a simulated library sleeps on this clock too.
  std::atomic<int64_t> nowUs_{0};
  // The wait whose work stalled last (its condition variable), so that it is not given patience again.
  const std::condition_variable* stalled_ = nullptr;
};
