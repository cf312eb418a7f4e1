// Raising vqcam's own exceptions from C++.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "camera/Outcome.h"

namespace VqcamErrors {

// The package whose exception classes are raised; set once when the compiled part is loaded.
void SetModule(pybind11::module_ m);

// The exception an outcome that went wrong comes to; nothing for one that did not.
void RaiseFor(const Outcome& outcome);

// A detection that ran to an end other than finished: DetectionError with the camera's state.
[[noreturn]] void RaiseDetectionEnd(int state, const std::string& message);

}  // namespace VqcamErrors
