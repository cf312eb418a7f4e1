// The link over a Camera Link serial library loaded at run time: the simulated grabber library, on a
// virtual clock that the library and the port's worker share.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "link/CameraPort.h"
#include "link/Framing.h"
#include "link/WaitObserver.h"
#include "platform/SystemSerialDevice.h"
#include "sim/CameraModel.h"
#include "sim/ClSerialSim.h"
#include "support/GrabberLink.h"
#include "support/RecordingOperatorOutput.h"
#include "support/RunProgram.h"
#include "support/SimulatedGrabber.h"

namespace {

class CameraLinkChannel : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(grabber.Loaded());
    port.SetOperatorOutput(&output);
  }
  void TearDown() override { port.Close(); }

  CameraModel& Camera() { return grabber.Camera(); }
  std::vector<ClSimCall> Calls() { return grabber.Calls(); }

  static std::string Describe(const ClSimCall& call) {
    return std::string(call.entry) + "(" + std::to_string(call.count) + "," + std::to_string(call.timeout) + ")";
  }

  VirtualClock clock;
  SimulatedGrabber grabber{clock};
  RecordingOperatorOutput output;
  CameraPort port{NewSystemSerialDevice(clock), clock};
};

}  // namespace

TEST_F(CameraLinkChannel, ReadEndToEndInWholeCalls) {
  ASSERT_EQ(port.OpenCameraLink(VQ_CLSERSIM), 0);
  EXPECT_TRUE(output.messages.empty());
  grabber.ResetCalls();

  int32_t value = -1;
  EXPECT_EQ(port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  EXPECT_EQ(value, 168);

  std::vector<std::string> calls;
  for (const auto& call : Calls()) calls.push_back(Describe(call));
  EXPECT_EQ(calls, (std::vector<std::string>{"clSerialWrite(1,1000)", "clSerialRead(1,1000)", "clSerialWrite(18,1000)",
                                             "clSerialRead(1,3000)", "clSerialRead(1,4000)", "clSerialRead(9,1000)",
                                             "clSerialWrite(1,1000)"}));
  // With no serial port behind it, the purge at the start of the request leaves code 3 stored.
  EXPECT_EQ(port.LastError(), CommError::PortNotOpen);
}

TEST_F(CameraLinkChannel, WriteReachesTheCamera) {
  ASSERT_EQ(port.OpenCameraLink(VQ_CLSERSIM), 0);
  EXPECT_EQ(port.WriteParameter(1, 0xFF, 0x01, 0x04, 0, 3, 2), 0);
  EXPECT_EQ(Camera().Register(1, 0x01, 0x04), 2u);
  ASSERT_EQ(Camera().Requests().size(), 1u);
  EXPECT_EQ(Camera().Requests()[0], "01FF0104020000");
}

TEST_F(CameraLinkChannel, BoardThatDoesNotOpenIsReportedOnceThenPortNotOpen) {
  grabber.SetInitResult(-1);
  EXPECT_EQ(port.OpenCameraLink(VQ_CLSERSIM), 0);
  ASSERT_EQ(output.messages.size(), 1u);
  EXPECT_EQ(output.messages[0].text, "Board Open Error");
  EXPECT_EQ(output.messages[0].caption, "Error");
  EXPECT_EQ(output.messages[0].icon, MessageIcon::Error);

  int32_t value = -1;
  EXPECT_EQ(port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), -CommError::PortNotOpen);
  EXPECT_EQ(output.messages.size(), 1u);
}

TEST_F(CameraLinkChannel, MissingLibraryOrEntryPointCannotOpen) {
  EXPECT_EQ(port.OpenCameraLink("/nonexistent/libclsernothing.so"), -CommError::CannotOpenPort);
  EXPECT_EQ(port.OpenCameraLink(VQ_CLSERSIM_NOREAD), -CommError::CannotOpenPort);
  EXPECT_EQ(port.OpenCameraLink(""), -CommError::CannotOpenPort);
  EXPECT_TRUE(output.messages.empty());
  EXPECT_FALSE(port.CameraLinkLoaded());
}

