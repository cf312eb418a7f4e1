// Encoding and decoding of the settings file; no file access here.
#include "camera/SettingsFile.h"

#include "camera/CameraValueStore.h"
#include "camera/ParameterTable.h"
#include "platform/RegularFile.h"

#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace SettingsFile {

namespace {

void PutLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool GetLittleEndian(const std::vector<uint8_t>& bytes, size_t& offset, int size, uint32_t& value) {
  if (bytes.size() - offset < static_cast<size_t>(size)) return false;
  value = 0;
  for (int i = 0; i < size; ++i) value |= static_cast<uint32_t>(bytes[offset + static_cast<size_t>(i)]) << (8 * i);
  offset += static_cast<size_t>(size);
  return true;
}

}  // namespace

void WriteStoredText(std::vector<uint8_t>& bytes, const std::string& text) {
  size_t n = text.size();
  if (n < 0xFF) {
    PutLittleEndian(bytes, static_cast<uint32_t>(n), 1);
  } else if (n < 0xFFFF) {
    PutLittleEndian(bytes, 0xFF, 1);
    PutLittleEndian(bytes, static_cast<uint32_t>(n), 2);
  } else {
    PutLittleEndian(bytes, 0xFF, 1);
    PutLittleEndian(bytes, 0xFFFF, 2);
    PutLittleEndian(bytes, static_cast<uint32_t>(n), 4);
  }
  bytes.insert(bytes.end(), text.begin(), text.end());
}

bool ReadStoredText(const std::vector<uint8_t>& bytes, size_t& offset, std::string& text) {
  uint32_t length = 0;
  if (!GetLittleEndian(bytes, offset, 1, length)) return false;
  if (length == 0xFF && !GetLittleEndian(bytes, offset, 2, length)) return false;
  if (length == 0xFFFF && !GetLittleEndian(bytes, offset, 4, length)) return false;
  if (bytes.size() - offset < length) return false;
  text.assign(reinterpret_cast<const char*>(bytes.data() + offset), length);
  offset += length;
  return true;
}

std::vector<uint8_t> Encode(const Values& values) {
  std::vector<uint8_t> bytes;
  bytes.reserve(FileSize);
  WriteStoredText(bytes, Header);
  for (int32_t v : values) PutLittleEndian(bytes, static_cast<uint32_t>(v), 4);
  return bytes;
}

Decoded Decode(const std::vector<uint8_t>& bytes, Values& values) {
  if (bytes.empty()) return Decoded::Empty;
  size_t offset = 0;
  std::string header;
  if (!ReadStoredText(bytes, offset, header)) return Decoded::Truncated;
  if (header != Header) return Decoded::HeaderMismatch;
  // All 47 values are decoded before any is handed out, so a short file changes nothing.
  Values decoded{};
  for (int32_t& v : decoded) {
    uint32_t raw = 0;
    if (!GetLittleEndian(bytes, offset, 4, raw)) return Decoded::Truncated;
    v = static_cast<int32_t>(raw);
  }
  values = decoded;
  return Decoded::Loaded;
}

std::string RefusalMessage(Decoded decoded, const std::string& path) {
  switch (decoded) {
    case Decoded::HeaderMismatch:
      return FormatString(LoadString(StringIds::FileTypeMismatch), {path, LoadString(StringIds::ApplicationTitle)});
    case Decoded::Truncated: return LoadString(StringIds::UnexpectedFileFormat);
    case Decoded::Loaded:
    case Decoded::Empty: break;
  }
  return std::string();
}

std::string ValueRefusal(const Values& values, const std::string& path) {
  for (int i = 0; i < ParameterCount; ++i) {
    auto id = static_cast<ParameterId>(i);
    if ((ParameterTable::Flags(id) & ParameterFlags::InWriteAll) == 0) continue;
    const int32_t value = values[static_cast<size_t>(i)];
    const int32_t minimum = ParameterTable::Minimum(id, ParameterTable::AsInTable);
    const int32_t maximum = ParameterTable::Maximum(id, ParameterTable::AsInTable);
    if (value >= minimum && value <= maximum) continue;
    return path + "\n" + ParameterTable::Identifier(id) + " holds " + std::to_string(value) + ", outside its range " +
           std::to_string(minimum) + " to " + std::to_string(maximum) + ". Nothing was sent to the camera.";
  }
  return std::string();
}

}  // namespace SettingsFile

SettingsFileRead ReadSettingsFile(const std::string& path, SettingsFile::Values& values) {
  SettingsFileRead read;
  std::vector<uint8_t> bytes;
  if (int error = RegularFile::Read(path, SettingsFile::ReadLimit, bytes); error != 0) {
    read.status = SettingsFileRead::Status::Unreadable;
    read.error = error;
    read.message = RegularFile::FailureMessage(SettingsFile::OpenFailedText, path, error);
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

std::vector<ValueDifference> CompareWithFile(const CameraValueStore& stored, const SettingsFile::Values& values) {
  std::vector<ValueDifference> differences;
  for (int i = 0; i <= ParameterTable::LastReadableRow; ++i) {
    auto id = static_cast<ParameterId>(i);
    int32_t camera = stored.GetValue(id, ValueUnits::Stored);
    int32_t file = ParameterTable::FromCamera(id, values[static_cast<size_t>(i)]);
    if (camera != file) differences.push_back({id, camera, file});
  }
  return differences;
}
