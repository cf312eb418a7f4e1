// The windowed program as a user starts it from a shell.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "support/RunProgram.h"
#include "support/SimProcess.h"
#include "support/VirtualDisplay.h"

// Where there is no display the toolkit would end the process with a long hint, and where the named
// one does not answer it aborts; the program says so itself, in one line, and ends with status 1.
TEST(WindowProgram, WithoutADisplayItSaysSoInOneLine) {
  int unserved = 97;
  while (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(unserved)) || QFile::exists(QString("/tmp/.X%1-lock").arg(unserved))) {
    ++unserved;
  }
  const std::string nobody = ":" + std::to_string(unserved);
  const struct {
    std::vector<std::string> environment;
    std::string reason;
  } cases[] = {
      {{"-u", "DISPLAY"}, "(DISPLAY is not set)"},
      {{"DISPLAY=" + nobody}, "(the display " + nobody + " in DISPLAY does not answer)"},
      {{"DISPLAY=" + nobody, "QT_QPA_PLATFORM=xcb"}, "(the display " + nobody + " in DISPLAY does not answer)"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM"};
    args.insert(args.end(), c.environment.begin(), c.environment.end());
    args.push_back(VQ_WINDOW_PROGRAM);
    auto run = RunProgram("/usr/bin/env", args);
    EXPECT_EQ(run.status, 1) << c.reason << ": " << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.rfind("vq-r310ntx: no display", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
  }
}

// On a real X server, another program destroys the main window (no close request, no event the
// window can answer): the program says so and ends, letting the camera's port go.
TEST(WindowProgram, EndsWhenAnotherProgramDestroysItsMainWindow) {
  VirtualDisplay display;
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
  SimProcess sim;
  ASSERT_TRUE(sim.Start(VQ_CAMERA_SIM, {"--baud", "115200"}));
  QTemporaryDir home;
  QDir(home.path()).mkpath("config/Norvane Imaging Ltd.");
  QDir(home.path()).mkpath("runtime");
  QFile::setPermissions(home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QFile conf(home.filePath("config/Norvane Imaging Ltd./VQ-R310NTX.conf"));
  ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
  conf.write(("[Ports]\nCOM1=\"" + sim.PtyPath() + "\"\n").c_str());
  conf.close();
  const std::vector<std::string> environment = {
      "DISPLAY=" + display.Name(), "QT_QPA_PLATFORM=xcb", "XDG_CONFIG_HOME=" + home.filePath("config").toStdString(),
      "XDG_RUNTIME_DIR=" + home.filePath("runtime").toStdString(),
      "LSAN_OPTIONS=print_suppressions=0:suppressions=" VQ_THIRD_PARTY_LEAKS};

  // The operator's part, from another program: accept the setup dialog, then destroy the main window.
  std::thread outsider([&] {
    auto xdotool = [&](std::vector<std::string> args) {
      args.insert(args.begin(), {"20", "xdotool"});
      return RunProgram("/usr/bin/timeout", args, environment);
    };
    xdotool({"search", "--sync", "--onlyvisible", "--name", "^Select Communication System$", "key", "--window",
             "%1", "Return"});
    xdotool({"search", "--sync", "--onlyvisible", "--name", "^VQ-R310NTX", "windowclose"});
  });
  // Through timeout(1), so that a program that never ends fails the test instead of hanging it.
  auto run = RunProgram("/usr/bin/timeout", {"30", VQ_WINDOW_PROGRAM}, environment);
  outsider.join();
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "vq-r310ntx: the main window was destroyed from outside; the program ends\n");
}
