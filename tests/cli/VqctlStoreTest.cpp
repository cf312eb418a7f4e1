// vqctl reads its COM port assignments from the settings store as the windowed program writes them,
// without the toolkit: devices under names a store has to quote or escape reach the simulated camera.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include "support/RunProgram.h"
#include "support/SimProcess.h"

namespace {

class VqctlStore : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sim.Start(VQ_CAMERA_SIM, {"--baud", "115200"})); }

  // A name for the simulator's terminal in the test's folder.
  std::string Link(const std::string& name) {
    const std::string path = dir.path().toStdString() + "/" + name;
    EXPECT_EQ(symlink(sim.PtyPath().c_str(), path.c_str()), 0) << path;
    return path;
  }

  // The store as QSettings writes it (the setup dialog's StorePortAssignment), in the file it uses.
  void Assign(const std::string& file, int port, const std::string& path) {
    QDir().mkpath(dir.filePath("config/Norvane Imaging Ltd."));
    QSettings settings(dir.filePath(QString::fromStdString(file)), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Ports/COM%1").arg(port), QString::fromStdString(path));
  }

  ProgramResult Get(int port, const std::vector<std::string>& environment = {}) {
    std::vector<std::string> env{"XDG_CONFIG_HOME=" + dir.filePath("config").toStdString(),
                                 "XDG_CONFIG_DIRS=" + dir.filePath("system").toStdString()};
    env.insert(env.end(), environment.begin(), environment.end());
    return RunProgram(VQ_VQCTL, {"--com", std::to_string(port), "--baud", "115200", "get", "GainLevel"}, env);
  }

  SimProcess sim;
  QTemporaryDir dir;
};

constexpr const char* Store = "config/Norvane Imaging Ltd./VQ-R310NTX.conf";

}  // namespace

TEST_F(VqctlStore, ADeviceUnderAnyNameTheStoreHoldsIsReached) {
  const char* names[] = {"usb serial", " leading blank", "trailing blank ", "a,b", "a;b", "a=b", "say \"cam\"",
                         "back\\slash", "caméra-日本", "@at", "tab\there"};
  int port = 1;
  for (const char* name : names) {
    SCOPED_TRACE(name);
    const std::string device = Link(name);
    Assign(Store, port, device);
    const ProgramResult got = Get(port);
    EXPECT_EQ(got.status, 0) << got.err;
    EXPECT_EQ(got.out, "168\n");
    port = port % 10 + 1;
  }
}

// What the windowed program would read where the user's file does not hold a port: the company's
// file, then the system's folders.
TEST_F(VqctlStore, PortsTheUsersFileLacksComeFromTheFilesAfterIt) {
  Assign("config/Norvane Imaging Ltd..conf", 4, Link("from the company file"));
  QDir().mkpath(dir.filePath("system/Norvane Imaging Ltd."));
  Assign("system/Norvane Imaging Ltd./VQ-R310NTX.conf", 5, Link("from the system"));
  Assign(Store, 6, "");  // held but empty: the default device, as QSettings gives it
  Assign("system/Norvane Imaging Ltd./VQ-R310NTX.conf", 6, Link("never asked"));
  EXPECT_EQ(Get(4).out, "168\n");
  EXPECT_EQ(Get(5).out, "168\n");
  const ProgramResult fallen = Get(6);
  EXPECT_NE(fallen.status, 0) << "COM6 is its default device, not the system file's camera";
  EXPECT_EQ(fallen.out, "");
}
