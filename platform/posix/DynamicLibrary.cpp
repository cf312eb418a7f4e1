// Shared libraries through the dynamic loader (dlopen), found by its search path when named bare.
#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>

namespace DynamicLibrary {

void* Load(const std::string& path, LoadFailure& failure) {
  failure = {};
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle != nullptr) return handle;
  const char* reason = dlerror();
  failure.reason = reason != nullptr ? reason : "cannot be loaded";
  // A path names a file whose absence the system can say; a bare name is searched for.
  struct stat info {};
  if (path.find('/') != std::string::npos && ::stat(path.c_str(), &info) != 0) failure.error = errno;
  return nullptr;
}

void* Entry(void* handle, const char* name) { return dlsym(handle, name); }

void Unload(void* handle) { dlclose(handle); }

std::string FileName(const std::string& stem) { return "lib" + stem + ".so"; }

const char* Extension() { return "so"; }

}  // namespace DynamicLibrary
