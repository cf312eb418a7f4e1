// The program's icon, compiled in from the desktop integration's SVG so the two never differ.
#include "app/ProgramIcon.h"

QIcon ProgramIcon() { return QIcon(QStringLiteral(":/vq-r310ntx.svg")); }
