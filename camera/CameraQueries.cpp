// Camera information, comparison with a file, range checks and typed texts, shared by the front ends.
#include "camera/CameraQueries.h"

#include <cctype>

#include "camera/ParameterTable.h"
#include "camera/RegularFile.h"

int32_t ReadCameraInfo(CVQS90Doc& document, CameraInfo& info) {
  for (int i = ParamVendorName0; i <= ParamVersion1; ++i) {
    int32_t result = document.ReadCameraValue(static_cast<ParameterId>(i));
    if (result < 0) return result;
  }
  info = DecodeCameraInfo([&document](ParameterId id) { return document.GetCameraValue(id); });
  return 0;
}

std::vector<ValueDifference> CompareWithFile(const CVQS90Doc& document, const SettingsFile::Values& values) {
  std::vector<ValueDifference> differences;
  for (int i = 0; i <= LastReadableRow; ++i) {
    auto id = static_cast<ParameterId>(i);
    int32_t camera = document.GetCameraValue(id);
    int32_t file = ParameterTable::FromCamera(id, values[static_cast<size_t>(i)]);
    if (camera != file) differences.push_back({id, camera, file});
  }
  return differences;
}

std::optional<std::string> RangeRefusal(ParameterId id, int32_t value) {
  int32_t number = ParameterTable::ToCamera(id, value);
  if (number >= ParameterTable::Minimum(id, false) && number <= ParameterTable::Maximum(id, false)) return std::nullopt;
  return std::string(ParameterTable::Identifier(id)) + " takes " + std::to_string(ParameterTable::Minimum(id, true)) +
         " to " + std::to_string(ParameterTable::Maximum(id, true));
}

std::string AsTyped(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

SettingsFileRead ReadSettingsFile(const std::string& path, SettingsFile::Values& values) {
  SettingsFileRead read;
  std::vector<uint8_t> bytes;
  if (int error = RegularFile::Read(path, SettingsFile::ReadLimit, bytes); error != 0) {
    read.status = SettingsFileRead::Status::Unreadable;
    read.error = error;
    read.message = RegularFile::FailureMessage(CVQS90Doc::OpenFailedText, path, error);
    return read;
  }
  SettingsFile::Decoded decoded = SettingsFile::Decode(bytes, values);
  read.message = SettingsFile::RefusalMessage(decoded, RegularFile::FullPath(path));
  if (!read.message.empty()) {
    read.status = SettingsFileRead::Status::Refused;
  } else if (decoded == SettingsFile::Decoded::Empty) {
    read.status = SettingsFileRead::Status::Empty;
  }
  return read;
}
