// The link check against the simulated camera: what it measures and what it makes of it, per kind of line.
#include <gtest/gtest.h>

#include <functional>

#include "camera/LinkCheck.h"
#include "platform/LineStatus.h"
#include "support/MemoryCamera.h"

namespace {

using Verdict = LinkCheckReport::Verdict;

bool AdviceHas(const LinkCheckReport& report, const std::string& text) {
  for (const auto& line : report.advice) {
    if (line.find(text) != std::string::npos) return true;
  }
  return text.empty() && report.advice.empty();
}

}  // namespace

TEST(LinkCheck, ReportsEachKindOfLine) {
  constexpr int Reads = 5;
  const struct Row {
    const char* name;
    std::function<void(MemoryCamera&)> setUp;
    Verdict verdict;
    int retries;
    int naksFromCamera;
    int naksFromHost;
    int failures;
    int lineErrors;
    CommError lastFailure;
    const char* advice;
  } rows[] = {
      {"quiet line", [](MemoryCamera&) {}, Verdict::Healthy, 0, 0, 0, 0, 0, CommError::NoError, ""},
      {"adapter at low latency", [](MemoryCamera& m) { m.device->PlugUsbAdapter(true); }, Verdict::Healthy, 0, 0, 0,
       0, 0, CommError::NoError, ""},
      {"adapter held at 16 ms", [](MemoryCamera& m) { m.device->PlugUsbAdapter(false); }, Verdict::Slow, 0, 0, 0, 0,
       0, CommError::NoError, "holds received bytes for 16 ms"},
      {"camera that NAKs frames", [](MemoryCamera& m) { m.camera.Faults().wrongFrameAnswers = 3; }, Verdict::Faulty,
       3, 3, 0, 0, 0, CommError::NoError, "repeated or were refused"},
      {"spoilt replies", [](MemoryCamera& m) {
         m.camera.Faults().defectiveReplies = 2;
         m.camera.Faults().replyDefect = ReplyDefect::BadCheck;
       }, Verdict::Faulty, 0, 0, 2, 0, 0, CommError::NoError, "repeated or were refused"},
      {"silent camera", [](MemoryCamera& m) { m.camera.Faults().silent = true; }, Verdict::Failed, 3 * Reads,
       0, 0, Reads, 0, CommError::Timeout, "did not answer"},
      {"line errors", [](MemoryCamera& m) {
         m.camera.Faults().silent = true;
         m.device->RaiseLineErrorsAtEveryTimeout(LineStatus::Frame);
       }, Verdict::Failed, 3 * Reads, 0, 0, Reads, Reads, CommError::Framing, "Line errors arrived"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    MemoryCamera rig(false);
    rig.camera.SetBaudRate(115200);
    row.setUp(rig);
    rig.clock.AdvanceTo(5300);
    ASSERT_EQ(rig.parameters->OpenSerialDefault(1, 115200), 0);
    const LinkCheckReport report = CheckLink(*rig.parameters, Reads);
    EXPECT_EQ(report.exchanges, Reads);
    EXPECT_EQ(report.verdict, row.verdict);
    EXPECT_EQ(report.retries, row.retries);
    EXPECT_EQ(report.naksFromCamera, row.naksFromCamera);
    EXPECT_EQ(report.naksFromHost, row.naksFromHost);
    EXPECT_EQ(report.failures, row.failures);
    EXPECT_EQ(report.lineErrors, row.lineErrors);
    EXPECT_EQ(report.lastFailure, row.lastFailure);
    EXPECT_TRUE(AdviceHas(report, row.advice)) << (report.advice.empty() ? "no advice" : report.advice[0]);
    EXPECT_EQ(report.baudRate, 115200);
    if (row.failures == 0) {
      // A clean read: ENQ, ACK, the 18-byte frame, ACK, the 10-byte reply and the host's ACK.
      EXPECT_EQ(report.lineUs, 32 * 10 * 1000000LL / 115200);
      EXPECT_LE(report.turnaroundMedianUs, row.verdict == Verdict::Slow ? 16000 : 1000);
      EXPECT_GE(report.worstUs, report.medianUs);
    }
  }
}
