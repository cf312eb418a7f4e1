// The in-memory serial line: host bytes go straight to the camera model, time is virtual.
#include "sim/MemoryDevice.h"

#include <algorithm>
#include <cstdint>

#include "platform/Deadline.h"

bool MemoryDevice::Open(const std::string& path) {
  if (refuseOpen_) return false;
  path_ = path;
  open_ = true;
  return true;
}

bool MemoryDevice::Configure(const LineSettings& settings) {
  settings_ = settings;
  return !refuseConfigure_;
}

void MemoryDevice::Close() {
  // What was queued is on the line already; closing the port does not call it back.
  DeliverDue(INT64_MAX);
  open_ = false;
}

void MemoryDevice::Deliver(const WireByte& byte) {
  wire_.push_back(byte);
  camera_.Receive(byte.byte, byte.timeUs);
}

void MemoryDevice::DeliverDue(int64_t nowUs) {
  while (!queued_.empty() && queued_.front().timeUs <= nowUs) {
    WireByte byte = queued_.front();
    queued_.pop_front();
    Deliver(byte);
  }
}

int MemoryDevice::ReadAvailable(uint8_t* buffer, int count) {
  DeliverDue(clock_.NowUs());
  int n = camera_.TakeOutput(buffer, count, clock_.NowUs());
  for (int i = 0; i < n; ++i) wire_.push_back({false, buffer[i], clock_.NowUs()});
  return n;
}

void MemoryDevice::WaitReadable(int64_t deadlineMs) {
  // The first moment the millisecond clock reads past the deadline.
  const int64_t limit = Deadline::PastUs(deadlineMs);
  for (;;) {
    DeliverDue(clock_.NowUs());
    if (camera_.HasOutput() && camera_.NextOutputUs() <= clock_.NowUs()) return;
    // A queued byte may make the camera answer before anything it has already scheduled.
    int64_t next = limit;
    if (camera_.HasOutput()) next = std::min(next, camera_.NextOutputUs());
    if (!queued_.empty()) next = std::min(next, queued_.front().timeUs);
    if (next >= limit) break;
    clock_.AdvanceTo(next);
  }
  clock_.AdvanceTo(limit);
  DeliverDue(clock_.NowUs());
  lineErrors_ |= stickyLineErrors_;
}

int MemoryDevice::Write(const uint8_t* data, int count, int64_t) {
  if (refuseWrites_) return -1;
  DeliverDue(clock_.NowUs());
  for (int i = 0; i < count; ++i) {
    if (queueWrites_) {
      const int64_t after = queued_.empty() ? clock_.NowUs() : std::max(clock_.NowUs(), queued_.back().timeUs);
      queued_.push_back({true, data[i], after + camera_.ByteTimeUs()});
      continue;
    }
    // Each byte takes its time on the line before the camera has it.
    clock_.Advance(camera_.ByteTimeUs());
    Deliver({true, data[i], clock_.NowUs()});
  }
  return count;
}

bool MemoryDevice::Discard(bool input, bool output) {
  DeliverDue(clock_.NowUs());
  if (input) camera_.DiscardDelivered(clock_.NowUs());
  if (output) queued_.clear();
  return true;
}

uint32_t MemoryDevice::TakeLineErrors() {
  uint32_t flags = lineErrors_;
  lineErrors_ = 0;
  return flags;
}

std::vector<uint8_t> MemoryDevice::Sent() const {
  std::vector<uint8_t> bytes;
  for (const auto& w : wire_) {
    if (w.fromHost) bytes.push_back(w.byte);
  }
  return bytes;
}

std::vector<uint8_t> MemoryDevice::Received() const {
  std::vector<uint8_t> bytes;
  for (const auto& w : wire_) {
    if (!w.fromHost) bytes.push_back(w.byte);
  }
  return bytes;
}
