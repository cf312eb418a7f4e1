// The main window: menu, shortcuts, the control panel and a status bar with the port pane.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QProgressBar>
#include <QStringList>
#include <functional>
#include <utility>

class CameraPort;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  CMainFrame(const CameraPort& port, const QString& programName, QWidget* parent = nullptr);

  // True when the program was started by the developer-mode name (folder and extension ignored).
  static bool DeveloperMode(const QString& programName);

  // Puts text into the message pane and repaints it at once: callers are about to block.
  void ShowStatusText(const QString& text);
  QString StatusText() const;
  // A bar in the status bar for transfers of many rows; total 0 takes it away.
  void ShowProgress(int done, int total);
  bool ProgressVisible() const { return !progress_->isHidden(); }

  QString PortPaneText() const;
  QString PortPane() const { return portPane_->text(); }
  // Every idle pass: "Ready" in the message pane and the port pane brought up to date.
  void OnIdle();

  // The menu entry of a command, or nullptr when the menu has none.
  QAction* Action(int commandId) const { return actions_.value(commandId); }
  QMenu* TopMenu(int index) const;
  void SetRecentFiles(const QStringList& paths);
  // Asked when the operator closes the window; false keeps it. Without one the window closes.
  void SetCloseDecision(std::function<bool()> mayClose) { mayClose_ = std::move(mayClose); }

 signals:
  // Every menu command and shortcut, by command id.
  void Command(int commandId);
  // The dropped file's name as the file system's bytes.
  void FileDropped(const QByteArray& path);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void ResizeOuter(const QSize& outer);
  void CreateMenus();
  void CreateShortcuts();
  void CreateStatusBar();
  void PruneMenu();

  const CameraPort& port_;
  QMap<int, QAction*> actions_;
  QList<QMenu*> menus_;
  QList<QAction*> recentActions_;
  QLabel* portPane_ = nullptr;
  QProgressBar* progress_ = nullptr;
  std::function<bool()> mayClose_;
};
