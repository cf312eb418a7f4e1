// Keeping the windows painted while an exchange waits, and everything that could start another
// exchange out of it until the command is over.
#include "app/QtWaitObserver.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTimerEvent>
#include <algorithm>


namespace {

// What the operator does. During an exchange it is dropped, except the ends of presses begun
// before it, which reach their controls when the command is over.
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

QWidget* AsWindow(QObject* receiver) {
  if (!receiver->isWidgetType()) return nullptr;
  auto* widget = static_cast<QWidget*>(receiver);
  return widget->isWindow() ? widget : nullptr;
}

}  // namespace

QtWaitObserver::QtWaitObserver() { qApp->installEventFilter(this); }

QtWaitObserver::~QtWaitObserver() {
  if (qApp != nullptr) qApp->removeEventFilter(this);
  if (cursorShown_) QApplication::restoreOverrideCursor();
}

void QtWaitObserver::ExchangeStarted(int64_t nowMs) {
  exchange_ = true;
  lastProcessedMs_ = nowMs;
  modalAtExchangeStart_ = QApplication::activeModalWidget();
  if (!command_) {
    command_ = true;
    commandSinceMs_ = nowMs;
    modalAtCommandStart_ = modalAtExchangeStart_;
  }
}

void QtWaitObserver::ExchangeEnded() {
  exchange_ = false;
  PostCheck();
}

void QtWaitObserver::PostCheck() {
  if (checkPosted_) return;
  checkPosted_ = true;
  // A queued call, not a timer: timer ticks are what a command holds.
  QMetaObject::invokeMethod(
      this,
      [this] {
        checkPosted_ = false;
        CheckCommandEnded();
      },
      Qt::QueuedConnection);
}

bool QtWaitObserver::CommandBoxOpen() const {
  QWidget* modal = QApplication::activeModalWidget();
  return modal != nullptr && modal != modalAtCommandStart_;
}

void QtWaitObserver::CheckCommandEnded() {
  // Read From Camera runs exchange after exchange, and an error box of the command runs an event
  // loop of its own: the command is over when neither is left. A box's closing looks again.
  if (!command_ || exchange_ || CommandBoxOpen()) return;
  EndCommand();
}

void QtWaitObserver::EndCommand() {
  command_ = false;
  RestoreCursor();
  // The ends of presses first: a scroll bar let go stops repeating before any held tick reaches it.
  gestures_.DeliverKept();
  // Whatever an end or a tick starts is a command of its own; what is left waits for its end. A
  // tick held once is delivered once, however often it came.
  while (!command_ && !heldTicks_.empty()) {
    auto first = heldTicks_.begin();
    const int timerId = first->first.second;
    QPointer<QObject> receiver = first->second;
    heldTicks_.erase(first);
    if (!receiver) continue;
    QTimerEvent tick(timerId);
    QCoreApplication::sendEvent(receiver, &tick);
  }
  while (!command_ && !heldCloses_.empty()) {
    QPointer<QWidget> window = heldCloses_.front();
    heldCloses_.erase(heldCloses_.begin());
    if (window) window->close();
  }
}

void QtWaitObserver::RestoreCursor() {
  if (!cursorShown_) return;
  QApplication::restoreOverrideCursor();
  cursorShown_ = false;
}

void QtWaitObserver::StillWaiting(int64_t nowMs) {
  if (nowMs - lastProcessedMs_ < SliceMs) return;
  ProcessWindowEvents(nowMs);
}

void QtWaitObserver::ProcessWindowEvents(int64_t nowMs) {
  lastProcessedMs_ = nowMs;
  if (!cursorShown_ && nowMs - commandSinceMs_ >= WaitCursorAfterMs) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cursorShown_ = true;
  }
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool QtWaitObserver::InWindowOpenedDuringExchange(QObject* receiver) const {
  if (!receiver->isWidgetType()) return false;
  QWidget* modal = QApplication::activeModalWidget();
  return modal != nullptr && modal != modalAtExchangeStart_ && static_cast<QWidget*>(receiver)->window() == modal;
}

bool QtWaitObserver::FilterInput(QObject* receiver, QEvent* event) {
  // Between exchanges the command's own boxes take the keyboard and mouse, and the toolkit's
  // modality keeps every other window out. A window receives input only to route it to a widget,
  // where it is judged; a box opened during the wait answers at once.
  if (!exchange_ || receiver->isWindowType() || InWindowOpenedDuringExchange(receiver)) {
    gestures_.Delivered(receiver, event);
    return false;
  }
  gestures_.Keep(receiver, event);
  return true;
}

bool QtWaitObserver::HoldClose(QObject* receiver, QEvent* event) {
  QWidget* window = AsWindow(receiver);
  if (window == nullptr) return false;
  // A box the command raised closes as any box does; every other window waits for the command,
  // so that its messages are read first and the save prompt comes after them.
  if (!exchange_ && window->isModal() && window != modalAtCommandStart_) return false;
  if (std::find(heldCloses_.begin(), heldCloses_.end(), window) == heldCloses_.end()) heldCloses_.push_back(window);
  event->ignore();
  return true;
}

void QtWaitObserver::NoteWindowShown(QObject* receiver) {
  QWidget* window = AsWindow(receiver);
  if (window == nullptr || !window->isModal()) return;
  // The box takes the mouse: a control still held beneath it will not hear the button come up.
  gestures_.EndMousePresses();
  RestoreCursor();
}

bool QtWaitObserver::eventFilter(QObject* receiver, QEvent* event) {
  const QEvent::Type type = event->type();
  if (!command_) {
    if (IsOperatorInput(type)) gestures_.Delivered(receiver, event);
    return false;
  }
  switch (type) {
    case QEvent::Timer:
      // A window's own timer paces its painting; any other tick may start an exchange.
      if (receiver->isWindowType()) return false;
      heldTicks_.emplace(std::make_pair(receiver, static_cast<QTimerEvent*>(event)->timerId()), receiver);
      return true;
    case QEvent::Close: return HoldClose(receiver, event);
    case QEvent::Show: NoteWindowShown(receiver); return false;
    case QEvent::Hide:
      if (AsWindow(receiver) != nullptr) PostCheck();
      return false;
    default: break;
  }
  return IsOperatorInput(type) && FilterInput(receiver, event);
}
