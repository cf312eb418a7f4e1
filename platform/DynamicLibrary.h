// Loading a shared library at run time and finding its entry points, as this system does it.
#pragma once

#include <string>

namespace DynamicLibrary {

struct LoadFailure {
  int error = 0;       // the system's error number where there is one (ENOENT for a missing file)
  std::string reason;  // the loader's reason, in one line
};

// The library's handle, or nullptr with the reason in `failure`. Loaded for good: nothing unloads it.
void* Load(const std::string& path, LoadFailure& failure);
// The address of an exported function, or nullptr.
void* Entry(void* handle, const char* name);
// Takes back a library no entry of which was handed out.
void Unload(void* handle);

// How this system names the library file `stem`: "libSTEM.so" here, "STEM.dll" on Windows.
std::string FileName(const std::string& stem);
// The extension of library files, without the dot: "so" or "dll".
const char* Extension();

}  // namespace DynamicLibrary
