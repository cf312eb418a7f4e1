// While the camera is waited for, the windows keep painting and the window manager gets its answers,
// and nothing the operator or a timer does can start another exchange: a command, from its first
// exchange until it is over and its messages have been answered, runs alone. What is held and when
// is the waiting machine's to say; this side names the toolkit's events for it and carries out its
// answers.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "app/GestureEnds.h"
#include "app/WaitingMachine.h"
#include "link/WaitObserver.h"

class QtWaitObserver final : public QObject, public WaitObserver {
 public:
  // The wait cursor shows after this long of one exchange after another.
  static constexpr int64_t WaitCursorAfterMs = WaitingMachine::WaitCursorAfterMs;

  QtWaitObserver();
  ~QtWaitObserver() override;

  void ExchangeStarted(int64_t nowMs) override;
  void ExchangeEnded() override;
  void StillWaiting(int64_t nowMs) override;

  // An exchange runs.
  bool Busy() const { return machine_.Current() == WaitingMachine::State::Exchange; }
  // A command runs: from its first exchange until it has returned and its boxes are answered.
  bool CommandRunning() const { return machine_.Current() != WaitingMachine::State::Idle; }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  // The machine's name for an event of the toolkit; none for one the machine has no say in.
  std::optional<WaitingMachine::Event> Name(QObject* receiver, const QEvent* event) const;
  WaitingMachine::Event NameInput(QObject* receiver) const;
  std::optional<WaitingMachine::Event> NameClose(QWidget* window) const;
  bool InWindowOpenedDuringExchange(QObject* receiver) const;
  bool CommandBoxOpen() const;
  // Carries out a step's answer; true when the event stops here.
  bool CarryOut(const WaitingMachine::Decision& decision, QObject* receiver = nullptr, QEvent* event = nullptr);
  void ApplyCursor(WaitingMachine::Cursor cursor);
  void HoldClose(QObject* receiver, QEvent* event);
  void PostCheck();
  void DeliverHeld();

  WaitingMachine machine_;
  bool checkPosted_ = false;
  // The modal window that was up when the command, and when its current exchange, began: the one
  // the command runs in, whose input is the command's own.
  QPointer<QWidget> modalAtCommandStart_;
  QPointer<QWidget> modalAtExchangeStart_;
  GestureEnds gestures_;
  std::vector<QPointer<QWidget>> heldCloses_;
  // A timer's ticks held during one command: its receiver (while it lives) by receiver and timer id.
  std::map<std::pair<QObject*, int>, QPointer<QObject>> heldTicks_;
};
