// A serial line in memory between the port and the simulated camera, on a virtual clock.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"
#include "sim/CameraModel.h"
#include "sim/UsbAdapter.h"

class MemoryDevice final : public SerialDevice {
 public:
  struct WireByte {
    bool fromHost;
    uint8_t byte;
    int64_t timeUs;
  };

  MemoryDevice(CameraModel& camera, VirtualClock& clock) : camera_(camera), clock_(clock) {}

  bool Open(const std::string& path) override;
  bool Configure(const LineSettings& settings) override;
  bool IsOpen() const override { return open_; }
  bool AskLowLatency() override;
  SerialDeviceFacts Facts() const override;
  void Close() override;
  int ReadAvailable(uint8_t* buffer, int count) override;
  void WaitReadable(int64_t deadlineMs) override;
  int Write(const uint8_t* data, int count, int64_t deadlineMs) override;
  bool Discard(bool input, bool output) override;
  uint32_t TakeLineErrors() override;

  // Test controls.
  void RefuseOpen(bool refuse) { refuseOpen_ = refuse; }
  void RefuseConfigure(bool refuse) { refuseConfigure_ = refuse; }
  void RefuseWrites(bool refuse) { refuseWrites_ = refuse; }
  void RaiseLineErrors(uint32_t flags) { lineErrors_ |= flags; }
  // Raised again at every wait that runs out, as a line stuck in a break would.
  void RaiseLineErrorsAtEveryTimeout(uint32_t flags) { stickyLineErrors_ = flags; }
  // As a pseudo-terminal (or a serial device server behind one) behaves: a write returns as soon as
  // the bytes are queued, each reaches the camera a byte time after the one before, and a discard of
  // the output takes back what the camera has not read yet.
  void QueueWrites(bool queue) { queueWrites_ = queue; }
  // As a USB-serial adapter between the line and the host behaves: the camera's bytes wait in it
  // until its free-running latency timer fires (every 16 ms; every 1 ms once the port has asked for
  // low latency, unless the driver refuses) or a packet of 62 is full. A purge of the host's input
  // does not reach the bytes still in the adapter.
  void PlugUsbAdapter(bool honoursLowLatency = true);

  const std::string& OpenedPath() const { return path_; }
  const LineSettings& Settings() const { return settings_; }
  const std::vector<WireByte>& Wire() const { return wire_; }
  // Bytes the host sent that reached the camera, in order.
  std::vector<uint8_t> Sent() const;
  // Bytes the host read, in order.
  std::vector<uint8_t> Received() const;
  void ClearWire() { wire_.clear(); }

 private:
  CameraModel& camera_;
  VirtualClock& clock_;
  bool open_ = false;
  bool refuseOpen_ = false;
  bool refuseConfigure_ = false;
  bool refuseWrites_ = false;
  bool queueWrites_ = false;
  uint32_t lineErrors_ = 0;
  uint32_t stickyLineErrors_ = 0;
  std::string path_;
  LineSettings settings_;
  std::vector<WireByte> wire_;
  // Queued host bytes, each with the time the camera has it whole.
  std::deque<WireByte> queued_;
  bool adapter_ = false;
  bool honoursLowLatency_ = false;
  UsbAdapter usb_;

  void Deliver(const WireByte& byte);
  // Hands the camera every queued byte due by nowUs.
  void DeliverDue(int64_t nowUs);
  // When the host may next find a byte to read, or the camera may next need to hear one.
  int64_t NextEventUs() const;
  bool HostHasInput(int64_t nowUs);
};
