// Listing serial device names from a fake /dev tree.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/SerialDeviceNames.h"

namespace fs = std::filesystem;

namespace {

fs::path MakeTree(const std::vector<std::string>& files) {
  std::string pattern = (fs::temp_directory_path() / "vqdevXXXXXX").string();
  fs::path root = mkdtemp(pattern.data());
  for (const std::string& file : files) {
    fs::create_directories((root / file).parent_path());
    std::ofstream(root / file).put('\n');
  }
  return root;
}

}  // namespace

TEST(SerialDeviceNames, StableNamesFirstThenEachKindInNaturalOrder) {
  fs::path root = MakeTree({"ttyACM0", "ttyUSB1", "ttyS10", "ttyS2", "ttyUSB0", "tty0", "ttyS", "console",
                            "serial/by-id/usb-FTDI_B-if00", "serial/by-id/usb-FTDI_A-if00"});
  const std::string r = root.string();
  EXPECT_EQ(SerialDeviceNames(r), (std::vector<std::string>{
                                      r + "/serial/by-id/usb-FTDI_A-if00",
                                      r + "/serial/by-id/usb-FTDI_B-if00",
                                      r + "/ttyS2",
                                      r + "/ttyS10",
                                      r + "/ttyUSB0",
                                      r + "/ttyUSB1",
                                      r + "/ttyACM0",
                                  }));
  fs::remove_all(root);
}

TEST(SerialDeviceNames, MissingFoldersHoldNoDevices) {
  fs::path root = MakeTree({"ttyS0"});
  EXPECT_EQ(SerialDeviceNames(root.string()), std::vector<std::string>{root.string() + "/ttyS0"});
  EXPECT_TRUE(SerialDeviceNames((root / "absent").string()).empty());
  fs::remove_all(root);
}
