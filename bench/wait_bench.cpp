// The largest gap in the operator thread's event processing while the camera is waited for, seen by
// a probe event that posts itself again each time it is handled (a timer would be held while the
// command runs): during a read-all at 9600 and during a read the camera acknowledges but never answers
// (four attempts of 4 s).
#include <QApplication>
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

constexpr double TargetMs = 50;

double NowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Handled once in every pass of the event loop while it runs; notes the longest time between passes.
class PassProbe : public QObject {
 public:
  PassProbe() {
    last_ = NowMs();
    Post();
  }
  double Stop() {
    running_ = false;
    largest_ = std::max(largest_, NowMs() - last_);
    return largest_;
  }

 protected:
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    if (!running_) return true;
    const double now = NowMs();
    largest_ = std::max(largest_, now - last_);
    last_ = now;
    Post();
    return true;
  }

 private:
  void Post() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }
  bool running_ = true;
  double last_ = 0;
  double largest_ = 0;
};

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

  const double start = NowMs();
  PassProbe probe;
  int32_t result = op(doc);
  const double end = NowMs();
  const double largest = probe.Stop();
  bool ok = (result >= 0) == expectSuccess;
  std::printf("wait %s: %.3f s, largest gap in event processing %.1f ms (target %.0f ms)%s\n", name,
              (end - start) / 1000, largest, TargetMs, ok ? "" : " (FAILED: unexpected result)");
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
