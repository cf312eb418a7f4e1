// Start-up, document commands and the end of the run.
#include "app/CVQS90App.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <cerrno>
#include <cstdio>
#include <optional>

#include "app/ProgramIcon.h"
#include "app/StartupRead.h"
#include "camera/FileNames.h"
#include "camera/SettingsStore.h"
#include "camera/PortSettings.h"
#include "dialogs/RegisterCommandMenu.h"
#include "dialogs/WhiteSpotDialog.h"
#include "camera/LinkChoice.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace {

constexpr int CancelledStatus = 1;

QString Text(int id) { return QString::fromStdString(LoadString(id)); }

// Paints the window once into an image nobody sees: its first real paint then finds the glyphs of
// its fonts and the style's pieces already made.
void PaintUnseen(QWidget& window) {
  QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
  window.render(&image);
}

}  // namespace

CVQS90App::CVQS90App(const Services& services)
    : services_(services),
      settings_(SettingsFormat(), QSettings::UserScope, Text(StringIds::CompanyKey), Text(StringIds::ApplicationTitle)),
      recent_(settings_) {
  // Set before the first window, the setup dialog, so every window of the program carries it.
  QApplication::setWindowIcon(ProgramIcon());
}

CVQS90App::~CVQS90App() {
  frame_.reset();
  settings_.setValue(QStringLiteral("Settings/COM Port"), services_.parameters->PortNumber());
  settings_.sync();
}

int CVQS90App::InitInstance() {
  recent_.Load();
  LoadPortAssignments();
  CommSetupChoice choice = services_.prompts->AskCommSetup();
  if (!choice.accepted) return CancelledStatus;
  OpenLink(choice);

  QByteArray fileName = services_.arguments.value(0);
  const bool cameraLink = choice.link.cameraLink.has_value();
  {
    // Until it is given the document the window neither sends nor shows a value, so it is built while
    // the camera is read; the read's messages come when it is over, before the document is made.
    std::optional<StartupRead> read;
    if (cameraLink || (fileName.isEmpty() && services_.parameters->IsPortOpen())) {
      read.emplace(*services_.parameters, services_.waiter);
    }
    BuildMainWindow();
    if (read) {
      PaintUnseen(*frame_);
      read->Finish();
    }
  }

  document_ = std::make_unique<CVQS90Doc>(*services_.parameters);
  AttachMainWindow();
  bool created = fileName.isEmpty() ? document_->OnNewDocument() : OpenDocumentFile(fileName);
  if (!created) {
    services_.parameters->Close();
    return CancelledStatus;
  }
  frame_->show();
  frame_->repaint();
  return 0;
}

void CVQS90App::OpenLink(const CommSetupChoice& choice) {
  // Read as the settings store has always been read; the dialog's choice decides the port.
  if (!choice.link.cameraLink) (void)settings_.value(QStringLiteral("Settings/COM Port"), 1).toInt();
  OpenChosenLink(*services_.parameters, choice.link);
}

void CVQS90App::BuildMainWindow() {
  // The frame keeps the port to name it in the port pane, which it first does when idle.
  frame_ = std::make_unique<CMainFrame>(*services_.parameters, services_.programName);
  view_ = new CVQS90View(frame_.get());
  frame_->setCentralWidget(view_);
}

void CVQS90App::AttachMainWindow() {
  view_->AttachDocument(document_.get());
  connect(view_, &CVQS90View::WindowTitleChanged, frame_.get(), &QWidget::setWindowTitle);
  document_->SetManualCommandRunner(
      [this] { services_.prompts->RunManualCommand(frame_.get(), *services_.parameters); });
  // The two service windows have no owner: the main window stays usable beside them.
  document_->SetCommandMenuFactory([this] { return std::make_unique<RegisterCommandMenu>(*services_.parameters); });
  document_->SetWhiteSpotFactory([this] { return std::make_unique<WhiteSpotDialog>(*document_); });
  connect(frame_.get(), &CMainFrame::Command, this, &CVQS90App::OnCommand);
  connect(frame_.get(), &CMainFrame::FileDropped, this, [this](const QByteArray& path) {
    if (SaveModified()) OpenDocumentFile(path);
  });
  frame_->SetCloseDecision([this] { return SaveModified(); });
  // Destroyed by another program, the window can ask nothing: the program ends and lets the port go.
  frameWatch_ = std::make_unique<WindowDestroyedWatch>(*frame_, [this] {
    std::fprintf(stderr, "vq-r310ntx: the main window was destroyed from outside; the program ends%s\n",
                 document_ != nullptr && document_->IsModified() ? " (the changed settings were not saved)" : "");
    QCoreApplication::exit(1);
  });
  if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, frame_.get(), &CMainFrame::OnIdle);
  }
  RefreshRecentFiles();
}

