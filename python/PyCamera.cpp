// vqcam.Camera's operations: the shared camera/ logic, with the interpreter released while the line is used.
#include "python/PyCamera.h"

#include "camera/CameraQueries.h"
#include "camera/ParameterNames.h"
#include "camera/ParameterTable.h"
#include "camera/SerialNumberWriter.h"
#include "camera/WhiteSpotList.h"
#include "camera/WhiteSpotRun.h"
#include "link/Framing.h"
#include "python/Errors.h"

using VqcamErrors::RaiseCommError;

namespace {

QByteArray PathBytes(const py::object& path) {
  py::bytes bytes = py::module_::import("os").attr("fsencode")(path);
  return QByteArray::fromStdString(bytes);
}

}  // namespace

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
  if (std::optional<std::string> error = LinkChoiceError(choice)) throw py::value_error(*error);
  parameters_.SetOperatorOutput(&output_);
  openedUs_ = MonotonicClock::Instance().NowUs();
  parameters_.SetByteTrace([this](bool sent, const uint8_t* bytes, int32_t count) { TraceBytes(sent, bytes, count); });
  // Opened with the interpreter held: the COM-number table it goes through is the process's.
  int32_t result = OpenChosenLink(parameters_, choice);
  if (result < 0) {
    closed_ = true;
    parameters_.Close();
    RaiseCommError(result);
  }
  // The board did not open, yet the library did: the camera is used all the same, and every exchange
  // will say what went wrong.
  if (output_.Last() == "Board Open Error") PyErr_WarnEx(PyExc_UserWarning, "Board Open Error", 1);
}

PyCamera::~PyCamera() {
  if (!closed_) parameters_.Close();
}

void PyCamera::Close() {
  if (closed_) return;
  Use use(*this);
  parameters_.Close();
  closed_ = true;
}

template <typename Exchange>
auto PyCamera::Released(Exchange exchange) -> decltype(exchange()) {
  output_.Clear();
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
  int32_t result = Released([&] { return document_.ReadCameraValue(id); });
  if (result < 0) RaiseCommError(result);
  return document_.GetCameraValue(id);
}

void PyCamera::Set(const std::string& name, const py::int_& value) {
  Use use(*this);
  ParameterId id = Parameter(name);
  long long number = value.cast<long long>();
  // A Python int may be any size; what the range check sees must be the number asked for.
  int32_t checked = number < 0 ? -1 : (number > 0xFFFFFF ? 0x1000000 : static_cast<int32_t>(number));
  if (std::optional<std::string> refusal = RangeRefusal(id, checked)) throw py::value_error(*refusal);
  int32_t result = Released([&] { return document_.WriteCameraValue(id, checked); });
  if (result < 0) RaiseCommError(result);
}

py::dict PyCamera::ReadAll() {
  Use use(*this);
  int32_t result = Released([&] { return document_.ReadAllCameraValues(); });
  if (result < 0) RaiseCommError(result);
  py::dict values;
  for (int i = 0; i <= LastReadableRow; ++i) {
    auto id = static_cast<ParameterId>(i);
    values[ParameterTable::Identifier(id)] = document_.GetCameraValue(id);
  }
  return values;
}

void PyCamera::RaiseFileFailure(const std::string& message) const {
  if (document_.LastFileError() != 0) VqcamErrors::RaiseOsError(document_.LastFileError(), message);
  VqcamErrors::RaiseFileRefused(message);
}

void PyCamera::Save(const py::object& path) {
  Use use(*this);
  QByteArray name = PathBytes(path);
  output_.Clear();
  // Refused before the camera is read, as vqctl does: that read would be for nothing.
  if (!document_.CanSaveTo(name)) VqcamErrors::RaiseOsError(document_.LastFileError(), output_.Last());
  int32_t result = Released([&] { return document_.ReadAllCameraValues(); });
  if (result < 0) RaiseCommError(result);
  if (!document_.OnSaveDocument(name)) VqcamErrors::RaiseOsError(document_.LastFileError(), output_.Last());
}

