// The control panel: the main window's only view of the document.
#pragma once

#include <QMap>
#include <QString>
#include <QWidget>

#include "panel/FormControls.h"

#include "camera/CameraInfo.h"
#include "camera/ParameterId.h"

class CVQS90Doc;
class QButtonGroup;
class QScrollBar;

class CVQS90View : public QWidget {
  Q_OBJECT

 public:
  explicit CVQS90View(QWidget* parent = nullptr);

  // Shows doc from now on and sets the form up for it.
  void AttachDocument(CVQS90Doc* doc);
  CVQS90Doc* Document() const { return document_; }

  QWidget* Control(int id) const { return controls_.Control(id); }
  template <typename T>
  T* Get(int id) const {
    return controls_.template Get<T>(id);
  }

  void SetupForm();
  void RefreshFromDocument();
  void ApplyRadio(ParameterId parameter, int value, int buttonId);
  void UpdateEnables(int controlId);
  void FactorySet();
  void ShowSliderValue(int barId, int value);
  void UpdateTimingReadouts();
  void StepSerialNumber(int step);
  void WriteSerialNumber();

  const CameraInfo& Info() const { return info_; }
  QString WindowTitle() const;
  int SerialDigitsMode() const { return info_.serialDigitsMode; }

 signals:
  // The main window's title, as the camera's model name gives it.
  void WindowTitleChanged(const QString& title);

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  void CreateRadioGroups();
  void ConnectSliders();
  void ConnectSerialNumber();
  void OnSliderAction(QScrollBar* bar, int action);
  void MovePartialScan(int barId, int position);
  bool WriteSlider(int barId, int position);
  void DecodeCameraInfo();
  void CheckGroup(ParameterId parameter, int value);
  void SetEnabled(std::initializer_list<int> ids, bool enabled);
  bool Checked(int id) const;
  int Position(int barId) const;

  FormControls controls_;
  QMap<ParameterId, QButtonGroup*> groups_;
  CVQS90Doc* document_ = nullptr;
  CameraInfo info_;
  QString serialNumberText_;
  int timerId_ = 0;
};
