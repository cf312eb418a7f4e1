// Which thread ends the interpreter, and the end of every other one inside a call.
#include "python/ScriptExit.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Plain atomics: nothing to destroy, so a parked thread never meets a destroyed object at exit.
std::atomic<bool> ending{false};
std::atomic<std::thread::id> endingThread{};

}  // namespace

namespace ScriptExit {

void Begin() {
  endingThread = std::this_thread::get_id();
  ending = true;
}

bool Leaving() { return ending.load() && endingThread.load() != std::this_thread::get_id(); }

void Park() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace ScriptExit
