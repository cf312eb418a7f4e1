// Windows' own error numbers and wide-character names, translated for the rest of the program.
#pragma once

#include <windows.h>

#include <string>

// The UTF-8 name as Windows' wide-character calls take it.
std::wstring WideName(const std::string& utf8);
// A wide-character name or text from Windows, as UTF-8.
std::string Utf8Name(const std::wstring& wide);
// The C library's error number for a Windows error, so messages and callers read the same on both systems.
int ErrnoFromSystemError(DWORD error);
// The system's own text for the error, in one line.
std::string SystemErrorText(DWORD error);
