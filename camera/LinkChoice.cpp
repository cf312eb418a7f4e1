// Opening the link a front end asked for.
#include "camera/LinkChoice.h"

#include "camera/PortSettings.h"
#include "link/CameraLinkLibrary.h"
#include "link/PortPaths.h"

std::optional<std::string> LinkChoiceError(const LinkChoice& choice) {
  if (!choice.device.empty() && !choice.cameraLink.empty()) return "a serial device and Camera Link exclude each other";
  if (choice.com < FirstComPort || choice.com > LastComPort) return "the COM port is 1 to 10";
  if (choice.baud != 9600 && choice.baud != 115200) return "the baud rate is 9600 or 115200";
  if (choice.cameraLinkPort < 0) return "the Camera Link port is 0 or more";
  return std::nullopt;
}

std::string CameraLinkLibraryFor(const std::string& choice) {
  if (choice == "Euresys") return CameraLinkLibraryPath(CameraLinkBoard::Euresys, {});
  if (choice == "Matrox") return CameraLinkLibraryPath(CameraLinkBoard::Matrox, {});
  return CameraLinkLibraryPath(CameraLinkBoard::OtherFactory, choice);
}

int32_t OpenChosenLink(CameraParameterSet& parameters, const LinkChoice& choice) {
  if (!choice.cameraLink.empty()) {
    return parameters.OpenCameraLinkLibrary(CameraLinkLibraryFor(choice.cameraLink),
                                            static_cast<uint32_t>(choice.cameraLinkPort));
  }
  LoadPortAssignments();
  if (!choice.device.empty()) AssignPortPath(choice.com, choice.device);
  return parameters.OpenSerialLink(choice.com, choice.baud);
}
