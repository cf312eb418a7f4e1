// The control panel's controls in dialog units; the group boxes' rectangles are fixed, the rest fits inside them.
#include "resources/PanelLayout.h"

#include <iterator>

namespace PanelLayout {

namespace {

using namespace ControlStyle;
using namespace PanelIds;
using K = ControlKind;

constexpr unsigned Readout = Sunken | AlignRight;
constexpr unsigned LeftReadout = Sunken;

constexpr ControlLayout kControls[] = {
    // Outer frames before the frames they hold, so that inner frames stack above outer ones.
    {NoId, K::GroupBox, "TRIGGER", 7, 7, 103, 107, None},
    {NoId, K::GroupBox, "MODE", 13, 16, 42, 71, None},
    {SourceBox, K::GroupBox, "SOURCE", 58, 16, 45, 41, None},
    {PolarityBox, K::GroupBox, "POLARITY", 58, 62, 45, 44, None},
    {PartialScanBox, K::GroupBox, "PARTIAL SCAN", 116, 7, 139, 107, None},
    {FactoryBox, K::GroupBox, "FACTORY", 259, 7, 44, 29, None},
    {AccelBox, K::GroupBox, "2xACCEL", 259, 40, 43, 43, None},
    {FlashBox, K::GroupBox, "12pinOUT", 306, 7, 43, 58, None},
    {TestPatternBox, K::GroupBox, "TEST PATTERN", 259, 88, 74, 47, None},
    {ShutterBox, K::GroupBox, "SHUTTER SPEED", 7, 119, 103, 107, None},
    {NoId, K::GroupBox, "CAMERALINK", 116, 119, 140, 71, None},
    {NoId, K::GroupBox, "DATA BIT", 120, 130, 43, 55, None},
    {HdLvalBox, K::GroupBox, "HD/LVAL", 166, 130, 41, 44, None},
    {VdFvalBox, K::GroupBox, "VD/FVAL", 211, 130, 41, 44, None},
    {WhiteSpotBox, K::GroupBox, "WHITE SPOT CORRECT", 259, 140, 88, 37, None},
    {SmearBox, K::GroupBox, "SMEAR REDUCTION", 287, 180, 64, 46, Hidden},
    {SerialBox, K::GroupBox, "SET SERIAL NUMBER", 111, 234, 92, 63, None},
    {InfoBox, K::GroupBox, "CAMERA INFORMATION", 216, 234, 137, 63, None},

    // TRIGGER
    {ModeOff, K::PushLikeRadio, "OFF", 16, 27, 36, 13, None},
    {ModeFixed, K::PushLikeRadio, "FIXED", 16, 41, 36, 13, None},
    {Mode1Trig, K::PushLikeRadio, "1TRIG", 16, 55, 36, 13, None},
    {ModeVdCont, K::PushLikeRadio, "VD CONT", 16, 69, 36, 13, None},
    {SourceCc1, K::PushLikeRadio, "CC1", 62, 27, 37, 13, None},
    {Source12Pin, K::PushLikeRadio, "12pin", 62, 41, 37, 13, None},
    {PolarityPosi, K::PushLikeRadio, "POSI", 62, 73, 37, 13, None},
    {PolarityNega, K::PushLikeRadio, "NEGA", 62, 87, 37, 13, None},

    // PARTIAL SCAN: the switch and frame timing on the left, the two band sliders on the right.
    {PartialScanOff, K::RadioButton, "OFF", 122, 20, 28, 10, None},
    {PartialScanOn, K::RadioButton, "ON", 152, 20, 28, 10, None},
    {NoId, K::StaticText, "Bporch", 122, 38, 28, 8, None},
    {BporchReadout, K::StaticText, "", 152, 36, 30, 11, Readout},
    {NoId, K::StaticText, "Active", 122, 54, 28, 8, None},
    {ActiveReadout, K::StaticText, "", 152, 52, 30, 11, Readout},
    {NoId, K::StaticText, "Fporch", 122, 70, 28, 8, None},
    {FporchReadout, K::StaticText, "", 152, 68, 30, 11, Readout},
    {NoId, K::StaticText, "Total", 122, 86, 28, 8, None},
    {TotalReadout, K::StaticText, "", 152, 84, 30, 11, Readout},
    {StartLabel, K::StaticText, "START", 188, 20, 30, 8, AlignCenter},
    {StartReadout, K::StaticText, "", 188, 30, 30, 11, Readout},
    {StartBar, K::VerticalScrollBar, "", 197, 43, 12, 66, None},
    {WidthLabel, K::StaticText, "WIDTH", 222, 20, 30, 8, AlignCenter},
    {WidthReadout, K::StaticText, "", 222, 30, 30, 11, Readout},
    {WidthBar, K::VerticalScrollBar, "", 231, 43, 12, 66, None},

    {FactorySet, K::PushButton, "SET", 265, 20, 32, 13, None},

    {AccelOff, K::PushLikeRadio, "OFF", 264, 52, 33, 13, None},
    {AccelOn, K::PushLikeRadio, "ON", 264, 66, 33, 13, None},

    {FlashOff, K::PushLikeRadio, "OFF", 311, 19, 33, 13, None},
    {FlashFlash, K::PushLikeRadio, "FLASH", 311, 33, 33, 13, None},
    {FlashVd, K::PushLikeRadio, "VD", 311, 47, 33, 13, None},

    {PatternOff, K::PushLikeRadio, "OFF", 264, 100, 31, 13, None},
    {PatternH, K::PushLikeRadio, "H", 297, 100, 31, 13, None},
    {PatternV, K::PushLikeRadio, "V", 264, 115, 31, 13, None},
    {PatternHV, K::PushLikeRadio, "HV", 297, 115, 31, 13, None},

    // SHUTTER SPEED: fixed times in two columns, the variable time's slider beneath.
    {ShutterFirst + 0, K::RadioButton, "OFF", 13, 131, 42, 10, None},
    {ShutterFirst + 1, K::RadioButton, "1/30", 13, 142, 42, 10, None},
    {ShutterFirst + 2, K::RadioButton, "1/60", 13, 153, 42, 10, None},
    {ShutterFirst + 3, K::RadioButton, "1/100", 13, 164, 42, 10, None},
    {ShutterFirst + 4, K::RadioButton, "1/250", 13, 175, 42, 10, None},
    {ShutterFirst + 5, K::RadioButton, "1/1000", 57, 131, 49, 10, None},
    {ShutterFirst + 6, K::RadioButton, "1/2000", 57, 142, 49, 10, None},
    {ShutterFirst + 7, K::RadioButton, "1/10000", 57, 153, 49, 10, None},
    {ShutterFirst + 8, K::RadioButton, "1/50000", 57, 164, 49, 10, None},
    {ShutterVariable, K::RadioButton, "VARIABLE", 57, 175, 49, 10, None},
    {VariableLabel, K::StaticText, "Variable Value", 13, 188, 60, 8, None},
    {VariableReadout, K::StaticText, "", 13, 197, 91, 11, Readout},
    {VariableBar, K::HorizontalScrollBar, "", 13, 211, 91, 10, None},

    // CAMERALINK
    {DataBit8, K::PushLikeRadio, "8bit", 124, 142, 35, 13, None},
    {DataBit10, K::PushLikeRadio, "10bit", 124, 156, 35, 13, None},
    {DataBit12, K::PushLikeRadio, "12bit", 124, 170, 35, 13, None},
    {HdLvalHd, K::PushLikeRadio, "HD", 170, 142, 33, 13, None},
    {HdLvalLval, K::PushLikeRadio, "LVAL", 170, 156, 33, 13, None},
    {VdFvalVd, K::PushLikeRadio, "VD", 215, 142, 33, 13, None},
    {VdFvalFval, K::PushLikeRadio, "FVAL", 215, 156, 33, 13, None},

    // Free-standing sliders under CAMERALINK.
    {BlackLevelLabel, K::StaticText, "BLACK LEVEL", 118, 194, 60, 8, None},
    {BlackLevelReadout, K::StaticText, "", 196, 192, 58, 10, LeftReadout},
    {BlackLevelBar, K::HorizontalScrollBar, "", 118, 203, 136, 9, None},
    {GainLabel, K::StaticText, "GAIN", 118, 215, 60, 8, None},
    {GainReadout, K::StaticText, "", 196, 213, 58, 10, Readout},
    {GainBar, K::HorizontalScrollBar, "", 118, 224, 136, 8, None},

    {WhiteSpotOff, K::RadioButton, "OFF", 265, 152, 30, 10, None},
    {WhiteSpotOn, K::RadioButton, "ON", 265, 164, 30, 10, None},
    {Detect, K::PushButton, "DETECT", 303, 154, 38, 14, None},

    // Never shown, yet refreshed and enabled like the visible groups.
    {SmearOff, K::PushLikeRadio, "OFF", 293, 193, 52, 13, Hidden},
    {SmearOn, K::PushLikeRadio, "ON", 293, 208, 52, 13, Hidden},

    // Service sliders in the lower left; hidden once the form is set up.
    {AdjustGainLabel, K::StaticText, "Adjust-GAIN", 9, 232, 50, 8, None},
    {AdjustGainReadout, K::StaticText, "", 60, 230, 48, 10, LeftReadout},
    {AdjustGainBar, K::HorizontalScrollBar, "", 9, 241, 99, 9, None},
    {SubVoltageLabel, K::StaticText, "SUB-V", 9, 255, 50, 8, None},
    {SubVoltageReadout, K::StaticText, "", 60, 253, 48, 10, LeftReadout},
    {SubVoltageBar, K::HorizontalScrollBar, "", 9, 264, 99, 9, None},

    // SET SERIAL NUMBER
    {SerialEdit, K::EditBox, "", 117, 246, 64, 12, AlignRight | AutoHScroll},
    {SerialSpin, K::SpinButton, "", 181, 246, 11, 12, None},
    {SevenDigits, K::RadioButton, "7 digits", 117, 262, 42, 10, None},
    {EightDigits, K::RadioButton, "8 digits", 117, 275, 42, 10, None},
    {SerialWrite, K::PushButton, "WRITE", 160, 266, 36, 14, None},

    // CAMERA INFORMATION; "VNEDOR" is the text operators know, kept as it is.
    {VendorLabel, K::StaticText, "VNEDOR NAME : ", 221, 247, 58, 8, None},
    {VendorText, K::StaticText, "**************", 281, 247, 68, 8, None},
    {ModelLabel, K::StaticText, "MODEL NAME : ", 221, 259, 58, 8, None},
    {ModelText, K::StaticText, "**********", 281, 259, 68, 8, None},
    {SerialLabel, K::StaticText, "SERIAL NUMBER : ", 221, 271, 58, 8, None},
    {SerialText, K::StaticText, "*******", 281, 271, 68, 8, None},
    {VersionLabel, K::StaticText, "VERSION : ", 221, 283, 58, 8, None},
    {VersionText, K::StaticText, "******", 281, 283, 68, 8, None},
};

// A child window of the main window: no caption, and never scrolled.
constexpr FormLayout kForm = {nullptr, FormFaces::SansSerif, 362, 303, kControls, std::size(kControls)};

}  // namespace

const FormLayout& Layout() { return kForm; }

}  // namespace PanelLayout
