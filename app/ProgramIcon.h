// The program's icon, the same picture the desktop shows for it.
#pragma once

#include <QIcon>

QIcon ProgramIcon();
