// The ".vq" settings file: a header text and the 47 register values, 212 bytes in all.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "camera/ParameterId.h"

class CameraValueStore;

namespace SettingsFile {

inline constexpr const char* Header = "VQ-S90 Data Version1.00";
inline constexpr size_t FileSize = 212;
// How much of a file is read to know what it is: well past a settings file, never a whole disk image.
inline constexpr size_t ReadLimit = 64 * 1024;
// What the operator is told before the reason when a settings file cannot be read or written.
inline constexpr const char* OpenFailedText = "Failed to open document.";
inline constexpr const char* SaveFailedText = "Failed to save document.";

using Values = std::array<int32_t, ParameterCount>;

enum class Decoded {
  Loaded,          // the header matched and all 47 values were there
  Empty,           // a file of no bytes: nothing to load
  HeaderMismatch,  // another program's file
  Truncated,       // ends before its header text or its 47th value
};

// The operator message for a file that cannot be loaded; empty for Loaded and Empty.
std::string RefusalMessage(Decoded decoded, const std::string& path);
// The operator message for a file whose write-all rows hold a value outside the row's range,
// naming the first such row; empty when every value may be sent.
std::string ValueRefusal(const Values& values, const std::string& path);

// Values in camera units, as GetValue (id, true) gives them.
std::vector<uint8_t> Encode(const Values& values);
Decoded Decode(const std::vector<uint8_t>& bytes, Values& values);

// A stored text: its length in one byte below 0xFF, else 0xFF and 16 bits, else 0xFFFF and 32 bits,
// then its characters. Returns false when the bytes end before the text does.
bool ReadStoredText(const std::vector<uint8_t>& bytes, size_t& offset, std::string& text);
void WriteStoredText(std::vector<uint8_t>& bytes, const std::string& text);

}  // namespace SettingsFile

// A settings file read by name: its values, or why not.
struct SettingsFileRead {
  enum class Status { Loaded, Empty, Unreadable, Refused } status = Status::Loaded;
  int error = 0;        // the system's error when Unreadable
  std::string message;  // the operator's message when Unreadable or Refused
};
SettingsFileRead ReadSettingsFile(const std::string& path, SettingsFile::Values& values);

struct ValueDifference {
  ParameterId id;
  int32_t camera;
  int32_t file;
};
// The readable rows whose stored value differs from the file's, in table order.
std::vector<ValueDifference> CompareWithFile(const CameraValueStore& stored, const SettingsFile::Values& values);
