// The process-wide Camera Link state: the loaded serial library, its entry points and the open channel.
#pragma once

#include <cstdint>
#include <string>

#include "link/CameraLinkApi.h"

enum class CameraLinkBoard { Euresys, Matrox, OtherFactory };

// The library file for a board choice; "Other Factory" takes the operator's path as given.
std::string CameraLinkLibraryPath(CameraLinkBoard board, const std::string& otherPath);

class CameraLinkLibrary {
 public:
  static CameraLinkLibrary& Process();

  // Loads the library and looks up the four entry points; false (nothing kept) if any is missing.
  bool Load(const std::string& path);
  bool IsLoaded() const { return handle_ != nullptr; }
  // Closes the channel and unloads the library.
  void Unload();

  // clSerialInit on serial index 0; its result, the reference kept when it is 0.
  int32_t InitChannel();
  bool ChannelOpen() const { return serialRef_ != nullptr; }
  void CloseChannel();

  // Bytes moved within the call's time limit, as the library counts them.
  uint32_t Write(const uint8_t* data, uint32_t count, uint32_t timeoutMs);
  uint32_t Read(uint8_t* buffer, uint32_t count, uint32_t timeoutMs);

 private:
  CameraLinkLibrary() = default;
  ~CameraLinkLibrary();

  void* handle_ = nullptr;
  ClSerialInitFn init_ = nullptr;
  ClSerialReadFn read_ = nullptr;
  ClSerialWriteFn write_ = nullptr;
  ClSerialCloseFn close_ = nullptr;
  void* serialRef_ = nullptr;
};
