// The windowed program's entry point.
#include <QApplication>

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
  QStringList arguments = QApplication::arguments();
  QString programName = arguments.isEmpty() ? QString() : arguments.takeFirst();
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
