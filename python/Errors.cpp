// vqcam's exceptions raised from C++: the classes live in the package's Python part.
#include "python/Errors.h"

#include "link/CommErrorState.h"

namespace py = pybind11;

namespace {

// Held for the life of the process: a static object's destructor would run after the interpreter is gone.
PyObject* module = nullptr;

py::object Attribute(const char* name) { return py::reinterpret_borrow<py::module_>(module).attr(name); }

// Raised as its own class: OSError(errno, ...) makes a subclass such as FileNotFoundError.
[[noreturn]] void Raise(const py::object& value) {
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(value.ptr())), value.ptr());
  throw py::error_already_set();
}

py::object TextOrNone(const std::string& text) { return text.empty() ? py::none() : py::object(py::str(text)); }
py::object NumberOrNone(int number) { return number == 0 ? py::none() : py::object(py::int_(number)); }

// The system's reason in one line: the outcome's own, else the first line of its message.
std::string OneLine(const Outcome& outcome) {
  if (!outcome.reason.empty()) return outcome.reason;
  return outcome.message.substr(0, outcome.message.find('\n'));
}

[[noreturn]] void RaiseComm(const Outcome& outcome) {
  // Not a failure of the line, so no Code: the port refused a second exchange and sent nothing.
  if (!CommErrors::IsLineFailure(outcome.code)) throw std::runtime_error("the camera is in use by another call");
  Raise(Attribute("CommError")(CommErrors::Number(outcome.code), CommErrorState::ErrorText(outcome.code),
                               TextOrNone(outcome.path), NumberOrNone(outcome.error), TextOrNone(outcome.reason),
                               TextOrNone(outcome.message)));
}

[[noreturn]] void RaiseOsError(const Outcome& outcome) {
  py::object type = py::reinterpret_borrow<py::object>(PyExc_OSError);
  Raise(type(NumberOrNone(outcome.error), OneLine(outcome), TextOrNone(outcome.path)));
}

}  // namespace

namespace VqcamErrors {

void SetModule(py::module_ m) { module = m.inc_ref().ptr(); }

void RaiseDetectionEnd(int state, const std::string& message) { Raise(Attribute("DetectionError")(state, message)); }

void RaiseFor(const Outcome& outcome) {
  switch (outcome.status) {
    case Outcome::Status::Done:
    case Outcome::Status::Differs: return;
    case Outcome::Status::CommFailed: RaiseComm(outcome);
    case Outcome::Status::BadArgument:
    case Outcome::Status::RefusedInput: throw pybind11::value_error(outcome.message);
    case Outcome::Status::FileRefused: Raise(Attribute("FileRefused")(outcome.message, TextOrNone(outcome.path)));
    case Outcome::Status::FileUnreadable:
    case Outcome::Status::CannotWrite: RaiseOsError(outcome);
    case Outcome::Status::LogNotWritten:
      Raise(Attribute("AdjustmentLogError")(NumberOrNone(outcome.error), OneLine(outcome), TextOrNone(outcome.path), true));
    case Outcome::Status::EarlierSpots: Raise(Attribute("EarlierSpotsError")(outcome.message));
    case Outcome::Status::TimedOut:
      PyErr_SetString(PyExc_TimeoutError, outcome.message.c_str());
      throw pybind11::error_already_set();
  }
}

}  // namespace VqcamErrors
