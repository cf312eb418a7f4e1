// One long-lived thread that runs a blocking call (a Camera Link library's read or write) while the
// operator's thread keeps its windows painted. One call at a time: a second waits for the first.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

class BlockingCallWorker {
 public:
  BlockingCallWorker() = default;
  // Waits for a call still running, then ends the thread.
  ~BlockingCallWorker();
  BlockingCallWorker(const BlockingCallWorker&) = delete;
  BlockingCallWorker& operator=(const BlockingCallWorker&) = delete;

  // Hands the call to the thread (started the first time); returns at once.
  void Start(std::function<void()> call);
  // Waits at most timeoutMs for the call handed over last; true when it has returned.
  bool WaitFinished(int64_t timeoutMs);
  // Threads started so far: one for the life of the worker.
  int ThreadsStarted() const { return threadsStarted_; }

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> call_;
  bool busy_ = false;
  bool stopping_ = false;
  int threadsStarted_ = 0;
  std::thread thread_;
};
