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

int32_t CVQS90Doc::GetCameraValue(ParameterId id) const { return parameters_.GetValue(id, ValueUnits::Stored); }

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

DocumentFileResult CVQS90Doc::Refused(const std::string& text) const {
  parameters_.Operator().ShowMessage(text, LoadString(StringIds::ApplicationTitle), MessageIcon::Warning);
  return {false, 0, text, 0};
}

DocumentFileResult CVQS90Doc::FileFailed(const char* what, const QByteArray& path, int error) const {
  DocumentFileResult failed = Refused(RegularFile::FailureMessage(what, path.toStdString(), error));
  failed.error = error;
  return failed;
}

std::vector<uint8_t> CVQS90Doc::EncodeSettings() const {
  SettingsFile::Values values{};
  for (int i = 0; i < ParameterCount; ++i) {
    values[static_cast<size_t>(i)] = parameters_.GetValue(static_cast<ParameterId>(i), ValueUnits::Camera);
  }
  return SettingsFile::Encode(values);
}

DocumentFileResult CVQS90Doc::DecodeAndSendSettings(const std::vector<uint8_t>& bytes, const QByteArray& path) {
  SettingsFile::Values values{};
  SettingsFile::Decoded decoded = SettingsFile::Decode(bytes, values);
  if (decoded == SettingsFile::Decoded::Empty) return {};
  if (decoded != SettingsFile::Decoded::Loaded) return Refused(SettingsFile::RefusalMessage(decoded, FullPath(path)));
  // A value the camera's table forbids is refused with the whole file, before anything is sent.
  if (std::string refusal = SettingsFile::ValueRefusal(values, FullPath(path)); !refusal.empty()) return Refused(refusal);
  for (int i = 0; i < ParameterCount; ++i) {
    parameters_.SetValue(static_cast<ParameterId>(i), values[static_cast<size_t>(i)], ValueUnits::Camera);
  }
  DocumentFileResult sent;
  sent.sendResult = parameters_.SendAll();
  return sent;
}

bool CVQS90Doc::OnNewDocument() {
  SetPathName(QByteArray());
  SetModifiedFlag(false);
  emit DocumentReplaced();
  return true;
}

DocumentFileResult CVQS90Doc::ReadDocumentFile(const QByteArray& path, std::vector<uint8_t>& bytes) {
  if (int error = RegularFile::Read(path.toStdString(), SettingsFile::ReadLimit, bytes); error != 0) {
    return FileFailed(OpenFailedText, path, error);
  }
  return {};
}

DocumentFileResult CVQS90Doc::OpenDocumentBytes(const QByteArray& path, const std::vector<uint8_t>& bytes) {
  DocumentFileResult opened = DecodeAndSendSettings(bytes, path);
  if (!opened) return opened;
  SetPathName(path);
  SetModifiedFlag(false);
  emit DocumentReplaced();
  return opened;
}

DocumentFileResult CVQS90Doc::OnOpenDocument(const QByteArray& path) {
  std::vector<uint8_t> bytes;
  DocumentFileResult read = ReadDocumentFile(path, bytes);
  return read ? OpenDocumentBytes(path, bytes) : read;
}

DocumentFileResult CVQS90Doc::CanSaveTo(const QByteArray& path) {
  if (int error = RegularFile::CheckReplaceable(path.toStdString()); error != 0) return FileFailed(SaveFailedText, path, error);
  return {};
}

DocumentFileResult CVQS90Doc::OnSaveDocument(const QByteArray& path) {
  if (int error = RegularFile::Replace(path.toStdString(), EncodeSettings()); error != 0) {
    return FileFailed(SaveFailedText, path, error);
  }
  SetPathName(path);
  SetModifiedFlag(false);
  return {};
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
