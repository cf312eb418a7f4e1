// The worker a blocking library call runs on: the caller hears from it every slice, gets its result
// when it returns, and leaves it behind when it does not.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "link/CallWorker.h"
#include "link/WaitObserver.h"

namespace {

using Steady = std::chrono::steady_clock;

int64_t MsSince(Steady::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start).count();
}

}  // namespace

TEST(CallWorker, RunsEachCallOnOneThreadAndWaitsInSlices) {
  CallWorker worker(MonotonicClock::Instance());
  int slices = 0;
  auto result = std::make_shared<int>(0);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_TRUE(worker.Run(
        [result, i] {
          std::this_thread::sleep_for(std::chrono::milliseconds(60));
          *result += i;
        },
        1000, [&] {
          ++slices;
          return true;
        }));
  }
  EXPECT_EQ(*result, 6);
  EXPECT_GE(slices, 3) << "the caller heard from the wait while each call ran";
  EXPECT_EQ(worker.ThreadsStarted(), 1);
  EXPECT_FALSE(worker.Abandoned());
}

// A call that outlives its limit is left running; nothing else is run, and the worker's end does not
// wait for it. The call is let go at the end so that the test leaves no thread behind.
TEST(CallWorker, ACallPastItsLimitIsAbandonedAndNeverWaitedFor) {
  auto release = std::make_shared<std::atomic<bool>>(false);
  auto finished = std::make_shared<std::atomic<bool>>(false);
  auto ranAfter = std::make_shared<std::atomic<bool>>(false);
  auto start = Steady::now();
  {
    CallWorker worker(MonotonicClock::Instance());
    EXPECT_FALSE(worker.Run(
        [release, finished] {
          while (!*release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
          *finished = true;
        },
        150, {}));
    EXPECT_GE(MsSince(start), 150);
    EXPECT_TRUE(worker.Abandoned());
    EXPECT_FALSE(worker.Run([ranAfter] { *ranAfter = true; }, 1000, {}));
  }
  EXPECT_LT(MsSince(start), 500) << "neither the refused call nor the worker's end waited";
  EXPECT_FALSE(*finished);
  *release = true;
  for (int i = 0; i < 200 && !*finished; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(*finished);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(*ranAfter);
}

// On a virtual clock the limit is virtual time: a call that never returns costs the clock its limit,
// heard from every slice, and real time only the clock's patience with it.
TEST(CallWorker, OnAVirtualClockAStuckCallCostsItsLimitInVirtualTime) {
  auto release = std::make_shared<std::atomic<bool>>(false);
  VirtualClock clock;
  int slices = 0;
  auto start = Steady::now();
  {
    CallWorker worker(clock);
    EXPECT_TRUE(worker.Run([] {}, 1000, {}));
    EXPECT_EQ(clock.NowUs(), 0) << "a call that returns takes no virtual time";
    EXPECT_FALSE(worker.Run(
        [release] {
          while (!*release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        },
        3000, [&] {
          ++slices;
          return true;
        }));
    EXPECT_EQ(clock.NowMs(), 3000);
    EXPECT_EQ(slices, 3000 / WaitObserver::SliceMs - 1);
  }
  EXPECT_LT(MsSince(start), 5 * VirtualClock::StallPatienceMs);
  *release = true;
}
