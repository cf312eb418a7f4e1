// What the operator's side does while the port waits on the line. A windowed program keeps its
// windows painted and holds everything else; without an observer the port just waits.
#pragma once

#include <cstdint>
#include <functional>

class WaitObserver {
 public:
  // The longest the port waits without telling the observer.
  static constexpr int64_t SliceMs = 10;

  virtual ~WaitObserver() = default;
  // An exchange begins and ends: nothing else may reach the camera in between. Whatever the
  // observer does meanwhile, the port refuses an exchange asked for inside these calls.
  virtual void ExchangeStarted(int64_t nowMs) = 0;
  virtual void ExchangeEnded() = 0;
  // Called again and again while an exchange waits, with the port's clock, at most SliceMs apart.
  virtual void StillWaiting(int64_t nowMs) = 0;
  // Runs a call that blocks for long and cannot be cut into slices (a Camera Link library's read or
  // write), telling StillWaiting meanwhile; returns when the call has.
  virtual void RunBlocking(const std::function<void()>& call) = 0;
};
