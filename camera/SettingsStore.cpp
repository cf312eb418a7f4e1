// Checking the settings store's file before the toolkit opens it.
#include "camera/SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include "platform/RegularFile.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace {

// Where no folder can be: settings objects made after this find nothing and store nothing.
constexpr const char* NowhereFolder = "/nonexistent/vq-r310ntx-settings";

QSettings::Format format = QSettings::NativeFormat;

}  // namespace

std::optional<std::string> GuardSettingsStore() {
  // Named as the toolkit names it, without a settings object: making one already reads the file.
  const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
                       QString::fromStdString(LoadString(StringIds::CompanyKey)) + QLatin1Char('/') +
                       QString::fromStdString(LoadString(StringIds::ApplicationTitle)) + QStringLiteral(".conf");
  if (RegularFile::RegularOrAbsent(QFile::encodeName(path).toStdString())) return std::nullopt;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(NowhereFolder));
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(NowhereFolder));
  return "The settings store " + path.toStdString() +
         " is not a regular file; it is left alone and the default settings are used.";
}

QSettings::Format SettingsFormat() { return format; }

void KeepSettingsStoreIn(const QString& folder) {
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
#ifdef Q_OS_WIN
  // The registry cannot be moved into a folder; an INI file can.
  format = QSettings::IniFormat;
#endif
}