void CVQS90App::OnCommand(int commandId) {
  switch (commandId) {
    case CommandIds::FileNew: OnFileNew(); return;
    case CommandIds::FileOpen: OnFileOpen(); return;
    case CommandIds::FileSave: OnFileSave(); return;
    case CommandIds::FileSaveAs: OnFileSaveAs(); return;
    case CommandIds::AppExit: frame_->close(); return;
    case CommandIds::AppAbout: OnAppAbout(); return;
    case CommandIds::ReadFromCamera:
    case CommandIds::ReadFromCameraKey: document_->OnReadFromCamera(); return;
    case CommandIds::WriteToCamera:
    case CommandIds::WriteToCameraKey: document_->OnWriteToCamera(); return;
    case CommandIds::ManualCommand: document_->OnManualCommand(); return;
    case CommandIds::CommandMenu:
    case CommandIds::CommandMenuKey: document_->OnCommandMenu(); return;
    default: break;
  }
  int recent = commandId - CommandIds::RecentFile;
  if (recent >= 0 && recent < recent_.Paths().size() && SaveModified()) OpenDocumentFile(recent_.Paths()[recent]);
  // The edit and pane shortcuts have nothing to act on in this program.
}

void CVQS90App::OnFileNew() {
  if (SaveModified()) document_->OnNewDocument();
}

void CVQS90App::OnFileOpen() {
  if (!SaveModified()) return;
  QString path = services_.prompts->ChooseFileToOpen(frame_.get());
  if (!path.isEmpty()) OpenDocumentFile(FileNameBytes(path));
}

bool CVQS90App::OpenDocumentFile(const QByteArray& path) {
  if (const DocumentFileResult opened = document_->OnOpenDocument(path); !opened) {
    // A recent entry whose file is gone is taken off the list.
    if (opened.error == ENOENT) recent_.Remove(path);
    RefreshRecentFiles();
    return false;
  }
  recent_.Add(path);
  RefreshRecentFiles();
  return true;
}

bool CVQS90App::OnFileSave() {
  if (document_->PathName().isEmpty()) return OnFileSaveAs();
  return SaveDocumentAs(document_->PathName());
}

bool CVQS90App::OnFileSaveAs() {
  QString suggested =
      document_->PathName().isEmpty() ? Text(StringIds::ApplicationTitle) : FileNameText(document_->PathName());
  QString path = services_.prompts->ChooseFileToSave(frame_.get(), suggested);
  if (path.isEmpty()) return false;
  if (!path.endsWith(QStringLiteral(".vq"), Qt::CaseInsensitive)) path += QStringLiteral(".vq");
  return SaveDocumentAs(FileNameBytes(path));
}

bool CVQS90App::SaveDocumentAs(const QByteArray& path) {
  if (!document_->OnSaveDocument(path)) return false;
  recent_.Add(path);
  RefreshRecentFiles();
  return true;
}

bool CVQS90App::SaveModified() {
  if (!document_ || !document_->IsModified()) return true;
  QString text = QString::fromStdString(
      FormatString(LoadString(StringIds::SaveChangesPrompt), document_->Title().toStdString()));
  switch (services_.prompts->AskSaveChanges(frame_.get(), text)) {
    case OperatorPrompts::Answer::Yes: return OnFileSave();
    case OperatorPrompts::Answer::No: return true;
    case OperatorPrompts::Answer::Cancel: break;
  }
  return false;
}

void CVQS90App::OnAppAbout() { services_.prompts->ShowAbout(frame_.get()); }

void CVQS90App::RefreshRecentFiles() {
  if (!frame_) return;
  QStringList shown;
  for (const QByteArray& path : recent_.Paths()) shown.append(FileNameText(path));
  frame_->SetRecentFiles(shown);
}
