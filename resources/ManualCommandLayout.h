// The manual command dialog (dialog 135).
#pragma once

#include "resources/FormLayout.h"

namespace ManualCommandLayout {
inline constexpr int Transmission = 1112;
inline constexpr int Received = 1113;
inline constexpr int Send = 1110;
inline constexpr int Read = 1111;
inline constexpr int Exit = 1;
inline constexpr int MaxTextLength = 22;  // the longest request text the camera takes
const FormLayout& Layout();
}  // namespace ManualCommandLayout
