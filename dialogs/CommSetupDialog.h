// The start-up dialog in which the operator picks a serial port or a Camera Link library.
#pragma once

#include <QDialog>
#include <QMap>
#include <QString>
#include <functional>

#include "panel/FormControls.h"

#include "dialogs/CommSetupChoice.h"

class QButtonGroup;
class QPoint;

class CommSetupDialog : public QDialog {
  Q_OBJECT

 public:
  // Returns the chosen library file's full path, or an empty text when the operator cancels.
  using FileChooser = std::function<QString()>;

  explicit CommSetupDialog(QWidget* parent = nullptr);

  // Shows the dialog modally and returns what the operator chose.
  static CommSetupChoice Ask(QWidget* parent = nullptr);

  // The choice as taken when OPEN closed the dialog; accepted is false otherwise.
  CommSetupChoice Choice() const;

  QWidget* Control(int id) const { return controls_.Control(id); }
  template <typename T>
  T* Get(int id) const {
    return controls_.template Get<T>(id);
  }

  // Tests replace the file choice so that none ever waits on a real modal window.
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
  // Where the port menu looks for serial devices; tests point it at a fake tree.
  void SetDeviceRoot(const QString& root) { deviceRoot_ = root; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnChoiceClicked(int index);
  void OnBrowse();
  void OnOpen();
  void ShowPortMenu(int port, const QPoint& where);
  void AssignPort(int port, const QString& path);

  FormControls controls_;
  QButtonGroup* choices_ = nullptr;
  QButtonGroup* bauds_ = nullptr;
  int linkKind_ = 0;
  bool browsing_ = false;
  FileChooser chooseFile_;
  QString deviceRoot_ = QStringLiteral("/dev");
  CommSetupChoice choice_;
};
