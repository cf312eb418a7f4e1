// "Ports"/"COM1".."COM10" in the settings store, shared by the windowed program and vqctl.
#include "camera/PortSettings.h"

#include <QSettings>

#include "camera/SettingsStore.h"
#include "link/PortPaths.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace {

QSettings Store() {
  return QSettings(SettingsFormat(), QSettings::UserScope, QString::fromStdString(LoadString(StringIds::CompanyKey)),
                   QString::fromStdString(LoadString(StringIds::ApplicationTitle)));
}

QString Key(int port) { return QStringLiteral("Ports/COM%1").arg(port); }

}  // namespace

void LoadPortAssignments() {
  QSettings settings = Store();
  for (int port = FirstComPort; port <= LastComPort; ++port) {
    QString path = settings.value(Key(port)).toString();
    if (!path.isEmpty()) AssignPortPath(port, path.toStdString());
  }
}

void StorePortAssignment(int port, const QString& path) {
  QSettings settings = Store();
  settings.setValue(Key(port), path);
  AssignPortPath(port, path.toStdString());
}
