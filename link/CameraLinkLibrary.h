// One port's Camera Link link: the grabber's serial library as this port loaded it, its entry points
// and this port's channel. Two ports may load the same library and open two of its channels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/CallWorker.h"
#include "link/CameraLinkApi.h"

enum class CameraLinkBoard { Euresys, Matrox, OtherFactory };

// The library file for a board choice; "Other Factory" takes the operator's path as given.
std::string CameraLinkLibraryPath(CameraLinkBoard board, const std::string& otherPath);

class CameraLinkLibrary {
 public:
  // Calls wait on the port's clock.
  explicit CameraLinkLibrary(Clock& clock) : worker_(clock) {}
  // Closes the channel; the library stays loaded to the end of the process.
  ~CameraLinkLibrary();
  CameraLinkLibrary(const CameraLinkLibrary&) = delete;
  CameraLinkLibrary& operator=(const CameraLinkLibrary&) = delete;

  // Loads the library and looks up the four entry points; false (nothing kept) if any is missing.
  bool Load(const std::string& path);
  // Why the last Load failed: the system's error number where there is one (ENOENT for a missing
  // file), and the loader's reason in one line.
  int LoadErrno() const { return loadErrno_; }
  const std::string& LoadReason() const { return loadReason_; }
  bool IsLoaded() const { return handle_ != nullptr; }

  // clSerialInit on the board's serial port `serialIndex` (0 is the first); its result, the
  // reference kept when it is 0. A port another link of this process holds is not asked for
  // (PortInUse); one whose clSerialInit never returned (Abandoned) stays taken.
  static constexpr int32_t PortInUse = -0x7FFF0001;
  int32_t InitChannel(uint32_t serialIndex, const CallWorker::Waiting& waiting = {});
  bool ChannelOpen() const { return serialRef_ != nullptr; }
  void CloseChannel(const CallWorker::Waiting& waiting = {});

  // A call still inside the library this long after its own time-out will not come back: it is
  // abandoned, and so is the channel.
  static constexpr int64_t GraceMs = 2000;
  // clSerialInit and clSerialClose have no time-out of their own: this long, then they are abandoned.
  static constexpr int64_t ChannelCallLimitMs = 3000;

  // Bytes moved within the call's time limit, as the library counts them, at most count. Each call
  // runs on the channel's worker; `waiting` runs every few milliseconds until it returns, and gives
  // the call up when it answers false. Once a call has been abandoned, the library is called no
  // more: every read and write moves nothing.
  using Waiting = CallWorker::Waiting;
  uint32_t Write(const uint8_t* data, uint32_t count, uint32_t timeoutMs, const Waiting& waiting = {});
  uint32_t Read(uint8_t* buffer, uint32_t count, uint32_t timeoutMs, const Waiting& waiting = {});
  // A call did not return: the channel is lost for good (reopen to reach the camera again).
  bool Abandoned() const { return worker_.Abandoned(); }

 private:
  // One read or write entry on the worker over a buffer of its own; the bytes moved (copied into
  // `into` when given), or 0 once a call has been abandoned. The two entries share one signature.
  uint32_t Transfer(ClSerialReadFn entry, std::vector<char> bytes, uint32_t timeoutMs, const Waiting& waiting,
                    uint8_t* into);
  void ReleasePort();

  void* handle_ = nullptr;
  ClSerialInitFn init_ = nullptr;
  ClSerialReadFn read_ = nullptr;
  ClSerialWriteFn write_ = nullptr;
  ClSerialCloseFn close_ = nullptr;
  void* serialRef_ = nullptr;
  // The board port this link holds in the process-wide table; -1 for none.
  int64_t heldPort_ = -1;
  int loadErrno_ = 0;
  std::string loadReason_;
  CallWorker worker_;
};
