// The program's command-line arguments as the file functions take names: bytes here, UTF-8 on Windows.
#pragma once

#include <string>
#include <vector>

// The arguments after the program's name. Linux gives names as bytes, which are kept as they are;
// Windows gives main() its arguments in the ANSI code page, so they are read from the wide command line.
std::vector<std::string> ProgramArguments(int argc, char** argv);
