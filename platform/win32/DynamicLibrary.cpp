// Libraries through LoadLibrary, found by Windows' search order when named bare ("clseremc.dll").
#include "platform/DynamicLibrary.h"

#include "platform/win32/SystemErrors.h"

namespace DynamicLibrary {

void* Load(const std::string& path, LoadFailure& failure) {
  failure = {};
  // No "cannot load" box from the system: the program says what went wrong itself.
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryW(WideName(path).c_str());
  const DWORD error = GetLastError();
  SetErrorMode(oldMode);
  if (module != nullptr) return reinterpret_cast<void*>(module);
  failure.reason = SystemErrorText(error);
  const bool named = path.find_first_of("\\/") != std::string::npos;
  if (named && GetFileAttributesW(WideName(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
    failure.error = ErrnoFromSystemError(GetLastError());
  }
  return nullptr;
}

void* Entry(void* handle, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void Unload(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

std::string FileName(const std::string& stem) { return stem + ".dll"; }

const char* Extension() { return "dll"; }

}  // namespace DynamicLibrary
