// The main window's construction, its status panes and the commands it hands to the application.
#include "app/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QShortcut>
#include <QStatusBar>
#include <QWindow>

#include "app/MenuStyle.h"
#include "camera/FileNames.h"
#include "link/CameraPort.h"
#include "platform/WindowEvents.h"
#include "resources/CommandIds.h"
#include "resources/MenuTable.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace {

constexpr int RecentFileCount = 4;
constexpr int InterfaceMenu = 1;

}  // namespace

CMainFrame::CMainFrame(const CameraPort& port, const QString& programName, QWidget* parent)
    : QMainWindow(parent), port_(port) {
  setWindowTitle(QStringLiteral(" ") + QString::fromStdString(LoadString(StringIds::ApplicationTitle)));
  CreateMenus();
  CreateShortcuts();
  CreateStatusBar();
  if (!DeveloperMode(programName)) PruneMenu();
  setAcceptDrops(true);
  ResizeOuter(QSize(630, 430));
}

// The first size counts the frame and caption: on Windows as the system counts a window's outer
// size; elsewhere as far as the toolkit knows them before the window is shown (an X11 window manager
// tells them only once the window is mapped).
void CMainFrame::ResizeOuter(const QSize& outer) {
  const uintptr_t window = winId();
  QMargins frame = windowHandle()->frameMargins();
  WindowFrame native;
  if (NativeWindowFrame(window, native)) {
    const qreal ratio = devicePixelRatioF();
    frame = QMargins(qRound(native.left / ratio), qRound(native.top / ratio), qRound(native.right / ratio),
                     qRound(native.bottom / ratio));
  }
  resize(outer.shrunkBy(frame));
}

bool CMainFrame::DeveloperMode(const QString& programName) {
  QString name = QFileInfo(programName).completeBaseName();
  return name.compare(QString::fromLatin1(DeveloperModeName), Qt::CaseInsensitive) == 0;
}

void CMainFrame::CreateMenus() {
  const MenuBar& bar = MainMenu();
  auto* style = new MenuStyle;
  style->setParent(this);
  for (size_t m = 0; m < bar.menuCount; ++m) {
    menus_.append(menuBar()->addMenu(QString::fromLatin1(bar.titles[m])));
    menus_.back()->setStyle(style);
  }
  for (size_t i = 0; i < bar.entryCount; ++i) {
    const MenuEntry& entry = bar.entries[i];
    QMenu* menu = menus_[entry.menu];
    if (entry.text == nullptr) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(QString::fromLatin1(entry.text));
    if (const char* prompt = CommandPrompt(entry.commandId)) action->setStatusTip(QString::fromLatin1(prompt));
    actions_.insert(entry.commandId, action);
    int id = entry.commandId;
    connect(action, &QAction::triggered, this, [this, id] { emit Command(id); });
  }
  // Without a handler behind it the entry stays greyed, as the operator knows it.
  actions_[CommandIds::SerialPort]->setEnabled(false);
  actions_[CommandIds::RecentFile]->setEnabled(false);
}

void CMainFrame::CreateShortcuts() {
  size_t count = 0;
  const Accelerator* keys = Accelerators(count);
  for (size_t i = 0; i < count; ++i) {
    auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(keys[i].keys)), this);
    shortcut->setContext(Qt::WindowShortcut);
    int id = keys[i].commandId;
    connect(shortcut, &QShortcut::activated, this, [this, id] { emit Command(id); });
  }
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("statusBar%1").arg(CommandIds::StatusBar));
  progress_ = new QProgressBar(bar);
  progress_->setMaximumWidth(160);
  progress_->setTextVisible(false);
  progress_->hide();
  bar->addPermanentWidget(progress_);
  portPane_ = new QLabel(bar);
  portPane_->setObjectName(QStringLiteral("pane%1").arg(CommandIds::PortPane));
  portPane_->setAlignment(Qt::AlignCenter);
  portPane_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  // Sized once for "COM8", as the pane always was; "COM10" is a little wider and is cut at the edge.
  portPane_->setFixedWidth(portPane_->fontMetrics().horizontalAdvance(QStringLiteral("COM8")) + 8);
  bar->addPermanentWidget(portPane_);
}

void CMainFrame::PruneMenu() {
  for (int id : {CommandIds::ManualCommand, CommandIds::SerialPort, CommandIds::CommandMenu}) {
    QAction* action = actions_.take(id);
    menus_[InterfaceMenu]->removeAction(action);
    delete action;
  }
  // What stands at position 2 now is the separator that divided the removed entries.
  QAction* separator = menus_[InterfaceMenu]->actions().value(2);
  menus_[InterfaceMenu]->removeAction(separator);
  delete separator;
}

QMenu* CMainFrame::TopMenu(int index) const { return menus_.value(index); }

void CMainFrame::ShowStatusText(const QString& text) {
  statusBar()->showMessage(text);
  statusBar()->repaint();
}

QString CMainFrame::StatusText() const { return statusBar()->currentMessage(); }

void CMainFrame::ShowProgress(int done, int total) {
  if (total <= 0) {
    progress_->hide();
    return;
  }
  progress_->setRange(0, total);
  progress_->setValue(done);
  progress_->show();
  statusBar()->repaint();
}

QString CMainFrame::PortPaneText() const {
  if (!port_.IsPortOpen()) return QStringLiteral(" ?");
  return QStringLiteral("COM%1").arg(port_.PortNumber());
}

void CMainFrame::OnIdle() {
  // A modal box or dialog runs a loop of its own; the program is not idle until it is answered,
  // so a failed transfer's text stays beside its error box.
  if (QApplication::activeModalWidget() != nullptr) return;
  // While a menu is open its prompt stays in the pane.
  if (QApplication::activePopupWidget() == nullptr) {
    const QString ready = QString::fromStdString(LoadString(StringIds::StatusReady));
    if (statusBar()->currentMessage() != ready) statusBar()->showMessage(ready);
  }
  QString pane = PortPaneText();
  if (portPane_->text() != pane) portPane_->setText(pane);
  portPane_->setEnabled(true);
}

void CMainFrame::SetRecentFiles(const QStringList& paths) {
  QMenu* file = menus_[0];
  QAction* placeholder = actions_[CommandIds::RecentFile];
  for (QAction* action : recentActions_) {
    file->removeAction(action);
    delete action;
  }
  recentActions_.clear();
  placeholder->setVisible(paths.isEmpty());
  for (int i = 0; i < paths.size() && i < RecentFileCount; ++i) {
    QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(paths[i]));
    auto* action = new QAction(text, file);
    file->insertAction(placeholder, action);
    int id = CommandIds::RecentFile + i;
    connect(action, &QAction::triggered, this, [this, id] { emit Command(id); });
    recentActions_.append(action);
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!mayClose_ || mayClose_()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      emit FileDropped(FileNameOfUrl(url));
      break;
    }
  }
  event->acceptProposedAction();
}
