// What the operator chose in the communication setup dialog.
#pragma once

#include <QString>

struct CommSetupChoice {
  bool accepted = false;
  int LinkKind = 0;        // 0 = RS-232C, 1 = Camera Link board; follows the last clicked choice button
  int selectionIndex = 0;  // 0..9 COM 1..COM10, 10 Euresys, 11 Matrox, 12 Other Factory
  int baudIndex = 0;       // 0 = 9600, 1 = 115200
  QString libraryPath;
};
