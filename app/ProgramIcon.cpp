// The program's icon, compiled in from the desktop integration's SVG so the two never differ (on
// Windows as PNGs rendered from it, since Qt there reads no SVG).
#include "app/ProgramIcon.h"

#include <QDir>

QIcon ProgramIcon() {
  QIcon icon;
  for (const QFileInfo& file : QDir(QStringLiteral(":/program-icon")).entryInfoList(QDir::Files)) {
    icon.addFile(file.filePath());
  }
  return icon;
}
