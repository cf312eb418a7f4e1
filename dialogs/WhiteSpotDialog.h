// The white spot detection window: the detection threshold, detection runs polled to their end, the spot
// list and its map.
#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QMap>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "panel/FormControls.h"

#include "camera/ServiceWindow.h"

class CVQS90Doc;
class QButtonGroup;
class WhiteSpotMap;

// The controls beside the list: the map, the name of the spot under the mouse and the two saves.
namespace WhiteSpotMapIds {
inline constexpr int Map = 1190;
inline constexpr int SpotName = 1191;
inline constexpr int SavePng = 1192;
inline constexpr int SaveCsv = 1193;
}  // namespace WhiteSpotMapIds

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

  // Asks for the name to save under (title, suggested name, filter); empty when the operator cancels.
  // Tests answer in place of the file choice.
  using FileChooser = std::function<QString(QWidget* parent, const QString& title, const QString& name,
                                            const QString& filter)>;
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

  WhiteSpotMap& Map() const;
  // Write the map as PNG, the list as CSV; a failure is told to the operator. 0 or the file
  // system's error. Names are the file system's bytes.
  int SaveMap(const std::string& path);
  int SaveList(const std::string& path);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void OnSliderAction(int action);
  void OnPollTick();
  void ShowEndMessage(int state);
  // Creates the map, its spot name and its saves beside the form and widens the form for them.
  QMap<int, QWidget*> AddMap();
  // The partial-scan window as the document holds it; nothing is asked of the camera.
  void ShowScanWindow();
  void ReportSaveFailure(const char* what, const std::string& path, int error);
  // The name the operator chose, as the file system's bytes; none when cancelled.
  std::optional<std::string> ChooseFile(const char* title, const char* name, const char* filter);

  CVQS90Doc& document_;
  FormControls controls_;
  QButtonGroup* correction_ = nullptr;
  FileChooser chooseFile_;
  QBasicTimer pollTimer_;
  bool handlingTick_ = false;
};
