// Loading a frame grabber's Camera Link serial library at run time and calling its entry points.
#include "link/CameraLinkLibrary.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
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

namespace {

// Board ports open in this process, by library and port: one owner each, as a serial device has.
struct HeldPorts {
  std::mutex mutex;
  std::set<std::pair<void*, uint32_t>> ports;
};

HeldPorts& Held() {
  static HeldPorts held;
  return held;
}

bool TakePort(void* library, uint32_t serialIndex) {
  HeldPorts& held = Held();
  std::lock_guard<std::mutex> lock(held.mutex);
  return held.ports.insert({library, serialIndex}).second;
}

void GivePortBack(void* library, uint32_t serialIndex) {
  HeldPorts& held = Held();
  std::lock_guard<std::mutex> lock(held.mutex);
  held.ports.erase({library, serialIndex});
}

}  // namespace

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

int32_t CameraLinkLibrary::InitChannel(uint32_t serialIndex, const Waiting& waiting) {
  CloseChannel(waiting);
  if (Abandoned()) return -1;
  // The loader hands every load of one library the same handle, whatever path named it.
  if (!TakePort(handle_, serialIndex)) return PortInUse;
  heldPort_ = serialIndex;
  struct Shared {
    void* ref = nullptr;
    int32_t result = -1;
  };
  auto shared = std::make_shared<Shared>();
  auto init = init_;
  if (!worker_.Run([shared, init, serialIndex] { shared->result = init(serialIndex, &shared->ref); },
                   ChannelCallLimitMs, waiting)) {
    // It may still open the port some day: nobody else in this process is to have it meanwhile.
    return -1;
  }
  if (shared->result == 0) {
    serialRef_ = shared->ref;
  } else {
    ReleasePort();
  }
  return shared->result;
}

void CameraLinkLibrary::CloseChannel(const Waiting& waiting) {
  if (serialRef_ == nullptr) return;
  void* ref = std::exchange(serialRef_, nullptr);
  // A call still inside the library owns the channel: closing it under that call could crash both.
  if (Abandoned()) return;
  auto close = close_;
  if (worker_.Run([close, ref] { close(ref); }, ChannelCallLimitMs, waiting)) ReleasePort();
}

void CameraLinkLibrary::ReleasePort() {
  if (heldPort_ < 0) return;
  GivePortBack(handle_, static_cast<uint32_t>(heldPort_));
  heldPort_ = -1;
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
