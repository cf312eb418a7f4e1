// Drags the gain slider through 500 positions against the simulated camera on a line paced at
// 115200 baud, one camera write per position, and compares the time with the bytes' time on the line.
#include <QApplication>
#include <QScrollBar>
#include <chrono>
#include <cstdio>

#include "app/QtWaitObserver.h"
#include "camera/CVQS90Doc.h"
#include "link/PortPaths.h"
#include "panel/CVQS90View.h"
#include "resources/PanelIds.h"
#include "support/SimProcess.h"

namespace {

constexpr int Baud = 115200;
constexpr int Positions = 500;
constexpr int WriteExchangeBytes = 21;  // ENQ, ACK, 18-byte frame, ACK

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qapp(argc, argv);
  SimProcess sim;
  if (!sim.Start(VQ_CAMERA_SIM, {"--baud", std::to_string(Baud)})) return 1;
  AssignPortPath(1, sim.PtyPath());
  // As the windowed program runs it: exchanges wait through the window-keeping observer.
  QtWaitObserver waiter;
  CameraParameterSet parameters;
  parameters.SetWaitObserver(&waiter);
  if (parameters.OpenSerialDefault(1, Baud) != 0) return 1;
  CVQS90Doc doc(parameters);
  CVQS90View view;
  view.AttachDocument(&doc);
  auto* bar = static_cast<QScrollBar*>(view.Control(PanelIds::GainBar));

  double start = Seconds();
  bar->setSliderDown(true);
  for (int i = 1; i <= Positions; ++i) bar->setSliderPosition(i);
  double elapsed = Seconds() - start;
  bar->setSliderDown(false);

  bool reached = bar->value() == Positions && doc.GetCameraValue(ParamGainLevel) == Positions;
  double line = static_cast<double>(Positions) * WriteExchangeBytes * 10 / Baud;
  std::printf("slider drag 115200: %d positions, %.3f s, line %.3f s, ratio %.3f%s\n", Positions, elapsed, line,
              elapsed / line, reached ? "" : " (FAILED: the camera did not follow)");
  return reached ? 0 : 1;
}
