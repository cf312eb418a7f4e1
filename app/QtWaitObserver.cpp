// Keeping the windows painted while an exchange waits, and the operator's input out of it.
#include "app/QtWaitObserver.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <QTimerEvent>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "link/Clock.h"

namespace {

// What the operator does: dropped while the camera is waited for, never delivered later, so that
// nothing of it reaches the camera or the document.
bool IsOperatorInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
      return true;
    default:
      return false;
  }
}

}  // namespace

QtWaitObserver::QtWaitObserver() { qApp->installEventFilter(this); }

QtWaitObserver::~QtWaitObserver() {
  if (qApp != nullptr) qApp->removeEventFilter(this);
  if (cursorShown_) QApplication::restoreOverrideCursor();
}

void QtWaitObserver::ExchangeStarted(int64_t nowMs) {
  busy_ = true;
  lastProcessedMs_ = nowMs;
  if (!busyPeriod_) {
    busyPeriod_ = true;
    busySinceMs_ = nowMs;
  }
}

void QtWaitObserver::ExchangeEnded() {
  busy_ = false;
  // Read From Camera runs exchange after exchange; the period ends when the event loop gets back.
  QTimer::singleShot(0, this, [this] { AfterExchanges(); });
}

void QtWaitObserver::AfterExchanges() {
  if (busy_) return;
  busyPeriod_ = false;
  if (cursorShown_) {
    QApplication::restoreOverrideCursor();
    cursorShown_ = false;
  }
  // A tick held once is delivered once, however often it came.
  std::map<std::pair<QObject*, int>, QPointer<QObject>> ticks;
  ticks.swap(heldTicks_);
  for (const auto& [key, receiver] : ticks) {
    if (!receiver) continue;
    QTimerEvent tick(key.second);
    QCoreApplication::sendEvent(receiver, &tick);
  }
  std::vector<QPointer<QWidget>> closes;
  closes.swap(heldCloses_);
  for (const QPointer<QWidget>& window : closes) {
    if (window) window->close();
  }
}

void QtWaitObserver::StillWaiting(int64_t nowMs) {
  if (nowMs - lastProcessedMs_ < SliceMs) return;
  ProcessWindowEvents(nowMs);
}

void QtWaitObserver::ProcessWindowEvents(int64_t nowMs) {
  lastProcessedMs_ = nowMs;
  if (!cursorShown_ && nowMs - busySinceMs_ >= WaitCursorAfterMs) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cursorShown_ = true;
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtWaitObserver::RunBlocking(const std::function<void()>& call) {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  std::thread worker([&] {
    call();
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    finished.notify_one();
  });
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      if (finished.wait_for(lock, std::chrono::milliseconds(SliceMs), [&] { return done; })) break;
    }
    ProcessWindowEvents(MonotonicClock::Instance().NowMs());
  }
  worker.join();
}

bool QtWaitObserver::Holds(QObject* receiver, QEvent* event) {
  if (IsOperatorInput(event->type())) return true;
  if (event->type() == QEvent::Close && receiver->isWidgetType()) {
    // The window's close box, File > Exit or the session's end: carried out after the exchange.
    auto* window = static_cast<QWidget*>(receiver);
    if (window->isWindow()) heldCloses_.push_back(window);
    event->ignore();
    return true;
  }
  if (event->type() == QEvent::Timer && receiver->property(StartsExchangesProperty).toBool()) {
    heldTicks_.emplace(std::make_pair(receiver, static_cast<QTimerEvent*>(event)->timerId()), receiver);
    return true;
  }
  return false;
}

bool QtWaitObserver::eventFilter(QObject* receiver, QEvent* event) {
  if (!busy_) return false;
  return Holds(receiver, event);
}
