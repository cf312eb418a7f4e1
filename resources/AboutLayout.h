// The About box (dialog 100).
#pragma once

#include "resources/FormLayout.h"

namespace AboutLayout {
inline constexpr int IconImage = 1000;
inline constexpr int PlatformLine = 1001;  // the first line names the one version; this one no other
inline constexpr int CopyrightLine = 1002;
const FormLayout& Layout();
}  // namespace AboutLayout
