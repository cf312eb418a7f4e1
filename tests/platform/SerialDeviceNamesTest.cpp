// Listing serial device names from a fake /dev tree.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/SerialDeviceNames.h"

namespace fs = std::filesystem;

TEST(SerialDeviceNames, StableNamesFirstThenEachKindInNaturalOrder) {
  std::string pattern = (fs::temp_directory_path() / "vqdevXXXXXX").string();
  const std::string r = mkdtemp(pattern.data());
  EXPECT_TRUE(SerialDeviceNames(r).empty());  // no serial/by-id folder is no error
  for (const char* name : {"ttyACM0", "ttyUSB1", "ttyS10", "ttyS2", "ttyUSB0", "tty0", "ttyS", "console",
                           "serial/by-id/usb-FTDI_B-if00", "serial/by-id/usb-FTDI_A-if00"}) {
    fs::create_directories(fs::path(r + "/" + name).parent_path());
    std::ofstream(r + "/" + name).put('\n');
  }
  EXPECT_EQ(SerialDeviceNames(r), (std::vector<std::string>{r + "/serial/by-id/usb-FTDI_A-if00",
                                                            r + "/serial/by-id/usb-FTDI_B-if00", r + "/ttyS2",
                                                            r + "/ttyS10", r + "/ttyUSB0", r + "/ttyUSB1",
                                                            r + "/ttyACM0"}));
  EXPECT_TRUE(SerialDeviceNames(r + "/absent").empty());
  fs::remove_all(r);
}
