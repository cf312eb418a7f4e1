// One exchange at a time on a port: whatever asks for one while another runs (from the wait's
// observer, from the byte trace) is refused: nothing of it reaches the line, it shows no text and no
// box, it says so to its caller, and the running exchange ends exactly as it would have alone.
#include <gtest/gtest.h>

#include <functional>

#include "camera/CameraParameterSet.h"
#include "support/MemoryLink.h"

using Framing::ACK;
using Framing::ENQ;
using Framing::ETX;
using Framing::STX;

namespace {

using Parameters = MemoryWired<CameraParameterSet>;

// Runs a nested request once, from the first slice of the first wait.
class NestingObserver final : public WaitObserver {
 public:
  std::function<void()> nested;
  void ExchangeStarted(int64_t) override {}
  void ExchangeEnded() override {}
  void StillWaiting(int64_t) override { RunOnce(); }

 private:
  void RunOnce() {
    if (!nested) return;
    std::function<void()> run = std::move(nested);
    nested = nullptr;
    run();
  }
};

struct NestedRequest {
  const char* name;
  std::function<int32_t(CameraParameterSet&)> ask;
};

const NestedRequest Requests[] = {
    {"SendFrame", [](CameraParameterSet& p) { return p.SendFrame("01FF0104020000"); }},
    {"Transact",
     [](CameraParameterSet& p) {
       char reply[Framing::FrameBufferSize];
       return p.Transact("01FF810C000000", reply);
     }},
    {"WriteParameter", [](CameraParameterSet& p) { return p.WriteParameter(1, 0xFF, 0x01, 0x04, 0, 3, 2); }},
    {"ReadParameter",
     [](CameraParameterSet& p) {
       int32_t value = 0;
       return p.ReadParameter(1, 0xFF, 0x81, 0x04, 0, 3, &value);
     }},
    {"SendOne", [](CameraParameterSet& p) { return p.SendOne(ParamTriggerMode, 2); }},
    {"UploadAll", [](CameraParameterSet& p) { return p.UploadAll(); }},
};

enum class Where { WaitObserver, ByteTrace };

struct Case {
  NestedRequest request;
  Where where;
  bool cameraAnswers;  // the running read gets its reply, or is acknowledged and never answered
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.request.name << (c.where == Where::WaitObserver ? " from the wait" : " from the trace")
       << (c.cameraAnswers ? ", camera answers" : ", camera never replies");
}

class OneExchange : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(OneExchange, ANestedRequestIsRefusedAndTheRunningExchangeIsUntouched) {
  const Case c = GetParam();
  Parameters link(9600);  // bytes in flight: the read waits, and the wait is where others could ask
  link.Open();
  NestingObserver observer;
  link.port->SetWaitObserver(&observer);
  if (!c.cameraAnswers) link.camera.Faults().missingReplies = -1;

  int32_t nestedResult = 1;
  int asked = 0;
  auto askOnce = [&] {
    if (asked > 0) return;
    ++asked;
    nestedResult = c.request.ask(*link.port);
  };
  if (c.where == Where::WaitObserver) {
    observer.nested = askOnce;
  } else {
    link.port->SetByteTrace([&](bool, const uint8_t*, int32_t) { askOnce(); });
  }

  const int32_t result = link.port->UploadOne(ParamGainLevel);

  EXPECT_EQ(asked, 1);
  EXPECT_EQ(nestedResult, -CommError::Refused) << "the caller is told, and no code of the line's is made up";
  EXPECT_EQ(link.port->RefusedExchanges(), 1);
  EXPECT_FALSE(link.port->Refusing()) << "the refusal ends with the call that met it";
  EXPECT_EQ(link.output.statusTexts, std::vector<std::string>{"Uploading Gain Level data from camera..."})
      << "the refused request showed no text of its own";
  if (c.cameraAnswers) {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(link.port->GetValue(ParamGainLevel, false), 168);
    EXPECT_TRUE(link.output.messages.empty());
    EXPECT_EQ(link.device->Sent(), Bytes({{ENQ, STX}, Text("01FF810C000000"), {ETX}, Text("11"), {ACK}}))
        << "only the running read on the line, byte for byte";
  } else {
    EXPECT_EQ(result, -CommError::Timeout);
    EXPECT_EQ(link.port->LastError(), CommError::Timeout) << "the running read's own reason is reported";
    ASSERT_EQ(link.output.messages.size(), 1u);
    EXPECT_EQ(link.output.messages[0].text, CommErrorState::ErrorText(CommError::Timeout));
    EXPECT_EQ(link.Requests(), std::vector<std::string>(4, "01FF810C000000"));
  }
}

INSTANTIATE_TEST_SUITE_P(Nested, OneExchange, ::testing::ValuesIn([] {
                           std::vector<Case> cases;
                           for (const NestedRequest& request : Requests) {
                             for (Where where : {Where::WaitObserver, Where::ByteTrace}) {
                               for (bool answers : {true, false}) cases.push_back({request, where, answers});
                             }
                           }
                           return cases;
                         }()));

// After a refusal the port is as it was: the next exchange runs and is reported as usual.
TEST(OneExchangeAfterRefusal, TheNextExchangeRunsAndFailuresAreReportedAgain) {
  Parameters link(9600);
  link.Open();
  NestingObserver observer;
  link.port->SetWaitObserver(&observer);
  observer.nested = [&] { link.port->SendOne(ParamTriggerMode, 2); };
  ASSERT_EQ(link.port->UploadOne(ParamGainLevel), 0);
  EXPECT_EQ(link.port->SendOne(ParamTriggerMode, 2), 1);
  EXPECT_EQ(link.Requests().back(), "01FF0104020000");
  link.camera.Faults().silent = true;
  EXPECT_EQ(link.port->SendOne(ParamTriggerMode, 3), -CommError::Timeout);
  ASSERT_EQ(link.output.messages.size(), 1u);
  EXPECT_EQ(link.output.messages[0].text, CommErrorState::ErrorText(CommError::Timeout));
}
