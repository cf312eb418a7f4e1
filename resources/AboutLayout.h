// The About box (dialog 100).
#pragma once

#include "resources/FormLayout.h"

namespace AboutLayout {
inline constexpr int VersionLine = 1001;    // the program's version with the Qt version
inline constexpr int CopyrightLine = 1002;
const FormLayout& Layout();
}  // namespace AboutLayout
