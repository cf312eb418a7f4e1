// Document commands: value transfers with the modified-flag rules, the settings file, the owned windows.
#include "camera/CVQS90Doc.h"

#include <QFile>

#include "platform/RegularFile.h"
#include "camera/SettingsFile.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

CVQS90Doc::CVQS90Doc(CameraParameterSet& parameters, QObject* parent) : QObject(parent), parameters_(parameters) {}

CVQS90Doc::~CVQS90Doc() = default;

int32_t CVQS90Doc::ReadCameraValue(ParameterId id) {
  int32_t result = parameters_.UploadOne(id);
  if (result > 0) SetModifiedFlag(true);
  return result;
}

int32_t CVQS90Doc::WriteCameraValue(ParameterId id, int32_t value) {
  int32_t result = parameters_.SendOne(id, value);
  if (result > 0) SetModifiedFlag(true);
  return result;
}

int32_t CVQS90Doc::ReadAllCameraValues() {
  int32_t result = parameters_.UploadAll();
  if (result > 0) SetModifiedFlag(true);
  return result;
}

int32_t CVQS90Doc::WriteAllCameraValues() { return parameters_.SendAll(); }

int32_t CVQS90Doc::GetCameraValue(ParameterId id) const { return parameters_.GetValue(id, false); }

void CVQS90Doc::SetModifiedFlag(bool modified) {
  if (modified_ == modified) return;
  modified_ = modified;
  emit ModifiedChanged(modified);
}

namespace {

std::string FullPath(const QByteArray& path) { return RegularFile::FullPath(path.toStdString()); }

}  // namespace

QString CVQS90Doc::Title() const {
  if (path_.isEmpty()) return QStringLiteral("Untitled");
  return QFile::decodeName(path_.mid(path_.lastIndexOf('/') + 1));
}

void CVQS90Doc::SetPathName(const QByteArray& path) {
  path_ = path;
  emit TitleChanged(Title());
}

void CVQS90Doc::Warn(const std::string& text) const {
  parameters_.Operator().ShowMessage(text, LoadString(StringIds::ApplicationTitle), MessageIcon::Warning);
}

void CVQS90Doc::FileFailed(const char* what, const QByteArray& path, int error) {
  lastFileError_ = error;
  Warn(RegularFile::FailureMessage(what, path.toStdString(), error));
}

std::vector<uint8_t> CVQS90Doc::Serialize() const {
  SettingsFile::Values values{};
  for (int i = 0; i < ParameterCount; ++i) values[static_cast<size_t>(i)] = parameters_.GetValue(static_cast<ParameterId>(i), true);
  return SettingsFile::Encode(values);
}

bool CVQS90Doc::Serialize(const std::vector<uint8_t>& bytes, const QByteArray& path) {
  SettingsFile::Values values{};
  lastSendResult_ = 0;
  SettingsFile::Decoded decoded = SettingsFile::Decode(bytes, values);
  if (decoded == SettingsFile::Decoded::Empty) return true;
  if (decoded != SettingsFile::Decoded::Loaded) {
    Warn(SettingsFile::RefusalMessage(decoded, FullPath(path)));
    return false;
  }
  // A value the camera's table forbids is refused with the whole file, before anything is sent.
  if (std::string refusal = SettingsFile::ValueRefusal(values, FullPath(path)); !refusal.empty()) {
    Warn(refusal);
    return false;
  }
  for (int i = 0; i < ParameterCount; ++i) parameters_.SetValue(static_cast<ParameterId>(i), values[static_cast<size_t>(i)], true);
  lastSendResult_ = parameters_.SendAll();
  return true;
}

bool CVQS90Doc::OnNewDocument() {
  SetPathName(QByteArray());
  SetModifiedFlag(false);
  emit DocumentReplaced();
  return true;
}

bool CVQS90Doc::OnOpenDocument(const QByteArray& path) {
  lastFileError_ = 0;
  std::vector<uint8_t> bytes;
  if (int error = RegularFile::Read(path.toStdString(), SettingsFile::ReadLimit, bytes); error != 0) {
    FileFailed(OpenFailedText, path, error);
    return false;
  }
  if (!Serialize(bytes, path)) return false;
  SetPathName(path);
  SetModifiedFlag(false);
  emit DocumentReplaced();
  return true;
}

bool CVQS90Doc::CanSaveTo(const QByteArray& path) {
  lastFileError_ = RegularFile::CheckReplaceable(path.toStdString());
  if (lastFileError_ == 0) return true;
  FileFailed(SaveFailedText, path, lastFileError_);
  return false;
}

bool CVQS90Doc::OnSaveDocument(const QByteArray& path) {
  lastFileError_ = 0;
  if (int error = RegularFile::Replace(path.toStdString(), Serialize()); error != 0) {
    FileFailed(SaveFailedText, path, error);
    return false;
  }
  SetPathName(path);
  SetModifiedFlag(false);
  return true;
}

void CVQS90Doc::OnReadFromCamera() {
  if (ReadAllCameraValues() > 0) emit UpdateAllViews();
}

void CVQS90Doc::OnWriteToCamera() { WriteAllCameraValues(); }

void CVQS90Doc::OnManualCommand() {
  if (runManualCommand_) runManualCommand_();
  OnReadFromCamera();
}

void CVQS90Doc::OnCommandMenu() { OpenOwnedWindow(commandMenuWindow_, makeCommandMenu_); }

void CVQS90Doc::OpenWhiteSpotWindow() { OpenOwnedWindow(whiteSpotWindow_, makeWhiteSpot_); }

// At most one window of each kind: a visible one gets the focus, a hidden one is replaced.
void CVQS90Doc::OpenOwnedWindow(std::unique_ptr<ServiceWindow>& member, const WindowFactory& make) {
  if (member && member->IsVisible()) {
    member->Focus();
    return;
  }
  if (member) {
    member->Destroy();
    member.reset();
  }
  if (!make) return;
  member = make();
  if (member) member->Create();
}
