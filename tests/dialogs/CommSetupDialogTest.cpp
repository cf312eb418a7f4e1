// The communication setup dialog driven through its real widgets on the offscreen platform.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include "dialogs/CommSetupDialog.h"
#include "link/PortPaths.h"
#include "resources/CommSetupLayout.h"

using namespace CommSetupIds;

namespace {

class CommSetupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Port assignments are persisted; keep them out of the user's real settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    ClearPortPaths();
  }
  void TearDown() override { ClearPortPaths(); }

  QAbstractButton* Button(int id) { return static_cast<QAbstractButton*>(dialog_.Control(id)); }
  QLineEdit* PathBox() { return static_cast<QLineEdit*>(dialog_.Control(LibraryPath)); }
  void Click(int id) { Button(id)->click(); }
  void Press(int id, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(dialog_.Control(id), &event);
  }
  // Whether the baud controls and the library controls are enabled, in that order.
  std::pair<bool, bool> Enabled() {
    const bool baud = dialog_.Control(BaudGroup)->isEnabled();
    EXPECT_EQ(dialog_.Control(Baud9600)->isEnabled(), baud);
    EXPECT_EQ(dialog_.Control(Baud115200)->isEnabled(), baud);
    const bool library = PathBox()->isEnabled();
    EXPECT_EQ(dialog_.Control(LibraryLabel)->isEnabled(), library);
    EXPECT_EQ(dialog_.Control(Browse)->isEnabled(), library);
    return {baud, library};
  }

  QTemporaryDir settingsDir_;
  CommSetupDialog dialog_;
};

TEST_F(CommSetupDialogTest, UntouchedOpenGivesCom1At9600) {
  dialog_.show();
  EXPECT_EQ(dialog_.windowTitle(), "Select Communication System");
  EXPECT_EQ(Enabled(), std::make_pair(true, false));
  for (QPushButton* button : dialog_.findChildren<QPushButton*>()) EXPECT_FALSE(button->isDefault()) << button->text().toStdString();
  EXPECT_FALSE(dialog_.Choice().accepted);

  Click(Open);
  const CommSetupChoice choice = dialog_.Choice();
  EXPECT_TRUE(choice.accepted);
  EXPECT_EQ(choice.LinkKind, 0);
  EXPECT_EQ(choice.selectionIndex, 0);
  EXPECT_EQ(choice.baudIndex, 0);
  EXPECT_TRUE(choice.libraryPath.isEmpty());
}

TEST_F(CommSetupDialogTest, EnableRulesFollowTheClickedChoice) {
  Click(Euresys);
  EXPECT_EQ(Enabled(), std::make_pair(false, false));
  Click(OtherFactory);
  EXPECT_EQ(Enabled(), std::make_pair(false, true));
  Click(FirstComButton + 4);
  EXPECT_EQ(Enabled(), std::make_pair(true, false));
  Click(Baud115200);
  Click(Matrox);
  EXPECT_EQ(Enabled(), std::make_pair(false, false));

  // One exclusive group across ports and boards.
  int checked = 0;
  for (int id = FirstComButton; id <= LastComButton; ++id) checked += Button(id)->isChecked();
  for (int id : {Euresys, Matrox, OtherFactory}) checked += Button(id)->isChecked();
  EXPECT_EQ(checked, 1);

  Click(Open);
  const CommSetupChoice choice = dialog_.Choice();
  EXPECT_EQ(choice.LinkKind, 1);
  EXPECT_EQ(choice.selectionIndex, 11);
  EXPECT_EQ(choice.baudIndex, 1);  // kept, though disabled
}

TEST_F(CommSetupDialogTest, ComAfterBoardGivesSerialLinkWithItsBaud) {
  Click(OtherFactory);
  Click(LastComButton);
  Click(Baud115200);
  Click(Open);
  EXPECT_EQ(dialog_.Choice().LinkKind, 0);
  EXPECT_EQ(dialog_.Choice().selectionIndex, 9);
  EXPECT_EQ(dialog_.Choice().baudIndex, 1);
}

