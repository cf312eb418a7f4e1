// The About box: program name and version, platform, copyright, and the program's icon.
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
