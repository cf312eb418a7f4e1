// The string table: every operator text of the program, looked up by its numeric id.
#pragma once

#include <initializer_list>
#include <string>

// The text stored under id, or an empty text for an id the table lacks.
std::string LoadString(int id);

// Replaces every "%1" in pattern with argument.
std::string FormatString(const std::string& pattern, const std::string& argument);
// Replaces "%1" .. "%9" with the arguments in order; a number without an argument stays as it is.
std::string FormatString(const std::string& pattern, std::initializer_list<std::string> arguments);
