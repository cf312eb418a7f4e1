// The one object holding the register values, the link to the camera and the last error.
#pragma once

#include <memory>
#include <string>

#include "camera/CameraValueStore.h"
#include "link/CameraPort.h"

class CameraParameterSet : public CameraValueStore, public CameraPort {
 public:
  // The production link.
  CameraParameterSet() = default;
  CameraParameterSet(std::unique_ptr<SerialDevice> device, Clock& clock) : CameraPort(std::move(device), clock) {}

  // Raw transfers: camera traffic, nothing shown.
  int32_t ReadOne(ParameterId id);
  int32_t WriteOne(ParameterId id, int32_t value);
  int32_t ReadAll();
  int32_t WriteAll();

  // Reporting transfers: a status text before, the error box after a failure.
  int32_t UploadOne(ParameterId id);
  int32_t SendOne(ParameterId id, int32_t value);
  int32_t UploadAll();
  int32_t SendAll();
  int32_t OpenSerialLink(int32_t port, int32_t baudRate);
  int32_t OpenCameraLinkLibrary(const std::string& libraryPath, uint32_t serialIndex = 0);

  // The message of the stored error in a stop-icon box.
  void ReportLastError();

 private:
  int32_t Reported(int32_t result);
  void ShowTransferStatus(int textId, ParameterId id);
};
