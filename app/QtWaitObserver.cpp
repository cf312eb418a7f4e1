// The toolkit's side of the waiting machine: the application-wide event filter that names events
// for it, and what its answers do to windows, timers and controls.
#include "app/QtWaitObserver.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTimerEvent>
#include <algorithm>

namespace {

using Event = WaitingMachine::Event;
using Action = WaitingMachine::Action;
using Cursor = WaitingMachine::Cursor;

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
  if (machine_.CursorShown()) QApplication::restoreOverrideCursor();
}

void QtWaitObserver::ExchangeStarted(int64_t nowMs) { CarryOut(machine_.Step(Event::ExchangeStarted, nowMs)); }

void QtWaitObserver::ExchangeEnded() { CarryOut(machine_.Step(Event::ExchangeEnded)); }

void QtWaitObserver::StillWaiting(int64_t nowMs) { CarryOut(machine_.Step(Event::Slice, nowMs)); }

bool QtWaitObserver::eventFilter(QObject* receiver, QEvent* event) {
  const std::optional<Event> named = Name(receiver, event);
  return named && CarryOut(machine_.Step(*named), receiver, event);
}

std::optional<Event> QtWaitObserver::Name(QObject* receiver, const QEvent* event) const {
  const QEvent::Type type = event->type();
  if (IsOperatorInput(type)) return NameInput(receiver);
  switch (type) {
    case QEvent::Timer: return receiver->isWindowType() ? Event::WindowTick : Event::Tick;
    case QEvent::Close: return NameClose(AsWindow(receiver));
    case QEvent::Show: {
      QWidget* window = AsWindow(receiver);
      if (window == nullptr || !window->isModal()) return std::nullopt;
      return Event::ModalShown;
    }
    case QEvent::Hide:
      if (AsWindow(receiver) == nullptr) return std::nullopt;
      return Event::WindowHidden;
    default: return std::nullopt;
  }
}

std::optional<Event> QtWaitObserver::NameClose(QWidget* window) const {
  if (window == nullptr) return std::nullopt;
  return window->isModal() && window != modalAtCommandStart_ ? Event::CloseOfCommandBox : Event::CloseOfWindow;
}

WaitingMachine::Event QtWaitObserver::NameInput(QObject* receiver) const {
  // A window receives input only to route it to a widget, where it is judged; a box opened during
  // the wait answers at once.
  if (receiver->isWindowType()) return Event::InputToWindow;
  return InWindowOpenedDuringExchange(receiver) ? Event::InputToNewBox : Event::InputToControl;
}

bool QtWaitObserver::InWindowOpenedDuringExchange(QObject* receiver) const {
  if (!receiver->isWidgetType()) return false;
  QWidget* modal = QApplication::activeModalWidget();
  return modal != nullptr && modal != modalAtExchangeStart_ && static_cast<QWidget*>(receiver)->window() == modal;
}

bool QtWaitObserver::CommandBoxOpen() const {
  QWidget* modal = QApplication::activeModalWidget();
  return modal != nullptr && modal != modalAtCommandStart_;
}

bool QtWaitObserver::CarryOut(const WaitingMachine::Decision& decision, QObject* receiver, QEvent* event) {
  ApplyCursor(decision.cursor);
  switch (decision.action) {
    case Action::None: return false;
    case Action::Deliver: gestures_.Delivered(receiver, event); return false;
    case Action::KeepOrDrop: gestures_.Keep(receiver, event); return true;
    case Action::HoldTick:
      heldTicks_.emplace(std::make_pair(receiver, static_cast<QTimerEvent*>(event)->timerId()), receiver);
      return true;
    case Action::HoldClose: HoldClose(receiver, event); return true;
    case Action::BeginCommand: modalAtCommandStart_ = QApplication::activeModalWidget(); [[fallthrough]];
    case Action::BeginExchange: modalAtExchangeStart_ = QApplication::activeModalWidget(); return false;
    case Action::PostCheck: PostCheck(); return false;
    case Action::EndCommand: DeliverHeld(); return false;
    // The box takes the mouse: a control still held beneath it will not hear the button come up.
    case Action::EndPresses: gestures_.EndMousePresses(); return false;
    case Action::RunWindowEvents: QCoreApplication::processEvents(QEventLoop::AllEvents); return false;
  }
  return false;
}

void QtWaitObserver::ApplyCursor(Cursor cursor) {
  if (cursor == Cursor::Show) QApplication::setOverrideCursor(Qt::WaitCursor);
  if (cursor == Cursor::Restore) QApplication::restoreOverrideCursor();
}

void QtWaitObserver::HoldClose(QObject* receiver, QEvent* event) {
  // Asked again when the command is over, so that its messages are read first and the save prompt
  // comes after them.
  QPointer<QWidget> window(static_cast<QWidget*>(receiver));
  if (std::find(heldCloses_.begin(), heldCloses_.end(), window) == heldCloses_.end()) heldCloses_.push_back(window);
  event->ignore();
}

void QtWaitObserver::PostCheck() {
  if (checkPosted_) return;
  checkPosted_ = true;
  // A queued call, not a timer: timer ticks are what a command holds. A box's closing looks again.
  QMetaObject::invokeMethod(
      this,
      [this] {
        checkPosted_ = false;
        CarryOut(machine_.Step(CommandBoxOpen() ? Event::CheckWithBoxUp : Event::Check));
      },
      Qt::QueuedConnection);
}

void QtWaitObserver::DeliverHeld() {
  // The ends of presses first: a scroll bar let go stops repeating before any held tick reaches it.
  gestures_.DeliverKept();
  // Whatever an end or a tick starts is a command of its own; what is left waits for its end. A
  // tick held once is delivered once, however often it came.
  while (!CommandRunning() && !heldTicks_.empty()) {
    auto first = heldTicks_.begin();
    const int timerId = first->first.second;
    QPointer<QObject> receiver = first->second;
    heldTicks_.erase(first);
    if (!receiver) continue;
    QTimerEvent tick(timerId);
    QCoreApplication::sendEvent(receiver, &tick);
  }
  while (!CommandRunning() && !heldCloses_.empty()) {
    QPointer<QWidget> window = heldCloses_.front();
    heldCloses_.erase(heldCloses_.begin());
    if (window) window->close();
  }
}
