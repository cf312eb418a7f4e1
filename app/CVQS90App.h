// The application object: start-up in its fixed order, the document commands, the end of the run.
#pragma once

#include <QByteArrayList>
#include <QObject>
#include <QSettings>
#include <QStringList>
#include <memory>

#include "app/CMainFrame.h"
#include "app/OperatorPrompts.h"
#include "app/RecentFileList.h"
#include "app/WindowDestroyedWatch.h"
#include "link/WaitObserver.h"
#include "camera/CVQS90Doc.h"
#include "camera/CameraParameterSet.h"
#include "panel/CVQS90View.h"

class CVQS90App : public QObject {
  Q_OBJECT

 public:
  struct Services {
    CameraParameterSet* parameters;
    OperatorOutput* output;
    OperatorPrompts* prompts;
    QString programName;      // the name the program was started by
    QByteArrayList arguments;  // the command line after the program name, as the bytes it was given
    // The observer the parameter set's port was given, if any: the start-up read, on a thread of its
    // own, takes it off the port and gives it back.
    WaitObserver* waiter = nullptr;
  };

  explicit CVQS90App(const Services& services);
  // Stores the serial port number of this run under "Settings"/"COM Port".
  ~CVQS90App() override;

  // 0 when the main window is up, otherwise the exit status of the process.
  int InitInstance();

  CMainFrame* MainFrame() const { return frame_.get(); }
  CVQS90Doc* Document() const { return document_.get(); }
  CVQS90View* View() const { return view_; }
  const RecentFileList& RecentFiles() const { return recent_; }

  // Framework commands.
  void OnCommand(int commandId);
  void OnFileNew();
  void OnFileOpen();
  bool OnFileSave();
  bool OnFileSaveAs();
  bool OpenDocumentFile(const QByteArray& path);
  // Asks "Save changes to %1?" for a modified document; false when the operator cancelled.
  bool SaveModified();
  void OnAppAbout();

 private:
  void OpenLink(const CommSetupChoice& choice);
  // The frame and its form, touching neither the document nor the camera.
  void BuildMainWindow();
  // The form given the document, and the window joined to the application.
  void AttachMainWindow();
  bool SaveDocumentAs(const QByteArray& path);
  void RefreshRecentFiles();

  Services services_;
  QSettings settings_;
  RecentFileList recent_;
  std::unique_ptr<CVQS90Doc> document_;
  std::unique_ptr<CMainFrame> frame_;
  CVQS90View* view_ = nullptr;  // owned by the frame
  std::unique_ptr<WindowDestroyedWatch> frameWatch_;
};