TEST_F(CameraLinkChannel, CloseEndsTheChannelOnce) {
  ASSERT_EQ(port.OpenCameraLink(VQ_CLSERSIM), 0);
  grabber.ResetCalls();
  port.Close();
  port.Close();
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_STREQ(Calls()[0].entry, "clSerialClose");
  int32_t value = -1;
  EXPECT_EQ(port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), -CommError::PortNotOpen);
}

TEST_F(CameraLinkChannel, SilentCameraTimesOutAfterTheRetries) {
  ASSERT_EQ(port.OpenCameraLink(VQ_CLSERSIM), 0);
  Camera().Faults().silent = true;
  int32_t value = -1;
  auto start = clock.NowMs();
  EXPECT_EQ(port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), -CommError::Timeout);
  auto elapsed = clock.NowMs() - start;
  EXPECT_GE(elapsed, 3990);
  EXPECT_LT(elapsed, 5000);
}

// The grabber library has no purge: what the camera still sends after a failed attempt reaches the
// next one unless the port waits for a quiet line first.
struct RecoveryCase {
  const char* name;
  void (*arrange)(CameraFaults&);
  int32_t result;
  int32_t value;
};

class CameraLinkRecovery : public CameraLinkChannel, public ::testing::WithParamInterface<RecoveryCase> {};

TEST_P(CameraLinkRecovery, ReadRecoversOrReportsTheLastCode) {
  ASSERT_EQ(port.OpenCameraLink(VQ_CLSERSIM), 0);
  Camera().SetBaudRate(9600);
  GetParam().arrange(Camera().Faults());
  int32_t value = -1;
  EXPECT_EQ(port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), GetParam().result);
  EXPECT_EQ(value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CameraLinkRecovery,
    ::testing::Values(
        RecoveryCase{"FourBadReplies",
                     [](CameraFaults& f) {
                       f.defectiveReplies = 4;
                       f.replyDefect = ReplyDefect::BadCheck;
                     },
                     0, 168},
        RecoveryCase{"FiveBadReplies",
                     [](CameraFaults& f) {
                       f.defectiveReplies = 5;
                       f.replyDefect = ReplyDefect::BadCheck;
                     },
                     0, 168},
        RecoveryCase{"BadRepliesForEver",
                     [](CameraFaults& f) {
                       f.defectiveReplies = -1;
                       f.replyDefect = ReplyDefect::BadCheck;
                     },
                     -CommError::ChecksumMismatch, 0},
        RecoveryCase{"ShortReply", [](CameraFaults& f) { f.shortReplies = 1; }, 0, 168}),
    [](const ::testing::TestParamInfo<RecoveryCase>& testCase) { return std::string(testCase.param.name); });

// A library call that never returns is given up a little after its own time-out, with code 5: the
// call is left on its worker, the channel is called no more, and closing does not wait for it.
TEST(CameraLinkStuck, ACallThatNeverReturnsIsGivenUpAndTheChannelWithIt) {
  RecordingOperatorOutput output;
  VirtualClock clock;
  CameraPort port(NewSystemSerialDevice(clock), clock);
  port.SetOperatorOutput(&output);
  int traced = 0;
  port.SetByteTrace([&](bool, const uint8_t*, int32_t count) { traced += count; });
  ASSERT_EQ(port.OpenCameraLink(VQ_CLSERSIM_STUCK), 0);

  int64_t start = clock.NowMs();
  int32_t value = -1;
  EXPECT_EQ(port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), -CommError::Timeout);
  // The ENQ went out; the read for its ACK, with a one-second time-out, never came back.
  EXPECT_GE(clock.NowMs() - start, ExchangeTimeouts::Enquiry + CameraLinkLibrary::GraceMs);
  EXPECT_LT(clock.NowMs() - start, ExchangeTimeouts::Enquiry + CameraLinkLibrary::GraceMs + 500);
  EXPECT_EQ(traced, 1);

  start = clock.NowMs();
  EXPECT_EQ(port.WriteParameter(1, 0xFF, 0x01, 0x04, 0, 3, 2), -CommError::Timeout);
  EXPECT_EQ(port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), -CommError::Timeout);
  EXPECT_EQ(traced, 1) << "nothing more went into the library";
  port.Close();
  EXPECT_EQ(clock.NowMs(), start) << "neither the requests nor the close waited";
}

