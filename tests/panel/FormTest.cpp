// FACTORY SET, DETECT, the camera-information box, the title and the form's set-up.
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "panel/PanelFixture.h"
#include "resources/PanelIds.h"
#include "support/FakeServiceWindow.h"

using namespace PanelIds;

namespace {

int FactoryReads(const MemoryCamera& link) {
  int reads = 0;
  for (const auto& r : link.Requests()) reads += r == "01FF8145000000";
  return reads;
}

}  // namespace

TEST_F(PanelTest, FactorySetGivesUpSilentlyAfterFiftyReads) {
  link.camera.SetFactoryBusyReads(1000);
  Click(PanelIds::FactorySet);
  EXPECT_EQ(link.Requests().front(), "01FF0145010000");
  EXPECT_EQ(FactoryReads(link), 50);
  EXPECT_EQ(link.Requests().size(), 51u);
  EXPECT_TRUE(link.output.messages.empty());
}

TEST_F(PanelTest, FactorySetReadsEverythingAndRefreshes) {
  link.camera.SetFactoryBusyReads(2);
  link.parameters->WriteOne(ParamGainLevel, 400);
  Show({});
  EXPECT_EQ(Bar(GainBar)->value(), 400);
  Click(PanelIds::FactorySet);
  EXPECT_EQ(FactoryReads(link), 3 + 1) << "three polls, then the flag again within read-all";
  EXPECT_EQ(Bar(GainBar)->value(), 168) << "the camera's defaults are back on screen";
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(PanelTest, CameraInformationAndTitle) {
  EXPECT_EQ(title, "VQ-R310NTX") << "no model name before the first read";
  doc.OnReadFromCamera();
  EXPECT_EQ(Text(VendorText), "NORVANE IMAGING");
  EXPECT_EQ(Text(ModelText), "VQ-R310NTX");
  EXPECT_EQ(Text(SerialText), "1234567");
  EXPECT_EQ(Text(VersionText), "1.0.0.0");
  EXPECT_TRUE(Button(SevenDigits)->isChecked());
  Show({{ParamModelName0, 'X' + 256 * 'Y'}, {ParamModelName1, 0}});
  EXPECT_EQ(title, "XY");
  Show({{ParamModelName0, 0x4100}});
  EXPECT_EQ(title, "VQ-R310NTX");
  Show({{ParamSerialNumber3, '7' + 256 * '8'}});
  EXPECT_TRUE(Button(EightDigits)->isChecked());
  EXPECT_EQ(view.SerialDigitsMode(), 1);
}

TEST_F(PanelTest, SetupHidesTheFactoryControls) {
  for (int id : {AdjustGainBar, SubVoltageBar, InfoBox, VendorText, SerialBox, SerialEdit, SerialSpin, SerialWrite}) {
    EXPECT_TRUE(view.Control(id)->isHidden()) << id;
  }
  EXPECT_FALSE(view.Control(SevenDigits)->isHidden());
  EXPECT_EQ(Bar(StartBar)->minimum(), 1);
  EXPECT_EQ(Bar(VariableBar)->maximum(), 1536);
  EXPECT_EQ(Text(SubVoltageReadout), " 176 ") << "hidden controls are refreshed all the same";
}

TEST_F(PanelTest, DetectOpensTheWhiteSpotWindow) {
  FakeServiceWindow::Log log;
  doc.SetWhiteSpotFactory([&] { return std::make_unique<FakeServiceWindow>(log); });
  Click(Detect);
  Click(Detect);
  EXPECT_EQ(log.created, 1);
  EXPECT_EQ(log.focused, 1);
}

TEST_F(PanelTest, SpinStepsTheSerialNumberTextAtAnyPosition) {
  auto* edit = static_cast<QLineEdit*>(view.Control(SerialEdit));
  auto* spin = static_cast<QSpinBox*>(view.Control(SerialSpin));
  edit->setText(QStringLiteral("0012345"));
  QTest::keyClick(spin, Qt::Key_Down);  // the spin's own counter stands at its minimum
  EXPECT_EQ(edit->text(), "0012344");
  spin->setValue(spin->maximum());
  QTest::keyClick(spin, Qt::Key_Up);
  EXPECT_EQ(edit->text(), "0012345");
  Click(EightDigits);
  edit->setText(QStringLiteral("12X34567"));
  QTest::keyClick(spin, Qt::Key_Up);
  EXPECT_EQ(edit->text(), "12X34568");
  EXPECT_TRUE(link.Requests().empty());
}
