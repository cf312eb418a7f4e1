// Raising vqcam's own exceptions from C++.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "camera/Outcome.h"

namespace VqcamErrors {

// The module whose exception classes are raised; set once when the module is made.
void SetModule(pybind11::module_ m);

[[noreturn]] void RaiseCommError(int32_t result);
[[noreturn]] void RaiseFileRefused(const std::string& message);
// An OSError from the system's error number (its subclass, such as FileNotFoundError), or a plain one
// with the message when there is none.
[[noreturn]] void RaiseOsError(int error, const std::string& message);
// The exception an outcome that went wrong comes to; nothing for one that did not.
void RaiseFor(const Outcome& outcome);

}  // namespace VqcamErrors
