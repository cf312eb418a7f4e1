// The vqcam module: the camera from Python, over the same parameter set, document and files as vqctl.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "camera/CameraSession.h"
#include "camera/UserSettings.h"
#include "camera/ParameterTable.h"
#include "link/CommErrorState.h"
#include "python/Errors.h"
#include "python/PyCamera.h"

namespace {

const char CameraDoc[] =
    "An open link to one camera; made by vqcam.open(). A context manager: leaving the block closes it.\n\n"
    "Use one Camera from one thread at a time (a second thread gets RuntimeError). Failures of the line\n"
    "raise CommError with the operator's message; a closed camera raises ValueError. Ctrl+C ends any\n"
    "call with KeyboardInterrupt within a fraction of a second, and the camera stays usable.";

const char RequestTextDoc[] =
    " A request text is 14 hexadecimal characters, two for each of: mode (01 stored settings, 00 working "
    "register), fixed FF, area, address, and three value bytes, each byte high digit first. \"01FF0104020000\" "
    "writes 2 to area 01, address 04 (Trigger Mode); \"01FF810C000000\" reads area 81 (01 with bit 7 set), "
    "address 0C (Gain Level). Lower-case letters are taken as capitals.";

// The three value bytes' order, the same in a request and in a reply.
const char ValueBytesDoc[] =
    " The Common area (01, read as 81) holds a value most significant byte first, in as many bytes as the "
    "row's range needs, padded with 00 on the right: Gain Level 168 is \"00A800\", so the first four "
    "characters are the value; Trigger Mode 2 is \"020000\". Every other area holds it lowest byte first: "
    "the word 0xA800 of area 90 (INFO) is \"00A800\" too.";

std::unique_ptr<PyCamera> Open(const py::object& device, const py::object& com, int baud, const py::object& cameraLink,
                               int cameraLinkPort) {
  if (std::optional<std::string> warning = GuardSettingsStoreFile()) {
    if (PyErr_WarnEx(PyExc_UserWarning, warning->c_str(), 1) < 0) throw py::error_already_set();
  }
  LinkChoice choice;
  if (!device.is_none()) choice.device = PathArgument(device);
  if (!com.is_none()) choice.com = com.cast<int>();
  choice.baud = baud;
  if (!cameraLink.is_none()) choice.cameraLink = PathArgument(cameraLink);
  choice.cameraLinkPort = cameraLinkPort;
  return std::make_unique<PyCamera>(choice, com.is_none() ? std::nullopt : std::optional<int>(choice.com));
}

py::list Parameters() {
  py::object record = py::module_::import("vqcam").attr("Parameter");
  py::list rows;
  for (const ParameterRow& row : ParameterRows()) {
    rows.append(record(row.name, row.index, row.minimum, row.maximum, row.defaultValue, row.writeAll, row.readAll,
                       row.label, row.unit.empty() ? py::none() : py::object(py::str(row.unit))));
  }
  return rows;
}

py::list Ports() {
  py::object record = py::module_::import("vqcam").attr("Port");
  py::list found;
  for (const AvailableLink& link : AvailableLinks()) {
    py::object com = link.com > 0 ? py::object(py::int_(link.com)) : py::none();
    found.append(record(link.cameraLink ? "camera_link" : "serial", link.name, link.path, com));
  }
  return found;
}

py::dict ReadFile(const py::object& path) {
  const std::string name = PathArgument(path);
  SilentOperatorOutput silent;
  std::vector<NamedValue> values;
  VqcamErrors::RaiseFor(ReadSettingsValues(name, silent, values));
  return AsDict(values);
}

// The communication error codes by name, as the package's Code takes them: (name, number) pairs.
py::list CodeNames() {
  py::list names;
  for (const CommErrors::Named& named : CommErrors::Names) {
    names.append(py::make_tuple(py::str(named.name.data(), named.name.size()), CommErrors::Number(named.code)));
  }
  return names;
}

void BindCamera(py::module_& m) {
  // The plain type as its metaclass, as the stub (and every type checker) sees a class.
  py::class_<PyCamera>(m, "Camera", py::metaclass(reinterpret_cast<PyObject*>(&PyType_Type)), CameraDoc)
      .def("close", &PyCamera::Close, "Closes the port (or the Camera Link channel); a second close does nothing.")
      .def_property_readonly("closed", &PyCamera::Closed, "Whether close() has been called.")
      .def_property_readonly("device", &PyCamera::Device,
                             "The serial device opened (the one COM com stands for when open() was given com= "
                             "alone); None on Camera Link.")
      .def_property_readonly("baud", &PyCamera::Baud, "The serial line's baud rate; None on Camera Link, whose "
                             "speed is the board's.")
      .def_property_readonly("com", &PyCamera::Com, "The COM number open() was given (com=); None when it was "
                             "given none, and on Camera Link.")
      .def_property_readonly("camera_link", &PyCamera::CameraLink,
                             "The Camera Link choice open() was given (\"Euresys\", \"Matrox\" or a library "
                             "path); None on a serial line.")
      .def_property_readonly("camera_link_port", &PyCamera::CameraLinkPort,
                             "The board's serial port on Camera Link (0, the first); None on a serial line.")
      .def("__enter__", &PyCamera::Enter, py::return_value_policy::reference)
      .def("__exit__", [](PyCamera& c, const py::args&) { c.Close(); })
      .def("__repr__", &PyCamera::Repr)
      .def("get", &PyCamera::Get, py::arg("name"),
           "Reads one parameter from the camera. name as vqctl takes it (\"GainLevel\" in any case, "
           "\"ParamGainLevel\", the row index as text) or the row index as an int. KeyError for an unknown name.")
      .def("set", &PyCamera::Set, py::arg("name"), py::arg("value"),
           "Writes one parameter (an int, not a bool). A value outside the row's range raises ValueError and "
           "nothing is sent.")
      .def("__getitem__", &PyCamera::Get, py::arg("name"))
      .def("__setitem__", &PyCamera::Set, py::arg("name"), py::arg("value"))
      .def("read_all", &PyCamera::ReadAll, "Reads the 46 readable rows, in table order: a dict from name to value.")
      .def("save", &PyCamera::Save, py::arg("path"),
           "Reads all parameters and writes them as a settings file. The file is replaced whole or left as it "
           "was; anything but a regular file is refused (OSError) before the camera is read.")
      .def("load", &PyCamera::Load, py::arg("path"),
           "Opens a settings file and writes its write-all rows (21) to the camera, in table order. "
           "FileRefused for another program's file or a value outside its row's range (nothing is sent), "
           "OSError when it cannot be read.")
      .def("diff", &PyCamera::Diff, py::arg("path"), py::arg("rows") = "all",
           "Reads all parameters and compares them with a settings file: a dict from name to "
           "(camera_value, file_value) for each row that differs. rows=\"all\" compares every readable row; "
           "rows=\"written\" only the rows load() writes, so a file saved from another camera (its serial "
           "number, its unlock word) compares equal once loaded. Any other rows is a ValueError, before "
           "anything is read.")
      .def("info", &PyCamera::Info, "The camera's vendor, model, serial number and version (an Info).")
      .def("send", &PyCamera::Send, py::arg("text"),
           (std::string("Delivers a hand-typed request text, as the manual command dialog does.") + RequestTextDoc).c_str())
      .def("query", &PyCamera::Query, py::arg("text"),
           (std::string("Delivers a request text and returns the reply's six data characters: three value "
                        "bytes, each as two hexadecimal digits, high digit first, in the request's order.") +
            ValueBytesDoc + RequestTextDoc)
               .c_str())
      .def("detect", &PyCamera::Detect, py::arg("threshold") = py::none(), py::kw_only(), py::arg("timeout") = 60.0,
           "Runs a white-spot detection (after writing threshold, 0 to 255, when given) and, when it finished, "
           "returns its end message, \"Detect is finished.\". Any other end raises DetectionError, since the "
           "camera's list is then not this run's: end DetectionEnd.OVER (state 2, \"Number of detect is "
           "over.\") or DetectionEnd.ERROR (any other state, \"Detect error\"), state the camera's number. "
           "timeout is more than 0 and at most 86400 seconds (ValueError before anything is sent); "
           "TimeoutError when the detection is still running then.")
      .def("spots", &PyCamera::Spots, py::kw_only(), py::arg("earlier") = false,
           "The white-spot list: (x, y) pairs. After this camera's last detect() did not finish (it raised "
           "DetectionError, TimeoutError, CommError or KeyboardInterrupt), the camera's list is an earlier "
           "run's: EarlierSpotsError, and nothing is sent, unless earlier=True asks for that list all the same.")
      .def("check", &PyCamera::Check, py::arg("reads") = 20,
           "Times reads (1 to 1000, ValueError otherwise) of the gain level against the line and returns a "
           "LinkCheck: each read's time, the turn-around, retries, NAKs, line errors, what the system tells of "
           "the device, a verdict and plain advice. A failed read is reported in it, not raised.")
      .def("write_serial", &PyCamera::WriteSerial, py::arg("number"), py::kw_only(), py::arg("digits") = 7,
           py::arg("log") = "VQ-R310_AdjustData.csv",
           "Unlocks, checks and writes the serial number, then appends its row to the adjustment log. "
           "ValueError for a number that is not one of the chosen length; AdjustmentLogError (an OSError: "
           "errno and strerror the system's cause where it gave one, filename the log's full path) when the "
           "camera holds the number but the log row could not be written. The log is comma-separated text in "
           "Shift-JIS (code page 932) with CR LF line ends, as the adjustment bench's spreadsheets read it: "
           "its header (date and time, model, serial No., SUB voltage, standard sensitivity 1 and 2, in "
           "Japanese) when the file is empty, then one row per number, appended, never rewritten.")
      .def_property("trace", &PyCamera::Trace, &PyCamera::SetTrace,
                    "None, or a callable (direction, data, milliseconds) called for every run of bytes sent "
                    "(\">\") and received (\"<\"); milliseconds since the camera was opened. It runs inside the "
                    "camera's call and cannot use the camera itself.");
}

}  // namespace

