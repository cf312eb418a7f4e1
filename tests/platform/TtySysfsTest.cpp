// What sysfs tells of a terminal, on a small copy of its tree: a USB adapter, an on-board port, none.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/posix/TtySysfs.h"

namespace fs = std::filesystem;

namespace {

void Write(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text << "\n";
}

void Link(const fs::path& link, const fs::path& target) {
  fs::create_directories(link.parent_path());
  fs::create_directory_symlink(target, link);
}

}  // namespace

TEST(TtySysfs, NamesTheDriverTheAdapterAndItsLatencyTimer) {
  char folderTemplate[] = "/tmp/vq-sysfs-XXXXXX";
  const fs::path root = mkdtemp(folderTemplate);
  const fs::path sys = root / "sys";
  const fs::path usb = sys / "devices/pci0/usb1/1-2";
  Write(usb / "idVendor", "0403");
  Write(usb / "idProduct", "6001");
  Write(usb / "manufacturer", "FTDI");
  Write(usb / "product", "FT232R USB UART");
  Write(usb / "1-2:1.0/ttyUSB0/latency_timer", "16");
  fs::create_directories(sys / "bus/usb-serial/drivers/ftdi_sio");
  Link(usb / "1-2:1.0/ttyUSB0/driver", sys / "bus/usb-serial/drivers/ftdi_sio");
  Link(sys / "class/tty/ttyUSB0/device", usb / "1-2:1.0/ttyUSB0");
  fs::create_directories(sys / "devices/platform/serial8250/tty/ttyS0");
  fs::create_directories(sys / "bus/platform/drivers/serial8250");
  Link(sys / "devices/platform/serial8250/driver", sys / "bus/platform/drivers/serial8250");
  Link(sys / "class/tty/ttyS0/device", sys / "devices/platform/serial8250");
  for (const char* name : {"ttyUSB0", "ttyS0", "pts5"}) Write(root / "dev" / name, "");
  fs::create_directories(root / "dev/serial/by-id");
  fs::create_symlink(root / "dev/ttyUSB0", root / "dev/serial/by-id/usb-FTDI_camera");

  const struct {
    const char* device;
    const char* driver;
    const char* adapter;
    int latencyTimerMs;
  } rows[] = {
      {"dev/serial/by-id/usb-FTDI_camera", "ftdi_sio", "FTDI FT232R USB UART (0403:6001)", 16},
      {"dev/ttyS0", "serial8250", "", -1},
      {"dev/pts5", "", "", -1},
      {"dev/missing", "", "", -1},
  };
  for (const auto& row : rows) {
    const SerialDeviceFacts facts = TtySysfs::Facts((root / row.device).string(), sys.string());
    EXPECT_EQ(facts.driver, row.driver) << row.device;
    EXPECT_EQ(facts.adapter, row.adapter) << row.device;
    EXPECT_EQ(facts.latencyTimerMs, row.latencyTimerMs) << row.device;
    EXPECT_EQ(facts.latencyHowTo.empty(), row.latencyTimerMs < 0) << row.device;
    EXPECT_EQ(facts.lowLatency, SerialDeviceFacts::LowLatency::Unknown) << row.device;
  }
  fs::remove_all(root);
}
