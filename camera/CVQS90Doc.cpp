// Document commands: value transfers with the modified-flag rules, the settings file, the owned windows.
#include "camera/CVQS90Doc.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

QString CVQS90Doc::Title() const { return path_.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(path_).fileName(); }

void CVQS90Doc::SetPathName(const QString& path) {
  path_ = path;
  emit TitleChanged(Title());
}

void CVQS90Doc::Warn(const std::string& text) const {
  parameters_.Operator().ShowMessage(text, LoadString(StringIds::ApplicationTitle), MessageIcon::Warning);
}

std::vector<uint8_t> CVQS90Doc::Serialize() const {
  SettingsFile::Values values{};
  for (int i = 0; i < ParameterCount; ++i) values[static_cast<size_t>(i)] = parameters_.GetValue(static_cast<ParameterId>(i), true);
  return SettingsFile::Encode(values);
}

bool CVQS90Doc::Serialize(const std::vector<uint8_t>& bytes, const QString& path) {
  SettingsFile::Values values{};
  lastSendResult_ = 0;
  SettingsFile::Decoded decoded = SettingsFile::Decode(bytes, values);
  if (decoded == SettingsFile::Decoded::Empty) return true;
  if (decoded != SettingsFile::Decoded::Loaded) {
    Warn(SettingsFile::RefusalMessage(decoded, path.toStdString()));
    return false;
  }
  for (int i = 0; i < ParameterCount; ++i) parameters_.SetValue(static_cast<ParameterId>(i), values[static_cast<size_t>(i)], true);
  lastSendResult_ = parameters_.SendAll();
  return true;
}

bool CVQS90Doc::OnNewDocument() {
  SetPathName(QString());
  SetModifiedFlag(false);
  emit DocumentReplaced();
  return true;
}

bool CVQS90Doc::OnOpenDocument(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    Warn("Failed to open document.\n" + file.errorString().toStdString());
    return false;
  }
  // A settings file is 212 bytes; reading a little past that is enough to know what it is.
  QByteArray data = file.read(64 * 1024);
  std::vector<uint8_t> bytes(data.begin(), data.end());
  if (!Serialize(bytes, path)) return false;
  SetPathName(path);
  SetModifiedFlag(false);
  emit DocumentReplaced();
  return true;
}

bool CVQS90Doc::OnSaveDocument(const QString& path) {
  // Written beside the target and renamed over it, so a failed save leaves the old file whole.
  QSaveFile file(path);
  std::vector<uint8_t> bytes = Serialize();
  bool ok = file.open(QIODevice::WriteOnly) &&
            file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
                static_cast<qint64>(bytes.size()) &&
            file.commit();
  if (!ok) {
    Warn("Failed to save document.\n" + file.errorString().toStdString());
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