PYBIND11_MODULE(_vqcam, m) {
  m.doc() = "The compiled part of vqcam; import vqcam instead.";
  VqcamErrors::SetModule(py::module_::import("vqcam"));
  m.attr("__version__") = VQ_VERSION;
  BindCamera(m);
  m.def("open", &Open, py::arg("device") = py::none(), py::kw_only(), py::arg("com") = py::none(),
        py::arg("baud") = 9600, py::arg("camera_link") = py::none(), py::arg("camera_link_port") = 0,
        "Opens the link to a camera: a serial device path (assigned to COM com, 1 by default), or COM com as "
        "the windowed program maps it, at baud 9600 or 115200; or camera_link, \"Euresys\", \"Matrox\" or a "
        "library path, on the board's serial port camera_link_port (0, the first, by default). Each camera "
        "has a link of its own. CommError when it cannot be opened, with the device or library, the system's "
        "reason and, for a device the user may not open, who may.");
  m.def("parameters", &Parameters, "The parameter table's 47 rows (Parameter records).");
  m.def("ports", &Ports,
        "The links open() can take: the serial devices the windowed program's setup dialog offers, with the COM "
        "number its settings assign to each, and the Camera Link libraries that load (Port records).");
  m.def("read_file", &ReadFile, py::arg("path"),
        "The 47 values of a settings file, by name. FileRefused for a file the program refuses, OSError when "
        "it cannot be read.");
  m.def("_code_names", &CodeNames);
  m.def("_code_message", [](int code) { return CommErrorState::ErrorText(static_cast<CommError>(code)); });
  // The package registers it with atexit, so it runs while other threads may still take the
  // interpreter's lock; the closing one runs once the interpreter is gone.
  m.def("_leave_calls_behind", &PyCamera::LeaveCallsBehind);
  if (Py_AtExit(&PyCamera::CloseLeftOpen) != 0) throw std::runtime_error("vqcam cannot close its ports at exit");
}
