// Linux: fontconfig's generic sans serif stands in for every face a layout names.
#include "platform/FormFace.h"

std::string FormFace(const std::string&) { return "Sans Serif"; }
