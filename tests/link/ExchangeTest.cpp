// The request/reply exchange: exact bytes on the line, retries, time-outs and final codes, on an
// instant line and on lines paced at 9600 and 115200 baud where bytes are still in flight.
#include <gtest/gtest.h>

#include <functional>

#include "link/CameraPort.h"
#include "platform/LineStatus.h"
#include "support/MemoryLink.h"

using Framing::ACK;
using Framing::ENQ;
using Framing::ETX;
using Framing::NAK;
using Framing::STX;

namespace {

// Frames as they stand in the protocol's worked examples.
const std::vector<uint8_t> TriggerMode2 = Bytes({{STX}, Text("01FF0104020000"), {ETX}, Text("26")});
const std::vector<uint8_t> ReadGain = Bytes({{STX}, Text("01FF810C000000"), {ETX}, Text("11")});
const std::vector<uint8_t> Gain168Reply = Bytes({{STX}, Text("00A800"), {ETX}, Text("C1")});
const std::vector<uint8_t> FourNaks = {NAK, NAK, NAK, NAK};

enum class Operation { WriteTriggerMode2, ReadGainLevel };

struct FailureCase {
  const char* name;
  std::function<void(CameraFaults&, MemoryDevice&)> arrange;
  Operation operation;
  int32_t result;
  int32_t value;                // what a read yields (0 after a failure)
  std::vector<uint8_t> sent;    // every byte the port put on the line
  int64_t waitsMs;              // time spent in waits that ran out, or in gaps the camera left
  int quietWaits;               // repeated attempts that first waited for a quiet line
  int enquirySettles = 0;       // ENQs repeated after a wrong answer, each after a few quiet byte times
};

void Defective(CameraFaults& f, int count, ReplyDefect defect) {
  f.defectiveReplies = count;
  f.replyDefect = defect;
}

const FailureCase Cases[] = {
    {"Write", [](CameraFaults&, MemoryDevice&) {}, Operation::WriteTriggerMode2, 0, 0,
     Bytes({{ENQ}, TriggerMode2}), 0, 0},
    {"Read", [](CameraFaults&, MemoryDevice&) {}, Operation::ReadGainLevel, 0, 168, Bytes({{ENQ}, ReadGain, {ACK}}),
     0, 0},
    {"SilentCameraWrite", [](CameraFaults& f, MemoryDevice&) { f.silent = true; }, Operation::WriteTriggerMode2,
     -CommError::Timeout, 0, std::vector<uint8_t>(4, ENQ), 4 * 1001, 0},
    // A failed SendFrame inside Transact is never retried.
    {"SilentCameraRead", [](CameraFaults& f, MemoryDevice&) { f.silent = true; }, Operation::ReadGainLevel,
     -CommError::Timeout, 0, std::vector<uint8_t>(4, ENQ), 4 * 1001, 0},
    {"OtherByteForAckRetriesAtOnce",
     [](CameraFaults& f, MemoryDevice&) {
       f.wrongEnquiryAnswers = 1;
       f.enquiryAnswer = 'X';
     },
     Operation::WriteTriggerMode2, 0, 0, Bytes({{ENQ, ENQ}, TriggerMode2}), 0, 0, 1},
    {"OtherByteForAckEveryTime", [](CameraFaults& f, MemoryDevice&) { f.wrongEnquiryAnswers = -1; },
     Operation::WriteTriggerMode2, -CommError::UnexpectedCharacter, 0, std::vector<uint8_t>(4, ENQ), 0, 0, 3},
    {"NakAfterFrameResendsTheFrameOnly", [](CameraFaults& f, MemoryDevice&) { f.wrongFrameAnswers = 3; },
     Operation::WriteTriggerMode2, 0, 0, Bytes({{ENQ}, Times(4, TriggerMode2)}), 0, 0},
    {"NakAfterEveryFrame", [](CameraFaults& f, MemoryDevice&) { f.wrongFrameAnswers = -1; },
     Operation::WriteTriggerMode2, -CommError::UnexpectedCharacter, 0, Bytes({{ENQ}, Times(4, TriggerMode2)}), 0, 0},
    {"UnansweredFrameWaitsThreeSecondsEachTry", [](CameraFaults& f, MemoryDevice&) { f.ignoreFrames = -1; },
     Operation::WriteTriggerMode2, -CommError::Timeout, 0, Bytes({{ENQ}, Times(4, TriggerMode2)}), 4 * 3001, 0},
    {"AcknowledgedButUnansweredRequestIsSentAgain", [](CameraFaults& f, MemoryDevice&) { f.missingReplies = 1; },
     Operation::ReadGainLevel, 0, 168, Bytes({{ENQ}, ReadGain, {ENQ}, ReadGain, {ACK}}), 4001, 0},
    {"NeverAnsweredRequest", [](CameraFaults& f, MemoryDevice&) { f.missingReplies = -1; }, Operation::ReadGainLevel,
     -CommError::Timeout, 0, Times(4, Bytes({{ENQ}, ReadGain})), 4 * 4001, 0},
    // The camera answers the fourth NAK too; that reply is still arriving when the request is resent.
    {"FourBadRepliesThenGood", [](CameraFaults& f, MemoryDevice&) { Defective(f, 4, ReplyDefect::BadCheck); },
     Operation::ReadGainLevel, 0, 168, Bytes({{ENQ}, ReadGain, FourNaks, {ENQ}, ReadGain, {ACK}}), 0, 1},
    {"FiveBadRepliesThenGood", [](CameraFaults& f, MemoryDevice&) { Defective(f, 5, ReplyDefect::BadCheck); },
     Operation::ReadGainLevel, 0, 168, Bytes({{ENQ}, ReadGain, FourNaks, {ENQ}, ReadGain, {ACK}}), 0, 1},
    {"CameraThatGivesUpAfterFourReplies",
     [](CameraFaults& f, MemoryDevice&) {
       Defective(f, 4, ReplyDefect::BadCheck);
       f.repliesPerRequest = 4;
     },
     Operation::ReadGainLevel, 0, 168, Bytes({{ENQ}, ReadGain, FourNaks, {ENQ}, ReadGain, {ACK}}), 0, 1},
    {"BadCheckForEver", [](CameraFaults& f, MemoryDevice&) { Defective(f, -1, ReplyDefect::BadCheck); },
     Operation::ReadGainLevel, -CommError::ChecksumMismatch, 0, Times(4, Bytes({{ENQ}, ReadGain, FourNaks})), 0, 3},
    {"NoEtxForEver", [](CameraFaults& f, MemoryDevice&) { Defective(f, -1, ReplyDefect::NoEtx); },
     Operation::ReadGainLevel, -CommError::NoEtx, 0, Times(4, Bytes({{ENQ}, ReadGain, FourNaks})), 0, 3},
    {"NonHexCheckForEver", [](CameraFaults& f, MemoryDevice&) { Defective(f, -1, ReplyDefect::NonHexCheck); },
     Operation::ReadGainLevel, -CommError::InvalidCharacter, 0, Times(4, Bytes({{ENQ}, ReadGain, FourNaks})), 0, 3},
    // Acknowledged by the exchange, refused by the read.
    {"NonHexData", [](CameraFaults& f, MemoryDevice&) { Defective(f, 1, ReplyDefect::NonHexData); },
     Operation::ReadGainLevel, -CommError::InvalidCharacter, 0, Bytes({{ENQ}, ReadGain, {ACK}}), 0, 0},
    {"ShortReplyEndsTheAttemptWithoutNak", [](CameraFaults& f, MemoryDevice&) { f.shortReplies = 1; },
     Operation::ReadGainLevel, 0, 168, Bytes({{ENQ}, ReadGain, {ENQ}, ReadGain, {ACK}}), 9 * 1000 + 1, 1},
    {"NoiseWithinTheWaitIsSkipped",
     [](CameraFaults& f, MemoryDevice&) {
       f.noiseBytes = 3;
       f.noiseGapUs = 900 * 1000;  // the reply's STX comes 3.6 s after the request
     },
     Operation::ReadGainLevel, 0, 168, Bytes({{ENQ}, ReadGain, {ACK}}), 4 * 900, 0},
    {"TolerableNoise", [](CameraFaults& f, MemoryDevice&) { f.noiseBytes = 1024; }, Operation::ReadGainLevel, 0, 168,
     Bytes({{ENQ}, ReadGain, {ACK}}), 0, 0},
    {"EndlessNoiseEndsEachAttempt", [](CameraFaults& f, MemoryDevice&) { f.noiseBytes = 1025; },
     Operation::ReadGainLevel, -CommError::UnexpectedCharacter, 0, Times(4, Bytes({{ENQ}, ReadGain})), 0, 3},
    {"LineErrorWhileAwaitingReplyEndsTheAttempt",
     [](CameraFaults& f, MemoryDevice& device) {
       f.missingReplies = -1;
       device.RaiseLineErrorsAtEveryTimeout(LineStatus::Break);
     },
     Operation::ReadGainLevel, -CommError::LineBreak, 0, Times(4, Bytes({{ENQ}, ReadGain})), 4 * 4001, 0},
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class ExchangeFailure : public ::testing::TestWithParam<std::tuple<int, FailureCase>> {
 protected:
  ExchangeFailure() : link(std::get<0>(GetParam())) {}
  void SetUp() override { link.Open(); }

  int32_t Run(Operation operation, int32_t* value) {
    if (operation == Operation::WriteTriggerMode2) return link.port->WriteParameter(1, 0xFF, 0x01, 0x04, 0, 3, 2);
    return link.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, value);
  }

  MemoryLink link;
};

// On an instant line the time is the waits alone; on a paced one the bytes' time on the line adds to it.
TEST_P(ExchangeFailure, BytesCodeAndTime) {
  const FailureCase& c = std::get<1>(GetParam());
  c.arrange(link.camera.Faults(), *link.device);
  int32_t value = -1;
  EXPECT_EQ(Run(c.operation, &value), c.result);
  if (c.operation == Operation::ReadGainLevel) {
    EXPECT_EQ(value, c.value);
  }
  EXPECT_EQ(link.device->Sent(), c.sent);
  if (c.result == 0 && c.operation == Operation::ReadGainLevel) {
    auto received = link.device->Received();
    ASSERT_GE(received.size(), Gain168Reply.size());
    EXPECT_EQ(std::vector<uint8_t>(received.end() - 10, received.end()), Gain168Reply);
  }

  // A fresh port's first request waits for a request frame's quiet time, each repeated ENQ for a few
  // quiet byte times.
  const int32_t baud = link.port->BaudRate();
  const int64_t quietMs = c.quietWaits * (SerialTransport::QuietTimeMs(baud) + 1) +
                          SerialTransport::FreshLineTimeMs(baud) + 1 +
                          c.enquirySettles * (SerialTransport::SettleTimeMs(baud) + 1);
  if (link.speed == LineSpeed::Instant) {
    EXPECT_EQ(link.ElapsedMs(), c.waitsMs + quietMs);
  } else {
    int64_t lineMs = static_cast<int64_t>(link.device->Wire().size()) * link.camera.ByteTimeUs() / 1000;
    EXPECT_GE(link.ElapsedMs(), c.waitsMs + quietMs - c.quietWaits - 1 - c.enquirySettles);
    EXPECT_LE(link.ElapsedMs(), c.waitsMs + quietMs + lineMs + 20);
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, ExchangeFailure,
                         ::testing::Combine(::testing::Values(LineSpeed::Instant, 9600, 115200),
                                            ::testing::ValuesIn(Cases)),
                         [](const ::testing::TestParamInfo<ExchangeFailure::ParamType>& testCase) {
                           int speed = std::get<0>(testCase.param);
                           return std::string(std::get<1>(testCase.param).name) + "_" +
                                  (speed == LineSpeed::Instant ? std::string("Instant") : std::to_string(speed));
                         });

class Exchange : public ::testing::Test {
 protected:
  void SetUp() override { link.Open(); }
  MemoryLink link;
};

}  // namespace

// A camera that trickles noise and never a frame is given up on by time, not by the bytes it sends:
// each attempt's wait for STX keeps its 4 s, and the quiet-line waits between attempts their 9 s.
// The noise that meets the next ENQ is what gets reported.
TEST(ExchangeNoise, TricklingNoiseIsBoundedByTime) {
  for (int speed : {LineSpeed::Instant, 9600}) {
    MemoryLink link(speed);
    link.Open();
    link.camera.Faults().noiseBytes = 4096;
    link.camera.Faults().noiseGapUs = 300 * 1000;
    int32_t value = -1;
    EXPECT_EQ(link.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), -CommError::UnexpectedCharacter) << speed;
    const int64_t boundMs = 4 * ExchangeTimeouts::ReplyStart + 3 * 9 * ExchangeTimeouts::ReplyRest + 1000;
    EXPECT_LE(link.ElapsedMs(), boundMs) << speed;
  }
}

