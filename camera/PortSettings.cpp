// Writing "Ports"/"COMn" into the settings store as the setup dialog assigns a device.
#include "camera/PortSettings.h"

#include <QSettings>

#include "camera/SettingsStore.h"
#include "link/PortPaths.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

void StorePortAssignment(int port, const QString& path) {
  QSettings settings(SettingsFormat(), QSettings::UserScope, QString::fromStdString(LoadString(StringIds::CompanyKey)),
                     QString::fromStdString(LoadString(StringIds::ApplicationTitle)));
  settings.setValue(QStringLiteral("Ports/COM%1").arg(port), path);
  AssignPortPath(port, path.toStdString());
}
