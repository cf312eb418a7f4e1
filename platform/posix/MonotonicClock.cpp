// The production clock: CLOCK_MONOTONIC, unaffected by changes of the wall-clock time.
#include "platform/Clock.h"

#include <time.h>

#include <cerrno>

int64_t MonotonicClock::NowUs() const {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

void MonotonicClock::SleepUntilUs(int64_t us) {
  timespec until{static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
  // Signals cut the sleep short; what they ask for is looked at by whoever sleeps.
  while (NowUs() < us && clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
  }
}

MonotonicClock& MonotonicClock::Instance() {
  static MonotonicClock clock;
  return clock;
}