void PyCamera::Load(const py::object& path) {
  Use use(*this);
  QByteArray name = PathBytes(path);
  bool opened = Released([&] { return document_.OnOpenDocument(name); });
  if (!opened) RaiseFileFailure(output_.Last());
  if (document_.LastSendResult() < 0) RaiseCommError(document_.LastSendResult());
}

py::dict PyCamera::Diff(const py::object& path) {
  Use use(*this);
  SettingsFile::Values values{};
  SettingsFileRead read = ReadSettingsFile(PathBytes(path).toStdString(), values);
  if (read.status == SettingsFileRead::Status::Unreadable) VqcamErrors::RaiseOsError(read.error, read.message);
  if (read.status == SettingsFileRead::Status::Refused) VqcamErrors::RaiseFileRefused(read.message);
  if (read.status == SettingsFileRead::Status::Empty) VqcamErrors::RaiseFileRefused("the file holds no values");
  int32_t result = Released([&] { return document_.ReadAllCameraValues(); });
  if (result < 0) RaiseCommError(result);
  py::dict differences;
  for (const ValueDifference& d : CompareWithFile(document_, values)) {
    differences[ParameterTable::Identifier(d.id)] = py::make_tuple(d.camera, d.file);
  }
  return differences;
}

py::object PyCamera::Info() {
  Use use(*this);
  CameraInfo info;
  int32_t result = Released([&] { return ReadCameraInfo(document_, info); });
  if (result < 0) RaiseCommError(result);
  return py::module_::import("vqcam").attr("Info")(info.vendorName, info.modelName, info.serialNumber, info.version);
}

void PyCamera::Send(const std::string& text) {
  Use use(*this);
  int32_t result = Released([&] { return parameters_.SendFrame(AsTyped(text)); });
  if (result < 0) RaiseCommError(result);
}

std::string PyCamera::Query(const std::string& text) {
  Use use(*this);
  char reply[Framing::FrameBufferSize] = {};
  int32_t result = Released([&] { return parameters_.Transact(AsTyped(text), reply); });
  if (result < 0) RaiseCommError(result);
  return reply;
}

std::string PyCamera::Detect(const std::optional<int32_t>& threshold, double timeoutSeconds) {
  Use use(*this);
  if (threshold && RangeRefusal(ParamWhiteSpotThreshold, *threshold)) throw py::value_error("the threshold is 0 to 255");
  if (!(timeoutSeconds >= 0)) throw py::value_error("the timeout is a number of seconds, 0 or more");
  DetectionOutcome outcome = Released([&] {
    return RunDetection(document_, threshold ? &*threshold : nullptr, static_cast<int64_t>(timeoutSeconds * 1e6));
  });
  if (outcome.result < 0) RaiseCommError(outcome.result);
  if (outcome.timedOut) {
    PyErr_SetString(PyExc_TimeoutError, "the detection did not finish in time");
    throw py::error_already_set();
  }
  return WhiteSpot::EndMessage(outcome.state);
}

py::list PyCamera::Spots() {
  Use use(*this);
  int32_t failure = 0;
  std::vector<WhiteSpot::Spot> spots = Released([&] { return WhiteSpot::ReadSpots(parameters_, &failure); });
  if (failure < 0) RaiseCommError(failure);
  py::list list;
  for (const WhiteSpot::Spot& spot : spots) list.append(py::make_tuple(spot.x, spot.y));
  return list;
}

void PyCamera::WriteSerial(const std::string& number, int digits, const py::object& log) {
  Use use(*this);
  if (digits != 7 && digits != 8) throw py::value_error("digits is 7 or 8");
  AdjustmentLogTarget target;
  target.path = PathBytes(log).toStdString();
  SerialWriteResult result = Released([&] { return WriteSerialNumber(document_, number, digits == 8 ? 1 : 0, target); });
  switch (result.status) {
    case SerialWriteStatus::Written:
      // The row is in the log; a field the camera did not give holds the value stored before.
      if (result.error < 0) RaiseCommError(result.error);
      return;
    case SerialWriteStatus::NotUnlocked:
    case SerialWriteStatus::WordFailed: RaiseCommError(result.error);
    case SerialWriteStatus::Refused: throw py::value_error(output_.Last());
    case SerialWriteStatus::LogNotWritten: VqcamErrors::RaiseOsError(0, output_.Last());
  }
}
