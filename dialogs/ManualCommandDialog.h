// The manual command dialog: a hand-typed request text sent as it stands, and the camera's reply.
#pragma once

#include <QDialog>
#include <QMap>

#include "panel/FormControls.h"

class CameraParameterSet;

class ManualCommandDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ManualCommandDialog(CameraParameterSet& parameters, QWidget* parent = nullptr);

  QWidget* Control(int id) const { return controls_.Control(id); }
  template <typename T>
  T* Get(int id) const {
    return controls_.template Get<T>(id);
  }
  void OnSend();
  void OnRead();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString TakeText();
  void SetReceived(const QString& text);

  CameraParameterSet& parameters_;
  FormControls controls_;
};
