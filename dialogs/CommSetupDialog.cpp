// The communication setup dialog: one choice group for ports and boards, baud rates, library path.
#include "dialogs/CommSetupDialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include "camera/FileNames.h"
#include "camera/PortSettings.h"
#include "dialogs/EnterKey.h"
#include "link/PortPaths.h"
#include "platform/DynamicLibrary.h"
#include "platform/SerialDeviceNames.h"
#include "panel/FormBuilder.h"
#include "resources/CommSetupLayout.h"

namespace {

using namespace CommSetupIds;

// Positions in the choice group after the ten COM buttons.
constexpr int FirstBoardChoice = 10;
constexpr int EuresysChoice = 10;
constexpr int MatroxChoice = 11;
constexpr int OtherFactoryChoice = 12;

QString ChooseLibraryFile() {
  // No owner: the dialog runs before the main window exists, and the choice stays modal on its own.
  QFileDialog dialog(nullptr, QStringLiteral("OPEN DLL FILE"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  const QString extension = QString::fromLatin1(DynamicLibrary::Extension());
  dialog.setNameFilters({QStringLiteral("%1 file (*.%1)").arg(extension), QStringLiteral("all file (*.*)")});
  dialog.setDefaultSuffix(extension);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.first();
}

QString PortToolTip(int port) { return FileNameText(QByteArray::fromStdString(DevicePathForPort(port))); }

}  // namespace

CommSetupDialog::CommSetupDialog(QWidget* parent) : QDialog(parent), chooseFile_(ChooseLibraryFile) {
  controls_ = FormControls(FormBuilder(CommSetupLayout).Build(CommSetupLayout, this));
  // The label after the path box names the system's library files: ".so" here, ".dll" on Windows.
  Get<QLabel>(LibraryLabel)->setText(QStringLiteral(".") + QString::fromLatin1(DynamicLibrary::Extension()));

  choices_ = new QButtonGroup(this);
  for (int port = FirstComPort; port <= LastComPort; ++port) {
    auto* button = Get<QAbstractButton>(FirstComButton + port - FirstComPort);
    choices_->addButton(button, port - FirstComPort);
    button->setToolTip(PortToolTip(port));
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, this,
            [this, port, button](const QPoint& at) { ShowPortMenu(port, button->mapToGlobal(at)); });
  }
  int index = FirstBoardChoice;
  for (int id : {Euresys, Matrox, OtherFactory}) choices_->addButton(Get<QAbstractButton>(id), index++);
  connect(choices_, &QButtonGroup::idClicked, this, &CommSetupDialog::OnChoiceClicked);

  bauds_ = new QButtonGroup(this);
  bauds_->addButton(Get<QAbstractButton>(Baud9600), 0);
  bauds_->addButton(Get<QAbstractButton>(Baud115200), 1);

  connect(Get<QAbstractButton>(Browse), &QAbstractButton::clicked, this, &CommSetupDialog::OnBrowse);
  connect(Get<QAbstractButton>(Open), &QAbstractButton::clicked, this, &CommSetupDialog::OnOpen);
  connect(Get<QAbstractButton>(Cancel), &QAbstractButton::clicked, this, &QDialog::reject);
}

CommSetupChoice CommSetupDialog::Ask(QWidget* parent) {
  CommSetupDialog dialog(parent);
  dialog.exec();
  return dialog.Choice();
}

CommSetupChoice CommSetupDialog::Choice() const { return result() == Accepted ? choice_ : CommSetupChoice{}; }

void CommSetupDialog::keyPressEvent(QKeyEvent* event) {
  // There is no default button, so Enter would otherwise do nothing; away from the push buttons it
  // stands for OPEN.
  if (PressFocusedButton(*this, *event)) return;
  if (IsEnterKey(*event)) {
    OnOpen();
    return;
  }
  QDialog::keyPressEvent(event);  // Esc cancels there
}

void CommSetupDialog::OnChoiceClicked(int index) {
  const bool serial = index < FirstBoardChoice;
  const bool otherFactory = index == OtherFactoryChoice;
  linkKind_ = serial ? 0 : 1;
  // The frames do not hold their controls as children, so each control is switched itself.
  for (int id : {BaudGroup, Baud9600, Baud115200}) Control(id)->setEnabled(serial);
  for (int id : {LibraryPath, LibraryLabel, Browse}) Control(id)->setEnabled(otherFactory);
}

void CommSetupDialog::OnBrowse() {
  // The file choice runs an event loop of its own; a Browse reaching us from inside it must not
  // stack a second choice on the first.
  if (browsing_) return;
  browsing_ = true;
  const QString path = chooseFile_();
  browsing_ = false;
  if (!path.isEmpty()) Get<QLineEdit>(LibraryPath)->setText(path);
}

void CommSetupDialog::OnOpen() {
  choice_.accepted = true;
  const int selection = choices_->checkedId();
  choice_.link = LinkChoice{};
  if (linkKind_ == 0) {
    choice_.link.com = selection + 1;
    choice_.link.baud = bauds_->checkedId() == 1 ? 115200 : 9600;
  } else if (selection == EuresysChoice) {
    choice_.link.cameraLink = "Euresys";
  } else if (selection == MatroxChoice) {
    choice_.link.cameraLink = "Matrox";
  } else {
    choice_.link.cameraLink = FileNameBytes(Get<QLineEdit>(LibraryPath)->text()).toStdString();
  }
  accept();
}

void CommSetupDialog::ShowPortMenu(int port, const QPoint& where) {
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const QString current = PortToolTip(port);
  const std::vector<std::string> names = SerialDeviceNames(FileNameBytes(deviceRoot_).toStdString());
  if (names.empty()) menu->addAction(tr("No serial devices found"))->setEnabled(false);
  for (const std::string& name : names) {
    const QString path = FileNameText(QByteArray::fromStdString(name));
    QAction* action = menu->addAction(path);
    action->setCheckable(true);
    action->setChecked(path == current);
    connect(action, &QAction::triggered, this, [this, port, path] { AssignPort(port, path); });
  }
  // popup(), not exec(): the handler returns at once instead of nesting another event loop.
  menu->popup(where);
}

void CommSetupDialog::AssignPort(int port, const QString& path) {
  StorePortAssignment(port, path);
  Control(FirstComButton + port - FirstComPort)->setToolTip(PortToolTip(port));
}
