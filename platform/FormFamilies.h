// The font families a form is drawn in, best first, given the face its layout names ("MS Sans
// Serif", "MS Shell Dlg"); the toolkit takes the first it has. Windows resolves the face through its
// own font substitutes, as its dialog manager does; Linux has none of those faces and draws every
// form in the desktop's sans serif.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> FormFamilies(const std::string& layoutFace);
