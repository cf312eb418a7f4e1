// What the operator chose in the communication setup dialog.
#pragma once

#include "camera/LinkChoice.h"

struct CommSetupChoice {
  bool accepted = false;
  // COM 1..10 at 9600 or 115200 baud, or the Euresys, Matrox or Other Factory library (the path
  // as typed), on the board's first serial port.
  LinkChoice link;
};
