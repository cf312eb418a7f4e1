// What the window does while the camera is waited for, as one state machine with no toolkit in it.
// The Qt side (QtWaitObserver) names each event it sees, steps the machine and carries out the
// action it answers; nothing else decides what is held.
//
// A command runs from its first exchange until it has returned and every box it raised is
// answered: Read From Camera runs exchange after exchange, and its error boxes come between them.
// Nothing the operator or a timer does may start another command inside it.
//
// States
//   Idle              no command runs; everything reaches its receiver, presses and releases noted
//   Exchange          an exchange runs: the port waits on the line in slices
//   BetweenExchanges  the command runs on without an exchange: it is returning, or a box it
//                     raised is up, until a queued check finds neither
//
// Events (what QtWaitObserver names)
//   ExchangeStarted   the port begins an exchange
//   ExchangeEnded     the port's exchange is over
//   Slice             the port is still waiting (at most WaitObserver::SliceMs apart)
//   Check             the queued look whether the command is over, with no box of the command up
//   CheckWithBoxUp    the same, with a modal box up that was not up when the command began
//   Tick              a timer's tick to anything but a toolkit window
//   WindowTick        a toolkit window's own timer: it paces the window's painting
//   InputToControl    the operator's input to a widget outside a box opened during the exchange
//   InputToWindow     the operator's input to a toolkit window, which only routes it to a widget
//   InputToNewBox     the operator's input to a modal box opened during the current exchange
//   CloseOfCommandBox a close asked of a modal window other than the one the command began in
//   CloseOfWindow     a close asked of any other window
//   ModalShown        a modal window appears
//   WindowHidden      a window disappears
//
// Transitions (state, event -> state: action); an event not listed leaves the state, action None
//   Idle      ExchangeStarted   -> Exchange:  BeginCommand
//   Idle      Input*            -> Idle:      Deliver
//   Idle      Slice             -> Idle:      RunWindowEvents
//   Exchange  ExchangeStarted   -> Exchange:  BeginExchange (the port never nests; harmless)
//   Exchange  ExchangeEnded     -> Between:   PostCheck
//   Exchange  Slice             -> Exchange:  RunWindowEvents
//   Exchange  Tick              -> Exchange:  HoldTick
//   Exchange  InputToControl    -> Exchange:  KeepOrDrop
//   Exchange  InputToWindow     -> Exchange:  Deliver
//   Exchange  InputToNewBox     -> Exchange:  Deliver
//   Exchange  CloseOf*          -> Exchange:  HoldClose
//   Exchange  ModalShown        -> Exchange:  EndPresses
//   Exchange  WindowHidden      -> Exchange:  PostCheck
//   Between   ExchangeStarted   -> Exchange:  BeginExchange
//   Between   ExchangeEnded     -> Between:   PostCheck
//   Between   Slice             -> Between:   RunWindowEvents
//   Between   Check             -> Idle:      EndCommand
//   Between   Tick              -> Between:   HoldTick
//   Between   Input*            -> Between:   Deliver (the toolkit's modality keeps other windows out)
//   Between   CloseOfCommandBox -> Between:   None (a box the command raised closes as any box does)
//   Between   CloseOfWindow     -> Between:   HoldClose
//   Between   ModalShown        -> Between:   EndPresses
//   Between   WindowHidden      -> Between:   PostCheck
//
// The wait cursor, beside the states: a RunWindowEvents once WaitCursorAfterMs have passed since
// the last command began shows it; EndPresses and EndCommand take it away.
#pragma once

#include <cstdint>

class WaitingMachine {
 public:
  // The wait cursor shows after this long of one exchange after another.
  static constexpr int64_t WaitCursorAfterMs = 200;

  enum class State { Idle, Exchange, BetweenExchanges };
  enum class Event {
    ExchangeStarted,
    ExchangeEnded,
    Slice,
    Check,
    CheckWithBoxUp,
    Tick,
    WindowTick,
    InputToControl,
    InputToWindow,
    InputToNewBox,
    CloseOfCommandBox,
    CloseOfWindow,
    ModalShown,
    WindowHidden,
  };
  static constexpr int EventCount = static_cast<int>(Event::WindowHidden) + 1;

  enum class Action {
    None,             // nothing to do: the event goes on to its receiver
    Deliver,          // the operator's input goes on; its presses and releases are noted
    KeepOrDrop,       // the input stops here; the end or move of a gesture begun before is kept
    HoldTick,         // the tick stops here; it is delivered once after the command, however often it came
    HoldClose,        // the close is refused now and asked again after the command
    BeginCommand,     // a command begins: note the modal window it runs in (and BeginExchange)
    BeginExchange,    // note the modal window the exchange begins in
    PostCheck,        // look, once the event loop is back, whether the command is over
    EndCommand,       // deliver, while no new command begins: the kept gesture ends, the held
                      // ticks, then the held closes
    EndPresses,       // a modal box takes the mouse: every press still held ends away from its control
    RunWindowEvents,  // let the window's pending events run (paint, window manager, what the filter passes)
  };

  enum class Cursor { Unchanged, Show, Restore };

  struct Decision {
    State state;
    Action action;
    Cursor cursor = Cursor::Unchanged;
    bool operator==(const Decision&) const = default;
  };

  // Feeds one event at the port's clock (ignored by events other than the port's) and moves to the
  // next state; the caller carries out the action.
  Decision Step(Event event, int64_t nowMs = 0);

  State Current() const { return state_; }
  bool CursorShown() const { return cursorShown_; }

 private:
  void Pace(Decision& decision, int64_t nowMs);
  Cursor TakeCursorAway();

  State state_ = State::Idle;
  bool cursorShown_ = false;
  int64_t commandSinceMs_ = 0;
  int64_t lastRunMs_ = 0;
};
