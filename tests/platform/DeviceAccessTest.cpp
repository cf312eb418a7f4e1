// Who may use a device this user may not open: a pseudo-terminal is told apart, by its real path.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/DeviceAccess.h"
#include "support/AsAnotherUser.h"

namespace {

// Each path's kernel name and whether it is a pseudo-terminal, as a user denied all of them sees it:
// root may open anything, so a child of root's gives up root's rights first.
std::string AsDenied(const std::vector<std::string>& paths) {
  return AsAnotherUser([&] {
    std::string seen;
    for (const std::string& path : paths) {
      std::optional<DeviceAccess> denied = DeniedAccess(path);
      seen += denied ? denied->kernelName + (denied->pseudoTerminal ? " pty\n" : " device\n") : "allowed\n";
    }
    return seen;
  });
}

}  // namespace

TEST(DeviceAccess, APseudoTerminalIsKnownByItsRealPath) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string pty = ptsname(master);
  const std::string number = pty.substr(pty.rfind('/') + 1);
  // Its owner may give up its own rights to it, so the test needs no second user when not run as root.
  ASSERT_EQ(chmod(pty.c_str(), 0), 0);

  char folderTemplate[] = "/tmp/vq-access-XXXXXX";
  ASSERT_NE(mkdtemp(folderTemplate), nullptr);
  const std::string folder = folderTemplate;
  ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
  const std::string device = folder + "/ttyUSB7", ptyLink = folder + "/camera", deviceLink = folder + "/usb-cam";
  std::ofstream(device) << "";
  ASSERT_EQ(chmod(device.c_str(), 0), 0);
  ASSERT_EQ(symlink(pty.c_str(), ptyLink.c_str()), 0);
  ASSERT_EQ(symlink(device.c_str(), deviceLink.c_str()), 0);

  EXPECT_EQ(AsDenied({pty, ptyLink, device, deviceLink}),
            number + " pty\n" + number + " pty\nttyUSB7 device\nttyUSB7 device\n");
  close(master);
  std::filesystem::remove_all(folder);
}
