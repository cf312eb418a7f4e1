// The link a front end asks for (a serial device or COM number and a speed, or a Camera Link
// library) and opening it on the parameter set, the same way for vqctl and the Python module.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "camera/CameraParameterSet.h"

struct LinkChoice {
  std::string device;      // a serial device path, assigned to the COM number; empty: the number's own
  int com = 1;
  int baud = 9600;
  std::string cameraLink;  // "Euresys", "Matrox" or a library path; empty: a serial port
  int cameraLinkPort = 0;  // the board's serial port, 0 for the first, as clSerialInit counts them
};

// Why the choice cannot be opened as it stands, or nothing.
std::optional<std::string> LinkChoiceError(const LinkChoice& choice);

// The library file a Camera Link choice names.
std::string CameraLinkLibraryFor(const std::string& choice);

// Opens the chosen link, after the COM assignments of the settings store; 0 or the negative code.
int32_t OpenChosenLink(CameraParameterSet& parameters, const LinkChoice& choice);
