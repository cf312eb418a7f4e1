// The request/reply exchange: exact bytes on the line, retries, time-outs and final codes.
#include <gtest/gtest.h>

#include "link/CameraPort.h"
#include "link/LineStatus.h"
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

class Exchange : public ::testing::Test {
 protected:
  void SetUp() override { link.Open(); }

  int32_t WriteTriggerMode2() { return link.port->WriteParameter(1, 0xFF, 0x01, 0x04, 0, 3, 2); }
  int32_t ReadGainLevel(int32_t* value) { return link.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, value); }

  MemoryLink link;
  CameraFaults& faults = link.camera.Faults();
};

}  // namespace

TEST_F(Exchange, WriteIsEnquiryThenFrame) {
  EXPECT_EQ(WriteTriggerMode2(), 0);
  EXPECT_EQ(link.device->Sent(), Bytes({{ENQ}, TriggerMode2}));
  EXPECT_EQ(link.device->Received(), (std::vector<uint8_t>{ACK, ACK}));
  EXPECT_EQ(link.camera.Register(1, 0x01, 0x04), 2u);
}

TEST_F(Exchange, ReadIsAcknowledgedAndDecoded) {
  int32_t value = -1;
  EXPECT_EQ(ReadGainLevel(&value), 0);
  EXPECT_EQ(value, 168);
  EXPECT_EQ(link.device->Sent(), Bytes({{ENQ}, ReadGain, {ACK}}));
  EXPECT_EQ(link.device->Received(), Bytes({{ACK, ACK}, Gain168Reply}));
  EXPECT_EQ(link.ElapsedMs(), 0);
}

TEST_F(Exchange, SilentCameraFailsAfterFourEnquiries) {
  faults.silent = true;
  EXPECT_EQ(WriteTriggerMode2(), -CommErrors::Timeout);
  EXPECT_EQ(link.device->Sent(), std::vector<uint8_t>(4, ENQ));
  EXPECT_EQ(link.ElapsedMs(), 4 * 1001);
}

TEST_F(Exchange, TransactNeverRetriesAFailedSendFrame) {
  faults.silent = true;
  char reply[Framing::FrameBufferSize];
  EXPECT_EQ(link.port->Transact("01FF810C000000", reply), -CommErrors::Timeout);
  EXPECT_EQ(link.device->Sent(), std::vector<uint8_t>(4, ENQ));
  EXPECT_EQ(link.ElapsedMs(), 4 * 1001);
}

TEST_F(Exchange, OtherByteForAckRetriesAtOnce) {
  faults.wrongEnquiryAnswers = 1;
  faults.enquiryAnswer = 'X';
  EXPECT_EQ(WriteTriggerMode2(), 0);
  EXPECT_EQ(link.device->Sent(), Bytes({{ENQ, ENQ}, TriggerMode2}));
  EXPECT_EQ(link.ElapsedMs(), 0);

  faults.wrongEnquiryAnswers = -1;
  link.device->ClearWire();
  EXPECT_EQ(WriteTriggerMode2(), -CommErrors::UnexpectedCharacter);
  EXPECT_EQ(link.device->Sent(), std::vector<uint8_t>(4, ENQ));
}

TEST_F(Exchange, NakAfterFrameResendsTheFrameOnly) {
  faults.wrongFrameAnswers = 3;
  EXPECT_EQ(WriteTriggerMode2(), 0);
  EXPECT_EQ(link.device->Sent(), Bytes({{ENQ}, Times(4, TriggerMode2)}));

  faults.wrongFrameAnswers = -1;
  link.device->ClearWire();
  EXPECT_EQ(WriteTriggerMode2(), -CommErrors::UnexpectedCharacter);
  EXPECT_EQ(link.device->Sent(), Bytes({{ENQ}, Times(4, TriggerMode2)}));
}

TEST_F(Exchange, UnansweredFrameWaitsThreeSecondsEachTry) {
  faults.ignoreFrames = -1;
  EXPECT_EQ(WriteTriggerMode2(), -CommErrors::Timeout);
  EXPECT_EQ(link.device->Sent(), Bytes({{ENQ}, Times(4, TriggerMode2)}));
  EXPECT_EQ(link.ElapsedMs(), 4 * 3001);
}

TEST_F(Exchange, AcknowledgedButUnansweredRequestIsSentAgain) {
  faults.missingReplies = 1;
  int32_t value = -1;
  EXPECT_EQ(ReadGainLevel(&value), 0);
  EXPECT_EQ(value, 168);
  EXPECT_EQ(link.device->Sent(), Bytes({{ENQ}, ReadGain, {ENQ}, ReadGain, {ACK}}));
  EXPECT_EQ(link.ElapsedMs(), 4001);

  faults.missingReplies = -1;
  link.device->ClearWire();
  EXPECT_EQ(ReadGainLevel(&value), -CommErrors::Timeout);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(link.device->Sent(), Times(4, Bytes({{ENQ}, ReadGain})));
  EXPECT_EQ(link.ElapsedMs(), 4001 + 4 * 4001);
}

TEST_F(Exchange, BadRepliesAreNakedFourTimesThenTheRequestIsResent) {
  faults.defectiveReplies = 4;
  faults.replyDefect = ReplyDefect::BadCheck;
  int32_t value = -1;
  EXPECT_EQ(ReadGainLevel(&value), 0);
  EXPECT_EQ(value, 168);
  EXPECT_EQ(link.device->Sent(), Bytes({{ENQ}, ReadGain, {NAK, NAK, NAK, NAK, ENQ}, ReadGain, {ACK}}));
  EXPECT_EQ(link.ElapsedMs(), 0);
}

