// What the operator's side does while the port waits on the line. A windowed program keeps its
// windows painted and holds everything else; without an observer the port just waits.
#pragma once

#include <cstdint>

class WaitObserver {
 public:
  // The longest the port waits without telling the observer.
  static constexpr int64_t SliceMs = 10;

  virtual ~WaitObserver() = default;
  // An exchange begins and ends: nothing else may reach the camera in between. Whatever the
  // observer does meanwhile, the port refuses an exchange asked for inside these calls.
  virtual void ExchangeStarted(int64_t nowMs) = 0;
  virtual void ExchangeEnded() = 0;
  // Called again and again while an exchange waits, with the port's clock, at most SliceMs apart;
  // also while a Camera Link library's call, which cannot be cut into slices, blocks on its worker.
  virtual void StillWaiting(int64_t nowMs) = 0;
  // Whoever drives the port asked to stop (a script's Ctrl+C): the running exchange ends at its next
  // slice, nothing more is sent, and every exchange fails at once until the request is withdrawn.
  virtual bool StopRequested() const { return false; }
  // The program is ending: a library call that blocks (a Camera Link read or write) is left behind
  // at once instead of being waited for to the end of its time-out. Opening and closing a channel
  // are left behind on StopRequested() already.
  virtual bool AbandonBlockedCalls() const { return false; }
};
