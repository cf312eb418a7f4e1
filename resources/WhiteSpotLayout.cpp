// The white spot detection dialog's controls in dialog units: threshold on top, the spot list below.
#include "resources/WhiteSpotLayout.h"

#include <iterator>

namespace {

using namespace ControlStyle;
using K = ControlKind;

constexpr ControlLayout kControls[] = {
    {NoId, K::StaticText, "THRESHOLD LEVEL", 8, 10, 90, 8, None},
    // Tall enough that the read-out's opening "%2d\n" keeps its number in view above the break.
    {1158, K::StaticText, "", 112, 6, 44, 16, AlignRight | Sunken},
    {1159, K::HorizontalScrollBar, "", 8, 26, 148, 11, None},
    {1155, K::PushButton, "DETECT", 8, 44, 148, 16, None},

    {NoId, K::GroupBox, "ADDRESS", 8, 68, 148, 118, None},
    {1161, K::PushButton, "READ", 14, 80, 50, 14, None},
    {1160, K::EditBox, "", 14, 98, 136, 82, Multiline | ReadOnly | VScroll},

    // Only ever set at opening; the program offers no way to show them.
    {1156, K::PushLikeRadio, "OFF", 8, 195, 30, 14, Hidden},
    {1157, K::PushLikeRadio, "ON", 40, 195, 30, 14, Hidden},

    // The default button, so that Enter hides the dialog wherever the focus is.
    {1, K::DefaultPushButton, "CLOSE", 106, 195, 50, 14, None},
};

}  // namespace

const FormLayout WhiteSpotLayout = {"WHITE SPOT DETECT MENU", FormFaces::SansSerif, 164, 215, kControls, std::size(kControls)};
