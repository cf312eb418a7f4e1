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
#include <vector>

#include "camera/SettingsStore.h"
#include "dialogs/CommSetupDialog.h"
#include "link/PortPaths.h"
#include "resources/CommSetupLayout.h"
#include "support/SystemNames.h"

using namespace CommSetupIds;

namespace {

void Click(const CommSetupDialog& dialog, int id) { static_cast<QAbstractButton*>(dialog.Control(id))->click(); }

// Keys go to the control in focus.
void Press(const CommSetupDialog& dialog, int id, int key) {
  dialog.Control(id)->setFocus();
  QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(dialog.Control(id), &event);
}

QLineEdit* PathBox(const CommSetupDialog& dialog) { return static_cast<QLineEdit*>(dialog.Control(LibraryPath)); }

class CommSetupDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Port assignments are persisted; keep them out of the user's real settings.
    KeepSettingsStoreIn(settingsDir_.path());
    ClearPortPaths();
  }
  void TearDown() override { ClearPortPaths(); }

  QTemporaryDir settingsDir_;
};

TEST_F(CommSetupDialogTest, ClicksSetEnablingAndTheChoice) {
  struct Case {
    std::vector<int> clicks;
    bool baudEnabled, libraryEnabled;
    int com, baud;
    std::optional<std::string> cameraLink;
  };
  const Case cases[] = {
      {{}, true, false, 1, 9600, std::nullopt},
      {{Euresys}, false, false, 1, 9600, "Euresys"},
      {{Baud115200, Matrox}, false, false, 1, 9600, "Matrox"},  // a board takes no baud rate
      {{OtherFactory}, false, true, 1, 9600, ""},  // the path as typed: nothing
      {{OtherFactory, LastComButton, Baud115200}, true, false, 10, 115200, std::nullopt},
  };
  for (const Case& c : cases) {
    CommSetupDialog dialog;
    dialog.show();
    for (int id : c.clicks) Click(dialog, id);
    for (int id : {BaudGroup, Baud9600, Baud115200}) EXPECT_EQ(dialog.Control(id)->isEnabled(), c.baudEnabled) << id;
    for (int id : {LibraryPath, LibraryLabel, Browse}) EXPECT_EQ(dialog.Control(id)->isEnabled(), c.libraryEnabled) << id;
    int checked = 0;  // ports and boards are one exclusive group
    for (int id = FirstComButton; id <= LastComButton; ++id) checked += static_cast<QAbstractButton*>(dialog.Control(id))->isChecked();
    for (int id : {Euresys, Matrox, OtherFactory}) checked += static_cast<QAbstractButton*>(dialog.Control(id))->isChecked();
    EXPECT_EQ(checked, 1);
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) EXPECT_FALSE(button->isDefault());

    EXPECT_FALSE(dialog.Choice().accepted);
    Click(dialog, Open);
    const CommSetupChoice choice = dialog.Choice();
    EXPECT_TRUE(choice.accepted);
    EXPECT_EQ(choice.link.com, c.com);
    EXPECT_EQ(choice.link.baud, c.baud);
    EXPECT_EQ(choice.link.cameraLink, c.cameraLink);
    EXPECT_FALSE(choice.link.device) << "COM numbers are mapped by the settings store";
    EXPECT_EQ(choice.link.cameraLinkPort, 0) << "the board's first serial port";
  }
}

TEST_F(CommSetupDialogTest, BrowseFillsThePathOnlyWhenAFileIsPicked) {
  CommSetupDialog dialog;
  QString picked;
  int calls = 0;
  dialog.SetFileChooser([&] {
    ++calls;
    Click(dialog, Browse);  // ignored while a choice is open
    return picked;
  });
  Click(dialog, OtherFactory);
  PathBox(dialog)->setText("typed.so");
  Click(dialog, Browse);  // cancelled
  EXPECT_EQ(PathBox(dialog)->text(), "typed.so");

  picked = "/opt/grabber/lib/libclserxyz.so";
  Click(dialog, Browse);
  EXPECT_EQ(calls, 2);
  Click(dialog, Open);
  EXPECT_EQ(dialog.Choice().link.cameraLink, picked.toStdString());
}

TEST_F(CommSetupDialogTest, EnterOpensAwayFromCancelEscAndCloseCancel) {
  for (int target : {FirstComButton + 2, Baud115200, LibraryPath, Open}) {
    CommSetupDialog dialog;
    dialog.show();
    Click(dialog, OtherFactory);  // enables the path box, so it takes keys
    Press(dialog, target, Qt::Key_Return);
    EXPECT_TRUE(dialog.Choice().accepted) << target;
    EXPECT_EQ(dialog.Choice().link.cameraLink, "") << target;
  }
  for (int way = 0; way < 4; ++way) {
    CommSetupDialog dialog;
    dialog.show();
    Click(dialog, Matrox);
    if (way == 0) Press(dialog, Matrox, Qt::Key_Escape);
    if (way == 1) Click(dialog, Cancel);
    if (way == 2) dialog.close();
    if (way == 3) Press(dialog, Cancel, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible()) << way;
    EXPECT_FALSE(dialog.Choice().accepted) << way;
  }
}

// Device names listed from a /dev tree: Linux's way (Windows lists its COM ports from the registry).
#ifndef _WIN32
TEST_F(CommSetupDialogTest, PortMenuAssignsADeviceAndTheToolTipFollows) {
  QTemporaryDir dev;
  QDir(dev.path()).mkpath("serial/by-id");
  for (const char* name : {"ttyUSB0", "ttyS0", "serial/by-id/usb-FTDI_X-if00"}) {
    QFile file(dev.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  AssignPortPath(3, "/dev/ttyUSB7");
  CommSetupDialog dialog;
  dialog.SetDeviceRoot(dev.path());
  QWidget* com3 = dialog.Control(FirstComButton + 2);
  EXPECT_EQ(dialog.Control(FirstComButton)->toolTip(), QString::fromStdString(SystemPortName(1)));
  EXPECT_EQ(com3->toolTip(), "/dev/ttyUSB7");

  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(3, 3), com3->mapToGlobal(QPoint(3, 3)));
  QApplication::sendEvent(com3, &rightClick);
  auto* menu = dialog.findChild<QMenu*>();
  ASSERT_NE(menu, nullptr);
  QStringList texts;
  for (QAction* action : menu->actions()) texts << action->text();
  EXPECT_EQ(texts, QStringList({dev.filePath("serial/by-id/usb-FTDI_X-if00"), dev.filePath("ttyS0"), dev.filePath("ttyUSB0")}));

  menu->actions().at(2)->trigger();
  EXPECT_EQ(com3->toolTip(), dev.filePath("ttyUSB0"));
  EXPECT_EQ(DevicePathForPort(3), dev.filePath("ttyUSB0").toStdString());
  EXPECT_EQ(QSettings(SettingsFormat(), QSettings::UserScope, "Norvane Imaging Ltd.", "VQ-R310NTX").value("Ports/COM3").toString(), dev.filePath("ttyUSB0"));
}
#endif

}  // namespace
