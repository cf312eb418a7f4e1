// The About box: program name, version with the Qt version, copyright.
#pragma once

#include <QDialog>
#include <QMap>

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit AboutBox(QWidget* parent = nullptr);
  QWidget* Control(int id) const { return controls_.value(id); }

 private:
  QMap<int, QWidget*> controls_;
};
