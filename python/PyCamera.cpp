// vqcam.Camera's operations: the shared camera/ logic, with the interpreter released while the line is used.
#include "python/PyCamera.h"

#include "camera/LinkCheck.h"

#include "camera/ParameterNames.h"
#include "camera/ParameterTable.h"
#include "link/PortPaths.h"
#include "python/Errors.h"
#include "python/ScriptExit.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <mutex>
#include <set>

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

namespace {

// Every camera that is open, for the interpreter's end. Never destroyed: a parked thread or a late
// destructor must never meet it gone.
struct OpenCameras {
  std::mutex mutex;
  std::set<PyCamera*> cameras;
};
OpenCameras& Opened() {
  static auto* opened = new OpenCameras;
  return *opened;
}

// How long the exit hook waits for other threads' calls to reach their parking place: a stopped
// exchange ends within a slice, a Camera Link call as soon as it is left behind.
constexpr int64_t ExitWaitMs = 2000;
constexpr int64_t ExitPollMs = 5;

}  // namespace

namespace {

// What the port sees while a script's end closes it: nothing is waited for.
class LeavingObserver final : public WaitObserver {
 public:
  void ExchangeStarted(int64_t) override {}
  void ExchangeEnded() override {}
  void StillWaiting(int64_t) override {}
  bool StopRequested() const override { return true; }
  bool AbandonBlockedCalls() const override { return true; }
};

LeavingObserver leavingObserver;

}  // namespace

