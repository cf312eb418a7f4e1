// One port's Camera Link link: the grabber's serial library as this port loaded it, its entry points
// and this port's channel. Two ports may load the same library and open two of its channels.
#pragma once

#include <cstdint>
#include <string>

#include "link/CameraLinkApi.h"

enum class CameraLinkBoard { Euresys, Matrox, OtherFactory };

// The library file for a board choice; "Other Factory" takes the operator's path as given.
std::string CameraLinkLibraryPath(CameraLinkBoard board, const std::string& otherPath);

class CameraLinkLibrary {
 public:
  CameraLinkLibrary() = default;
  // Closes the channel; the library stays loaded to the end of the process.
  ~CameraLinkLibrary();
  CameraLinkLibrary(const CameraLinkLibrary&) = delete;
  CameraLinkLibrary& operator=(const CameraLinkLibrary&) = delete;

  // Loads the library and looks up the four entry points; false (nothing kept) if any is missing.
  bool Load(const std::string& path);
  bool IsLoaded() const { return handle_ != nullptr; }

  // clSerialInit on the board's serial port `serialIndex` (0 is the first); its result, the
  // reference kept when it is 0.
  int32_t InitChannel(uint32_t serialIndex);
  bool ChannelOpen() const { return serialRef_ != nullptr; }
  void CloseChannel();

  // Bytes moved within the call's time limit, as the library counts them, at most count.
  uint32_t Write(const uint8_t* data, uint32_t count, uint32_t timeoutMs);
  uint32_t Read(uint8_t* buffer, uint32_t count, uint32_t timeoutMs);

 private:
  void* handle_ = nullptr;
  ClSerialInitFn init_ = nullptr;
  ClSerialReadFn read_ = nullptr;
  ClSerialWriteFn write_ = nullptr;
  ClSerialCloseFn close_ = nullptr;
  void* serialRef_ = nullptr;
};
