// Opening the link a front end asked for.
#include "camera/LinkChoice.h"


#include <algorithm>

#include "camera/PortAssignments.h"
#include "link/CameraLinkLibrary.h"
#include "link/PortPaths.h"
#include "platform/SerialDeviceNames.h"

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

std::vector<AvailableLink> AvailableLinks(const std::string& devRoot) {
  LoadPortAssignments();
  auto comFor = [](const std::string& path) {
    for (int port = FirstComPort; port <= LastComPort; ++port) {
      if (DevicePathForPort(port) == path) return port;
    }
    return 0;
  };
  std::vector<AvailableLink> links;
  for (const std::string& device : SerialDeviceNames(devRoot)) links.push_back({false, device, device, comFor(device)});
  // A COM number may stand for a device the listing does not show (a pseudo-terminal, say).
  for (int port = FirstComPort; port <= LastComPort; ++port) {
    const std::string path = DevicePathForPort(port);
    const bool listed = std::any_of(links.begin(), links.end(), [&](const AvailableLink& l) { return l.path == path; });
    if (!listed && SerialDeviceExists(path)) links.push_back({false, path, path, port});
  }
  for (const char* board : {"Euresys", "Matrox"}) {
    CameraLinkLibrary library(MonotonicClock::Instance());
    const std::string path = CameraLinkLibraryFor(board);
    if (library.Load(path)) links.push_back({true, board, path, 0});
  }
  return links;
}
