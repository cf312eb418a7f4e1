// Ctrl+C for a script. While an exchange waits with the interpreter released, the wait looks every
// few milliseconds whether one of the interpreter's signal handlers is due (SIGINT's raises
// KeyboardInterrupt); when one raised, the port is asked to stop, and the exception is raised as it
// is once the call has unwound. While the interpreter ends, another thread's exchange is stopped the
// same way, and the interpreter is never asked again from it.
#pragma once

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>

#include "link/WaitObserver.h"
#include "python/ScriptExit.h"

class InterruptObserver final : public WaitObserver {
 public:
  // How often the interpreter is asked; well inside the tenth of a second a script may wait.
  static constexpr int64_t CheckEveryMs = 20;

  void ExchangeStarted(int64_t) override {}
  void ExchangeEnded() override {}
  void StillWaiting(int64_t nowMs) override;
  bool StopRequested() const override { return raised_.has_value() || ScriptExit::Leaving(); }
  bool AbandonBlockedCalls() const override { return ScriptExit::Leaving(); }

  // Raises what a handler raised during the call, if one did, and withdraws the stop. Needs the
  // interpreter lock.
  void RaiseIfInterrupted();

 private:
  int64_t lastCheckMs_ = 0;
  bool checked_ = false;
  std::optional<pybind11::error_already_set> raised_;
};
