// vqcam.Camera's operations: the shared camera/ logic, with the interpreter released while the line is used.
#include "python/PyCamera.h"

#include "camera/ParameterNames.h"
#include "camera/ParameterTable.h"
#include "python/Errors.h"


std::string PathArgument(const py::object& path) {
  std::string bytes = py::bytes(py::module_::import("os").attr("fsencode")(path));
  // The system would end the name at the NUL and reach another file, as Python's own open() refuses to.
  if (bytes.find('\0') != std::string::npos) throw py::value_error("embedded null byte");
  return bytes;
}

py::dict AsDict(const std::vector<NamedValue>& values) {
  py::dict named;
  for (const NamedValue& v : values) named[py::str(v.name)] = v.value;
  return named;
}

// One thread at a time: a second one gets an exception, never a garbled exchange.
class PyCamera::Use {
 public:
  explicit Use(PyCamera& camera) : camera_(camera) {
    if (camera.closed_) throw py::value_error("the camera is closed");
    if (camera.inUse_.exchange(true)) throw std::runtime_error("the camera is in use by another thread");
  }
  ~Use() { camera_.inUse_ = false; }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;

 private:
  PyCamera& camera_;
};

PyCamera::PyCamera(const LinkChoice& choice) {
  openedUs_ = MonotonicClock::Instance().NowUs();
  session_.Parameters().SetByteTrace(
      [this](bool sent, const uint8_t* bytes, int32_t count) { TraceBytes(sent, bytes, count); });
  // Opened with the interpreter held: the COM-number table it goes through is the process's.
  Outcome opened = session_.Open(choice);
  if (!opened.Ok()) {
    closed_ = true;
    session_.Close();
    VqcamErrors::RaiseFor(opened);
  }
  // The board did not open, yet the library did: the camera is used all the same, and every exchange
  // will say what went wrong.
  if (session_.BoardDidNotOpen()) PyErr_WarnEx(PyExc_UserWarning, "Board Open Error", 1);
}

PyCamera::~PyCamera() {
  if (!closed_) session_.Close();
}

void PyCamera::Close() {
  if (closed_) return;
  Use use(*this);
  session_.Close();
  closed_ = true;
}

template <typename Exchange>
auto PyCamera::Released(Exchange exchange) -> decltype(exchange()) {
  decltype(exchange()) result;
  {
    py::gil_scoped_release released;
    result = exchange();
  }
  if (traceError_) {
    py::error_already_set error = std::move(*traceError_);
    traceError_.reset();
    throw error;
  }
  return result;
}

void PyCamera::TraceBytes(bool sent, const uint8_t* bytes, int32_t count) {
  py::gil_scoped_acquire acquired;
  if (trace_.is_none() || traceError_) return;
  double ms = static_cast<double>(MonotonicClock::Instance().NowUs() - openedUs_) / 1000.0;
  try {
    trace_(sent ? ">" : "<", py::bytes(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count)), ms);
  } catch (py::error_already_set& error) {
    traceError_ = std::move(error);
  }
}

void PyCamera::SetTrace(const py::object& trace) {
  if (!trace.is_none() && !PyCallable_Check(trace.ptr())) throw py::type_error("trace is None or a callable");
  trace_ = trace;
}

ParameterId PyCamera::Parameter(const std::string& name) const {
  ParameterId id{};
  if (!FindParameter(name, id)) throw py::key_error(name);
  return id;
}

int32_t PyCamera::Get(const std::string& name) {
  Use use(*this);
  ParameterId id = Parameter(name);
  int32_t value = 0;
  VqcamErrors::RaiseFor(Released([&] { return session_.Get(id, value); }));
  return value;
}

void PyCamera::Set(const std::string& name, const py::int_& value) {
  Use use(*this);
  ParameterId id = Parameter(name);
  const long long number = value.cast<long long>();
  VqcamErrors::RaiseFor(Released([&] { return session_.Set(id, number); }));
}

py::dict PyCamera::ReadAll() {
  Use use(*this);
  std::vector<NamedValue> values;
  VqcamErrors::RaiseFor(Released([&] { return session_.ReadAll(values); }));
  return AsDict(values);
}

void PyCamera::Save(const py::object& path) {
  Use use(*this);
  const std::string name = PathArgument(path);
  VqcamErrors::RaiseFor(Released([&] { return session_.Save(name); }));
}

void PyCamera::Load(const py::object& path) {
  Use use(*this);
  const std::string name = PathArgument(path);
  VqcamErrors::RaiseFor(Released([&] { return session_.Load(name); }));
}

py::dict PyCamera::Diff(const py::object& path) {
  Use use(*this);
  const std::string name = PathArgument(path);
  std::vector<ValueDifference> differences;
  VqcamErrors::RaiseFor(Released([&] { return session_.Diff(name, differences); }));
  py::dict found;
  for (const ValueDifference& d : differences) found[ParameterTable::Identifier(d.id)] = py::make_tuple(d.camera, d.file);
  return found;
}

py::object PyCamera::Info() {
  Use use(*this);
  CameraInfo info;
  VqcamErrors::RaiseFor(Released([&] { return session_.Info(info); }));
  return py::module_::import("vqcam").attr("Info")(info.vendorName, info.modelName, info.serialNumber, info.version);
}

void PyCamera::Send(const std::string& text) {
  Use use(*this);
  VqcamErrors::RaiseFor(Released([&] { return session_.Send(text); }));
}

std::string PyCamera::Query(const std::string& text) {
  Use use(*this);
  std::string reply;
  VqcamErrors::RaiseFor(Released([&] { return session_.Query(text, reply); }));
  return reply;
}

std::string PyCamera::Detect(const std::optional<int32_t>& threshold, double timeoutSeconds) {
  Use use(*this);
  std::optional<int64_t> asked;
  if (threshold) asked = *threshold;
  int state = 0;
  Outcome outcome = Released([&] { return session_.Detect(asked, timeoutSeconds, state); });
  VqcamErrors::RaiseFor(outcome);
  return outcome.message;
}

py::list PyCamera::Spots() {
  Use use(*this);
  std::vector<WhiteSpot::Spot> spots;
  VqcamErrors::RaiseFor(Released([&] { return session_.Spots(spots); }));
  py::list list;
  for (const WhiteSpot::Spot& spot : spots) list.append(py::make_tuple(spot.x, spot.y));
  return list;
}

void PyCamera::WriteSerial(const std::string& number, int digits, const py::object& log) {
  Use use(*this);
  AdjustmentLogTarget target;
  target.path = PathArgument(log);
  VqcamErrors::RaiseFor(Released([&] { return session_.WriteSerial(number, digits, target); }));
}
