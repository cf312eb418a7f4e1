// The communication setup dialog's controls in dialog units: serial choices left, Camera Link right.
#include "resources/CommSetupLayout.h"

#include <iterator>

namespace {

using namespace ControlStyle;
using K = ControlKind;

constexpr ControlLayout kControls[] = {
    // Outer frames before the frames they hold, so that inner frames stack above outer ones.
    {1118, K::GroupBox, "RS-232C Setting", 6, 4, 168, 102, None},
    {1117, K::GroupBox, "Open Port", 12, 14, 156, 46, None},
    {1130, K::GroupBox, "Baud Rate", 12, 66, 156, 34, None},
    {NoId, K::GroupBox, "CameraLink Board", 180, 4, 132, 81, None},
    {1131, K::GroupBox, "Select Board Maker", 186, 14, 120, 46, None},

    // The thirteen choice buttons in their group's order: COM 1..COM10, then the three makers.
    {1119, K::PushLikeRadio, "COM 1", 16, 25, 28, 14, AlignCenter | Checked},
    {1120, K::PushLikeRadio, "COM 2", 46, 25, 28, 14, AlignCenter},
    {1121, K::PushLikeRadio, "COM 3", 76, 25, 28, 14, AlignCenter},
    {1122, K::PushLikeRadio, "COM 4", 106, 25, 28, 14, AlignCenter},
    {1123, K::PushLikeRadio, "COM 5", 136, 25, 28, 14, AlignCenter},
    {1124, K::PushLikeRadio, "COM 6", 16, 41, 28, 14, AlignCenter},
    {1125, K::PushLikeRadio, "COM 7", 46, 41, 28, 14, AlignCenter},
    {1126, K::PushLikeRadio, "COM 8", 76, 41, 28, 14, AlignCenter},
    {1127, K::PushLikeRadio, "COM 9", 106, 41, 28, 14, AlignCenter},
    {1128, K::PushLikeRadio, "COM10", 136, 41, 28, 14, AlignCenter},
    {1106, K::PushLikeRadio, "Euresys", 191, 25, 54, 14, None},
    {1107, K::PushLikeRadio, "Matrox", 247, 25, 54, 14, None},
    {1108, K::PushLikeRadio, "Other Factory", 191, 41, 110, 14, None},

    {1132, K::RadioButton, " 9600", 24, 80, 50, 10, Checked},
    {1133, K::RadioButton, "115200", 92, 80, 50, 10, None},

    {1109, K::EditBox, "", 186, 66, 76, 12, AutoHScroll | Disabled},
    {1113, K::StaticText, ".so", 264, 68, 10, 8, Disabled},
    {2110, K::PushButton, "Browse", 276, 65, 30, 14, Disabled},

    {1111, K::PushButton, "OPEN", 208, 92, 50, 14, None},
    {1112, K::PushButton, "CANCEL", 262, 92, 50, 14, None},
};

}  // namespace

const FormLayout CommSetupLayout = {"Select Communication System", FormFaces::ShellDlg, 318, 112, kControls, std::size(kControls)};
