// The in-memory serial line: host bytes go straight to the camera model, time is virtual.
#include "sim/MemoryDevice.h"

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

int MemoryDevice::ReadAvailable(uint8_t* buffer, int count) {
  int n = camera_.TakeOutput(buffer, count, clock_.NowUs());
  for (int i = 0; i < n; ++i) wire_.push_back({false, buffer[i], clock_.NowUs()});
  return n;
}

void MemoryDevice::WaitReadable(int64_t deadlineMs) {
  int64_t now = clock_.NowUs();
  if (camera_.HasOutput() && camera_.NextOutputUs() <= now) return;
  // The first moment the millisecond clock reads past the deadline.
  int64_t limit = (deadlineMs + 1) * 1000;
  if (camera_.HasOutput() && camera_.NextOutputUs() < limit) {
    clock_.AdvanceTo(camera_.NextOutputUs());
    return;
  }
  clock_.AdvanceTo(limit);
  lineErrors_ |= stickyLineErrors_;
}

int MemoryDevice::Write(const uint8_t* data, int count, int64_t) {
  if (refuseWrites_) return -1;
  for (int i = 0; i < count; ++i) {
    // Each byte takes its time on the line before the camera has it.
    clock_.Advance(camera_.ByteTimeUs());
    wire_.push_back({true, data[i], clock_.NowUs()});
    camera_.Receive(data[i], clock_.NowUs());
  }
  return count;
}

bool MemoryDevice::Discard(bool input, bool) {
  if (input) camera_.DiscardDelivered(clock_.NowUs());
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
