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

// Where there is no display the toolkit would abort the process with a long hint; the program says
// so itself, in one line, and ends with status 1.
TEST(WindowProgram, WithoutADisplayItSaysSoInOneLine) {
  auto run = RunProgram("/usr/bin/env",
                        {"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", VQ_WINDOW_PROGRAM});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_EQ(run.err.rfind("vq-r310ntx: no display", 0), 0u) << run.err;
  EXPECT_TRUE(run.out.empty());
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
