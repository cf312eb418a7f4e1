// The operator's COM port assignments as the per-user settings store keeps them, read without the toolkit.
#pragma once

// Assigns every COM port that has a device path stored under "Ports" to that path.
void LoadPortAssignments();
