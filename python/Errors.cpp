// vqcam's exceptions raised from C++: the classes live in the module's Python part.
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

}  // namespace

namespace VqcamErrors {

void SetModule(py::module_ m) { module = m.inc_ref().ptr(); }

void RaiseCommError(int32_t result) {
  const int code = static_cast<int>(result < 0 ? -result : result);
  Raise(Attribute("CommError")(code, CommErrorState::ErrorText(static_cast<CommError>(code))));
}

void RaiseFileRefused(const std::string& message) {
  Raise(Attribute("FileRefused")(message));
}

void RaiseOsError(int error, const std::string& message) {
  py::object type = py::reinterpret_borrow<py::object>(PyExc_OSError);
  if (error > 0) Raise(type(error, message));
  Raise(type(message));
}

void RaiseFor(const Outcome& outcome) {
  switch (outcome.status) {
    case Outcome::Status::Done:
    case Outcome::Status::Differs: return;
    case Outcome::Status::CommFailed: RaiseCommError(outcome.code);
    case Outcome::Status::BadArgument:
    case Outcome::Status::RefusedInput: throw pybind11::value_error(outcome.message);
    case Outcome::Status::FileRefused: RaiseFileRefused(outcome.message);
    case Outcome::Status::FileUnreadable:
    case Outcome::Status::CannotWrite:
    case Outcome::Status::LogNotWritten: RaiseOsError(outcome.error, outcome.message);
    case Outcome::Status::TimedOut:
      PyErr_SetString(PyExc_TimeoutError, outcome.message.c_str());
      throw pybind11::error_already_set();
  }
}

}  // namespace VqcamErrors
