// Starts the windowed program's start-up against a given serial device, as OPEN on COM1 at 115200
// would, and reports when the main window is on screen, with the resident memory at that moment.
#include <QApplication>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/CVQS90App.h"
#include "app/QtWaitObserver.h"
#include "support/ResidentMemory.h"
#include "support/ScriptedPrompts.h"
#include "link/PortPaths.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  QApplication qapp(argc, argv);
  AssignPortPath(1, argv[1]);
  QtWaitObserver waiter;
  CameraParameterSet parameters;
  parameters.SetWaitObserver(&waiter);
  ScriptedPrompts prompts;
  prompts.setup.link.baud = 115200;  // COM1 at 115200
  int status = 0;
  {
    CVQS90App app({&parameters, &StreamOperatorOutput::Stderr(), &prompts, QStringLiteral("vq-r310ntx"), {}, &waiter});
    status = app.InitInstance();
    QApplication::processEvents();
    std::printf("shown %ld\n", ResidentKilobytes());
    std::fflush(stdout);
  }
  return status;
}
