// A group box with its caption on the frame line, as the operator's forms have always drawn it.
#pragma once

#include <QGroupBox>

class GroupBox : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
