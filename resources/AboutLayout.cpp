// The About box's controls in dialog units.
#include "resources/AboutLayout.h"

namespace AboutLayout {

namespace {
const ControlLayout Controls[] = {
    {IconImage, ControlKind::Icon, "", 8, 16, 20, 20, ControlStyle::None},
    {NoId, ControlKind::StaticText, "VQ-R310NTX Remote\n For Windows XP/2000/NT/Me/98  Ver. 1.0.0.0", 32, 7, 150, 17,
     ControlStyle::Multiline},
#ifdef _WIN32
    {PlatformLine, ControlKind::StaticText, "For Windows", 32, 28, 149, 9, ControlStyle::None},
#else
    {PlatformLine, ControlKind::StaticText, "For Linux", 32, 28, 149, 9, ControlStyle::None},
#endif
    {CopyrightLine, ControlKind::StaticText, "Copyright (C) 2026 Norvane Imaging Ltd.", 32, 39, 150, 9,
     ControlStyle::None},
    {1, ControlKind::DefaultPushButton, "OK", 184, 7, 32, 14, ControlStyle::None},
};
const FormLayout Form = {"About VQ-R310NTX", FormFaces::SansSerif, 223, 55, Controls, sizeof Controls / sizeof Controls[0]};
}  // namespace

const FormLayout& Layout() { return Form; }

}  // namespace AboutLayout
