// The register command menu: reads and writes the camera's internal registers, 32 addresses at a time.
#pragma once

#include <QDialog>
#include <QMap>
#include <QString>

#include "panel/FormControls.h"

#include "camera/RegisterRequest.h"
#include "camera/ServiceWindow.h"

class CameraParameterSet;
class QAbstractButton;
class QButtonGroup;
class QLineEdit;

class RegisterCommandMenu : public QDialog, public ServiceWindow {
  Q_OBJECT

 public:
  // No owner window: the main window stays usable, and the menu lives as long as the document keeps it.
  explicit RegisterCommandMenu(CameraParameterSet& parameters);

  // ServiceWindow
  void Create() override;
  bool IsVisible() const override { return isVisible(); }
  void Focus() override;
  void Destroy() override { hide(); }

  QWidget* Control(int id) const { return controls_.Control(id); }
  template <typename T>
  T* Get(int id) const {
    return controls_.template Get<T>(id);
  }

  void RefreshRows();
  // Each returns false when the row was refused or the exchange failed; the operator has been told.
  bool WriteRow(int row);
  bool ReadRow(int row);
  void WriteAll();
  void ReadAll();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Warn(const char* text) const;
  bool Accepted(RegisterRequest::Check check) const;
  QAbstractButton* Button(int id) const;
  QLineEdit* AddressBox(int row) const;
  QLineEdit* DataBox(int row) const;

  CameraParameterSet& parameters_;
  FormControls controls_;
  QButtonGroup* modes_ = nullptr;   // ids are the mode bytes
  QButtonGroup* areas_ = nullptr;   // ids are the areas' write codes
  QButtonGroup* ranges_ = nullptr;  // ids are the ranges' first addresses
};
