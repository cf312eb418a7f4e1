// A parameter set wired to the simulated camera through the in-memory line, on a virtual clock.
#pragma once

#include "camera/CameraParameterSet.h"
#include "support/MemoryLink.h"

struct MemoryCamera : MemoryWired<CameraParameterSet> {
  explicit MemoryCamera(bool open = true) {
    if (open) port->OpenSerialDefault(1, 9600);
  }
  CameraParameterSet* parameters = port.get();
};
