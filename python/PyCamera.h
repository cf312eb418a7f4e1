// vqcam.Camera: one open link to a camera, driven from Python through the same document as vqctl.
#pragma once

#include <pybind11/pybind11.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>

#include "camera/CameraSession.h"
#include "camera/LinkChoice.h"
#include "python/InterruptObserver.h"

namespace py = pybind11;

// A path as the file system's bytes; ValueError for one with a NUL byte in it.
std::string PathArgument(const py::object& path);
// Values by the names scripts use, in table order.
py::dict AsDict(const std::vector<NamedValue>& values);

class PyCamera {
 public:
  // comGiven: the COM number the script named, if it named one.
  PyCamera(const LinkChoice& choice, std::optional<int> comGiven);
  ~PyCamera();
  PyCamera(const PyCamera&) = delete;
  PyCamera& operator=(const PyCamera&) = delete;

  void Close();
  bool Closed() const { return closed_; }
  // For `with`: a closed camera cannot start a block.
  PyCamera& Enter();
  std::string Repr() const;

  // What was opened, as read-only attributes: None where the link has no such thing.
  py::object Device() const;
  py::object Baud() const;
  py::object Com() const;
  py::object CameraLink() const;
  py::object CameraLinkPort() const;

  // The package's atexit hook, with the interpreter lock held: every other thread's call is stopped
  // and parked (it never returns), waited for a short bounded time, and its port closed.
  static void LeaveCallsBehind();
  // After the interpreter has ended: closes the ports of cameras no Python object closed, such as
  // those a parked or sleeping daemon thread still held.
  static void CloseLeftOpen();

  // name: a row's name as vqctl takes it, or its index as an int.
  int32_t Get(const py::object& name);
  void Set(const py::object& name, const py::object& value);
  py::dict ReadAll();
  void Save(const py::object& path);
  void Load(const py::object& path);
  // rows: "all" or "written".
  py::dict Diff(const py::object& path, const std::string& rows);
  py::object Info();
  void Send(const std::string& text);
  std::string Query(const std::string& text);
  std::string Detect(const std::optional<int64_t>& threshold, double timeoutSeconds);
  py::list Spots(bool earlier);
  py::object Check(int reads);
  void WriteSerial(const std::string& number, int digits, const py::object& log);

  py::object Trace() const { return trace_; }
  void SetTrace(const py::object& trace);

 private:
  class Use;

  // Runs an exchange with the interpreter released; Ctrl+C, then a trace callback's exception,
  // comes out after it.
  template <typename Exchange>
  auto Released(Exchange exchange) -> decltype(exchange());
  void TraceBytes(bool sent, const uint8_t* bytes, int32_t count);
  ParameterId Parameter(const py::object& name) const;
  // Closes the session when no thread is inside a call, or the one inside is parked for good.
  void CloseAtExit();

  // The operator's messages reach Python in the exceptions, never on a terminal.
  SilentOperatorOutput silent_;
  CameraSession session_{silent_};
  InterruptObserver interrupt_;
  LinkChoice choice_;
  std::optional<int> comGiven_;
  py::object trace_ = py::none();
  std::optional<py::error_already_set> traceError_;
  int64_t openedUs_ = 0;
  // Atomic: the exit hook closes a camera while other threads may look.
  std::atomic<bool> closed_{false};
  std::atomic<bool> inUse_{false};
  // The thread inside a call left it for good at the interpreter's end; the session is free.
  std::atomic<bool> parked_{false};
  std::atomic<std::thread::id> user_{};
};
