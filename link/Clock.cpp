// The production clock: CLOCK_MONOTONIC, unaffected by changes of the wall-clock time.
#include "link/Clock.h"

#include <time.h>

int64_t MonotonicClock::NowUs() const {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

MonotonicClock& MonotonicClock::Instance() {
  static MonotonicClock clock;
  return clock;
}
