// Opening the link a front end asked for.
#include "camera/LinkChoice.h"

#include "camera/PortSettings.h"
#include "link/CameraLinkLibrary.h"
#include "link/PortPaths.h"

std::optional<std::string> LinkChoiceError(const LinkChoice& choice) {
  if (choice.device && choice.cameraLink) return "a serial device and Camera Link exclude each other";
  // An empty name would fall back to a default device or library nobody named.
  if (choice.device && choice.device->empty()) return "the serial device is a path, not empty";
  if (choice.cameraLink && choice.cameraLink->empty()) {
    return "the Camera Link library is \"Euresys\", \"Matrox\" or a library path, not empty";
  }
  if (choice.com < FirstComPort || choice.com > LastComPort) return "the COM port is 1 to 10";
  if (choice.baud != 9600 && choice.baud != 115200) return "the baud rate is 9600 or 115200";
  if (choice.cameraLinkPort < 0 || choice.cameraLinkPort > MaxCameraLinkPort) return "the Camera Link port is 0 to 255";
  if (choice.cameraLinkPort != 0 && !choice.cameraLink) return "a Camera Link port goes with a Camera Link library";
  return std::nullopt;
}

std::string CameraLinkLibraryFor(const std::string& choice) {
  if (choice == "Euresys") return CameraLinkLibraryPath(CameraLinkBoard::Euresys, {});
  if (choice == "Matrox") return CameraLinkLibraryPath(CameraLinkBoard::Matrox, {});
  return CameraLinkLibraryPath(CameraLinkBoard::OtherFactory, choice);
}

int32_t OpenChosenLink(CameraParameterSet& parameters, const LinkChoice& choice) {
  if (choice.cameraLink) {
    return parameters.OpenCameraLinkLibrary(CameraLinkLibraryFor(*choice.cameraLink),
                                            static_cast<uint32_t>(choice.cameraLinkPort));
  }
  LoadPortAssignments();
  if (choice.device) AssignPortPath(choice.com, *choice.device);
  return parameters.OpenSerialLink(choice.com, choice.baud);
}