// One thread at a time: a second one gets an exception, never a garbled exchange. A trace callback
// runs inside the call on the caller's own thread, and is told so.
class PyCamera::Use {
 public:
  explicit Use(PyCamera& camera) : camera_(camera) {
    if (camera.closed_) throw py::value_error("the camera is closed");
    if (camera.inUse_.exchange(true)) {
      if (camera.user_.load() == std::this_thread::get_id()) {
        throw std::runtime_error("the camera cannot be used from its own trace callback, which runs inside a call");
      }
      throw std::runtime_error("the camera is in use by another thread");
    }
    // The exit hook may have closed it in between.
    if (camera.closed_) {
      camera.inUse_ = false;
      throw py::value_error("the camera is closed");
    }
    camera.user_ = std::this_thread::get_id();
  }
  ~Use() {
    camera_.user_ = std::thread::id();
    camera_.inUse_ = false;
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;

 private:
  PyCamera& camera_;
};

PyCamera::PyCamera(const LinkChoice& choice, std::optional<int> comGiven) : choice_(choice), comGiven_(comGiven) {
  openedUs_ = MonotonicClock::Instance().NowUs();
  session_.Parameters().SetByteTrace(
      [this](bool sent, const uint8_t* bytes, int32_t count) { TraceBytes(sent, bytes, count); });
  session_.Parameters().SetWaitObserver(&interrupt_);
  // Opened with the interpreter held: the COM-number table it goes through is the process's. A
  // grabber library's open that does not return is given up on Ctrl+C.
  Outcome opened = session_.Open(choice);
  if (interrupt_.StopRequested()) {
    closed_ = true;
    session_.Close();
    interrupt_.RaiseIfInterrupted();
  }
  // The library loaded but the board's port did not open: nothing could ever reach the camera.
  if (opened.Ok() && session_.BoardDidNotOpen()) {
    opened = Outcome::Comm(-CommError::PortNotOpen);
    opened.path = CameraLinkLibraryFor(*choice.cameraLink);
    opened.reason = LoadString(StringIds::BoardOpenError);
  }
  if (!opened.Ok()) {
    closed_ = true;
    session_.Close();
    VqcamErrors::RaiseFor(opened);
  }
  if (!choice_.cameraLink) choice_.device = DevicePathForPort(choice.com);
  std::lock_guard<std::mutex> lock(Opened().mutex);
  Opened().cameras.insert(this);
}

PyCamera::~PyCamera() {
  {
    std::lock_guard<std::mutex> lock(Opened().mutex);
    Opened().cameras.erase(this);
  }
  if (!closed_) session_.Close();
}

void PyCamera::CloseAtExit() {
  if (closed_) return;
  const bool owned = !inUse_.exchange(true);
  // A thread still inside the session, not yet parked: closing under it could corrupt it.
  if (!owned && !parked_) return;
  // The end of the script waits for no library: a close that does not return at once is left behind.
  session_.Parameters().SetWaitObserver(&leavingObserver);
  session_.Close();
  closed_ = true;
  if (owned) inUse_ = false;
}

void PyCamera::LeaveCallsBehind() {
  ScriptExit::Begin();
  py::gil_scoped_release released;
  MonotonicClock& clock = MonotonicClock::Instance();
  const int64_t until = clock.NowMs() + ExitWaitMs;
  for (;;) {
    bool settled = true;
    {
      std::lock_guard<std::mutex> lock(Opened().mutex);
      for (PyCamera* camera : Opened().cameras) settled = settled && (!camera->inUse_ || camera->parked_);
    }
    if (settled || clock.NowMs() >= until) break;
    clock.SleepUntilUs((clock.NowMs() + ExitPollMs) * 1000);
  }
  // Idle cameras stay open: a later exit handler on this thread may still use them.
  std::lock_guard<std::mutex> lock(Opened().mutex);
  for (PyCamera* camera : Opened().cameras) {
    if (camera->parked_) camera->CloseAtExit();
  }
}

void PyCamera::CloseLeftOpen() {
  std::lock_guard<std::mutex> lock(Opened().mutex);
  for (PyCamera* camera : Opened().cameras) camera->CloseAtExit();
}

void PyCamera::Close() {
  if (closed_) return;
  Use use(*this);
  // A grabber library's close that does not return is given up on Ctrl+C; the camera is closed either way.
  session_.Close();
  closed_ = true;
  interrupt_.RaiseIfInterrupted();
}

PyCamera& PyCamera::Enter() {
  if (closed_) throw py::value_error("the camera is closed");
  return *this;
}

std::string PyCamera::Repr() const {
  auto quoted = [](const std::string& text) { return py::repr(py::str(text)).cast<std::string>(); };
  std::string link = choice_.cameraLink
                         ? "camera_link=" + quoted(*choice_.cameraLink) + " camera_link_port=" + std::to_string(choice_.cameraLinkPort)
                         : "device=" + quoted(choice_.device.value_or(std::string())) + " com=" + std::to_string(choice_.com) +
                               " baud=" + std::to_string(choice_.baud);
  return "<vqcam.Camera " + link + (closed_ ? " closed>" : ">");
}

namespace {

// A name held as the file system's bytes, as Python's own os functions give it back.
py::object PathOrNone(const std::optional<std::string>& bytes) {
  if (!bytes) return py::none();
  return py::module_::import("os").attr("fsdecode")(py::bytes(*bytes));
}

}  // namespace

py::object PyCamera::Device() const { return choice_.cameraLink ? py::none() : PathOrNone(choice_.device); }

py::object PyCamera::Baud() const { return choice_.cameraLink ? py::none() : py::object(py::int_(choice_.baud)); }

py::object PyCamera::Com() const {
  return choice_.cameraLink || !comGiven_ ? py::none() : py::object(py::int_(*comGiven_));
}

py::object PyCamera::CameraLink() const { return PathOrNone(choice_.cameraLink); }

py::object PyCamera::CameraLinkPort() const {
  return choice_.cameraLink ? py::object(py::int_(choice_.cameraLinkPort)) : py::none();
}

template <typename Exchange>
auto PyCamera::Released(Exchange exchange) -> decltype(exchange()) {
  decltype(exchange()) result;
  {
    py::gil_scoped_release released;
    result = exchange();
    // The interpreter is ending: taking its lock back would end this thread by an unwinding that
    // cannot pass here, so the call never returns, as a daemon thread's never does at exit.
    if (ScriptExit::Leaving()) {
      parked_ = true;
      ScriptExit::Park();
    }
  }
  // Ctrl+C comes out as itself, whatever the call's own outcome.
  interrupt_.RaiseIfInterrupted();
  if (traceError_) {
    py::error_already_set error = std::move(*traceError_);
    traceError_.reset();
    throw error;
  }
  return result;
}

void PyCamera::TraceBytes(bool sent, const uint8_t* bytes, int32_t count) {
  if (ScriptExit::Leaving()) return;
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

ParameterId PyCamera::Parameter(const py::object& name) const {
  ParameterId id{};
  if (PyBool_Check(name.ptr())) throw py::type_error("a parameter is named by its name or its row index, not a bool");
  if (PyLong_Check(name.ptr())) {
    int overflow = 0;
    const long long index = PyLong_AsLongLongAndOverflow(name.ptr(), &overflow);
    if (overflow != 0 || index < 0 || index >= ParameterCount) throw py::key_error(py::repr(name).cast<std::string>());
    return static_cast<ParameterId>(index);
  }
  if (!PyUnicode_Check(name.ptr())) throw py::type_error("a parameter is named by its name (str) or its row index (int)");
  const std::string text = name.cast<std::string>();
  if (!FindParameter(text, id)) throw py::key_error(text);
  return id;
}

int32_t PyCamera::Get(const py::object& name) {
  Use use(*this);
  ParameterId id = Parameter(name);
  int32_t value = 0;
  VqcamErrors::RaiseFor(Released([&] { return session_.Get(id, value); }));
  return value;
}

void PyCamera::Set(const py::object& name, const py::object& value) {
  Use use(*this);
  ParameterId id = Parameter(name);
  // True would be written as 1: a script that meant a number says so.
  if (PyBool_Check(value.ptr()) || !PyLong_Check(value.ptr())) throw py::type_error("a parameter's value is an int");
  int overflow = 0;
  long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
  if (overflow != 0) number = overflow > 0 ? INT64_MAX : INT64_MIN;
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

py::dict PyCamera::Diff(const py::object& path, const std::string& rows) {
  Use use(*this);
  const std::string name = PathArgument(path);
  CameraSession::DiffRows which = CameraSession::DiffRows::All;
  if (rows == "written") {
    which = CameraSession::DiffRows::Written;
  } else if (rows != "all") {
    throw py::value_error("rows is \"all\" or \"written\", not " + py::repr(py::str(rows)).cast<std::string>());
  }
  std::vector<ValueDifference> differences;
  VqcamErrors::RaiseFor(Released([&] { return session_.Diff(name, differences, which); }));
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

std::string PyCamera::Detect(const std::optional<int64_t>& threshold, double timeoutSeconds) {
  Use use(*this);
  int state = 0;
  Outcome outcome = Released([&] { return session_.Detect(threshold, timeoutSeconds, state); });
  VqcamErrors::RaiseFor(outcome);
  // Raised, not returned: a script that ignores the result must not go on to read an earlier run's list.
  if (outcome.status == Outcome::Status::Differs) VqcamErrors::RaiseDetectionEnd(state, outcome.message);
  return outcome.message;
}

py::list PyCamera::Spots(bool earlier) {
  Use use(*this);
  std::vector<WhiteSpot::Spot> spots;
  VqcamErrors::RaiseFor(Released([&] { return session_.Spots(spots, earlier); }));
  py::list list;
  for (const WhiteSpot::Spot& spot : spots) list.append(py::make_tuple(spot.x, spot.y));
  return list;
}

py::object PyCamera::Check(int reads) {
  Use use(*this);
  if (reads < 1 || reads > MaxCheckExchanges) throw py::value_error("reads is 1 to " + std::to_string(MaxCheckExchanges));
  LinkCheckReport r;
  Released([&] {
    r = CheckLink(session_.Parameters(), reads);
    return 0;
  });
  const py::module_ vqcam = py::module_::import("vqcam");
  auto seconds = [](int64_t us) { return static_cast<double>(us) / 1e6; };
  auto text = [](const std::string& s) { return s.empty() ? py::object(py::none()) : py::object(py::str(s)); };
  py::object lowLatency = py::none();
  if (r.device.lowLatency != SerialDeviceFacts::LowLatency::Unknown) {
    lowLatency = py::bool_(r.device.lowLatency == SerialDeviceFacts::LowLatency::On);
  }
  std::string report;
  for (const std::string& line : LinkCheckLines(r)) report += line + "\n";
  py::list advice;
  for (const std::string& line : r.advice) advice.append(line);
  return vqcam.attr("LinkCheck")(
      VerdictName(r.verdict), r.exchanges, r.failures,
      r.failures > 0 ? vqcam.attr("Code")(CommErrors::Number(r.lastFailure)) : py::object(py::none()), r.retries,
      r.naksFromCamera, r.naksFromHost, r.lineErrors, r.cameraLink ? py::object(py::none()) : py::object(py::int_(r.baudRate)),
      seconds(r.lineUs), seconds(r.medianUs), seconds(r.worstUs), seconds(r.turnaroundMedianUs),
      seconds(r.turnaroundWorstUs), text(r.device.driver), text(r.device.adapter), lowLatency,
      r.device.latencyTimerMs >= 0 ? py::object(py::int_(r.device.latencyTimerMs)) : py::object(py::none()), advice,
      report);
}

void PyCamera::WriteSerial(const std::string& number, int digits, const py::object& log) {
  Use use(*this);
  AdjustmentLogTarget target;
  target.path = PathArgument(log);
  VqcamErrors::RaiseFor(Released([&] { return session_.WriteSerial(number, digits, target); }));
}
