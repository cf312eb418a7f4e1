// What the front ends ask of the camera beyond one value: its identification, a comparison with a
// settings file, a value's range, a hand-typed request text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "camera/CVQS90Doc.h"
#include "camera/CameraInfo.h"
#include "camera/SettingsFile.h"

// Rows 0 to 45: what Read From Camera reads and a comparison covers.
inline constexpr int LastReadableRow = ParamSerialNumberUnlock;

// Reads the information rows and decodes them; 0 or the first failure's negative code.
int32_t ReadCameraInfo(CVQS90Doc& document, CameraInfo& info);

struct ValueDifference {
  ParameterId id;
  int32_t camera;
  int32_t file;
};
// The readable rows whose stored value differs from the file's, in table order.
std::vector<ValueDifference> CompareWithFile(const CVQS90Doc& document, const SettingsFile::Values& values);

// Why a value cannot be written to a row ("GainLevel takes 0 to 671"), or nothing: the request's
// digits would cut a value outside the row's range to something nobody asked for.
std::optional<std::string> RangeRefusal(ParameterId id, int32_t value);

// A request text as the manual command's box holds it: letters in capitals.
std::string AsTyped(std::string text);

// A settings file read by name: its values, or why not.
struct SettingsFileRead {
  enum class Status { Loaded, Empty, Unreadable, Refused } status = Status::Loaded;
  int error = 0;        // the system's error when Unreadable
  std::string message;  // the operator's message when Unreadable or Refused
};
SettingsFileRead ReadSettingsFile(const std::string& path, SettingsFile::Values& values);
