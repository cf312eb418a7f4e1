// Control ids, layout and operator texts of the register command menu (dialog 138).
#pragma once

#include "resources/FormLayout.h"

namespace RegisterMenuIds {
inline constexpr int Fpga = 1121;
inline constexpr int Eeprom = 1122;

inline constexpr int AreaCommon = 1108;
inline constexpr int AreaTg = 1109;
inline constexpr int AreaDsp = 1110;
inline constexpr int AreaIf = 1111;
inline constexpr int AreaAfe = 1112;
inline constexpr int AreaInfo = 1123;
inline constexpr int AreaLr = 1124;

inline constexpr int FirstRange = 1113;  // "00-1F"; range k starts at address 0x20 * k
inline constexpr int LastRange = 1120;   // "E0-FF"

inline constexpr int WriteAll = 1150;
inline constexpr int ReadAll = 1151;

// Row n (0..RowCount-1) has the controls FirstXxx + n.
inline constexpr int RowCount = 32;
inline constexpr int FirstAddressBox = 1200;
inline constexpr int FirstDataBox = 1300;
inline constexpr int FirstWriteButton = 1400;
inline constexpr int FirstReadButton = 1500;
}  // namespace RegisterMenuIds

namespace RegisterMenuTexts {
inline constexpr const char* AddressInvalid = "アドレスの入力が不正です。";
inline constexpr const char* DataInvalid = "データの入力が不正です。";
}  // namespace RegisterMenuTexts

extern const FormLayout RegisterMenuLayout;
