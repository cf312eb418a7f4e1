// The string table: every operator text of the program, looked up by its numeric id.
#pragma once

#include <string>

// The text stored under id, or an empty text for an id the table lacks.
std::string LoadString(int id);

// Replaces every "%1" in pattern with argument.
std::string FormatString(const std::string& pattern, const std::string& argument);
