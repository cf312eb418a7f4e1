// Control ids of the control panel form.
#pragma once

namespace PanelIds {

inline constexpr int Form = 101;

// TRIGGER: MODE, SOURCE, POLARITY
inline constexpr int ModeOff = 1066, ModeFixed = 1067, Mode1Trig = 1068, ModeVdCont = 1069;
inline constexpr int SourceBox = 1110, SourceCc1 = 1119, Source12Pin = 1120;
inline constexpr int PolarityBox = 1109, PolarityPosi = 1115, PolarityNega = 1116;

// PARTIAL SCAN
inline constexpr int PartialScanBox = 1114, PartialScanOff = 1015, PartialScanOn = 1016;
inline constexpr int BporchReadout = 1032, ActiveReadout = 1033, FporchReadout = 1034, TotalReadout = 1035;
inline constexpr int StartLabel = 1117, StartReadout = 1030, StartBar = 1126;
inline constexpr int WidthLabel = 1118, WidthReadout = 1031, WidthBar = 1127;

// FACTORY, 2xACCEL, 12pinOUT, TEST PATTERN
inline constexpr int FactoryBox = 1128, FactorySet = 1156;
inline constexpr int AccelBox = 1124, AccelOff = 1125, AccelOn = 1129;
inline constexpr int FlashBox = 1111, FlashOff = 1121, FlashFlash = 1122, FlashVd = 1123;
inline constexpr int TestPatternBox = 1130, PatternOff = 1131, PatternH = 1133, PatternV = 1132, PatternHV = 1134;

// SHUTTER SPEED: 1005 OFF .. 1013 1/50000, 1014 VARIABLE
inline constexpr int ShutterBox = 1108, ShutterFirst = 1005, ShutterVariable = 1014;
inline constexpr int VariableLabel = 1107, VariableReadout = 1047, VariableBar = 1046;

// CAMERALINK: DATA BIT, HD/LVAL, VD/FVAL
inline constexpr int DataBit8 = 1176, DataBit10 = 1177, DataBit12 = 1178;
inline constexpr int HdLvalBox = 1113, HdLvalHd = 1183, HdLvalLval = 1184;
inline constexpr int VdFvalBox = 1112, VdFvalVd = 1181, VdFvalFval = 1182;

// Sliders outside any box
inline constexpr int BlackLevelLabel = 1105, BlackLevelReadout = 1029, BlackLevelBar = 1028;
inline constexpr int GainLabel = 1165, GainReadout = 1025, GainBar = 1024;
inline constexpr int AdjustGainLabel = 1103, AdjustGainReadout = 1027, AdjustGainBar = 1026;
inline constexpr int SubVoltageLabel = 1104, SubVoltageReadout = 1036, SubVoltageBar = 1037;

// WHITE SPOT CORRECT, SMEAR REDUCTION
inline constexpr int WhiteSpotBox = 1155, WhiteSpotOff = 1020, WhiteSpotOn = 1021, Detect = 1153;
inline constexpr int SmearBox = 1166, SmearOff = 1179, SmearOn = 1180;

// SET SERIAL NUMBER
inline constexpr int SerialBox = 1152, SerialEdit = 1140, SerialSpin = 1141, SerialWrite = 1142;
inline constexpr int SevenDigits = 1163, EightDigits = 1164;

// CAMERA INFORMATION
inline constexpr int InfoBox = 1143;
inline constexpr int VendorLabel = 1144, ModelLabel = 1145, SerialLabel = 1146, VersionLabel = 1147;
inline constexpr int VendorText = 1148, ModelText = 1149, SerialText = 1150, VersionText = 1151;

}  // namespace PanelIds
