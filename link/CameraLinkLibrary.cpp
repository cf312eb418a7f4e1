// Loading a frame grabber's Camera Link serial library at run time and calling its entry points.
#include "link/CameraLinkLibrary.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/DynamicLibrary.h"

std::string CameraLinkLibraryPath(CameraLinkBoard board, const std::string& otherPath) {
  switch (board) {
    case CameraLinkBoard::Euresys: return DynamicLibrary::FileName("clseremc");
    case CameraLinkBoard::Matrox: return DynamicLibrary::FileName("clsermtx");
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
  return reinterpret_cast<Fn>(DynamicLibrary::Entry(handle, name));
}

bool CameraLinkLibrary::Load(const std::string& path) {
  CloseChannel();
  loadErrno_ = 0;
  loadReason_.clear();
  // Loading "" hands back the program itself on Linux, which is no grabber library.
  if (path.empty()) {
    loadErrno_ = ENOENT;
    loadReason_ = "no library named";
    return false;
  }
  DynamicLibrary::LoadFailure failure;
  void* handle = DynamicLibrary::Load(path, failure);
  if (handle == nullptr) {
    loadErrno_ = failure.error;
    loadReason_ = failure.reason;
    return false;
  }
  auto init = Lookup<ClSerialInitFn>(handle, ClSerialInitName);
  auto read = Lookup<ClSerialReadFn>(handle, ClSerialReadName);
  auto write = Lookup<ClSerialWriteFn>(handle, ClSerialWriteName);
  auto close = Lookup<ClSerialCloseFn>(handle, ClSerialCloseName);
  if (!init || !read || !write || !close) {
    const char* missing = !init ? ClSerialInitName : !read ? ClSerialReadName : !write ? ClSerialWriteName : ClSerialCloseName;
    loadReason_ = std::string("lacks ") + missing;
    DynamicLibrary::Unload(handle);
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
  // A call still inside the library owns the channel: closing it under that call could crash both.
  if (!Abandoned()) close_(serialRef_);
  serialRef_ = nullptr;
}

uint32_t CameraLinkLibrary::Transfer(ClSerialReadFn entry, std::vector<char> bytes, uint32_t timeoutMs,
                                     const Waiting& waiting, uint8_t* into) {
  if (Abandoned()) return 0;
  // The buffer and count are owned jointly by this call and the worker: an abandoned call may still
  // write into them long after its caller has gone.
  struct Shared {
    std::vector<char> bytes;
    uint32_t count;
  };
  const auto size = static_cast<uint32_t>(bytes.size());
  auto shared = std::make_shared<Shared>(Shared{std::move(bytes), size});
  void* ref = serialRef_;
  auto call = [=] { entry(ref, shared->bytes.data(), &shared->count, timeoutMs); };
  if (!worker_.Run(call, timeoutMs + GraceMs, waiting)) return 0;
  // The library's own count: never trusted past what it was given.
  const uint32_t moved = std::min(shared->count, size);
  if (into != nullptr) std::memcpy(into, shared->bytes.data(), moved);
  return moved;
}

uint32_t CameraLinkLibrary::Write(const uint8_t* data, uint32_t count, uint32_t timeoutMs, const Waiting& waiting) {
  return Transfer(write_, std::vector<char>(data, data + count), timeoutMs, waiting, nullptr);
}

uint32_t CameraLinkLibrary::Read(uint8_t* buffer, uint32_t count, uint32_t timeoutMs, const Waiting& waiting) {
  return Transfer(read_, std::vector<char>(count), timeoutMs, waiting, buffer);
}
