// While the camera is waited for, the windows keep painting and the window manager gets its answers;
// everything else the operator does is dropped, and close requests and exchange-starting timer ticks
// are held until the exchange is over.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <map>
#include <utility>
#include <vector>

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
  void RunBlocking(const std::function<void()>& call) override;

  bool Busy() const { return busy_; }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  bool Holds(QObject* receiver, QEvent* event);
  void ProcessWindowEvents(int64_t nowMs);
  // Runs once the event loop is back from the last exchange: held requests, the cursor.
  void AfterExchanges();

  bool busy_ = false;
  bool busyPeriod_ = false;  // exchanges one after another, with no return to the event loop between
  bool cursorShown_ = false;
  int64_t busySinceMs_ = 0;
  int64_t lastProcessedMs_ = 0;
  std::vector<QPointer<QWidget>> heldCloses_;
  // A timer's ticks held during one period: its receiver (while it lives) by receiver and timer id.
  std::map<std::pair<QObject*, int>, QPointer<QObject>> heldTicks_;
};
