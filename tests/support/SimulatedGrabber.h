// Holds the simulated Camera Link library open for a test, with fresh cameras behind closed channels,
// and reaches its controls. Each port the test opens closes its own channel.
#pragma once

#include <cstdint>
#include <vector>

#include "link/CameraLinkApi.h"
#include "platform/Clock.h"
#include "platform/DynamicLibrary.h"
#include "sim/CameraModel.h"
#include "sim/ClSerialSim.h"

class SimulatedGrabber {
 public:
  // A fresh camera behind a closed channel.
  explicit SimulatedGrabber(const char* library = VQ_CLSERSIM) : handle_(DynamicLibrary::Load(library, failure_)) {
    if (handle_ != nullptr) Control<void (*)()>("clsersim_reset")();
  }
  // A fresh camera behind a closed channel, the library running on the test's clock.
  explicit SimulatedGrabber(Clock& clock, const char* library = VQ_CLSERSIM) : SimulatedGrabber(library) {
    UseClock(&clock);
  }
  ~SimulatedGrabber() {
    if (handle_ == nullptr) return;
    UseClock(nullptr);
    DynamicLibrary::Unload(handle_);
  }
  SimulatedGrabber(const SimulatedGrabber&) = delete;
  SimulatedGrabber& operator=(const SimulatedGrabber&) = delete;

  bool Loaded() const { return handle_ != nullptr; }
  // The camera behind the board's serial port `serialIndex`.
  CameraModel& Camera(uint32_t serialIndex = 0) {
    return *static_cast<CameraModel*>(Control<void* (*)(uint32_t)>("clsersim_port_camera")(serialIndex));
  }
  // Paces every port of the board at baud, 10 bits a byte, as CLSERSIM_BAUD does for a child process.
  void SetBaudRate(int baud) {
    for (uint32_t i = 0; i < Ports; ++i) Camera(i).SetBaudRate(baud);
  }
  void UseClock(Clock* clock) { Control<void (*)(void*)>("clsersim_use_clock")(clock); }
  void SetInitResult(int32_t result) { Control<void (*)(int32_t)>("clsersim_set_init_result")(result); }
  void ResetCalls() { Control<void (*)()>("clsersim_reset_calls")(); }
  std::vector<ClSimCall> Calls() {
    const ClSimCall* calls = Control<const ClSimCall* (*)()>("clsersim_calls")();
    return std::vector<ClSimCall>(calls, calls + Control<int32_t (*)()>("clsersim_call_count")());
  }
  // The standard entry points, for a test that calls the library as a grabber's user would.
  ClSerialInitFn Init() { return Control<ClSerialInitFn>(ClSerialInitName); }
  ClSerialReadFn Read() { return Control<ClSerialReadFn>(ClSerialReadName); }
  ClSerialWriteFn Write() { return Control<ClSerialWriteFn>(ClSerialWriteName); }
  ClSerialCloseFn Close() { return Control<ClSerialCloseFn>(ClSerialCloseName); }

 private:
  static constexpr uint32_t Ports = 4;

  template <typename Fn>
  Fn Control(const char* name) {
    return reinterpret_cast<Fn>(DynamicLibrary::Entry(handle_, name));
  }

  DynamicLibrary::LoadFailure failure_;  // before handle_, which is made with it
  void* handle_;
};
