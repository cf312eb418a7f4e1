// A Camera Link serial library whose channel leads to the simulated camera, in real time or on a
// test's clock.
#include "sim/ClSerialSim.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "sim/CameraModel.h"

#ifdef __linux__
#include <sys/prctl.h>
#endif

#ifdef _WIN32
#define CLSERSIM_EXPORT extern "C" __declspec(dllexport)
#else
#define CLSERSIM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// A board with this many serial ports, a camera behind each.
constexpr uint32_t Ports = 4;

struct Channel {
  CameraModel camera;
  bool open = false;
  // When the last byte the host wrote is through the line; a later byte starts then, or at once
  // when the line has gone quiet before it.
  int64_t lineFreeUs = 0;
};

struct Board {
  Channel channels[Ports];
  std::mutex callsMutex;  // cameras on two ports may be driven from two threads
  std::vector<ClSimCall> calls;
  int32_t initResult = 0;
};

// Asked at every clSerialInit: the library stays loaded while the process runs, so a script may
// set it between two opens.
bool InitFailAsked() {
  const char* fail = std::getenv("CLSERSIM_INIT_FAIL");
  return fail != nullptr && *fail != '\0' && std::strcmp(fail, "0") != 0;
}

// CLSERSIM_NEVER_RETURN names an entry point ("clSerialInit", "clSerialClose") that, from then on,
// never comes back, as a grabber's library stuck in its driver would not.
void HangIfAsked(const char* entry) {
  const char* hang = std::getenv("CLSERSIM_NEVER_RETURN");
  if (hang == nullptr || std::strcmp(hang, entry) != 0) return;
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

// Fresh cameras behind closed channels, as the environment asks for them.
void Reset(Board& board) {
  board.calls.clear();
  board.initResult = 0;
  const char* baud = std::getenv("CLSERSIM_BAUD");
  for (Channel& c : board.channels) {
    c.camera = CameraModel();
    c.open = false;
    c.lineFreeUs = 0;
    if (baud != nullptr) c.camera.SetBaudRate(std::atoi(baud));
  }
}

Board& TheBoard() {
  static Board board;
  static const bool ready = (Reset(board), true);
  (void)ready;
  return board;
}

// The clock the library paces its bytes and times its reads by: a test in this process may lend its own.
std::atomic<Clock*> lentClock{nullptr};

Clock& TheClock() {
  Clock* lent = lentClock.load();
  return lent != nullptr ? *lent : MonotonicClock::Instance();
}

int64_t NowUs() { return TheClock().NowUs(); }

void SleepUntilUs(int64_t us) { TheClock().SleepUntilUs(us); }

// Linux wakes a sleeping thread up to its timer slack late, 50 us by default, more than half a byte
// at 115200 baud; while the library paces bytes on the caller's thread, that thread's slack is the
// finest there is, and the caller's own comes back with the return.
class FineTimerSlack {
 public:
#ifdef __linux__
  FineTimerSlack() : saved_(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0)) { prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0); }
  // 0 would mean the thread's default, not what it had.
  ~FineTimerSlack() {
    if (saved_ > 0) prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(saved_), 0, 0, 0);
  }
  FineTimerSlack(const FineTimerSlack&) = delete;
  FineTimerSlack& operator=(const FineTimerSlack&) = delete;

 private:
  int saved_;
#else
  FineTimerSlack() {}
#endif
};

void Record(const char* entry, uint32_t count, uint32_t timeout) {
  ClSimCall call{};
  std::strncpy(call.entry, entry, sizeof call.entry - 1);
  call.count = count;
  call.timeout = timeout;
  Board& board = TheBoard();
  std::lock_guard<std::mutex> lock(board.callsMutex);
  board.calls.push_back(call);
}

// The open channel a reference names, or nullptr.
Channel* Opened(void* ref) {
  for (Channel& c : TheBoard().channels) {
    if (ref == &c && c.open) return &c;
  }
  return nullptr;
}

}  // namespace

CLSERSIM_EXPORT int32_t clSerialInit(uint32_t serialIndex, void** serialRef) {
  Record("clSerialInit", serialIndex, 0);
  HangIfAsked("clSerialInit");
  Board& board = TheBoard();
  if (board.initResult != 0) return board.initResult;
  if (InitFailAsked() || serialIndex >= Ports) return -1;
  Channel& channel = board.channels[serialIndex];
  channel.open = true;
  channel.lineFreeUs = 0;
  *serialRef = &channel;
  return 0;
}

CLSERSIM_EXPORT int32_t clSerialWrite(void* serialRef, char* buffer, uint32_t* count, uint32_t timeoutMs) {
  Record("clSerialWrite", *count, timeoutMs);
  Channel* channel = Opened(serialRef);
  if (channel == nullptr) {
    *count = 0;
    return -1;
  }
  FineTimerSlack fine;
  CameraModel& camera = channel->camera;
  // A transmitter without a queue: each byte goes out once the one before it is through, at a time
  // reckoned from when that one was due, never from when this thread woke, so the wake-ups' lateness
  // never adds up. The write returns once its last byte is on the line, as a grabber's returns once
  // the board has the bytes, so a write at once after it follows back to back.
  int64_t next = std::max(NowUs(), channel->lineFreeUs);
  for (uint32_t i = 0; i < *count; ++i) {
    SleepUntilUs(next);
    next += camera.ByteTimeUs();
    // The camera has it from the moment its ten bits are through.
    camera.Receive(static_cast<uint8_t>(buffer[i]), next);
    channel->lineFreeUs = next;
  }
#ifdef CLSERSIM_OVERCOUNT
  // A library that counts wrongly: far more bytes than it was given.
  *count = 0x7FFFFFF0u;
#endif
  return 0;
}

#ifndef CLSERSIM_OMIT_READ
CLSERSIM_EXPORT int32_t clSerialRead(void* serialRef, char* buffer, uint32_t* count, uint32_t timeoutMs) {
  Record("clSerialRead", *count, timeoutMs);
#ifdef CLSERSIM_STUCK_READ
  // A library whose read never comes back, whatever its time-out says.
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
#endif
  uint32_t wanted = *count;
  *count = 0;
  Channel* channel = Opened(serialRef);
  if (channel == nullptr) return -1;
  FineTimerSlack fine;
  CameraModel& camera = channel->camera;
  // Sleeps until the next byte is due, so the read returns as its last byte arrives.
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
  HangIfAsked("clSerialClose");
  if (Channel* channel = Opened(serialRef)) channel->open = false;
}

CLSERSIM_EXPORT void clsersim_set_init_result(int32_t result) { TheBoard().initResult = result; }
CLSERSIM_EXPORT void* clsersim_camera() { return &TheBoard().channels[0].camera; }
CLSERSIM_EXPORT void* clsersim_port_camera(uint32_t serialIndex) {
  return serialIndex < Ports ? &TheBoard().channels[serialIndex].camera : nullptr;
}
CLSERSIM_EXPORT int32_t clsersim_call_count() { return static_cast<int32_t>(TheBoard().calls.size()); }
CLSERSIM_EXPORT const ClSimCall* clsersim_calls() { return TheBoard().calls.data(); }
CLSERSIM_EXPORT void clsersim_reset_calls() { TheBoard().calls.clear(); }
CLSERSIM_EXPORT void clsersim_reset() { Reset(TheBoard()); }
CLSERSIM_EXPORT void clsersim_use_clock(void* clock) { lentClock = static_cast<Clock*>(clock); }
