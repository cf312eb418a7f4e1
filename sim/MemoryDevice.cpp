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
  usb_.SetTimerUs(UsbAdapter::DefaultTimerUs);
}

void MemoryDevice::PlugUsbAdapter(bool honoursLowLatency) {
  adapter_ = true;
  honoursLowLatency_ = honoursLowLatency;
}

bool MemoryDevice::AskLowLatency() {
  if (!open_ || !adapter_ || !honoursLowLatency_) return false;
  usb_.SetTimerUs(UsbAdapter::LowLatencyTimerUs);
  return true;
}

SerialDeviceFacts MemoryDevice::Facts() const {
  SerialDeviceFacts facts;
  if (!adapter_) return facts;
  facts.driver = "ftdi_sio";
  facts.adapter = "modelled USB-serial adapter";
  facts.lowLatency = usb_.TimerUs() == UsbAdapter::LowLatencyTimerUs ? SerialDeviceFacts::LowLatency::On
                                                                     : SerialDeviceFacts::LowLatency::Off;
  facts.latencyTimerMs = static_cast<int>(usb_.TimerUs() / 1000);
  facts.latencyHowTo = "the model's timer follows the low-latency request";
  return facts;
}

bool MemoryDevice::HostHasInput(int64_t nowUs) {
  if (!adapter_) return camera_.HasOutput() && camera_.NextOutputUs() <= nowUs;
  usb_.Run(camera_, nowUs);
  return usb_.HasPassedOn();
}

int64_t MemoryDevice::NextEventUs() const {
  int64_t next = INT64_MAX;
  if (camera_.HasOutput()) next = camera_.NextOutputUs();
  if (adapter_) next = std::min(next, usb_.NextTickUs());
  if (!queued_.empty()) next = std::min(next, queued_.front().timeUs);
  return next;
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
  int n = 0;
  if (adapter_) {
    usb_.Run(camera_, clock_.NowUs());
    n = usb_.Take(buffer, count);
  } else {
    n = camera_.TakeOutput(buffer, count, clock_.NowUs());
  }
  for (int i = 0; i < n; ++i) wire_.push_back({false, buffer[i], clock_.NowUs()});
  return n;
}

void MemoryDevice::WaitReadable(int64_t deadlineMs) {
  // The first moment the millisecond clock reads past the deadline.
  const int64_t limit = Deadline::PastUs(deadlineMs);
  for (;;) {
    DeliverDue(clock_.NowUs());
    if (HostHasInput(clock_.NowUs())) return;
    // A queued byte may make the camera answer before anything it has already scheduled.
    const int64_t next = NextEventUs();
    if (next >= limit) break;
    clock_.AdvanceTo(std::max(next, clock_.NowUs()));
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
  if (input && adapter_) {
    usb_.Run(camera_, clock_.NowUs());
    usb_.DropPassedOn();
  } else if (input) {
    camera_.DiscardDelivered(clock_.NowUs());
  }
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
