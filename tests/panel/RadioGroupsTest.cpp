// Radio groups on the wire and on screen, and the three enable rules.
#include "panel/PanelFixture.h"
#include "resources/PanelIds.h"

using namespace PanelIds;

TEST_F(PanelTest, EveryButtonWritesItsValue) {
  // Each button's request, from the radio bindings and the parameter table's addresses.
  const std::pair<int, const char*> buttons[] = {
      {1066, "01FF0104000000"},  // TriggerMode
      {1067, "01FF0104010000"},  // TriggerMode
      {1068, "01FF0104020000"},  // TriggerMode
      {1069, "01FF0104040000"},  // TriggerMode
      {1119, "01FF0105000000"},  // TriggerSource
      {1120, "01FF0105010000"},  // TriggerSource
      {1115, "01FF010F000000"},  // TriggerPolarity
      {1116, "01FF010F010000"},  // TriggerPolarity
      {1005, "01FF0108000000"},  // ShutterSpeed
      {1006, "01FF0108010000"},  // ShutterSpeed
      {1007, "01FF0108020000"},  // ShutterSpeed
      {1008, "01FF0108030000"},  // ShutterSpeed
      {1009, "01FF0108040000"},  // ShutterSpeed
      {1010, "01FF0108050000"},  // ShutterSpeed
      {1011, "01FF0108060000"},  // ShutterSpeed
      {1012, "01FF0108070000"},  // ShutterSpeed
      {1013, "01FF0108080000"},  // ShutterSpeed
      {1014, "01FF0108FF0000"},  // ShutterSpeed
      {1015, "01FF011E000000"},  // PartialScan
      {1016, "01FF011E010000"},  // PartialScan
      {1125, "01FF0113000000"},  // DoubleAccel
      {1129, "01FF0113010000"},  // DoubleAccel
      {1121, "01FF0106000000"},  // FlashOutput
      {1122, "01FF0106010000"},  // FlashOutput
      {1123, "01FF0106020000"},  // FlashOutput
      {1131, "01FF0150000000"},  // TestPattern
      {1133, "01FF0150010000"},  // TestPattern
      {1132, "01FF0150020000"},  // TestPattern
      {1134, "01FF0150030000"},  // TestPattern
      {1176, "01FF0114000000"},  // DataBit
      {1177, "01FF0114010000"},  // DataBit
      {1178, "01FF0114020000"},  // DataBit
      {1183, "01FF0116000000"},  // HdLval
      {1184, "01FF0116010000"},  // HdLval
      {1181, "01FF0115000000"},  // VdFval
      {1182, "01FF0115010000"},  // VdFval
      {1020, "01FF014B000000"},  // WhiteSpotCorrection
      {1021, "01FF014B010000"},  // WhiteSpotCorrection
      {1179, "01FF0107000000"},  // SmearReduction
      {1180, "01FF0107010000"},  // SmearReduction
  };
  for (const auto& [button, request] : buttons) {
    // SOURCE and POLARITY need a trigger mode, SMEAR REDUCTION needs trigger OFF.
    if (!Button(button)->isEnabled()) Show({{ParamTriggerMode, button == SmearOff || button == SmearOn ? 0 : 1}});
    Click(button);
    EXPECT_EQ(LastRequest(), request) << button;
    EXPECT_TRUE(Button(button)->isChecked()) << button;
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
