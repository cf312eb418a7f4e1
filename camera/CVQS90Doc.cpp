// The window's document commands: reading the camera for the views, and the owned windows.
#include "camera/CVQS90Doc.h"

#include "camera/FileNames.h"
#include "platform/RegularFile.h"

CVQS90Doc::CVQS90Doc(CameraParameterSet& parameters, QObject* parent) : QObject(parent), SettingsDocument(parameters) {}

CVQS90Doc::~CVQS90Doc() = default;

QString CVQS90Doc::Title() const {
  const QByteArray path = PathName();
  if (path.isEmpty()) return QStringLiteral("Untitled");
  return FileNameText(QByteArray::fromStdString(RegularFile::FileName(path.toStdString())));
}

void CVQS90Doc::OnReadFromCamera() {
  if (ReadAllCameraValues() > 0) emit UpdateAllViews();
}

void CVQS90Doc::OnWriteToCamera() { WriteAllCameraValues(); }

void CVQS90Doc::OnManualCommand() {
  if (runManualCommand_) runManualCommand_();
  OnReadFromCamera();
}

void CVQS90Doc::OnCommandMenu() { OpenOwnedWindow(commandMenuWindow_, makeCommandMenu_); }

void CVQS90Doc::OpenWhiteSpotWindow() { OpenOwnedWindow(whiteSpotWindow_, makeWhiteSpot_); }

// At most one window of each kind: a visible one gets the focus, a hidden one is replaced.
void CVQS90Doc::OpenOwnedWindow(std::unique_ptr<ServiceWindow>& member, const WindowFactory& make) {
  if (member && member->IsVisible()) {
    member->Focus();
    return;
  }
  if (member) {
    member->Destroy();
    member.reset();
  }
  if (!make) return;
  member = make();
  if (member) member->Create();
}
