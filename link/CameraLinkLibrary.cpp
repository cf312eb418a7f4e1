// Loading a frame grabber's Camera Link serial library at run time and calling its entry points.
#include "link/CameraLinkLibrary.h"

#include <dlfcn.h>

#include <algorithm>

std::string CameraLinkLibraryPath(CameraLinkBoard board, const std::string& otherPath) {
  switch (board) {
    case CameraLinkBoard::Euresys: return "libclseremc.so";
    case CameraLinkBoard::Matrox: return "libclsermtx.so";
    case CameraLinkBoard::OtherFactory: break;
  }
  return otherPath;
}

CameraLinkLibrary::~CameraLinkLibrary() {
  // The library stays loaded to the end of the process (the loader counts each port's load):
  // unloading during exit could run its destructors after objects they use are gone.
  CloseChannel();
}

template <typename Fn>
static Fn Lookup(void* handle, const char* name) {
  return reinterpret_cast<Fn>(dlsym(handle, name));
}

bool CameraLinkLibrary::Load(const std::string& path) {
  CloseChannel();
  // dlopen("") hands back the program itself, which is no grabber library.
  if (path.empty()) return false;
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return false;
  auto init = Lookup<ClSerialInitFn>(handle, ClSerialInitName);
  auto read = Lookup<ClSerialReadFn>(handle, ClSerialReadName);
  auto write = Lookup<ClSerialWriteFn>(handle, ClSerialWriteName);
  auto close = Lookup<ClSerialCloseFn>(handle, ClSerialCloseName);
  if (!init || !read || !write || !close) {
    dlclose(handle);
    return false;
  }
  handle_ = handle;
  init_ = init;
  read_ = read;
  write_ = write;
  close_ = close;
  return true;
}

int32_t CameraLinkLibrary::InitChannel(uint32_t serialIndex) {
  void* ref = nullptr;
  int32_t result = init_(serialIndex, &ref);
  if (result == 0) serialRef_ = ref;
  return result;
}

void CameraLinkLibrary::CloseChannel() {
  if (serialRef_ == nullptr) return;
  close_(serialRef_);
  serialRef_ = nullptr;
}

uint32_t CameraLinkLibrary::Write(const uint8_t* data, uint32_t count, uint32_t timeoutMs) {
  uint32_t n = count;
  // The published interface takes a non-const buffer; the library only reads it.
  write_(serialRef_, const_cast<char*>(reinterpret_cast<const char*>(data)), &n, timeoutMs);
  // The library's own count: never trusted past what it was given.
  return std::min(n, count);
}

uint32_t CameraLinkLibrary::Read(uint8_t* buffer, uint32_t count, uint32_t timeoutMs) {
  uint32_t n = count;
  read_(serialRef_, reinterpret_cast<char*>(buffer), &n, timeoutMs);
  return std::min(n, count);
}
