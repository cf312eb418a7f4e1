// The waiting machine's transitions, as the header lists them, and the pacing of the window's events.
#include "app/WaitingMachine.h"

#include <array>

#include "link/WaitObserver.h"

namespace {

using State = WaitingMachine::State;
using Event = WaitingMachine::Event;
using Action = WaitingMachine::Action;

constexpr int StateCount = static_cast<int>(State::BetweenExchanges) + 1;

struct Row {
  State from;
  Event event;
  State to;
  Action action;
};

// Every transition that changes the state or does something; any other pair stays, doing nothing.
constexpr Row Rows[] = {
    {State::Idle, Event::ExchangeStarted, State::Exchange, Action::BeginCommand},
    {State::Idle, Event::Slice, State::Idle, Action::RunWindowEvents},
    {State::Idle, Event::InputToControl, State::Idle, Action::Deliver},
    {State::Idle, Event::InputToWindow, State::Idle, Action::Deliver},
    {State::Idle, Event::InputToNewBox, State::Idle, Action::Deliver},

    {State::Exchange, Event::ExchangeStarted, State::Exchange, Action::BeginExchange},
    {State::Exchange, Event::ExchangeEnded, State::BetweenExchanges, Action::PostCheck},
    {State::Exchange, Event::Slice, State::Exchange, Action::RunWindowEvents},
    {State::Exchange, Event::Tick, State::Exchange, Action::HoldTick},
    {State::Exchange, Event::InputToControl, State::Exchange, Action::KeepOrDrop},
    {State::Exchange, Event::InputToWindow, State::Exchange, Action::Deliver},
    {State::Exchange, Event::InputToNewBox, State::Exchange, Action::Deliver},
    {State::Exchange, Event::CloseOfCommandBox, State::Exchange, Action::HoldClose},
    {State::Exchange, Event::CloseOfWindow, State::Exchange, Action::HoldClose},
    {State::Exchange, Event::ModalShown, State::Exchange, Action::EndPresses},
    {State::Exchange, Event::WindowHidden, State::Exchange, Action::PostCheck},

    {State::BetweenExchanges, Event::ExchangeStarted, State::Exchange, Action::BeginExchange},
    {State::BetweenExchanges, Event::ExchangeEnded, State::BetweenExchanges, Action::PostCheck},
    {State::BetweenExchanges, Event::Slice, State::BetweenExchanges, Action::RunWindowEvents},
    {State::BetweenExchanges, Event::Check, State::Idle, Action::EndCommand},
    {State::BetweenExchanges, Event::Tick, State::BetweenExchanges, Action::HoldTick},
    {State::BetweenExchanges, Event::InputToControl, State::BetweenExchanges, Action::Deliver},
    {State::BetweenExchanges, Event::InputToWindow, State::BetweenExchanges, Action::Deliver},
    {State::BetweenExchanges, Event::InputToNewBox, State::BetweenExchanges, Action::Deliver},
    {State::BetweenExchanges, Event::CloseOfWindow, State::BetweenExchanges, Action::HoldClose},
    {State::BetweenExchanges, Event::ModalShown, State::BetweenExchanges, Action::EndPresses},
    {State::BetweenExchanges, Event::WindowHidden, State::BetweenExchanges, Action::PostCheck},
};

struct Transition {
  State to;
  Action action;
};

using Table = std::array<std::array<Transition, WaitingMachine::EventCount>, StateCount>;

constexpr Table BuildTable() {
  Table table{};
  for (int s = 0; s < StateCount; ++s) {
    for (Transition& cell : table[s]) cell = {static_cast<State>(s), Action::None};
  }
  for (const Row& row : Rows) table[static_cast<int>(row.from)][static_cast<int>(row.event)] = {row.to, row.action};
  return table;
}

constexpr Table Transitions = BuildTable();

}  // namespace

WaitingMachine::Decision WaitingMachine::Step(Event event, int64_t nowMs) {
  const Transition& transition = Transitions[static_cast<int>(state_)][static_cast<int>(event)];
  state_ = transition.to;
  Decision decision{transition.to, transition.action};
  switch (transition.action) {
    case Action::BeginCommand: commandSinceMs_ = nowMs; [[fallthrough]];
    case Action::BeginExchange: lastRunMs_ = nowMs; break;
    case Action::RunWindowEvents: Pace(decision, nowMs); break;
    case Action::EndPresses:
    case Action::EndCommand: decision.cursor = TakeCursorAway(); break;
    default: break;
  }
  return decision;
}

void WaitingMachine::Pace(Decision& decision, int64_t nowMs) {
  // The port calls often; the window's events run once a slice.
  if (nowMs - lastRunMs_ < WaitObserver::SliceMs) {
    decision.action = Action::None;
    return;
  }
  lastRunMs_ = nowMs;
  if (!cursorShown_ && nowMs - commandSinceMs_ >= WaitCursorAfterMs) {
    cursorShown_ = true;
    decision.cursor = Cursor::Show;
  }
}

WaitingMachine::Cursor WaitingMachine::TakeCursorAway() {
  if (!cursorShown_) return Cursor::Unchanged;
  cursorShown_ = false;
  return Cursor::Restore;
}
