// The register command menu against the simulated camera: row contents, refusals and the exact request texts.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "camera/CVQS90Doc.h"
#include "dialogs/RegisterCommandMenu.h"
#include "resources/RegisterMenuLayout.h"
#include "support/MemoryCamera.h"
#include "support/QtPrinters.h"

using namespace RegisterMenuIds;
using Texts = std::vector<std::string>;

namespace {

const std::string Unlock = "00FF01605C1D00";
const std::string AddressMessage = RegisterMenuTexts::AddressInvalid;
const std::string DataMessage = RegisterMenuTexts::DataInvalid;

int Range(int first) { return FirstRange + first / 0x20; }
QLineEdit* Box(const RegisterCommandMenu& m, int id) { return static_cast<QLineEdit*>(m.Control(id)); }
QAbstractButton* Button(const RegisterCommandMenu& m, int id) { return static_cast<QAbstractButton*>(m.Control(id)); }

// Every row as "address:data".
QStringList Rows(const RegisterCommandMenu& m) {
  QStringList rows;
  for (int n = 0; n < RowCount; ++n) {
    rows << Box(m, FirstAddressBox + n)->text() + ':' + Box(m, FirstDataBox + n)->text();
  }
  return rows;
}

QStringList Expected(int first, int shown, const QString& data) {
  QStringList rows;
  for (int n = 0; n < RowCount; ++n) rows << (n < shown ? QString::asprintf("%02X:", first + n) + data : ":");
  return rows;
}

void ExpectOpeningState(const RegisterCommandMenu& m) {
  EXPECT_TRUE(m.IsVisible());
  for (int id : {AreaTg, FirstRange, Fpga}) EXPECT_TRUE(Button(m, id)->isChecked()) << id;
  EXPECT_EQ(Rows(m), Expected(0x00, 32, "00"));
}

class RegisterMenu : public ::testing::Test {
 protected:
  void SetUp() override { menu.Create(); }
  void Click(int id) { Button(menu, id)->click(); }
  void Type(int id, const QString& text) {
    Box(menu, id)->clear();
    QTest::keyClicks(Box(menu, id), text);  // through the box's capitals rule
  }
  // Requests the camera accepted after the unlock.
  Texts Sent() const { return Texts(link.Requests().begin() + 1, link.Requests().end()); }
  // Texts of the application's warning boxes; any other box shows up as a mismatch.
  Texts Warnings() const {
    Texts texts;
    for (const auto& m : link.output.messages) {
      const bool warning = m.icon == MessageIcon::Warning && m.caption == "VQ-R310NTX";
      texts.push_back(warning ? m.text : "not a warning box: " + m.text);
    }
    return texts;
  }

  MemoryCamera link;
  RegisterCommandMenu menu{*link.parameters};
};

}  // namespace

TEST_F(RegisterMenu, OpeningUnlocksAndStartsOnTgFirstRangeFpga) {
  EXPECT_EQ(link.Requests(), Texts{Unlock});
  EXPECT_EQ(menu.parentWidget(), nullptr);
  ExpectOpeningState(menu);
  EXPECT_FALSE(menu.Control(AreaLr)->isEnabled());
  EXPECT_TRUE(link.output.messages.empty());
}

TEST(RegisterMenuOpening, AFailedUnlockIsToldAndTheMenuOpensAnyway) {
  MemoryCamera link;
  link.camera.Faults().silent = true;
  RegisterCommandMenu menu(*link.parameters);
  menu.Create();
  EXPECT_EQ(link.output.messages.size(), 1u);
  ExpectOpeningState(menu);
}

TEST_F(RegisterMenu, RowsFollowTheAreaAndRangeButNotTheMode) {
  struct Case {
    int area, first;
    QStringList rows;
  };
  const Case cases[] = {
      {AreaCommon, 0x60, Expected(0x60, 31, "0000")},  {AreaInfo, 0x60, Expected(0x60, 32, "0000")},
      {AreaInfo, 0x80, Expected(0x80, 0, "")},         {AreaAfe, 0xE0, Expected(0xE0, 32, "0000")},
      {AreaDsp, 0xA0, Expected(0xA0, 32, "00")},       {AreaTg, 0x00, Expected(0x00, 32, "00")},
  };
  for (const Case& c : cases) {
    Click(c.area);
    Click(Range(c.first));
    EXPECT_EQ(Rows(menu), c.rows) << c.area << " " << c.first;
  }
  Type(FirstDataBox + 3, "AB");
  Click(Eeprom);
  EXPECT_EQ(Box(menu, FirstDataBox + 3)->text(), "AB");
  Click(AreaTg);  // already chosen, and still a refresh
  EXPECT_EQ(Box(menu, FirstDataBox + 3)->text(), "00");
}

TEST_F(RegisterMenu, RunsOfAllRowsStopAtTheFirstEmptyAddress) {
  Click(AreaCommon);
  Click(Range(0x60));
  Click(WriteAll);
  const Texts sent = Sent();
  ASSERT_EQ(sent.size(), 31u);
  EXPECT_EQ(sent.front(), "00FF0160000000");
  EXPECT_EQ(sent.back(), "00FF017E000000");
  EXPECT_EQ(Warnings(), Texts{AddressMessage});

  link.output.messages.clear();
  Click(AreaInfo);
  Click(Range(0x80));
  Click(ReadAll);
  EXPECT_EQ(Sent().size(), 31u) << "the read-all sent nothing";
  EXPECT_EQ(Warnings(), Texts{AddressMessage});
}

