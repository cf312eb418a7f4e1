// A Camera Link serial library whose channel leads to the simulated camera, in real time.
#include "sim/ClSerialSim.h"

#include <time.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "link/Clock.h"
#include "sim/CameraModel.h"

#define CLSERSIM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Channel {
  CameraModel camera;
  std::vector<ClSimCall> calls;
  int32_t initResult = 0;
  bool open = false;
};

// A fresh camera behind a closed channel, as the environment asks for it.
void Reset(Channel& c) {
  c.camera = CameraModel();
  c.calls.clear();
  c.open = false;
  c.initResult = 0;
  const char* fail = std::getenv("CLSERSIM_INIT_FAIL");
  if (fail != nullptr && *fail != '\0' && std::strcmp(fail, "0") != 0) c.initResult = -1;
  const char* baud = std::getenv("CLSERSIM_BAUD");
  if (baud != nullptr) c.camera.SetBaudRate(std::atoi(baud));
}

Channel& TheChannel() {
  static Channel channel = [] {
    Channel c;
    Reset(c);
    return c;
  }();
  return channel;
}

int64_t NowUs() { return MonotonicClock::Instance().NowUs(); }

void SleepUntilUs(int64_t us) {
  int64_t wait = us - NowUs();
  if (wait <= 0) return;
  timespec ts{static_cast<time_t>(wait / 1000000), static_cast<long>((wait % 1000000) * 1000)};
  nanosleep(&ts, nullptr);
}

void Record(const char* entry, uint32_t count, uint32_t timeout) {
  ClSimCall call{};
  std::strncpy(call.entry, entry, sizeof call.entry - 1);
  call.count = count;
  call.timeout = timeout;
  TheChannel().calls.push_back(call);
}

bool IsOurs(void* ref) { return ref == &TheChannel() && TheChannel().open; }

}  // namespace

CLSERSIM_EXPORT int32_t clSerialInit(uint32_t serialIndex, void** serialRef) {
  Record("clSerialInit", serialIndex, 0);
  Channel& channel = TheChannel();
  if (channel.initResult != 0 || serialIndex != 0) return channel.initResult != 0 ? channel.initResult : -1;
  channel.open = true;
  *serialRef = &channel;
  return 0;
}

CLSERSIM_EXPORT int32_t clSerialWrite(void* serialRef, char* buffer, uint32_t* count, uint32_t timeoutMs) {
  Record("clSerialWrite", *count, timeoutMs);
  if (!IsOurs(serialRef)) {
    *count = 0;
    return -1;
  }
  CameraModel& camera = TheChannel().camera;
  for (uint32_t i = 0; i < *count; ++i) {
    SleepUntilUs(NowUs() + camera.ByteTimeUs());
    camera.Receive(static_cast<uint8_t>(buffer[i]), NowUs());
  }
  return 0;
}

#ifndef CLSERSIM_OMIT_READ
CLSERSIM_EXPORT int32_t clSerialRead(void* serialRef, char* buffer, uint32_t* count, uint32_t timeoutMs) {
  Record("clSerialRead", *count, timeoutMs);
  uint32_t wanted = *count;
  *count = 0;
  if (!IsOurs(serialRef)) return -1;
  CameraModel& camera = TheChannel().camera;
  int64_t deadline = NowUs() + static_cast<int64_t>(timeoutMs) * 1000;
  for (;;) {
    *count += static_cast<uint32_t>(
        camera.TakeOutput(reinterpret_cast<uint8_t*>(buffer) + *count, static_cast<int>(wanted - *count), NowUs()));
    if (*count == wanted || NowUs() >= deadline) break;
    int64_t next = camera.HasOutput() ? std::min(camera.NextOutputUs(), deadline) : deadline;
    SleepUntilUs(next);
  }
  return *count == wanted ? 0 : -1;
}
#endif

CLSERSIM_EXPORT void clSerialClose(void* serialRef) {
  Record("clSerialClose", 0, 0);
  if (IsOurs(serialRef)) TheChannel().open = false;
}

CLSERSIM_EXPORT void clsersim_set_init_result(int32_t result) { TheChannel().initResult = result; }
CLSERSIM_EXPORT void* clsersim_camera() { return &TheChannel().camera; }
CLSERSIM_EXPORT int32_t clsersim_call_count() { return static_cast<int32_t>(TheChannel().calls.size()); }
CLSERSIM_EXPORT const ClSimCall* clsersim_calls() { return TheChannel().calls.data(); }
CLSERSIM_EXPORT void clsersim_reset_calls() { TheChannel().calls.clear(); }
CLSERSIM_EXPORT void clsersim_reset() { Reset(TheChannel()); }
