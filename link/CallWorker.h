// One long-lived thread for a library call that blocks for long, or never returns (a Camera Link
// library's read or write). The caller waits in slices on the port's clock and keeps its windows
// painted; a call that outlives its limit is left behind, on its thread, and the caller goes on.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Clock.h"

class CallWorker {
 public:
  explicit CallWorker(Clock& clock);
  // Ends the thread once its call has returned; a thread whose call was abandoned is left to itself.
  ~CallWorker();
  CallWorker(const CallWorker&) = delete;
  CallWorker& operator=(const CallWorker&) = delete;

  // Runs call on the thread (started the first time) and waits at most limitMs on the clock for it,
  // running `waiting` after each slice it has not returned; `waiting` answers false to give up at
  // once. true: it returned. false: it is abandoned: it runs on unwatched, and this worker runs
  // nothing again. Whatever the call touches must therefore be its own (captured by value or
  // shared), never the caller's stack.
  using Waiting = std::function<bool()>;
  bool Run(std::function<void()> call, int64_t limitMs, const Waiting& waiting);
  bool Abandoned() const { return abandoned_; }
  // Threads started so far: one for the life of the worker.
  int ThreadsStarted() const { return threadsStarted_; }

 private:
  // What the thread and the caller share; the thread keeps it alive after an abandonment.
  struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> call;
    bool busy = false;
    bool taken = false;  // the thread has begun the call
    bool stopping = false;
  };
  static void Serve(const std::shared_ptr<Shared>& shared);

  Clock& clock_;
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
  bool abandoned_ = false;
  int threadsStarted_ = 0;
};
