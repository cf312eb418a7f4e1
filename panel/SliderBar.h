// A scroll bar that moves only by line, page and thumb, the steps the panel writes to the camera.
#pragma once

#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

class SliderBar : public QScrollBar {
 public:
  // The toolkit's scroll menu would move the bar without a word to the camera; right-click offers nothing.
  explicit SliderBar(Qt::Orientation orientation, QWidget* parent = nullptr) : QScrollBar(orientation, parent) {
    setContextMenuPolicy(Qt::PreventContextMenu);
  }

 protected:
  // The wheel scrolls by steps of its own; it is left to the form, which does not scroll.
  void wheelEvent(QWheelEvent* event) override { event->ignore(); }

  // The toolkit turns a horizontal bar's Left and Right keys round; they step the way they point.
  void keyPressEvent(QKeyEvent* event) override {
    const bool arrow = event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
    if (orientation() != Qt::Horizontal || !arrow) {
      QScrollBar::keyPressEvent(event);
      return;
    }
    const bool towardMaximum = (event->key() == Qt::Key_Right) != isRightToLeft();
    triggerAction(towardMaximum ? SliderSingleStepAdd : SliderSingleStepSub);
    event->accept();
  }
};
