// The edges of a run on a line that holds bytes in flight, as a pseudo-terminal does: the last
// answers of a run reach the camera, and a run begins only once someone else's reply has passed.
#include <gtest/gtest.h>

#include <functional>

#include "link/CameraPort.h"
#include "support/MemoryLink.h"

namespace {

constexpr int Baud = 9600;

// A paced line whose writes return as soon as they are queued.
struct QueuedLink : MemoryLink {
  QueuedLink() : MemoryLink(Baud) { device->QueueWrites(true); }
};

void Defective(CameraFaults& f, int count) {
  f.defectiveReplies = count;
  f.replyDefect = ReplyDefect::BadCheck;
}

struct AnswerCase {
  const char* name;
  std::function<void(CameraFaults&)> arrange;
  int reads;
  int acks;  // answers the camera must have received once the port has closed
  int naks;
};

const AnswerCase AnswerCases[] = {
    {"EveryReadOfARun", [](CameraFaults&) {}, 12, 12, 0},
    {"BadRepliesRefused", [](CameraFaults& f) { Defective(f, 2); }, 1, 1, 2},
    // The fourth NAK's reply is still coming when the request goes out again.
    {"FourBadRepliesThenARepeat", [](CameraFaults& f) { Defective(f, 4); }, 2, 2, 4},
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class AnswersReachTheCamera : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswersReachTheCamera, ThroughThePurgeOfTheNextRequestAndTheClose) {
  const AnswerCase& c = GetParam();
  QueuedLink link;
  c.arrange(link.camera.Faults());
  link.Open();
  for (int i = 0; i < c.reads; ++i) {
    int32_t value = -1;
    ASSERT_EQ(link.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0) << "read " << i;
    EXPECT_EQ(value, 168);
  }
  link.port->Close();
  EXPECT_EQ(link.camera.RepliesAcknowledged(), c.acks);
  EXPECT_EQ(link.camera.RepliesRefused(), c.naks);
}

INSTANTIATE_TEST_SUITE_P(Runs, AnswersReachTheCamera, ::testing::ValuesIn(AnswerCases),
                         [](const ::testing::TestParamInfo<AnswerCase>& testCase) { return std::string(testCase.param.name); });

// Another run asked for Trigger Mode and had its answer before this run opened; its last NAK makes
// the camera send the reply again, beginning to arrive `startMs` after this run's port opened.
void AnotherRunsReplyOnItsWay(MemoryLink& link, int64_t startMs) {
  uint8_t frame[Framing::FrameBufferSize];
  const int32_t length = BuildFrame("01FF8104000000", frame);
  link.camera.Receive(Framing::ENQ, 0);
  for (int32_t i = 0; i < length; ++i) link.camera.Receive(frame[i], 0);
  link.clock.Advance(50 * 1000);
  link.Open();
  link.camera.Receive(Framing::NAK, link.clock.NowUs() + startMs * 1000 - link.camera.ByteTimeUs());
}

class QuietLineFirst : public ::testing::TestWithParam<int64_t> {};

// Still arriving when the port opens, arriving within the first settling wait, and arriving just
// after it, where the stray byte answers the first ENQ and the rest must not answer the next.
TEST_P(QuietLineFirst, AReplyToAnotherRunIsNotTakenForOurs) {
  QueuedLink link;
  AnotherRunsReplyOnItsWay(link, GetParam());
  int32_t value = -1;
  EXPECT_EQ(link.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  EXPECT_EQ(value, 168);
  EXPECT_EQ(link.Requests().back(), "01FF810C000000");

}

INSTANTIATE_TEST_SUITE_P(ReplyStarts, QuietLineFirst, ::testing::Values(0, 3, 8),
                         [](const ::testing::TestParamInfo<int64_t>& testCase) {
                           return "After" + std::to_string(testCase.param) + "ms";
                         });

}  // namespace

// The settling costs a quiet line a request frame's time, once per run; a camera that never stops talking
// still ends with the code a wrong answer to ENQ gives, in bounded time.
TEST(QuietLine, CostsARequestFramesTimeOnceAndIsBounded) {
  QueuedLink quiet;
  quiet.Open();
  int32_t value = -1;
  ASSERT_EQ(quiet.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  const int64_t firstMs = quiet.ElapsedMs();
  ASSERT_EQ(quiet.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  EXPECT_NEAR(firstMs - (quiet.ElapsedMs() - firstMs), SerialTransport::FreshLineTimeMs(Baud) + 1, 1);

  QueuedLink chatty;
  chatty.camera.Faults().noiseBytes = 100000;  // noise, then a reply, after every request
  AnotherRunsReplyOnItsWay(chatty, 0);
  EXPECT_EQ(chatty.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), -CommError::UnexpectedCharacter);
  EXPECT_LE(chatty.ElapsedMs(), 4 * (ExchangeTimeouts::SettleLimit + ExchangeTimeouts::Enquiry) + 100);
}
