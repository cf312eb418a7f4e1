// The windowed program's entry point.
#include <QApplication>
#include <QFile>
#include <algorithm>

#include "app/CVQS90App.h"
#include "app/QtOperatorOutput.h"
#include "link/StopSignals.h"

// The one parameter set, created before the application object and destroyed after it; its
// destruction closes the link.
static CameraParameterSet theCameraParameters;

int main(int argc, char** argv) {
  StopSignals::Install();
  QApplication qapp(argc, argv);
  QtOperatorOutput output;
  QtOperatorPrompts prompts;
  theCameraParameters.SetOperatorOutput(&output);
  // Qt has taken its own options out of argv; the rest stay bytes, since a file name need not be UTF-8.
  QByteArrayList arguments(argv + std::min(argc, 1), argv + argc);
  QString programName = QFile::decodeName(argv[0]);
  int status = 0;
  {
    CVQS90App app({&theCameraParameters, &output, &prompts, programName, arguments});
    status = app.InitInstance();
    if (status == 0) {
      output.SetMainFrame(app.MainFrame());
      status = QApplication::exec();
    }
  }
  theCameraParameters.SetOperatorOutput(nullptr);
  return status;
}
