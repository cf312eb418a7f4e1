// The toolkit's settings objects sent where the store's reader without the toolkit goes.
#include "camera/SettingsStore.h"

#include "camera/FileNames.h"

namespace {

// Where no folder can be: settings objects made after this find nothing and store nothing.
constexpr const char* NowhereFolder = "/nonexistent/vq-r310ntx-settings";

QSettings::Format format = QSettings::NativeFormat;

}  // namespace

std::optional<std::string> GuardSettingsStore() {
  std::optional<std::string> refused = GuardSettingsStoreFile();
  if (refused) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(NowhereFolder));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(NowhereFolder));
  }
  return refused;
}

QSettings::Format SettingsFormat() { return format; }

void KeepSettingsStoreIn(const QString& folder) {
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
  KeepSettingsStoreFileIn(FileNameBytes(folder).toStdString());
#ifdef Q_OS_WIN
  // The registry cannot be moved into a folder; an INI file can.
  format = QSettings::IniFormat;
#endif
}
