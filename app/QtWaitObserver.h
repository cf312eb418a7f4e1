// While the camera is waited for, the windows keep painting and the window manager gets its answers,
// and nothing the operator or a timer does can start another exchange: a command, from its first
// exchange until it is over and its messages have been answered, runs alone.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <map>
#include <utility>
#include <vector>

#include "app/GestureEnds.h"
#include "link/WaitObserver.h"

class QtWaitObserver final : public QObject, public WaitObserver {
 public:
  // The wait cursor shows after this long of one exchange after another.
  static constexpr int64_t WaitCursorAfterMs = 200;

  QtWaitObserver();
  ~QtWaitObserver() override;

  void ExchangeStarted(int64_t nowMs) override;
  void ExchangeEnded() override;
  void StillWaiting(int64_t nowMs) override;

  // An exchange runs.
  bool Busy() const { return exchange_; }
  // A command runs: from its first exchange until it has returned and its boxes are answered.
  bool CommandRunning() const { return command_; }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  bool FilterInput(QObject* receiver, QEvent* event);
  bool HoldClose(QObject* receiver, QEvent* event);
  bool InWindowOpenedDuringExchange(QObject* receiver) const;
  bool CommandBoxOpen() const;
  void NoteWindowShown(QObject* receiver);
  void RestoreCursor();
  void ProcessWindowEvents(int64_t nowMs);
  void PostCheck();
  // Looks, once the event loop is back, whether the command is over; if so delivers what it held.
  void CheckCommandEnded();
  void EndCommand();

  bool exchange_ = false;
  bool command_ = false;
  bool checkPosted_ = false;
  bool cursorShown_ = false;
  int64_t commandSinceMs_ = 0;
  int64_t lastProcessedMs_ = 0;
  // The modal window that was up when the command, and when its current exchange, began: the one
  // the command runs in, whose input is the command's own.
  QPointer<QWidget> modalAtCommandStart_;
  QPointer<QWidget> modalAtExchangeStart_;
  GestureEnds gestures_;
  std::vector<QPointer<QWidget>> heldCloses_;
  // A timer's ticks held during one command: its receiver (while it lives) by receiver and timer id.
  std::map<std::pair<QObject*, int>, QPointer<QObject>> heldTicks_;
};