TEST_F(RegisterMenu, BadEntriesAreRefusedAndNothingIsSent) {
  struct Case {
    int area, button;
    QString address, data;
    std::string message;
  };
  const Case cases[] = {
      {AreaTg, FirstWriteButton, "5", "00", AddressMessage}, {AreaTg, FirstWriteButton, "G1", "00", AddressMessage},
      {AreaTg, FirstReadButton, "G1", "00", AddressMessage}, {AreaAfe, FirstWriteButton, "10", "123", DataMessage},
      {AreaTg, FirstWriteButton, "10", "0G", DataMessage},
  };
  for (const Case& c : cases) {
    link.output.messages.clear();
    Click(c.area);
    Type(FirstAddressBox + 2, c.address);
    Type(FirstDataBox + 2, c.data);
    Click(c.button + 2);
    EXPECT_EQ(Warnings(), Texts{c.message}) << c.address.toStdString();
  }
  EXPECT_TRUE(Sent().empty());
}

TEST_F(RegisterMenu, WriteAndReadCarryTheTypedDigits) {
  Click(Eeprom);
  Click(AreaDsp);
  Type(FirstDataBox, "7f");
  Click(FirstWriteButton);
  EXPECT_EQ(Sent(), Texts{"01FF02007F0000"});

  link.camera.SetSetting(0x04, 0x05, 0x12 + 256 * 0x34 + 65536 * 0x56);
  link.camera.SetSetting(0x03, 0x05, 0xAB + 256 * 0xCD);
  Click(Fpga);
  Click(AreaAfe);
  Click(FirstReadButton + 5);
  EXPECT_EQ(Box(menu, FirstDataBox + 5)->text(), "1234");
  Click(AreaTg);
  Click(FirstReadButton + 5);
  EXPECT_EQ(Box(menu, FirstDataBox + 5)->text(), "AB");
  EXPECT_EQ(Sent(), (Texts{"01FF02007F0000", "00FF8405000000", "00FF8305000000"}));
  EXPECT_TRUE(link.output.messages.empty());
}

TEST_F(RegisterMenu, AFailedExchangeIsToldOnceAndEndsTheRun) {
  link.camera.Faults().silent = true;
  Type(FirstDataBox + 4, "5A");
  Click(FirstReadButton + 4);
  EXPECT_EQ(Box(menu, FirstDataBox + 4)->text(), "5A");
  ASSERT_EQ(link.output.messages.size(), 1u);
  EXPECT_EQ(link.output.messages[0].icon, MessageIcon::Error);

  link.output.messages.clear();
  link.camera.Faults().silent = false;
  link.camera.Faults().silentAfterRequests = 1 + 3;
  Click(WriteAll);
  EXPECT_EQ(Sent(), (Texts{"00FF0300000000", "00FF0301000000", "00FF0302000000"}));
  EXPECT_EQ(link.output.messages.size(), 1u);
}

TEST(RegisterMenuWindow, ReopeningFocusesAVisibleMenuAndReplacesAHiddenOne) {
  MemoryCamera link;
  CVQS90Doc doc(*link.parameters);
  int made = 0;
  doc.SetCommandMenuFactory([&] {
    ++made;
    return std::make_unique<RegisterCommandMenu>(doc.Parameters());
  });
  auto menu = [&]() -> RegisterCommandMenu& { return *static_cast<RegisterCommandMenu*>(doc.CommandMenuWindow()); };

  doc.OnCommandMenu();
  Button(menu(), AreaAfe)->click();
  doc.OnCommandMenu();
  EXPECT_EQ(made, 1);
  EXPECT_TRUE(Button(menu(), AreaAfe)->isChecked());

  // Esc, Enter in a box and the close box only hide; the next opening starts afresh.
  const std::function<void(RegisterCommandMenu&)> closings[] = {
      [](RegisterCommandMenu& m) { QTest::keyClick(Box(m, FirstAddressBox + 1), Qt::Key_Escape); },
      [](RegisterCommandMenu& m) {
        Box(m, FirstDataBox + 7)->setFocus();
        QTest::keyClick(Box(m, FirstDataBox + 7), Qt::Key_Return);
      },
      [](RegisterCommandMenu& m) { m.close(); },
  };
  for (const auto& close : closings) {
    Button(menu(), Eeprom)->click();
    Button(menu(), Range(0x40))->click();
    close(menu());
    EXPECT_FALSE(menu().IsVisible());
    doc.OnCommandMenu();
    ExpectOpeningState(menu());
  }
  EXPECT_EQ(made, 4);
  EXPECT_EQ(std::count(link.Requests().begin(), link.Requests().end(), Unlock), 4);

  // Enter on a focused row button presses it instead.
  Button(menu(), FirstWriteButton + 1)->setFocus();
  QTest::keyClick(Button(menu(), FirstWriteButton + 1), Qt::Key_Return);
  EXPECT_EQ(link.Requests().back(), "00FF0301000000");
  EXPECT_TRUE(menu().IsVisible());
}
