// The largest gap in the operator thread's event processing while the camera is waited for, seen by
// a 10 ms probe timer: during a read-all at 9600 and during a read the camera acknowledges but never
// answers (four attempts of 4 s).
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/QtWaitObserver.h"
#include "camera/CVQS90Doc.h"
#include "link/PortPaths.h"
#include "support/SimProcess.h"

namespace {

constexpr int ProbeMs = 10;
constexpr double TargetMs = 50;

double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs the operation with the probe ticking; prints and returns whether the largest gap met the target.
bool Measure(const char* name, const std::vector<std::string>& simArgs, const std::function<int32_t(CVQS90Doc&)>& op,
             bool expectSuccess) {
  SimProcess sim;
  if (!sim.Start(VQ_CAMERA_SIM, simArgs)) return false;
  AssignPortPath(1, sim.PtyPath());
  QtWaitObserver waiter;
  CameraParameterSet parameters;
  parameters.SetWaitObserver(&waiter);
  if (parameters.OpenSerialDefault(1, 9600) != 0) return false;
  CVQS90Doc doc(parameters);
  QWidget window;
  window.resize(400, 300);
  window.show();
  QApplication::processEvents();

  double last = NowMs();
  double largest = 0;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    double now = NowMs();
    largest = std::max(largest, now - last);
    last = now;
  });
  probe.start(ProbeMs);
  double start = NowMs();
  last = start;
  int32_t result = op(doc);
  double end = NowMs();
  largest = std::max(largest, end - last);
  probe.stop();
  bool ok = (result >= 0) == expectSuccess;
  std::printf("wait %s: %.3f s, largest gap in event processing %.1f ms (probe %d ms, target %.0f ms)%s\n", name,
              (end - start) / 1000, largest, ProbeMs, TargetMs, ok ? "" : " (FAILED: unexpected result)");
  std::fflush(stdout);
  return ok && largest <= TargetMs;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qapp(argc, argv);
  bool met = Measure("read-all 9600", {"--baud", "9600"}, [](CVQS90Doc& doc) { return doc.ReadAllCameraValues(); },
                     true);
  met = Measure("no-reply read 9600", {"--baud", "9600", "--missing-replies", "-1"},
                [](CVQS90Doc& doc) { return doc.ReadCameraValue(ParamGainLevel); }, false) &&
        met;
  std::printf("targets: %s\n", met ? "met" : "MISSED");
  return met ? 0 : 1;
}
