// A parameter set wired to the simulated camera through the in-memory line, on a virtual clock.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "camera/CameraParameterSet.h"
#include "link/Framing.h"
#include "sim/CameraModel.h"
#include "sim/MemoryDevice.h"
#include "support/RecordingOperatorOutput.h"

struct MemoryCamera {
  VirtualClock clock;
  CameraModel camera;
  MemoryDevice* device = nullptr;  // owned by parameters
  RecordingOperatorOutput output;
  std::unique_ptr<CameraParameterSet> parameters;

  explicit MemoryCamera(bool open = true) {
    auto owned = std::make_unique<MemoryDevice>(camera, clock);
    device = owned.get();
    parameters = std::make_unique<CameraParameterSet>(std::move(owned), clock);
    parameters->SetOperatorOutput(&output);
    if (open) parameters->OpenSerialDefault(1, 9600);
  }

  // Request texts the camera accepted, in order.
  const std::vector<std::string>& Requests() const { return camera.Requests(); }
};
