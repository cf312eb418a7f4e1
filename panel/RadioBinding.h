// The control panel's radio groups: which parameter each group writes and the value of each button.
#pragma once

#include "camera/ParameterId.h"

struct RadioBinding {
  int buttonId;
  int value;
  ParameterId parameter;
};

namespace RadioBindings {

inline constexpr RadioBinding Table[] = {
    {1066, 0, ParamTriggerMode},     {1067, 1, ParamTriggerMode},     {1068, 2, ParamTriggerMode},
    {1069, 4, ParamTriggerMode},     {1119, 0, ParamTriggerSource},   {1120, 1, ParamTriggerSource},
    {1115, 0, ParamTriggerPolarity}, {1116, 1, ParamTriggerPolarity}, {1005, 0, ParamShutterSpeed},
    {1006, 1, ParamShutterSpeed},    {1007, 2, ParamShutterSpeed},    {1008, 3, ParamShutterSpeed},
    {1009, 4, ParamShutterSpeed},    {1010, 5, ParamShutterSpeed},    {1011, 6, ParamShutterSpeed},
    {1012, 7, ParamShutterSpeed},    {1013, 8, ParamShutterSpeed},    {1014, 255, ParamShutterSpeed},
    {1015, 0, ParamPartialScan},     {1016, 1, ParamPartialScan},     {1125, 0, ParamDoubleAccel},
    {1129, 1, ParamDoubleAccel},     {1121, 0, ParamFlashOutput},     {1122, 1, ParamFlashOutput},
    {1123, 2, ParamFlashOutput},     {1131, 0, ParamTestPattern},     {1133, 1, ParamTestPattern},
    {1132, 2, ParamTestPattern},     {1134, 3, ParamTestPattern},     {1176, 0, ParamDataBit},
    {1177, 1, ParamDataBit},         {1178, 2, ParamDataBit},         {1183, 0, ParamHdLval},
    {1184, 1, ParamHdLval},          {1181, 0, ParamVdFval},          {1182, 1, ParamVdFval},
    {1020, 0, ParamWhiteSpotCorrection}, {1021, 1, ParamWhiteSpotCorrection}, {1179, 0, ParamSmearReduction},
    {1180, 1, ParamSmearReduction},
};

}  // namespace RadioBindings
