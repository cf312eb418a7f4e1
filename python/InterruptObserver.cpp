// The interpreter's pending signals, looked at from an exchange's wait.
#include "python/InterruptObserver.h"

void InterruptObserver::StillWaiting(int64_t nowMs) {
  // Taking the interpreter's lock while it ends would end this thread from inside the wait.
  if (ScriptExit::Leaving()) return;
  if (raised_ || (checked_ && nowMs - lastCheckMs_ < CheckEveryMs)) return;
  checked_ = true;
  lastCheckMs_ = nowMs;
  // Handlers run only on the interpreter's main thread; on any other this returns at once.
  pybind11::gil_scoped_acquire held;
  if (PyErr_CheckSignals() != 0) raised_.emplace();
}

void InterruptObserver::RaiseIfInterrupted() {
  checked_ = false;
  if (!raised_) return;
  pybind11::error_already_set raised = std::move(*raised_);
  raised_.reset();
  throw raised;
}
