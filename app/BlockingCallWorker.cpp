// The worker thread's hand-over: one call in, its end out.
#include "app/BlockingCallWorker.h"

#include <chrono>

BlockingCallWorker::~BlockingCallWorker() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void BlockingCallWorker::Start(std::function<void()> call) {
  std::unique_lock<std::mutex> lock(mutex_);
  // Two calls are never inside the library at once.
  changed_.wait(lock, [this] { return !busy_; });
  call_ = std::move(call);
  busy_ = true;
  if (!thread_.joinable()) {
    thread_ = std::thread([this] { Run(); });
    ++threadsStarted_;
  }
  lock.unlock();
  changed_.notify_all();
}

bool BlockingCallWorker::WaitFinished(int64_t timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !busy_; });
}

void BlockingCallWorker::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || (busy_ && call_); });
    if (stopping_) return;
    std::function<void()> call = std::move(call_);
    call_ = nullptr;
    lock.unlock();
    call();
    lock.lock();
    busy_ = false;
    changed_.notify_all();
  }
}
