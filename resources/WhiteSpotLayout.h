// Control ids and layout of the white spot detection dialog.
#pragma once

#include "resources/FormLayout.h"

namespace WhiteSpotIds {
inline constexpr int Detect = 1155;
inline constexpr int CorrectionOff = 1156;
inline constexpr int CorrectionOn = 1157;
inline constexpr int ThresholdReadout = 1158;
inline constexpr int ThresholdBar = 1159;
inline constexpr int SpotList = 1160;
inline constexpr int Read = 1161;
inline constexpr int Close = 1;
// The poll timer's name in the program; Qt hands out the id it actually runs under.
inline constexpr int DetectPollTimer = 300;
}  // namespace WhiteSpotIds

extern const FormLayout WhiteSpotLayout;
