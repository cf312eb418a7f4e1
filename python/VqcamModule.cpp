// The vqcam module: the camera from Python, over the same parameter set, document and files as vqctl.
#include <pybind11/pybind11.h>
#include <pybind11/eval.h>
#include <pybind11/stl.h>

#include "camera/CameraSession.h"
#include "camera/SettingsStore.h"
#include "camera/ParameterTable.h"
#include "python/Errors.h"
#include "python/ModuleParts.h"
#include "python/PyCamera.h"

namespace {

const char ModuleDoc[] =
    "The VQ-R310NTX camera from Python.\n\n"
    "    import vqcam\n"
    "    with vqcam.open(\"/dev/ttyUSB0\") as camera:\n"
    "        camera[\"GainLevel\"] = 300\n"
    "        print(camera.read_all())\n\n"
    "Every exchange is the one vqctl and the windowed program make: the same bytes, retries and messages.\n"
    "Exchanges release the interpreter lock, so cameras on several ports can be driven from several\n"
    "threads at once; one Camera is used by one thread at a time.";

const char CameraDoc[] =
    "An open link to one camera; made by vqcam.open(). A context manager: leaving the block closes it.\n\n"
    "Use one Camera from one thread at a time (a second thread gets RuntimeError). Failures of the line\n"
    "raise CommError with the operator's message; a closed camera raises ValueError.";

std::unique_ptr<PyCamera> Open(const py::object& device, const py::object& com, int baud, const py::object& cameraLink,
                               int cameraLinkPort) {
  if (std::optional<std::string> warning = GuardSettingsStore()) {
    if (PyErr_WarnEx(PyExc_UserWarning, warning->c_str(), 1) < 0) throw py::error_already_set();
  }
  LinkChoice choice;
  if (!device.is_none()) choice.device = PathArgument(device);
  if (!com.is_none()) choice.com = com.cast<int>();
  choice.baud = baud;
  if (!cameraLink.is_none()) choice.cameraLink = cameraLink.cast<std::string>();
  choice.cameraLinkPort = cameraLinkPort;
  return std::make_unique<PyCamera>(choice);
}

py::list Parameters() {
  py::object record = py::module_::import("vqcam").attr("Parameter");
  py::list rows;
  for (const ParameterRow& row : ParameterRows()) {
    rows.append(record(row.name, row.index, row.minimum, row.maximum, row.defaultValue, row.writeAll, row.readAll));
  }
  return rows;
}

py::dict ReadFile(const py::object& path) {
  const std::string name = PathArgument(path);
  SilentOperatorOutput silent;
  std::vector<NamedValue> values;
  VqcamErrors::RaiseFor(ReadSettingsValues(name, silent, values));
  return AsDict(values);
}

void BindCamera(py::module_& m) {
  py::class_<PyCamera>(m, "Camera", CameraDoc)
      .def("close", &PyCamera::Close, "Closes the port (or the Camera Link channel); a second close does nothing.")
      .def_property_readonly("closed", &PyCamera::Closed, "Whether close() has been called.")
      .def("__enter__", [](PyCamera& c) -> PyCamera& { return c; }, py::return_value_policy::reference)
      .def("__exit__", [](PyCamera& c, const py::args&) { c.Close(); })
      .def("get", &PyCamera::Get, py::arg("name"),
           "Reads one parameter from the camera. name as vqctl takes it: \"GainLevel\" in any case, "
           "\"ParamGainLevel\" or the row index as text. KeyError for an unknown name.")
      .def("set", &PyCamera::Set, py::arg("name"), py::arg("value"),
           "Writes one parameter. A value outside the row's range raises ValueError and nothing is sent.")
      .def("__getitem__", &PyCamera::Get, py::arg("name"))
      .def("__setitem__", &PyCamera::Set, py::arg("name"), py::arg("value"))
      .def("read_all", &PyCamera::ReadAll,
           "Reads the 46 readable rows, in table order: a dict from name to value.")
      .def("save", &PyCamera::Save, py::arg("path"),
           "Reads all parameters and writes them as a settings file. The file is replaced whole or left as it "
           "was; anything but a regular file is refused (OSError) before the camera is read.")
      .def("load", &PyCamera::Load, py::arg("path"),
           "Opens a settings file and writes its write-all rows (21) to the camera. FileRefused for another "
           "program's file, OSError when it cannot be read.")
      .def("diff", &PyCamera::Diff, py::arg("path"),
           "Reads all parameters and compares them with a settings file: a dict from name to "
           "(camera_value, file_value) for each row that differs.")
      .def("info", &PyCamera::Info, "The camera's vendor, model, serial number and version (an Info).")
      .def("send", &PyCamera::Send, py::arg("text"),
           "Delivers a hand-typed request text (letters in capitals), as the manual command dialog does.")
      .def("query", &PyCamera::Query, py::arg("text"),
           "Delivers a request text and returns the reply's six data characters.")
      .def("detect", &PyCamera::Detect, py::arg("threshold") = py::none(), py::kw_only(), py::arg("timeout") = 60.0,
           "Runs a white-spot detection (after writing threshold, 0 to 255, when given) and returns its end "
           "message. TimeoutError when it is still running after timeout seconds.")
      .def("spots", &PyCamera::Spots, "The white-spot list: (x, y) pairs.")
      .def("write_serial", &PyCamera::WriteSerial, py::arg("number"), py::kw_only(), py::arg("digits") = 7,
           py::arg("log") = "VQ-R310_AdjustData.csv",
           "Unlocks, checks and writes the serial number, then appends its row to the adjustment log. "
           "ValueError for a number that is not one of the chosen length.")
      .def_property("trace", &PyCamera::Trace, &PyCamera::SetTrace,
                    "None, or a callable (direction, data, milliseconds) called for every run of bytes sent "
                    "(\">\") and received (\"<\"); milliseconds since the camera was opened.");
}

}  // namespace

PYBIND11_MODULE(vqcam, m) {
  m.doc() = ModuleDoc;
  m.attr("_BUILD_TREE_SIMULATOR") = VqcamBuildTreeSimulator;
  py::exec(VqcamPythonParts, m.attr("__dict__"));
  VqcamErrors::SetModule(m);
  m.attr("__version__") = VQ_VERSION;
  BindCamera(m);
  m.def("open", &Open, py::arg("device") = py::none(), py::kw_only(), py::arg("com") = py::none(),
        py::arg("baud") = 9600, py::arg("camera_link") = py::none(), py::arg("camera_link_port") = 0,
        "Opens the link to a camera: a serial device path (assigned to COM com, 1 by default), or COM com as "
        "the windowed program maps it, at baud 9600 or 115200; or camera_link, \"Euresys\", \"Matrox\" or a "
        "library path, on the board's serial port camera_link_port (0, the first, by default). Each camera "
        "has a link of its own. CommError when it cannot be opened.");
  m.def("parameters", &Parameters, "The parameter table's 47 rows (Parameter records).");
  m.def("read_file", &ReadFile, py::arg("path"),
        "The 47 values of a settings file, by name. FileRefused for a file the program refuses, OSError when "
        "it cannot be read.");
}