// A library that says it wrote far more than it was given is believed only up to what it was given.
TEST(CameraLinkCounts, AWriteCountPastWhatWasGivenIsCutToIt) {
  SimulatedGrabber grabber;
  ASSERT_TRUE(grabber.Loaded());
  RecordingOperatorOutput output;
  CameraPort port;
  port.SetOperatorOutput(&output);
  std::vector<int32_t> traced;
  port.SetByteTrace([&](bool sent, const uint8_t*, int32_t count) {
    if (sent) traced.push_back(count);
  });
  ASSERT_EQ(port.OpenCameraLink(VQ_CLSERSIM_OVERCOUNT), 0);
  ASSERT_TRUE(port.CameraLinkOpen());
  EXPECT_EQ(port.WriteParameter(1, 0xFF, 0x01, 0x04, 0, 3, 2), 0);
  EXPECT_EQ(traced, (std::vector<int32_t>{1, 18})) << "the ENQ and the frame, each as long as it was";
  port.Close();
}

// One owner per board port, as a serial device has one: a second open of a held port is refused
// without a call into the library, other ports of the board open beside it, and closing one never
// reaches another's channel.
TEST(CameraLinkOwners, ABoardPortHasOneOwnerAndEachClosesOnlyItsOwn) {
  SimulatedGrabber grabber;
  RecordingOperatorOutput output;
  CameraPort first, second, other;
  for (CameraPort* p : {&first, &second, &other}) p->SetOperatorOutput(&output);
  ASSERT_EQ(first.OpenCameraLink(VQ_CLSERSIM, 1), 0);
  grabber.ResetCalls();
  EXPECT_EQ(second.OpenCameraLink(VQ_CLSERSIM, 1), -CommError::CannotOpenPort);
  EXPECT_EQ(second.LastOpenFailure().error, EBUSY);
  EXPECT_EQ(second.LastOpenFailure().reason, std::strerror(EBUSY));
  EXPECT_TRUE(grabber.Calls().empty()) << "the held port was not asked for again";
  EXPECT_EQ(other.OpenCameraLink(VQ_CLSERSIM, 2), 0);

  int32_t value = -1;
  for (CameraPort* closing : {&second, &other}) {
    closing->Close();
    EXPECT_EQ(first.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
    EXPECT_EQ(value, 168);
  }
  first.Close();
  EXPECT_EQ(second.OpenCameraLink(VQ_CLSERSIM, 1), 0) << "a closed port is free again";
  EXPECT_TRUE(output.messages.empty());
}

// A library whose clSerialInit or clSerialClose never returns is given up after a bounded time, as a
// read or write is; a stop asked for meanwhile gives it up at once. Each case uses a board port of
// its own: one given up on stays taken for the rest of the process. The library that counts its
// writes wrongly serves as a second board (its reads are as good).
struct NeverReturnsCase {
  const char* entry;
  const char* library;
  uint32_t serialIndex;
  bool stop;
};

class StopAfter final : public WaitObserver {
 public:
  explicit StopAfter(bool stop) : stop_(stop) {}
  void ExchangeStarted(int64_t) override {}
  void ExchangeEnded() override {}
  void StillWaiting(int64_t) override { ++slices_; }
  bool StopRequested() const override { return stop_ && slices_ >= 5; }

 private:
  bool stop_;
  int slices_ = 0;
};

class CameraLinkNeverReturns : public ::testing::TestWithParam<NeverReturnsCase> {};

TEST_P(CameraLinkNeverReturns, IsGivenUpInBoundedTime) {
  const NeverReturnsCase& c = GetParam();
  VirtualClock clock;
  SimulatedGrabber grabber(clock, c.library);
  RecordingOperatorOutput output;
  StopAfter observer(c.stop);
  CameraPort port(NewSystemSerialDevice(clock), clock);
  port.SetOperatorOutput(&output);
  port.SetWaitObserver(&observer);
  const bool init = std::string(c.entry) == "clSerialInit";
  ASSERT_EQ(setenv("CLSERSIM_NEVER_RETURN", c.entry, 1), 0);
  EXPECT_EQ(port.OpenCameraLink(c.library, c.serialIndex), 0);
  if (!init) {
    // Reads still work; only the close hangs.
    int32_t value = -1;
    EXPECT_EQ(port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
    EXPECT_EQ(value, 168);
  }
  port.Close();
  const int64_t ms = clock.NowMs();
  unsetenv("CLSERSIM_NEVER_RETURN");
  const int64_t bound = c.stop ? 300 : CameraLinkLibrary::ChannelCallLimitMs + 300;
  EXPECT_LT(ms, bound);
  if (!c.stop) {
    EXPECT_GE(ms, CameraLinkLibrary::ChannelCallLimitMs);
  }
  // A board that does not open is reported, unless the operator stopped the open himself.
  EXPECT_EQ(output.messages.size(), init && !c.stop ? 1u : 0u);
  int32_t value = -1;
  port.SetWaitObserver(nullptr);
  EXPECT_EQ(port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), -CommError::Timeout)
      << "the channel is lost: nothing goes into the library again";
}

INSTANTIATE_TEST_SUITE_P(Entries, CameraLinkNeverReturns,
                         ::testing::Values(NeverReturnsCase{"clSerialInit", VQ_CLSERSIM, 3, false},
                                           NeverReturnsCase{"clSerialInit", VQ_CLSERSIM, 2, true},
                                           NeverReturnsCase{"clSerialClose", VQ_CLSERSIM_OVERCOUNT, 3, false},
                                           NeverReturnsCase{"clSerialClose", VQ_CLSERSIM_OVERCOUNT, 2, true}),
                         [](const ::testing::TestParamInfo<NeverReturnsCase>& testCase) {
                           return std::string(testCase.param.entry) + (testCase.param.stop ? "_Stopped" : "_TimedOut");
                         });

namespace {

// A virtual clock whose sleeps end late, as a thread that a timer with slack wakes.
class LateClock final : public Clock {
 public:
  static constexpr int64_t LateUs = 50;

  int64_t NowUs() const override { return clock_.NowUs(); }
  void SleepUntilUs(int64_t us) override {
    if (us > clock_.NowUs()) clock_.AdvanceTo(us + LateUs);
  }
  bool WaitForWorkUntilUs(std::unique_lock<std::mutex>& lock, std::condition_variable& changed, int64_t us,
                          const std::function<bool()>& done) override {
    return clock_.WaitForWorkUntilUs(lock, changed, us, done);
  }

 private:
  VirtualClock clock_;
};

}  // namespace

// The board's line keeps a real line's time: each byte goes out when the one before it was due to
// be through, however late the library's thread woke, so lateness never adds up; a read that waits
// wakes when its byte is due. The camera answers each ENQ one byte time after it arrived, so its
// ACKs show when each ENQ arrived.
TEST(CameraLinkPace, EachByteFollowsTheLastOneDueHoweverLateTheSleepsEnd) {
  LateClock clock;
  SimulatedGrabber grabber(clock);
  grabber.SetBaudRate(115200);
  const int64_t byteUs = grabber.Camera().ByteTimeUs();
  void* ref = nullptr;
  ASSERT_EQ(grabber.Init()(0, &ref), 0);

  const int64_t start = clock.NowUs();
  std::vector<char> bytes(200, static_cast<char>(Framing::ENQ));
  for (int write = 0; write < 20; ++write) {
    uint32_t count = 10;
    grabber.Write()(ref, bytes.data() + 10 * write, &count, 1000);
    ASSERT_EQ(count, 10u);
  }
  EXPECT_EQ(clock.NowUs() - start, 199 * byteUs + LateClock::LateUs)
      << "each write returns once its last byte is on the line, and the next follows it back to back";

  CameraModel answers = grabber.Camera();
  std::vector<int64_t> due, expected;
  for (int64_t k = 1; answers.HasOutput(); ++k) {
    due.push_back(answers.NextOutputUs() - start);
    expected.push_back((k + 1) * byteUs);
    uint8_t ack = 0;
    answers.TakeOutput(&ack, 1, std::numeric_limits<int64_t>::max());
  }
  EXPECT_EQ(due, expected);

  uint32_t count = 200;
  grabber.Read()(ref, bytes.data(), &count, 1000);
  EXPECT_EQ(count, 200u);
  EXPECT_EQ(bytes, std::vector<char>(200, static_cast<char>(Framing::ACK)));
  EXPECT_EQ(clock.NowUs() - start, 201 * byteUs + LateClock::LateUs) << "woken when the last ACK was due";
  grabber.Close()(ref);
}

// The same on the monotonic clock: ENQs written and their ACKs read back in rounds take the line's
// time, whether a write carries one byte or twenty. Best of several tries, since a loaded machine
// only ever makes a try slower; a sleep that wakes a timer's default slack late would take 1.8 times.
TEST(CameraLinkPace, RoundsOnTheRealClockTakeTheLinesTime) {
  SimulatedGrabber grabber;
  grabber.SetBaudRate(115200);
  const int64_t byteUs = grabber.Camera().ByteTimeUs();
  void* ref = nullptr;
  ASSERT_EQ(grabber.Init()(0, &ref), 0);
  constexpr double Bound = 1.3;
  struct Rounds {
    uint32_t bytes;
    int rounds;
  };
  for (Rounds r : {Rounds{1, 100}, Rounds{20, 10}}) {
    // A round's last ENQ arrives `bytes` byte times after the round starts, its ACK one later.
    const double lineUs = static_cast<double>(r.rounds) * (r.bytes + 1) * static_cast<double>(byteUs);
    double bestUs = 1e12;
    for (int attempt = 0; attempt < 10 && bestUs > Bound * lineUs; ++attempt) {
      std::vector<char> bytes(r.bytes);
      const auto begin = std::chrono::steady_clock::now();
      for (int i = 0; i < r.rounds; ++i) {
        std::fill(bytes.begin(), bytes.end(), static_cast<char>(Framing::ENQ));
        uint32_t count = r.bytes;
        grabber.Write()(ref, bytes.data(), &count, 1000);
        count = r.bytes;
        grabber.Read()(ref, bytes.data(), &count, 1000);
        ASSERT_EQ(count, r.bytes);
      }
      const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - begin;
      bestUs = std::min(bestUs, took.count());
    }
    EXPECT_LE(bestUs, Bound * lineUs) << r.bytes << " bytes a write: " << bestUs / lineUs << " times the line's time";
  }
  grabber.Close()(ref);
}

// vqctl through the library in a child process: the board's pace comes from the same figure as the
// program's --baud, so a read-all takes at least its line's time: 46 reads of 32 bytes, all but the
// last ACK waited for.
TEST(CameraLinkPace, AChildProgramsBoardRunsAtTheFigureItsLinkWasGiven) {
  constexpr int Baud = 115200;
  const GrabberLink link = GrabberLinkAt(VQ_CLSERSIM, Baud);
  std::vector<std::string> args = link.options;
  args.push_back("read-all");
  const auto begin = std::chrono::steady_clock::now();
  const ProgramResult all = RunProgram(VQ_VQCTL, args, link.environment);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 46);
  CameraModel paced;
  paced.SetBaudRate(Baud);
  EXPECT_GE(took.count(), (46 * 32 - 1) * static_cast<double>(paced.ByteTimeUs()) / 1e6);
}
