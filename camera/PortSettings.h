// The operator's COM port assignments, kept in the per-user settings store: stored through the toolkit.
#pragma once

#include <QString>

#include "camera/PortAssignments.h"

// Stores the assignment under "Ports" and makes it at once.
void StorePortAssignment(int port, const QString& path);
