// A camera port (or anything built on one) wired to the simulated camera through the in-memory line,
// on a virtual clock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/CameraPort.h"
#include "link/Framing.h"
#include "sim/CameraModel.h"
#include "sim/MemoryDevice.h"
#include "support/RecordingOperatorOutput.h"

// The line's speed in baud; Instant delivers every byte the moment it is sent.
namespace LineSpeed {
inline constexpr int Instant = 0;
}

template <typename Port>
struct MemoryWired {
  VirtualClock clock;
  CameraModel camera;
  MemoryDevice* device = nullptr;  // owned by port
  RecordingOperatorOutput output;
  std::unique_ptr<Port> port;
  int speed;

  explicit MemoryWired(int lineSpeed = LineSpeed::Instant) : speed(lineSpeed) {
    // Both directions: the camera paces its bytes, and the device paces the host's.
    camera.SetBaudRate(lineSpeed);
    auto owned = std::make_unique<MemoryDevice>(camera, clock);
    device = owned.get();
    port = std::make_unique<Port>(std::move(owned), clock);
    port->SetOperatorOutput(&output);
  }

  // Opens COM1 at the line's speed and forgets the traffic so far.
  void Open() {
    port->OpenSerialDefault(1, speed != LineSpeed::Instant ? speed : 9600);
    device->ClearWire();
  }

  int64_t ElapsedMs() const { return clock.NowUs() / 1000; }
  // Request texts the camera accepted, in order.
  const std::vector<std::string>& Requests() const { return camera.Requests(); }
};

using MemoryLink = MemoryWired<CameraPort>;

// Bytes from a mix of control bytes and text: Bytes({STX}, "01FF", {ETX}).
inline std::vector<uint8_t> Bytes(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

inline std::vector<uint8_t> Text(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// Repeats a byte sequence n times.
inline std::vector<uint8_t> Times(int n, const std::vector<uint8_t>& part) {
  std::vector<uint8_t> all;
  for (int i = 0; i < n; ++i) all.insert(all.end(), part.begin(), part.end());
  return all;
}
