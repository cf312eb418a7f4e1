// The port in each of its states, asked for each operation: what runs, what fails with which code,
// and what is refused with nothing sent and nothing stored.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "link/CameraPort.h"
#include "link/Framing.h"
#include "sim/CameraModel.h"
#include "sim/MemoryDevice.h"
#include "support/RecordingOperatorOutput.h"

namespace {

enum class Op { OpenSerial, Close, Write, Read, Purge, Transact };

const char* const ReadRequest = "01FF8104000000";

int32_t Perform(CameraPort& port, Op op) {
  uint8_t byte = Framing::ENQ;
  char reply[Framing::FrameBufferSize];
  switch (op) {
    case Op::OpenSerial: return port.OpenSerialDefault(1, 9600);
    case Op::Close: return port.Close();
    case Op::Write: return port.WriteBytes(&byte, 1, 1000);
    case Op::Read: return port.ReadBytes(&byte, 1, 1000);
    case Op::Purge: return port.Purge(PurgeFlags::Both);
    case Op::Transact: return port.Transact(ReadRequest, reply);
  }
  return 0;
}

// Runs a hook once, in the first slice of the exchange it watches.
class OnceObserver final : public WaitObserver {
 public:
  std::function<void()> during;
  void ExchangeStarted(int64_t) override {}
  void ExchangeEnded() override {}
  void StillWaiting(int64_t) override {
    if (!during) return;
    auto hook = std::move(during);
    during = nullptr;
    hook();
  }
};

struct Rig {
  VirtualClock clock;
  CameraModel camera;
  MemoryDevice* device;
  RecordingOperatorOutput output;
  OnceObserver observer;
  std::unique_ptr<CameraPort> port;

  Rig() {
    camera.SetBaudRate(9600);
    auto owned = std::make_unique<MemoryDevice>(camera, clock);
    device = owned.get();
    port = std::make_unique<CameraPort>(std::move(owned), clock);
    port->SetOperatorOutput(&output);
    port->SetWaitObserver(&observer);
  }
};

// Brings a fresh port into the state and runs `at` there. A lost channel keeps its board port taken
// for the rest of the process (its call never returns): each Lost rig needs a port of its own.
void Reach(PortState state, const std::function<void(Rig&)>& at, uint32_t boardPort = 0) {
  Rig rig;
  char reply[Framing::FrameBufferSize];
  switch (state) {
    case PortState::Closed: return at(rig);
    case PortState::Open:
      ASSERT_EQ(rig.port->OpenSerialDefault(1, 9600), 0);
      return at(rig);
    case PortState::Exchanging:
    case PortState::Refusing:
      ASSERT_EQ(rig.port->OpenSerialDefault(1, 9600), 0);
      rig.camera.Faults().silent = true;
      rig.observer.during = [&] {
        if (state == PortState::Refusing) {
          EXPECT_EQ(rig.port->Transact(ReadRequest, reply), -CommError::Refused);
        }
        at(rig);
      };
      rig.port->Transact(ReadRequest, reply);
      return;
    case PortState::Lost:
      // A grabber library whose read never comes back: the exchange's first wait for an ACK is given up.
      ASSERT_EQ(rig.port->OpenCameraLink(VQ_CLSERSIM_STUCK, boardPort), 0);
      rig.port->Transact(ReadRequest, reply);
      return at(rig);
  }
}

struct Cell {
  PortState state;
  Op op;
  int32_t result;
  CommError stored;  // the record right after the operation
  PortState after;
};

constexpr int32_t Refused = -CommError::Refused;
using S = PortState;
using E = CommError;

const Cell Cells[] = {
    {S::Closed, Op::OpenSerial, 0, E::NoError, S::Open},
    {S::Closed, Op::Close, 0, E::NoError, S::Closed},
    {S::Closed, Op::Write, -3, E::PortNotOpen, S::Closed},
    {S::Closed, Op::Read, -3, E::PortNotOpen, S::Closed},
    {S::Closed, Op::Purge, -3, E::PortNotOpen, S::Closed},
    {S::Closed, Op::Transact, -3, E::PortNotOpen, S::Closed},

    {S::Open, Op::OpenSerial, 0, E::NoError, S::Open},
    {S::Open, Op::Close, 0, E::NoError, S::Closed},
    {S::Open, Op::Write, 1, E::NoError, S::Open},
    {S::Open, Op::Read, -5, E::Timeout, S::Open},
    {S::Open, Op::Purge, 0, E::NoError, S::Open},
    {S::Open, Op::Transact, Framing::ReplyDataLength, E::NoError, S::Open},

    // Inside a wait of a running exchange, on a camera that stays silent.
    {S::Exchanging, Op::OpenSerial, Refused, E::NoError, S::Refusing},
    {S::Exchanging, Op::Close, 0, E::NoError, S::Closed},
    {S::Exchanging, Op::Write, 1, E::NoError, S::Exchanging},
    {S::Exchanging, Op::Read, -5, E::Timeout, S::Exchanging},
    {S::Exchanging, Op::Purge, 0, E::NoError, S::Exchanging},
    {S::Exchanging, Op::Transact, Refused, E::NoError, S::Refusing},

    {S::Refusing, Op::OpenSerial, Refused, E::NoError, S::Refusing},
    {S::Refusing, Op::Close, 0, E::NoError, S::Closed},
    {S::Refusing, Op::Write, Refused, E::NoError, S::Refusing},
    {S::Refusing, Op::Read, Refused, E::NoError, S::Refusing},
    {S::Refusing, Op::Purge, Refused, E::NoError, S::Refusing},
    {S::Refusing, Op::Transact, Refused, E::NoError, S::Refusing},

};

class PortStates : public ::testing::TestWithParam<Cell> {};

}  // namespace

