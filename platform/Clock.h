// The clock the port measures its deadlines against; production is monotonic, tests are virtual.
#pragma once

#include <cstdint>

class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t NowUs() const = 0;
  int64_t NowMs() const { return NowUs() / 1000; }
  // Sleeps until the clock has reached us (at once when it has).
  virtual void SleepUntilUs(int64_t us) = 0;
};

class MonotonicClock final : public Clock {
 public:
  int64_t NowUs() const override;
  void SleepUntilUs(int64_t us) override;
  static MonotonicClock& Instance();
};

// A clock that only moves when told to: waits jump straight to the moment something can happen.
class VirtualClock final : public Clock {
 public:
  int64_t NowUs() const override { return nowUs_; }
  void SleepUntilUs(int64_t us) override { AdvanceTo(us); }
  void AdvanceTo(int64_t us) {
    if (us > nowUs_) nowUs_ = us;
  }
  void Advance(int64_t us) { nowUs_ += us; }

 private:
  int64_t nowUs_ = 0;
};
