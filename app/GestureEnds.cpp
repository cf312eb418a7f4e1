// Pairing presses with their releases across a wait for the camera.
#include "app/GestureEnds.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace {

bool IsKeyGesture(const QEvent* event) { return !static_cast<const QKeyEvent*>(event)->isAutoRepeat(); }

int Key(const QEvent* event) { return static_cast<const QKeyEvent*>(event)->key(); }

int Button(const QEvent* event) { return static_cast<int>(static_cast<const QMouseEvent*>(event)->button()); }

// Takes the gesture begun by `id`; true when there was one.
bool TakeBegun(std::map<int, QPointer<QObject>>& begun, int id) {
  auto it = begun.find(id);
  if (it == begun.end()) return false;
  const bool alive = !it->second.isNull();
  begun.erase(it);
  return alive;
}

}  // namespace

void GestureEnds::Delivered(QObject* receiver, const QEvent* event) {
  if (!receiver->isWidgetType()) return;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: mouse_[Button(event)] = receiver; break;
    case QEvent::MouseButtonRelease: mouse_.erase(Button(event)); break;
    case QEvent::KeyPress:
      if (IsKeyGesture(event)) keys_[Key(event)] = receiver;
      break;
    case QEvent::KeyRelease:
      if (IsKeyGesture(event)) keys_.erase(Key(event));
      break;
    default: break;
  }
}

bool GestureEnds::Keep(QObject* receiver, const QEvent* event) {
  bool ends = false;
  switch (event->type()) {
    case QEvent::MouseButtonRelease: ends = TakeBegun(mouse_, Button(event)); break;
    case QEvent::KeyRelease: ends = IsKeyGesture(event) && TakeBegun(keys_, Key(event)); break;
    case QEvent::MouseMove: {
      const auto buttons = static_cast<const QMouseEvent*>(event)->buttons();
      for (const auto& [button, control] : mouse_) {
        if ((buttons & static_cast<Qt::MouseButton>(button)) && control) {
          KeepMove(receiver, event);
          return true;
        }
      }
      return false;
    }
    default: return false;
  }
  if (ends) kept_.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
  return ends;
}

void GestureEnds::KeepMove(QObject* receiver, const QEvent* event) {
  // Only where the drag got to matters: a later move replaces the one kept before it.
  if (!kept_.empty() && kept_.back().event->type() == QEvent::MouseMove && kept_.back().receiver == receiver) {
    kept_.back().event.reset(event->clone());
    return;
  }
  kept_.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
}

void GestureEnds::EndMousePresses() {
  for (const auto& [button, control] : mouse_) {
    if (!control) continue;
    auto* widget = static_cast<QWidget*>(control.data());
    // Outside the control: a push button lets go without clicking, a scroll bar ends its repeat or drag.
    const QPointF outside(-1, -1);
    auto release = std::make_unique<QMouseEvent>(QEvent::MouseButtonRelease, outside, widget->mapToGlobal(outside),
                                                 static_cast<Qt::MouseButton>(button), Qt::NoButton, Qt::NoModifier);
    kept_.push_back({control, std::move(release)});
  }
  mouse_.clear();
}

void GestureEnds::DeliverKept() {
  std::vector<Kept> kept;
  kept.swap(kept_);
  for (Kept& end : kept) {
    if (end.receiver) QCoreApplication::sendEvent(end.receiver, end.event.get());
  }
}
