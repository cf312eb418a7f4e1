// The production clock on Windows: the performance counter, unaffected by changes of the wall-clock
// time; sleeps on a waitable timer, which wakes far closer to its moment than Sleep's ticks.
#include <windows.h>

// Windows 10 1803 and later; older systems refuse the flag and get a plain timer below.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

#include "platform/Clock.h"

int64_t MonotonicClock::NowUs() const {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<int64_t>(f.QuadPart);
  }();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  const int64_t ticks = count.QuadPart;
  return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
}

void MonotonicClock::SleepUntilUs(int64_t us) {
  // One timer per thread: the port's thread and a Camera Link worker may both sleep.
  thread_local HANDLE timer = [] {
    HANDLE t = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    return t != nullptr ? t : CreateWaitableTimerW(nullptr, TRUE, nullptr);
  }();
  for (int64_t left = us - NowUs(); left > 0; left = us - NowUs()) {
    LARGE_INTEGER due;
    due.QuadPart = -left * 10;  // relative, in 100 ns units
    if (timer == nullptr || !SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
      Sleep(static_cast<DWORD>((left + 999) / 1000));
      continue;
    }
    WaitForSingleObject(timer, INFINITE);
  }
}

MonotonicClock& MonotonicClock::Instance() {
  static MonotonicClock clock;
  return clock;
}
