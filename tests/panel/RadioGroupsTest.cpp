// Radio groups on the wire and on screen, and the three enable rules.
#include "panel/PanelFixture.h"
#include "panel/RadioBinding.h"
#include "camera/ParameterTable.h"
#include "resources/PanelIds.h"

using namespace PanelIds;

TEST_F(PanelTest, EveryButtonWritesItsValue) {
  for (const RadioBinding& b : RadioBindings::Table) {
    // SOURCE and POLARITY need a trigger mode, SMEAR REDUCTION needs trigger OFF.
    if (!Button(b.buttonId)->isEnabled()) Show({{ParamTriggerMode, b.parameter == ParamSmearReduction ? 0 : 1}});
    Click(b.buttonId);
    char expected[16];
    std::snprintf(expected, sizeof expected, "01FF01%02X%02X0000", ParameterTable::Address(b.parameter), b.value);
    EXPECT_EQ(LastRequest(), expected) << b.buttonId;
    EXPECT_TRUE(Button(b.buttonId)->isChecked()) << b.buttonId;
  }
  Click(ModeVdCont);
  EXPECT_EQ(LastRequest(), "01FF0104040000");
  Click(PatternH);
  EXPECT_EQ(LastRequest(), "01FF0150010000");
  Click(PatternV);
  EXPECT_EQ(LastRequest(), "01FF0150020000");
  Click(ShutterVariable);
  EXPECT_EQ(LastRequest(), "01FF0108FF0000");
}

TEST_F(PanelTest, CheckedButtonWritesAgainWithoutRerunningTheRules) {
  Show({{ParamTriggerMode, 1}});
  view.Control(ShutterBox)->setEnabled(false);  // a state only a rule run would change
  size_t before = link.Requests().size();
  Click(ModeFixed);
  EXPECT_EQ(link.Requests().size(), before + 1);
  EXPECT_EQ(LastRequest(), "01FF0104010000");
  EXPECT_FALSE(Enabled(ShutterBox));
}

TEST_F(PanelTest, FailedWriteIsUndoneByTheRefresh) {
  Show({{ParamTriggerMode, 1}});
  link.camera.Faults().silent = true;
  Click(Mode1Trig);
  EXPECT_EQ(link.output.messages.size(), 1u);
  EXPECT_TRUE(Button(ModeFixed)->isChecked());
  EXPECT_FALSE(Button(Mode1Trig)->isChecked());
  EXPECT_TRUE(Enabled(ShutterBox)) << "the rules follow the stored value";
}

TEST_F(PanelTest, TriggerRule) {
  Show({{ParamTriggerMode, 3}});
  for (int id : {ModeOff, ModeFixed, Mode1Trig, ModeVdCont}) EXPECT_FALSE(Button(id)->isChecked()) << id;
  EXPECT_FALSE(Enabled(ShutterBox));
  EXPECT_FALSE(Enabled(ShutterFirst + 3));
  Show({{ParamTriggerMode, 4}});
  EXPECT_TRUE(Button(ModeVdCont)->isChecked());
  EXPECT_TRUE(Enabled(ShutterBox));

  Show({{ParamShutterSpeed, 255}, {ParamTriggerMode, 1}});
  Click(Mode1Trig);
  for (int id : {ShutterBox, ShutterFirst, ShutterVariable, VariableBar, VariableReadout, VariableLabel}) {
    EXPECT_FALSE(Enabled(id)) << id;
  }
  // On a full refresh the shutter rule has the last word on the variable slider.
  view.RefreshFromDocument();
  EXPECT_FALSE(Enabled(ShutterBox));
  EXPECT_TRUE(Enabled(VariableBar));
  EXPECT_TRUE(Enabled(VariableReadout));
  EXPECT_TRUE(Enabled(VariableLabel));
}

TEST_F(PanelTest, TriggerOffSwapsSourceAndPolarityForSmearReduction) {
  Show({{ParamTriggerMode, 0}});
  for (int id : {SourceBox, SourceCc1, Source12Pin, PolarityBox, PolarityPosi, PolarityNega}) EXPECT_FALSE(Enabled(id));
  for (int id : {SmearBox, SmearOff, SmearOn}) EXPECT_TRUE(Enabled(id));
  EXPECT_TRUE(view.Control(SmearBox)->isHidden());
  Click(ModeFixed);
  for (int id : {SourceBox, SourceCc1, PolarityNega}) EXPECT_TRUE(Enabled(id));
  for (int id : {SmearBox, SmearOn}) EXPECT_FALSE(Enabled(id));
}

TEST_F(PanelTest, ShutterAndPartialScanRules) {
  for (int value : {9, 200}) {
    Show({{ParamTriggerMode, 1}, {ParamShutterSpeed, value}});
    for (int id = ShutterFirst; id <= ShutterVariable; ++id) EXPECT_FALSE(Button(id)->isChecked()) << value;
    EXPECT_FALSE(Enabled(VariableBar));
  }
  Show({{ParamShutterSpeed, 255}});
  EXPECT_TRUE(Button(ShutterVariable)->isChecked());
  EXPECT_TRUE(Enabled(VariableBar));
  Click(ShutterFirst + 2);
  EXPECT_FALSE(Enabled(VariableBar));

  Show({{ParamPartialScan, 0}});
  EXPECT_FALSE(Enabled(StartBar));
  Click(PartialScanOn);
  for (int id : {StartBar, StartReadout, StartLabel, WidthBar, WidthReadout, WidthLabel}) EXPECT_TRUE(Enabled(id));
}
