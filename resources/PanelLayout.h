// The control panel form (101): a captionless child window of radio groups, sliders and read-outs.
#pragma once

#include "resources/FormLayout.h"
#include "resources/PanelIds.h"

namespace PanelLayout {
const FormLayout& Layout();
}  // namespace PanelLayout
