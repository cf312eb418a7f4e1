// The link a front end asks for (a serial device or COM number and a speed, or a Camera Link
// library) and opening it on the parameter set, the same way for vqctl and the Python module.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "camera/CameraParameterSet.h"

// The communication setup dialog gives one, and so do vqctl's link options and vqcam.open().
struct LinkChoice {
  std::optional<std::string> device;      // a serial device path, assigned to the COM number; none: the number's own
  int com = 1;
  int baud = 9600;
  std::optional<std::string> cameraLink;  // "Euresys", "Matrox" or a library path; none: a serial port
  int cameraLinkPort = 0;                 // the board's serial port, 0 for the first, as clSerialInit counts them
};

inline constexpr int MaxCameraLinkPort = 255;

// Why a choice typed by a script's author cannot be opened as it stands, or nothing. The setup
// dialog's choices are opened as they are: an empty library path fails to open and is reported.
std::optional<std::string> LinkChoiceError(const LinkChoice& choice);

// The library file a Camera Link choice names.
std::string CameraLinkLibraryFor(const std::string& choice);

// A link a script can open, as ports() lists it.
struct AvailableLink {
  bool cameraLink = false;
  std::string name;  // the device path, or "Euresys" / "Matrox"
  std::string path;  // the device path, or the library file
  int com = 0;       // the COM number the settings store assigns to the device; 0: none
};
// The serial devices under devRoot (and the devices COM numbers are assigned to), then the Camera
// Link libraries that load.
std::vector<AvailableLink> AvailableLinks(const std::string& devRoot = "/dev");

// Opens the chosen link, after the COM assignments of the settings store; 0 or the negative code.
int32_t OpenChosenLink(CameraParameterSet& parameters, const LinkChoice& choice);
