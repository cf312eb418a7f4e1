// The worker thread's hand-over: one call in, its end out, or the caller's leaving.
#include "link/CallWorker.h"

#include <algorithm>

#include "link/WaitObserver.h"

CallWorker::CallWorker(Clock& clock) : clock_(clock), shared_(std::make_shared<Shared>()) {}

CallWorker::~CallWorker() {
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->stopping = true;
  }
  shared_->changed.notify_all();
  if (!thread_.joinable()) return;
  // An abandoned call may never return: its thread ends, if ever, without anyone waiting for it.
  if (abandoned_) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

bool CallWorker::Run(std::function<void()> call, int64_t limitMs, const Waiting& waiting) {
  if (abandoned_) return false;
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->call = std::move(call);
    shared_->busy = true;
    shared_->taken = false;
  }
  if (!thread_.joinable()) {
    thread_ = std::thread(Serve, shared_);
    ++threadsStarted_;
  }
  shared_->changed.notify_all();

  const int64_t deadlineUs = clock_.NowUs() + std::max<int64_t>(limitMs, 0) * 1000;
  const std::function<bool()> returned = [this] { return !shared_->busy; };
  std::unique_lock<std::mutex> lock(shared_->mutex);
  // However busy the machine, the thread takes the call up at once: only the call's own time counts.
  shared_->changed.wait(lock, [this] { return shared_->taken; });
  for (;;) {
    const int64_t sliceEndUs = std::min(deadlineUs, clock_.NowUs() + WaitObserver::SliceMs * 1000);
    if (clock_.WaitForWorkUntilUs(lock, shared_->changed, sliceEndUs, returned)) return true;
    if (clock_.NowUs() >= deadlineUs) break;
    lock.unlock();
    const bool keepWaiting = !waiting || waiting();
    lock.lock();
    if (!keepWaiting && shared_->busy) break;
  }
  abandoned_ = true;
  return false;
}

void CallWorker::Serve(const std::shared_ptr<Shared>& shared) {
  std::unique_lock<std::mutex> lock(shared->mutex);
  for (;;) {
    shared->changed.wait(lock, [&] { return shared->stopping || shared->busy; });
    if (!shared->busy) return;
    std::function<void()> call = std::move(shared->call);
    shared->call = nullptr;
    shared->taken = true;
    shared->changed.notify_all();
    lock.unlock();
    call();
    call = nullptr;
    lock.lock();
    shared->busy = false;
    shared->changed.notify_all();
  }
}
