// The operator's COM port assignments, kept in the per-user settings store.
#pragma once

#include <QString>

// Assigns every COM port that has a device path stored under "Ports" to that path.
void LoadPortAssignments();
void StorePortAssignment(int port, const QString& path);
