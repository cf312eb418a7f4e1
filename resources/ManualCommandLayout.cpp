// The manual command dialog's controls in dialog units.
#include "resources/ManualCommandLayout.h"

namespace ManualCommandLayout {

namespace {
const ControlLayout Controls[] = {
    {NoId, ControlKind::StaticText, "Transmission Message", 10, 8, 120, 9, ControlStyle::None},
    {Transmission, ControlKind::EditBox, "", 10, 19, 192, 14, ControlStyle::Uppercase},
    {NoId, ControlKind::StaticText, "Received Message", 10, 40, 120, 9, ControlStyle::None},
    {Received, ControlKind::EditBox, "", 10, 51, 192, 14,
     ControlStyle::ReadOnly | ControlStyle::Uppercase | ControlStyle::AutoHScroll},
    {Send, ControlKind::PushButton, "Send", 10, 84, 56, 16, ControlStyle::None},
    {Read, ControlKind::PushButton, "Read", 78, 84, 56, 16, ControlStyle::None},
    {Exit, ControlKind::PushButton, "Exit", 146, 84, 56, 16, ControlStyle::None},
};
const FormLayout Form = {"Manual Command", FormFaces::SansSerif, 212, 111, Controls, sizeof Controls / sizeof Controls[0]};
}  // namespace

const FormLayout& Layout() { return Form; }

}  // namespace ManualCommandLayout
