// The windowed program's entry point.
#include <QApplication>
#include <QFile>
#include <algorithm>

#include "app/CVQS90App.h"
#include "app/QtOperatorOutput.h"
#include "app/QtWaitObserver.h"
#include "camera/SettingsStore.h"
#include "platform/ProgramArguments.h"
#include "platform/StandardDescriptors.h"
#include "platform/StopSignals.h"
#include "platform/WindowEvents.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char Help[] =
    "usage: vq-r310ntx [FILE]\n"
    "Reads, changes and writes back the settings of a VQ-R310NTX camera over a serial port or a Camera Link\n"
    "grabber, and keeps them in \".vq\" settings files. It starts with \"Select Communication System\"\n"
    "(COM port and baud rate, or a Camera Link board), reads the camera and shows the control panel.\n"
    "  FILE        a settings file to open at start-up; its values are sent to the camera\n"
    "  --help      this text\n"
    "  --version   the program's version\n"
    "Started under the name \"QL7 engineering menu\" (a link or copy), it also offers the manual command\n"
    "dialog and the register command menu.\n"
#ifdef _WIN32
    "Registry:\n"
    "  HKEY_CURRENT_USER\\Software\\Norvane Imaging Ltd.\\VQ-R310NTX\n"
#else
    "Files:\n"
    "  ~/.config/Norvane Imaging Ltd./VQ-R310NTX.conf\n"
#endif
    "              the COM port mapping (group [Ports], keys COM1..COM10 with device paths), the last\n"
    "              port and the recent files\n";

// --help and --version are answered before any window system is needed.
bool AnswersAlone(int argc, char** argv, int& status) {
  if (argc != 2) return false;
  const char* text = nullptr;
  if (std::strcmp(argv[1], "--help") == 0) text = Help;
  if (std::strcmp(argv[1], "--version") == 0) text = "vq-r310ntx " VQ_VERSION "\n";
  if (text == nullptr) return false;
  UseParentConsole();
  status = std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 74;
  return true;
}

}  // namespace

// The one parameter set, created before the application object and destroyed after it; its
// destruction closes the link.
static CameraParameterSet theCameraParameters;

int main(int argc, char** argv) {
  EnsureStandardDescriptors();
  int status = 0;
  if (AnswersAlone(argc, argv, status)) return status;
  // The toolkit ends the process when it finds no display to open, or aborts it when the display does not
  // answer; asked first, the operator gets one line.
  if (const std::string why = WhyNoWindowSystem(); !why.empty()) {
    std::fprintf(stderr, "vq-r310ntx: no display to show the window on (%s); start it on a desktop, or under xvfb-run\n",
                 why.c_str());
    return 1;
  }
  StopSignals::Install();
  QApplication qapp(argc, argv);
  std::optional<std::string> storeWarning = GuardSettingsStore();
  if (storeWarning) std::fprintf(stderr, "vq-r310ntx: %s\n", storeWarning->c_str());
  QtOperatorOutput output;
  QtOperatorPrompts prompts;
  QtWaitObserver waiter;
  theCameraParameters.SetOperatorOutput(&output);
  theCameraParameters.SetWaitObserver(&waiter);
  // Qt has taken its own options out of argv; the rest stay bytes, since a file name need not be UTF-8.
  QByteArrayList arguments;
  for (const std::string& argument : ProgramArguments(argc, argv)) arguments.append(QByteArray::fromStdString(argument));
  QString programName = QFile::decodeName(argv[0]);
  {
    CVQS90App app({&theCameraParameters, &output, &prompts, programName, arguments, &waiter});
    status = app.InitInstance();
    if (status == 0) {
      output.SetMainFrame(app.MainFrame());
      status = QApplication::exec();
    }
  }
  theCameraParameters.SetOperatorOutput(nullptr);
  theCameraParameters.SetWaitObserver(nullptr);
  return status;
}
