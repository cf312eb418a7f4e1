// The white spot detection window: the detection threshold, detection runs polled to their end, the spot list.
#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QMap>

#include "panel/FormControls.h"

#include "camera/ServiceWindow.h"

class CVQS90Doc;
class QButtonGroup;

class WhiteSpotDialog : public QDialog, public ServiceWindow {
  Q_OBJECT

 public:
  // Modeless and without an owner: the operator keeps working in the main window beside it.
  explicit WhiteSpotDialog(CVQS90Doc& document);
  ~WhiteSpotDialog() override;

  // Reads the threshold and the correction switch from the camera, then shows the dialog.
  void Create() override;
  bool IsVisible() const override { return isVisible(); }
  void Focus() override;
  void Destroy() override;

  QWidget* Control(int id) const { return controls_.Control(id); }
  template <typename T>
  T* Get(int id) const {
    return controls_.template Get<T>(id);
  }
  bool IsPolling() const { return pollTimer_.isActive(); }
  // Delivers one tick of the running poll timer as the event loop would; nothing when none runs.
  // Tests drive a detection run with it instead of waiting on the clock.
  void DeliverPollTick();

  void StartDetection();
  void ListSpots();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void OnSliderAction(int action);
  void OnPollTick();
  void ShowEndMessage(int state);

  CVQS90Doc& document_;
  FormControls controls_;
  QButtonGroup* correction_ = nullptr;
  QBasicTimer pollTimer_;
  bool handlingTick_ = false;
};
