// The document's value transfers with the modified-flag rules, and its settings file.
#include "camera/SettingsDocument.h"

#include "platform/RegularFile.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

int32_t SettingsDocument::ReadCameraValue(ParameterId id) {
  int32_t result = parameters_.UploadOne(id);
  if (result > 0) SetModifiedFlag(true);
  return result;
}

int32_t SettingsDocument::WriteCameraValue(ParameterId id, int32_t value) {
  int32_t result = parameters_.SendOne(id, value);
  if (result > 0) SetModifiedFlag(true);
  return result;
}

int32_t SettingsDocument::ReadAllCameraValues() {
  int32_t result = parameters_.UploadAll();
  if (result > 0) SetModifiedFlag(true);
  return result;
}

int32_t SettingsDocument::WriteAllCameraValues() { return parameters_.SendAll(); }

int32_t SettingsDocument::GetCameraValue(ParameterId id) const { return parameters_.GetValue(id, ValueUnits::Stored); }

void SettingsDocument::SetModifiedFlag(bool modified) {
  if (modified_ == modified) return;
  modified_ = modified;
  ModifiedFlagChanged(modified);
}

void SettingsDocument::SetPathName(const std::string& path) {
  path_ = path;
  PathNameChanged();
}

DocumentFileResult SettingsDocument::Refused(const std::string& text) const {
  parameters_.Operator().ShowMessage(text, LoadString(StringIds::ApplicationTitle), MessageIcon::Warning);
  return {false, 0, text, 0};
}

DocumentFileResult SettingsDocument::FileFailed(const char* what, const std::string& path, int error) const {
  DocumentFileResult failed = Refused(RegularFile::FailureMessage(what, path, error));
  failed.error = error;
  return failed;
}

std::vector<uint8_t> SettingsDocument::EncodeSettings() const {
  SettingsFile::Values values{};
  for (int i = 0; i < ParameterCount; ++i) {
    values[static_cast<size_t>(i)] = parameters_.GetValue(static_cast<ParameterId>(i), ValueUnits::Camera);
  }
  return SettingsFile::Encode(values);
}

DocumentFileResult SettingsDocument::DecodeAndSendSettings(const std::vector<uint8_t>& bytes, const std::string& path) {
  SettingsFile::Values values{};
  SettingsFile::Decoded decoded = SettingsFile::Decode(bytes, values);
  if (decoded == SettingsFile::Decoded::Empty) return {};
  const std::string fullPath = RegularFile::FullPath(path);
  if (decoded != SettingsFile::Decoded::Loaded) return Refused(SettingsFile::RefusalMessage(decoded, fullPath));
  // A value the camera's table forbids is refused with the whole file, before anything is sent.
  if (std::string refusal = SettingsFile::ValueRefusal(values, fullPath); !refusal.empty()) return Refused(refusal);
  for (int i = 0; i < ParameterCount; ++i) {
    parameters_.SetValue(static_cast<ParameterId>(i), values[static_cast<size_t>(i)], ValueUnits::Camera);
  }
  DocumentFileResult sent;
  sent.sendResult = parameters_.SendAll();
  return sent;
}

bool SettingsDocument::OnNewDocument() {
  SetPathName({});
  SetModifiedFlag(false);
  Replaced();
  return true;
}

DocumentFileResult SettingsDocument::ReadDocumentFile(const std::string& path, std::vector<uint8_t>& bytes) {
  if (int error = RegularFile::Read(path, SettingsFile::ReadLimit, bytes); error != 0) {
    return FileFailed(OpenFailedText, path, error);
  }
  return {};
}

DocumentFileResult SettingsDocument::OpenDocumentBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  DocumentFileResult opened = DecodeAndSendSettings(bytes, path);
  if (!opened) return opened;
  SetPathName(path);
  SetModifiedFlag(false);
  Replaced();
  return opened;
}

DocumentFileResult SettingsDocument::OnOpenDocument(const std::string& path) {
  std::vector<uint8_t> bytes;
  DocumentFileResult read = ReadDocumentFile(path, bytes);
  return read ? OpenDocumentBytes(path, bytes) : read;
}

DocumentFileResult SettingsDocument::CanSaveTo(const std::string& path) {
  if (int error = RegularFile::CheckReplaceable(path); error != 0) return FileFailed(SaveFailedText, path, error);
  return {};
}

DocumentFileResult SettingsDocument::OnSaveDocument(const std::string& path) {
  if (int error = RegularFile::Replace(path, EncodeSettings()); error != 0) {
    return FileFailed(SaveFailedText, path, error);
  }
  SetPathName(path);
  SetModifiedFlag(false);
  return {};
}
