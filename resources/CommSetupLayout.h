// Control ids and layout of the communication setup dialog.
#pragma once

#include "resources/FormLayout.h"

namespace CommSetupIds {
inline constexpr int SerialGroup = 1118;
inline constexpr int OpenPortGroup = 1117;
inline constexpr int FirstComButton = 1119;  // COM 1; COM n is FirstComButton + n - 1
inline constexpr int LastComButton = 1128;   // COM10
inline constexpr int BaudGroup = 1130;
inline constexpr int Baud9600 = 1132;
inline constexpr int Baud115200 = 1133;
inline constexpr int BoardMakerGroup = 1131;
inline constexpr int Euresys = 1106;
inline constexpr int Matrox = 1107;
inline constexpr int OtherFactory = 1108;
inline constexpr int LibraryPath = 1109;
inline constexpr int LibraryLabel = 1113;
inline constexpr int Browse = 2110;
inline constexpr int Open = 1111;
inline constexpr int Cancel = 1112;
}  // namespace CommSetupIds

extern const FormLayout CommSetupLayout;
