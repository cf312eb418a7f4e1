// The exchange against a camera that sends arbitrary bytes at arbitrary times: every request ends
// within the exchange's bounded waits, with a result and a stored code from the known vocabulary.
#include <deque>

#include "fuzz/FuzzInput.h"
#include "link/CameraPort.h"
#include "platform/Deadline.h"
#include "platform/LineStatus.h"

namespace {

// A line on which the camera's bytes arrive on a fixed timeline written by the fuzzer, whatever
// the host sends. A delay byte of 0xFF raises a line error instead of carrying a byte.
class ScriptedLine final : public SerialDevice {
 public:
  ScriptedLine(VirtualClock& clock, FuzzInput& input) : clock_(clock) {
    int64_t due = 0;
    while (!input.Empty()) {
      uint8_t delay = input.Byte();
      uint8_t value = input.Byte();
      if (delay == 0xFF) {
        errors_.push_back({due, 1u << (value % 13)});
        continue;
      }
      due += static_cast<int64_t>(delay) * 10000;  // up to 2.5 s between bytes
      bytes_.push_back({due, value});
    }
  }

  bool Open(const std::string&) override { return open_ = true; }
  bool Configure(const LineSettings&) override { return true; }
  bool IsOpen() const override { return open_; }
  void Close() override { open_ = false; }
  int ReadAvailable(uint8_t* buffer, int count) override {
    int n = 0;
    while (n < count && !bytes_.empty() && bytes_.front().first <= clock_.NowUs()) {
      buffer[n++] = bytes_.front().second;
      bytes_.pop_front();
    }
    return n;
  }
  void WaitReadable(int64_t deadlineMs) override {
    const int64_t limit = Deadline::PastUs(deadlineMs);
    if (!bytes_.empty() && bytes_.front().first < limit) {
      clock_.AdvanceTo(bytes_.front().first);
    } else {
      clock_.AdvanceTo(limit);
    }
  }
  int Write(const uint8_t*, int count, int64_t) override { return count; }
  bool Discard(bool input, bool) override {
    if (input) ReadAvailable(scratch_, sizeof scratch_);
    return true;
  }
  uint32_t TakeLineErrors() override {
    uint32_t flags = 0;
    while (!errors_.empty() && errors_.front().first <= clock_.NowUs()) {
      flags |= errors_.front().second;
      errors_.pop_front();
    }
    return flags;
  }

 private:
  VirtualClock& clock_;
  std::deque<std::pair<int64_t, uint8_t>> bytes_;
  std::deque<std::pair<int64_t, uint32_t>> errors_;
  uint8_t scratch_[64];
  bool open_ = false;
};

// The longest a request may take: the fresh port's settling once; four enquiries, three of them
// after settling, and four frames per attempt; per attempt four bad replies, each wait for STX at
// its full time-out whatever noise came meanwhile; and before each repeated attempt the wait for a
// quiet line.
constexpr int64_t SettleBoundMs = 1000 + 2;
constexpr int64_t SendFrameBoundMs = 4 * 1001 + 3 * SettleBoundMs + 4 * (18 * 1000 + 1 + 3001);
constexpr int64_t AttemptRepliesBoundMs = 5 * 4001 + 4 * (9001 + 1001);
constexpr int64_t QuietLineBoundMs = 9 * 1000 + 2;
constexpr int64_t TransactBoundMs =
    SettleBoundMs + 4 * (SendFrameBoundMs + AttemptRepliesBoundMs) + 3 * QuietLineBoundMs;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  int operation = input.Byte() % 3;
  VirtualClock clock;
  auto line = std::make_unique<ScriptedLine>(clock, input);
  CameraPort port(std::move(line), clock);
  port.SetOperatorOutput(nullptr);
  FUZZ_CHECK(port.OpenSerialDefault(1, 9600) == 0);

  int32_t result = 0;
  int64_t bound = TransactBoundMs;
  if (operation == 0) {
    result = port.SendFrame("01FF0104020000");
    bound = SettleBoundMs + SendFrameBoundMs;
    FUZZ_CHECK(result == 0 || (result <= -1 && result >= -CommErrors::Last));
  } else if (operation == 1) {
    char reply[32];
    result = port.Transact("01FF810C000000", reply);
    FUZZ_CHECK(result == 6 || (result <= -1 && result >= -CommErrors::Last));
  } else {
    int32_t value = -1;
    result = port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value);
    FUZZ_CHECK(result == 0 || (result <= -1 && result >= -CommErrors::Last));
    FUZZ_CHECK(result < 0 ? value == 0 : (value >= 0 && value <= 0xFFFF));
  }
  FUZZ_CHECK(clock.NowMs() <= bound);
  FUZZ_CHECK(CommErrors::Number(port.LastError()) >= 0 && port.LastError() <= CommErrors::Last);
  return 0;
}
