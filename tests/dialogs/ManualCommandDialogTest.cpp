// The manual command dialog against the simulated camera: what is typed is what goes on the wire.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "camera/CVQS90Doc.h"
#include "dialogs/ManualCommandDialog.h"
#include "resources/ManualCommandLayout.h"
#include "support/MemoryCamera.h"
#include "support/QtPrinters.h"

using namespace ManualCommandLayout;

namespace {

class ManualCommand : public ::testing::Test {
 protected:
  QLineEdit* Box(int id) { return static_cast<QLineEdit*>(dialog.Control(id)); }
  void Type(const char* text) {
    Box(Transmission)->clear();
    QTest::keyClicks(Box(Transmission), QString::fromLatin1(text));
  }
  void Press(int id) { static_cast<QPushButton*>(dialog.Control(id))->click(); }
  std::string Sent() const {
    auto bytes = link.device->Sent();
    return std::string(bytes.begin(), bytes.end());
  }

  MemoryCamera link;
  ManualCommandDialog dialog{*link.parameters};
};

}  // namespace

TEST_F(ManualCommand, TypedLettersBecomeCapitalsAndGoOutUnchanged) {
  Type("01ff0104020000");
  EXPECT_EQ(Box(Transmission)->text(), "01FF0104020000");
  link.device->ClearWire();
  Press(Send);
  EXPECT_EQ(Sent(), std::string("\x05\x02" "01FF0104020000" "\x03" "26", 19));
  EXPECT_EQ(link.camera.Register(1, 0x01, 0x04), 2u);
  EXPECT_TRUE(link.output.messages.empty());
}

TEST_F(ManualCommand, EmptyTextIsAnEmptyRequest) {
  link.device->ClearWire();
  Press(Send);
  auto sent = Sent();
  ASSERT_GE(sent.size(), 5u);
  EXPECT_EQ(sent.substr(0, 5), std::string("\x05\x02\x03" "FA", 5));
  EXPECT_EQ(link.output.messages.size(), 1u) << "the camera refuses it, and the operator hears so once";
}

TEST_F(ManualCommand, TheBoxTakesNoMoreThanTheCameraAccepts) {
  Type("0123456789ABCDEF0123456");
  EXPECT_EQ(Box(Transmission)->text().size(), 22);
}

TEST_F(ManualCommand, ReadShowsSixCharactersAndFailuresEmptyTheBox) {
  Type("01FF810C000000");
  Press(Read);
  EXPECT_EQ(Box(Received)->text(), "00A800");
  Press(Send);
  EXPECT_EQ(Box(Received)->text(), "") << "Send empties the received box";
  Press(Read);
  link.camera.Faults().silent = true;
  Press(Read);
  EXPECT_EQ(Box(Received)->text(), "");
  ASSERT_EQ(link.output.messages.size(), 1u);
  EXPECT_EQ(link.output.messages[0].text, "ERROR - Communication time out detected.\nCheck the connection.");
}

TEST_F(ManualCommand, EnterOnAFocusedButtonPressesItInsteadOfClosing) {
  dialog.show();
  Type("01FF810C000000");
  dialog.Control(Read)->setFocus();
  QTest::keyClick(dialog.Control(Read), Qt::Key_Return);
  EXPECT_EQ(Box(Received)->text(), "00A800");
  EXPECT_TRUE(dialog.isVisible());
}

TEST_F(ManualCommand, ClosingAnyWayReadsEverything) {
  CVQS90Doc doc(*link.parameters);
  for (int way = 0; way < 2; ++way) {
    doc.SetManualCommandRunner([&] {
      ManualCommandDialog modal(*link.parameters);
      QTimer::singleShot(0, &modal, [&] {
        if (way == 0) {
          static_cast<QPushButton*>(modal.Control(Exit))->click();
        } else {
          QTest::keyClick(modal.Control(Transmission), Qt::Key_Return);
        }
      });
      modal.exec();
    });
    size_t before = link.Requests().size();
    doc.OnManualCommand();
    EXPECT_EQ(link.Requests().size(), before + 46) << way;
  }
}