TEST_P(PortStates, EachOperationAsTheStateAllows) {
  const Cell& c = GetParam();
  bool reached = false;
  Reach(c.state, [&](Rig& rig) {
    reached = true;
    ASSERT_EQ(rig.port->State(), c.state);
    const size_t sentBefore = rig.device->Sent().size();
    const int refusedBefore = rig.port->RefusedExchanges();
    EXPECT_EQ(Perform(*rig.port, c.op), c.result);
    EXPECT_EQ(rig.port->LastError(), c.stored);
    EXPECT_EQ(rig.port->State(), c.after);
    if (c.result == Refused) {
      EXPECT_EQ(rig.device->Sent().size(), sentBefore) << "a refusal sends nothing";
      EXPECT_EQ(rig.port->RefusedExchanges(), refusedBefore + 1);
      EXPECT_TRUE(rig.output.messages.empty());
    }
  });
  EXPECT_TRUE(reached);
}

INSTANTIATE_TEST_SUITE_P(EveryStateEveryOperation, PortStates, ::testing::ValuesIn(Cells));

// One lost channel, asked for every operation in turn: the camera stays out of reach, the time-out its
// abandoned call left stays the record, a close does not bring it back, and a reopen does.
TEST(PortStates, LostUntilReopened) {
  const Cell lost[] = {
      {S::Lost, Op::Write, 0, E::Timeout, S::Lost},      {S::Lost, Op::Read, -5, E::Timeout, S::Lost},
      {S::Lost, Op::Purge, -3, E::PortNotOpen, S::Lost}, {S::Lost, Op::Transact, -5, E::Timeout, S::Lost},
      {S::Lost, Op::Close, 0, E::Timeout, S::Lost},
  };
  Reach(S::Lost, [&](Rig& rig) {
    ASSERT_EQ(rig.port->State(), S::Lost);
    EXPECT_EQ(rig.port->LastError(), E::Timeout);
    const size_t sent = rig.device->Sent().size();
    for (const Cell& c : lost) {
      EXPECT_EQ(Perform(*rig.port, c.op), c.result) << static_cast<int>(c.op);
      EXPECT_EQ(rig.port->LastError(), c.stored) << static_cast<int>(c.op);
      EXPECT_EQ(rig.port->State(), c.after) << static_cast<int>(c.op);
    }
    EXPECT_EQ(rig.device->Sent().size(), sent);
  }, 1);
  Reach(S::Lost, [&](Rig& rig) {
    EXPECT_EQ(Perform(*rig.port, Op::OpenSerial), 0);
    EXPECT_EQ(rig.port->State(), S::Open);
    EXPECT_EQ(Perform(*rig.port, Op::Transact), Framing::ReplyDataLength) << "a reopened line reaches the camera";
  }, 2);
}

// A refusal ends with the wait that met it: the running exchange goes on, and keeps its own record.
TEST(PortStates, ARefusalIsOverWhenTheObserverReturns) {
  Rig rig;
  ASSERT_EQ(rig.port->OpenSerialDefault(1, 9600), 0);
  char reply[Framing::FrameBufferSize];
  rig.observer.during = [&] { EXPECT_EQ(rig.port->Transact(ReadRequest, reply), Refused); };
  EXPECT_EQ(rig.port->Transact(ReadRequest, reply), Framing::ReplyDataLength);
  EXPECT_EQ(rig.port->State(), PortState::Open);
  EXPECT_EQ(rig.port->LastError(), CommError::NoError);
  EXPECT_EQ(rig.camera.Requests().size(), 1u);
}
