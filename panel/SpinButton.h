// An up/down button that reports each step; the number it holds itself is never used.
#pragma once

#include <QSpinBox>

class SpinButton : public QSpinBox {
  Q_OBJECT

 public:
  using QSpinBox::QSpinBox;
  void stepBy(int steps) override {
    QSpinBox::stepBy(steps);
    emit Stepped(steps);
  }

 signals:
  void Stepped(int steps);

 protected:
  // The toolkit's counter would stop at its own range ends and drop the steps that go past them.
  StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};
