// The presses the operator began on controls, and the ends of them that arrive while the camera is
// waited for: those are kept and handed to their controls afterwards, so that no control is left
// half-done (a scroll bar auto-repeating, a drag without its last write, a button drawn pressed).
// When an event is noted, kept or delivered is the waiting machine's to say (app/WaitingMachine.h).
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class GestureEnds {
 public:
  // An event that reached its receiver: presses begin gestures, releases end them.
  void Delivered(QObject* receiver, const QEvent* event);
  // During a wait: keeps the event when it ends (or moves) a gesture begun before; false when it
  // belongs to no such gesture and is to be dropped.
  bool Keep(QObject* receiver, const QEvent* event);
  // A modal window opened over the controls: the toolkit will not tell them that the button came up,
  // so every mouse press still held is ended, away from its control, as losing the mouse ends it.
  void EndMousePresses();
  // Hands every kept end to its receiver, in the order they came.
  void DeliverKept();
  bool HasKept() const { return !kept_.empty(); }

 private:
  struct Kept {
    QPointer<QObject> receiver;
    std::unique_ptr<QEvent> event;
  };
  void KeepMove(QObject* receiver, const QEvent* event);

  std::map<int, QPointer<QObject>> mouse_;  // by button: the control that got its press
  std::map<int, QPointer<QObject>> keys_;   // by key: the control that got its press
  std::vector<Kept> kept_;
};