TEST_F(Exchange, QuietWaitReadsTheReplyStillComing) {
  MemoryLink paced(9600);
  paced.Open();
  paced.camera.Faults().defectiveReplies = 5;
  paced.camera.Faults().replyDefect = ReplyDefect::NoEtx;
  int32_t value = -1;
  ASSERT_EQ(paced.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  EXPECT_EQ(value, 168);
  // Five replies arrived in the first attempt: four NAKed, the fifth dropped; then the good one.
  EXPECT_EQ(paced.device->Received().size(), 2 + 5 * 10 + 2 + 10u);
}

TEST_F(Exchange, LowerCaseCheckDigitsAreAccepted) {
  link.camera.Faults().lowerCaseCheck = true;
  link.camera.SetSetting(0x10, 0x05, 0x009F02);
  char reply[Framing::FrameBufferSize];
  EXPECT_EQ(link.port->Transact("01FF9005000000", reply), 6);
  EXPECT_STREQ(reply, "029F00");
  auto received = link.device->Received();
  EXPECT_EQ(std::vector<uint8_t>(received.end() - 10, received.end()),
            Bytes({{STX}, Text("029F00"), {ETX}, Text("b9")}));
}

TEST_F(Exchange, OverlongTextTouchesNothing) {
  EXPECT_EQ(link.port->SendFrame(std::string(23, '0')), -CommError::IllegalMessageSize);
  char reply[Framing::FrameBufferSize];
  EXPECT_EQ(link.port->Transact(std::string(30, '0'), reply), -CommError::IllegalMessageSize);
  EXPECT_TRUE(link.device->Wire().empty());

  link.port->SendFrame(std::string(22, 'a'));
  auto sent = link.device->Sent();
  ASSERT_GE(sent.size(), 27u);
  EXPECT_EQ(sent[0], ENQ);
  EXPECT_EQ(sent[1], STX);
  EXPECT_EQ(sent[24], ETX);
}

TEST_F(Exchange, ClosedPortFailsWithoutTraffic) {
  link.port->Close();
  EXPECT_EQ(link.port->WriteParameter(1, 0xFF, 0x01, 0x04, 0, 3, 2), -CommError::PortNotOpen);
  int32_t value = -1;
  EXPECT_EQ(link.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), -CommError::PortNotOpen);
  EXPECT_TRUE(link.device->Wire().empty());
  EXPECT_EQ(link.ElapsedMs(), 0);
}

TEST_F(Exchange, WaitAckReportsWhatCameInstead) {
  link.camera.Faults().wrongEnquiryAnswers = 1;
  link.camera.Faults().enquiryAnswer = NAK;
  const uint8_t enq = ENQ;
  link.port->WriteBytes(&enq, 1, 1000);
  EXPECT_EQ(link.port->WaitAck(1000), -CommError::UnexpectedCharacter);
  EXPECT_EQ(link.port->WaitAck(1000), -CommError::Timeout);
  EXPECT_EQ(link.ElapsedMs(), 1001);
}