TEST_F(CommSetupDialogTest, BrowseFillsThePathAndKeepsTheChoice) {
  QString picked;
  int calls = 0;
  dialog_.SetFileChooser([&] {
    ++calls;
    Click(Browse);  // a Browse while the choice is open does nothing
    return picked;
  });
  Click(OtherFactory);
  PathBox()->setText("typed.so");

  Click(Browse);  // cancelled
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(PathBox()->text(), "typed.so");

  picked = "/opt/grabber/lib/libclserxyz.so";
  Click(Browse);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(PathBox()->text(), picked);
  EXPECT_TRUE(Button(OtherFactory)->isChecked());
  EXPECT_EQ(Enabled(), std::make_pair(false, true));

  Click(Open);
  EXPECT_EQ(dialog_.Choice().selectionIndex, 12);
  EXPECT_EQ(dialog_.Choice().LinkKind, 1);
  EXPECT_EQ(dialog_.Choice().libraryPath, picked);
}

TEST_F(CommSetupDialogTest, EnterOpensWhereverTheFocusIs) {
  for (int target : {FirstComButton + 2, Baud115200, LibraryPath, Cancel}) {
    CommSetupDialog dialog;
    dialog.show();
    static_cast<QAbstractButton*>(dialog.Control(OtherFactory))->click();  // so the path box takes keys
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dialog.Control(target), &enter);
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << target;
    EXPECT_TRUE(dialog.Choice().accepted) << target;
    EXPECT_EQ(dialog.Choice().selectionIndex, 12) << target;
  }
}

TEST_F(CommSetupDialogTest, EscCancelAndTheCloseBoxAllCancel) {
  for (int way = 0; way < 3; ++way) {
    CommSetupDialog dialog;
    dialog.show();
    static_cast<QAbstractButton*>(dialog.Control(Matrox))->click();
    if (way == 0) {
      QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(dialog.Control(Matrox), &esc);
    } else if (way == 1) {
      static_cast<QAbstractButton*>(dialog.Control(Cancel))->click();
    } else {
      dialog.close();
    }
    EXPECT_FALSE(dialog.isVisible()) << way;
    EXPECT_FALSE(dialog.Choice().accepted) << way;
  }
}

TEST_F(CommSetupDialogTest, AskRunsTheDialogModally) {
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<CommSetupDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    static_cast<QAbstractButton*>(dialog->Control(FirstComButton + 2))->click();
    static_cast<QAbstractButton*>(dialog->Control(Open))->click();
  });
  // Should the clicks go astray, this ends the loop instead of hanging the test run.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] {
    for (QWidget* window : QApplication::topLevelWidgets()) window->close();
  });
  guard.start(5000);
  const CommSetupChoice choice = CommSetupDialog::Ask();
  EXPECT_TRUE(choice.accepted);
  EXPECT_EQ(choice.selectionIndex, 2);
}

TEST_F(CommSetupDialogTest, PortMenuAssignsADeviceAndTheToolTipFollows) {
  QTemporaryDir dev;
  QDir(dev.path()).mkpath("serial/by-id");
  for (const char* name : {"ttyUSB0", "ttyS0", "serial/by-id/usb-FTDI_X-if00"}) {
    QFile file(dev.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  AssignPortPath(3, "/dev/ttyUSB7");
  CommSetupDialog dialog;  // tool tips are read when the dialog is made
  dialog.SetDeviceRoot(dev.path());
  QWidget* com3 = dialog.Control(FirstComButton + 2);
  EXPECT_EQ(dialog.Control(FirstComButton)->toolTip(), "/dev/ttyS0");
  EXPECT_EQ(com3->toolTip(), "/dev/ttyUSB7");
  EXPECT_EQ(dialog.Control(LastComButton)->toolTip(), "/dev/ttyS9");

  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(3, 3), com3->mapToGlobal(QPoint(3, 3)));
  QApplication::sendEvent(com3, &rightClick);
  auto* menu = dialog.findChild<QMenu*>();
  ASSERT_NE(menu, nullptr);
  QStringList texts;
  for (QAction* action : menu->actions()) texts << action->text();
  EXPECT_EQ(texts, QStringList({dev.filePath("serial/by-id/usb-FTDI_X-if00"), dev.filePath("ttyS0"),
                                dev.filePath("ttyUSB0")}));

  menu->actions().at(2)->trigger();
  EXPECT_EQ(com3->toolTip(), dev.filePath("ttyUSB0"));
  EXPECT_EQ(DevicePathForPort(3), dev.filePath("ttyUSB0").toStdString());
  EXPECT_EQ(QSettings("Norvane Imaging Ltd.", "VQ-R310NTX").value("Ports/COM3").toString(), dev.filePath("ttyUSB0"));
  EXPECT_EQ(dialog.Control(FirstComButton)->toolTip(), "/dev/ttyS0");  // other ports untouched
}

}  // namespace
