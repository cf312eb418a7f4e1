// A USB-serial adapter between the camera and the host, as the common ones pass received bytes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "sim/CameraModel.h"

// The camera's bytes wait in the adapter until its free-running latency timer fires or a packet of
// 62 is full; then the host has them all at once. A purge of the host's input does not reach them.
class UsbAdapter {
 public:
  static constexpr int64_t DefaultTimerUs = 16000;
  static constexpr int64_t LowLatencyTimerUs = 1000;
  static constexpr size_t PacketBytes = 62;

  explicit UsbAdapter(int64_t timerUs = DefaultTimerUs) : timerUs_(timerUs) {}
  void SetTimerUs(int64_t timerUs) { timerUs_ = timerUs; }
  int64_t TimerUs() const { return timerUs_; }

  // Runs the adapter up to nowUs: the camera's bytes arrive in its packet, and full packets and
  // timer ticks pass them on.
  void Run(CameraModel& camera, int64_t nowUs);
  // When the timer next passes the packet on; INT64_MAX while it is empty.
  int64_t NextTickUs() const;
  bool HasPassedOn() const { return !passedOn_.empty(); }
  // Bytes passed on, at most count.
  int Take(uint8_t* buffer, int count);
  // The host's purge: what was passed on is gone, the packet stays.
  void DropPassedOn() { passedOn_.clear(); }

 private:
  struct Held {
    uint8_t byte;
    int64_t arrivalUs;
  };
  void PassOn();

  int64_t timerUs_;
  std::deque<Held> packet_;
  std::deque<uint8_t> passedOn_;
};
