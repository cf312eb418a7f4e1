// The waiting machine: in each state, what every event does (accepted, held, or nothing at all), and
// the pacing of the window's events and of the wait cursor over a command.
#include <gtest/gtest.h>

#include <vector>

#include "app/WaitingMachine.h"
#include "link/WaitObserver.h"

namespace {

using State = WaitingMachine::State;
using Event = WaitingMachine::Event;
using Action = WaitingMachine::Action;
using Cursor = WaitingMachine::Cursor;

constexpr int64_t Start = 5000;
constexpr int64_t Later = Start + 1000;  // a slice this late is due, and its cursor too

WaitingMachine In(State state) {
  WaitingMachine machine;
  if (state != State::Idle) machine.Step(Event::ExchangeStarted, Start);
  if (state == State::BetweenExchanges) machine.Step(Event::ExchangeEnded);
  EXPECT_EQ(machine.Current(), state);
  return machine;
}

struct Expected {
  Event event;
  State to;
  Action action;
};

struct StateRow {
  State state;
  // Every event that moves or does something here; any other leaves the state and does nothing.
  std::vector<Expected> accepted;
};

const std::vector<StateRow> Walk = {
    {State::Idle,
     {{Event::ExchangeStarted, State::Exchange, Action::BeginCommand},
      {Event::Slice, State::Idle, Action::RunWindowEvents},
      {Event::InputToControl, State::Idle, Action::Deliver},
      {Event::InputToWindow, State::Idle, Action::Deliver},
      {Event::InputToNewBox, State::Idle, Action::Deliver}}},
    {State::Exchange,
     {{Event::ExchangeStarted, State::Exchange, Action::BeginExchange},
      {Event::ExchangeEnded, State::BetweenExchanges, Action::PostCheck},
      {Event::Slice, State::Exchange, Action::RunWindowEvents},
      {Event::Tick, State::Exchange, Action::HoldTick},
      {Event::InputToControl, State::Exchange, Action::KeepOrDrop},
      {Event::InputToWindow, State::Exchange, Action::Deliver},
      {Event::InputToNewBox, State::Exchange, Action::Deliver},
      {Event::CloseOfCommandBox, State::Exchange, Action::HoldClose},
      {Event::CloseOfWindow, State::Exchange, Action::HoldClose},
      {Event::ModalShown, State::Exchange, Action::EndPresses},
      {Event::WindowHidden, State::Exchange, Action::PostCheck}}},
    {State::BetweenExchanges,
     {{Event::ExchangeStarted, State::Exchange, Action::BeginExchange},
      {Event::ExchangeEnded, State::BetweenExchanges, Action::PostCheck},
      {Event::Slice, State::BetweenExchanges, Action::RunWindowEvents},
      {Event::Check, State::Idle, Action::EndCommand},
      {Event::Tick, State::BetweenExchanges, Action::HoldTick},
      {Event::InputToControl, State::BetweenExchanges, Action::Deliver},
      {Event::InputToWindow, State::BetweenExchanges, Action::Deliver},
      {Event::InputToNewBox, State::BetweenExchanges, Action::Deliver},
      {Event::CloseOfWindow, State::BetweenExchanges, Action::HoldClose},
      {Event::ModalShown, State::BetweenExchanges, Action::EndPresses},
      {Event::WindowHidden, State::BetweenExchanges, Action::PostCheck}}},
};

}  // namespace

TEST(WaitingMachine, EveryEventInEveryState) {
  for (const StateRow& row : Walk) {
    for (int e = 0; e < WaitingMachine::EventCount; ++e) {
      const auto event = static_cast<Event>(e);
      Expected expected{event, row.state, Action::None};
      for (const Expected& accepted : row.accepted) {
        if (accepted.event == event) expected = accepted;
      }
      SCOPED_TRACE(testing::Message() << "state " << static_cast<int>(row.state) << ", event " << e);
      WaitingMachine machine = In(row.state);
      const WaitingMachine::Decision decision = machine.Step(event, Later);
      EXPECT_EQ(decision.state, expected.to);
      EXPECT_EQ(machine.Current(), expected.to);
      EXPECT_EQ(decision.action, expected.action);
    }
  }
}

// One command of two exchanges with a box between them, then a second command: the window's events
// run once a slice, the cursor shows from 200 ms into a command and goes with a box or the command's end.
TEST(WaitingMachine, SlicesAndTheWaitCursorOverCommands) {
  constexpr int64_t Slice = WaitObserver::SliceMs;
  constexpr int64_t Cue = WaitingMachine::WaitCursorAfterMs;
  struct Step {
    Event event;
    int64_t atMs;
    Action action;
    Cursor cursor;
  };
  const std::vector<Step> script = {
      {Event::ExchangeStarted, 0, Action::BeginCommand, Cursor::Unchanged},
      {Event::Slice, Slice - 1, Action::None, Cursor::Unchanged},
      {Event::Slice, Slice, Action::RunWindowEvents, Cursor::Unchanged},
      {Event::Slice, 2 * Slice - 1, Action::None, Cursor::Unchanged},
      {Event::Slice, Cue - 1, Action::RunWindowEvents, Cursor::Unchanged},
      {Event::Slice, Cue + Slice, Action::RunWindowEvents, Cursor::Show},
      {Event::Slice, Cue + 2 * Slice, Action::RunWindowEvents, Cursor::Unchanged},
      {Event::ExchangeEnded, 0, Action::PostCheck, Cursor::Unchanged},
      {Event::ModalShown, 0, Action::EndPresses, Cursor::Restore},  // the error box of the first exchange
      {Event::CheckWithBoxUp, 0, Action::None, Cursor::Unchanged},
      {Event::WindowHidden, 0, Action::PostCheck, Cursor::Unchanged},
      // The next exchange of the same command: a slice just after its start waits; the cursor is due.
      {Event::ExchangeStarted, 1000, Action::BeginExchange, Cursor::Unchanged},
      {Event::Slice, 1000 + Slice - 1, Action::None, Cursor::Unchanged},
      {Event::Slice, 1000 + Slice, Action::RunWindowEvents, Cursor::Show},
      {Event::ExchangeEnded, 0, Action::PostCheck, Cursor::Unchanged},
      {Event::Check, 0, Action::EndCommand, Cursor::Restore},
      // A new command counts its 200 ms afresh.
      {Event::ExchangeStarted, 2000, Action::BeginCommand, Cursor::Unchanged},
      {Event::Slice, 2000 + Cue - 1, Action::RunWindowEvents, Cursor::Unchanged},
      {Event::ExchangeEnded, 0, Action::PostCheck, Cursor::Unchanged},
      {Event::Check, 0, Action::EndCommand, Cursor::Unchanged},
  };
  WaitingMachine machine;
  for (size_t i = 0; i < script.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "step " << i);
    const WaitingMachine::Decision decision = machine.Step(script[i].event, script[i].atMs);
    EXPECT_EQ(decision.action, script[i].action);
    EXPECT_EQ(decision.cursor, script[i].cursor);
  }
  EXPECT_EQ(machine.Current(), State::Idle);
  EXPECT_FALSE(machine.CursorShown());
}
