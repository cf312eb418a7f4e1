// The control panel's radio groups: which parameter each group writes and the value of each button.
#pragma once

#include "camera/ParameterId.h"
#include "resources/PanelIds.h"

struct RadioBinding {
  int buttonId;
  int value;
  ParameterId parameter;
};

namespace RadioBindings {

using namespace PanelIds;

inline constexpr RadioBinding Table[] = {
    {ModeOff, 0, ParamTriggerMode},
    {ModeFixed, 1, ParamTriggerMode},
    {Mode1Trig, 2, ParamTriggerMode},
    {ModeVdCont, 4, ParamTriggerMode},
    {SourceCc1, 0, ParamTriggerSource},
    {Source12Pin, 1, ParamTriggerSource},
    {PolarityPosi, 0, ParamTriggerPolarity},
    {PolarityNega, 1, ParamTriggerPolarity},
    {ShutterFirst, 0, ParamShutterSpeed},
    {ShutterFirst + 1, 1, ParamShutterSpeed},
    {ShutterFirst + 2, 2, ParamShutterSpeed},
    {ShutterFirst + 3, 3, ParamShutterSpeed},
    {ShutterFirst + 4, 4, ParamShutterSpeed},
    {ShutterFirst + 5, 5, ParamShutterSpeed},
    {ShutterFirst + 6, 6, ParamShutterSpeed},
    {ShutterFirst + 7, 7, ParamShutterSpeed},
    {ShutterFirst + 8, 8, ParamShutterSpeed},
    {ShutterVariable, 255, ParamShutterSpeed},
    {PartialScanOff, 0, ParamPartialScan},
    {PartialScanOn, 1, ParamPartialScan},
    {AccelOff, 0, ParamDoubleAccel},
    {AccelOn, 1, ParamDoubleAccel},
    {FlashOff, 0, ParamFlashOutput},
    {FlashFlash, 1, ParamFlashOutput},
    {FlashVd, 2, ParamFlashOutput},
    {PatternOff, 0, ParamTestPattern},
    {PatternH, 1, ParamTestPattern},
    {PatternV, 2, ParamTestPattern},
    {PatternHV, 3, ParamTestPattern},
    {DataBit8, 0, ParamDataBit},
    {DataBit10, 1, ParamDataBit},
    {DataBit12, 2, ParamDataBit},
    {HdLvalHd, 0, ParamHdLval},
    {HdLvalLval, 1, ParamHdLval},
    {VdFvalVd, 0, ParamVdFval},
    {VdFvalFval, 1, ParamVdFval},
    {WhiteSpotOff, 0, ParamWhiteSpotCorrection},
    {WhiteSpotOn, 1, ParamWhiteSpotCorrection},
    {SmearOff, 0, ParamSmearReduction},
    {SmearOn, 1, ParamSmearReduction},
};

}  // namespace RadioBindings