TEST_F(Exchange, LastBadReplyCodeIsReported) {
  const std::pair<ReplyDefect, CommError> cases[] = {{ReplyDefect::BadCheck, CommErrors::ChecksumMismatch},
                                                     {ReplyDefect::NoEtx, CommErrors::NoEtx},
                                                     {ReplyDefect::NonHexCheck, CommErrors::InvalidCharacter}};
  for (auto [defect, code] : cases) {
    MemoryLink fresh;
    fresh.Open();
    fresh.camera.Faults().defectiveReplies = -1;
    fresh.camera.Faults().replyDefect = defect;
    int32_t value = -1;
    EXPECT_EQ(fresh.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), -code);
    EXPECT_EQ(fresh.device->Sent(), Times(4, Bytes({{ENQ}, ReadGain, {NAK, NAK, NAK, NAK}})));
  }
}

TEST_F(Exchange, ShortReplyEndsTheAttemptWithoutNak) {
  faults.shortReplies = 1;
  int32_t value = -1;
  EXPECT_EQ(ReadGainLevel(&value), 0);
  EXPECT_EQ(link.device->Sent(), Bytes({{ENQ}, ReadGain, {ENQ}, ReadGain, {ACK}}));
  EXPECT_EQ(link.ElapsedMs(), 9 * 1000 + 1);
}

TEST_F(Exchange, NoiseBeforeStxRestartsTheWaitForEachByte) {
  faults.noiseBytes = 3;
  faults.noiseGapUs = 3000 * 1000;  // each gap is shorter than the 4 s wait, all of them are longer
  int32_t value = -1;
  EXPECT_EQ(ReadGainLevel(&value), 0);
  EXPECT_EQ(value, 168);
  EXPECT_EQ(link.device->Sent(), Bytes({{ENQ}, ReadGain, {ACK}}));
  EXPECT_EQ(link.ElapsedMs(), 4 * 3000);
}

TEST_F(Exchange, EndlessNoiseEndsEachAttempt) {
  faults.noiseBytes = 1025;
  int32_t value = -1;
  EXPECT_EQ(ReadGainLevel(&value), -CommErrors::UnexpectedCharacter);
  EXPECT_EQ(link.device->Sent(), Times(4, Bytes({{ENQ}, ReadGain})));

  MemoryLink tolerable;
  tolerable.Open();
  tolerable.camera.Faults().noiseBytes = 1024;
  EXPECT_EQ(tolerable.port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  EXPECT_EQ(value, 168);
}

TEST_F(Exchange, LineErrorWhileAwaitingReplyEndsTheAttempt) {
  faults.missingReplies = -1;
  link.device->RaiseLineErrorsAtEveryTimeout(LineStatus::Break);
  int32_t value = -1;
  EXPECT_EQ(ReadGainLevel(&value), -CommErrors::LineBreak);
  EXPECT_EQ(link.device->Sent(), Times(4, Bytes({{ENQ}, ReadGain})));
  EXPECT_EQ(link.ElapsedMs(), 4 * 4001);
}

TEST_F(Exchange, LowerCaseCheckDigitsAreAccepted) {
  faults.lowerCaseCheck = true;
  link.camera.SetSetting(0x10, 0x05, 0x009F02);
  char reply[Framing::FrameBufferSize];
  EXPECT_EQ(link.port->Transact("01FF9005000000", reply), 6);
  EXPECT_STREQ(reply, "029F00");
  auto received = link.device->Received();
  EXPECT_EQ(std::vector<uint8_t>(received.end() - 10, received.end()),
            Bytes({{STX}, Text("029F00"), {ETX}, Text("b9")}));
}

TEST_F(Exchange, NonHexDataPassesTheExchangeButNotTheRead) {
  faults.defectiveReplies = 1;
  faults.replyDefect = ReplyDefect::NonHexData;
  int32_t value = -1;
  EXPECT_EQ(ReadGainLevel(&value), -CommErrors::InvalidCharacter);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(link.device->Sent(), Bytes({{ENQ}, ReadGain, {ACK}}));
}

TEST_F(Exchange, OverlongTextTouchesNothing) {
  EXPECT_EQ(link.port->SendFrame(std::string(23, '0')), -CommErrors::IllegalMessageSize);
  char reply[Framing::FrameBufferSize];
  EXPECT_EQ(link.port->Transact(std::string(30, '0'), reply), -CommErrors::IllegalMessageSize);
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
  EXPECT_EQ(WriteTriggerMode2(), -CommErrors::PortNotOpen);
  int32_t value = -1;
  EXPECT_EQ(ReadGainLevel(&value), -CommErrors::PortNotOpen);
  EXPECT_TRUE(link.device->Wire().empty());
  EXPECT_EQ(link.ElapsedMs(), 0);
}

TEST_F(Exchange, WaitAckReportsWhatCameInstead) {
  link.camera.Faults().wrongEnquiryAnswers = 1;
  link.camera.Faults().enquiryAnswer = NAK;
  const uint8_t enq = ENQ;
  link.port->WriteBytes(&enq, 1, 1000);
  EXPECT_EQ(link.port->WaitAck(1000), -CommErrors::UnexpectedCharacter);
  EXPECT_EQ(link.port->WaitAck(1000), -CommErrors::Timeout);
  EXPECT_EQ(link.ElapsedMs(), 1001);
}
