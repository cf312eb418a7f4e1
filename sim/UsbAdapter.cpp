// The adapter's packet, its latency timer and what it has passed on to the host.
#include "sim/UsbAdapter.h"

void UsbAdapter::Run(CameraModel& camera, int64_t nowUs) {
  for (;;) {
    const int64_t tick = NextTickUs();
    const int64_t arrival = camera.HasOutput() ? camera.NextOutputUs() : INT64_MAX;
    if (arrival <= nowUs && arrival < tick) {
      uint8_t byte = 0;
      camera.TakeOutput(&byte, 1, arrival);
      packet_.push_back({byte, arrival});
      if (packet_.size() >= PacketBytes) PassOn();
    } else if (tick <= nowUs) {
      PassOn();
    } else {
      return;
    }
  }
}

int64_t UsbAdapter::NextTickUs() const {
  if (packet_.empty()) return INT64_MAX;
  return (packet_.front().arrivalUs / timerUs_ + 1) * timerUs_;
}

int UsbAdapter::Take(uint8_t* buffer, int count) {
  int n = 0;
  for (; n < count && !passedOn_.empty(); ++n) {
    buffer[n] = passedOn_.front();
    passedOn_.pop_front();
  }
  return n;
}

void UsbAdapter::PassOn() {
  for (const Held& held : packet_) passedOn_.push_back(held.byte);
  packet_.clear();
}
