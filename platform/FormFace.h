// The font family a form is drawn in, given the face its layout names ("MS Sans Serif",
// "MS Shell Dlg"). Windows resolves the face through its own font substitutes, as its dialog
// manager does; Linux has none of those faces and draws every form in the desktop's sans serif.
#pragma once

#include <string>

std::string FormFace(const std::string& layoutFace);
