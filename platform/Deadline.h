// Deadlines in whole milliseconds of the port's clock. A wait for deadlineMs lasts until the
// millisecond clock reads past it, as the port's loops run while NowMs() <= deadlineMs: a wait that
// ended when the clock merely reached it would leave such a loop spinning through its last millisecond.
#pragma once

#include <algorithm>
#include <cstdint>

namespace Deadline {

// The first moment, in microseconds, at which the millisecond clock reads past deadlineMs.
constexpr int64_t PastUs(int64_t deadlineMs) { return (deadlineMs + 1) * 1000; }

// Microseconds from nowUs until then; 0 once it has passed.
constexpr int64_t UsUntilPast(int64_t deadlineMs, int64_t nowUs) {
  return std::max<int64_t>(0, PastUs(deadlineMs) - nowUs);
}

// The same in whole milliseconds, rounded up, for calls that count in them: 0 only once it has passed.
constexpr int64_t MsUntilPast(int64_t deadlineMs, int64_t nowUs) {
  return (UsUntilPast(deadlineMs, nowUs) + 999) / 1000;
}

}  // namespace Deadline
