// Reads a terminal's driver, its USB adapter and its latency timer out of sysfs.
#include "platform/posix/TtySysfs.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Parent(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

// The first line of a sysfs attribute, or empty.
std::string Attribute(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line)) return {};
  return line;
}

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// "FTDI FT232R USB UART (0403:6001)" from the USB device that holds the tty's interface.
std::string Adapter(const std::string& device, const std::string& sysRoot) {
  for (std::string dir = device; dir.size() > sysRoot.size(); dir = Parent(dir)) {
    if (!Exists(dir + "/idVendor")) continue;
    std::string name = Attribute(dir + "/manufacturer");
    const std::string product = Attribute(dir + "/product");
    if (!product.empty()) name += (name.empty() ? "" : " ") + product;
    const std::string ids = Attribute(dir + "/idVendor") + ":" + Attribute(dir + "/idProduct");
    return name.empty() ? ids : name + " (" + ids + ")";
  }
  return {};
}

}  // namespace

SerialDeviceFacts TtySysfs::Facts(const std::string& devicePath, const std::string& sysRoot) {
  SerialDeviceFacts facts;
  const std::string dev = RealPath(devicePath);
  if (dev.empty()) return facts;
  const std::string device = RealPath(sysRoot + "/class/tty/" + BaseName(dev) + "/device");
  if (device.empty()) return facts;
  facts.driver = BaseName(RealPath(device + "/driver"));
  facts.adapter = Adapter(device, RealPath(sysRoot));
  const std::string latency = Attribute(device + "/latency_timer");
  int ms = -1;
  if (!latency.empty() && std::sscanf(latency.c_str(), "%d", &ms) == 1 && ms >= 0) {
    facts.latencyTimerMs = ms;
    facts.latencyHowTo = "as root, echo 1 > " + device + "/latency_timer (or a udev rule that sets "
                         "ATTR{latency_timer}=\"1\" for the adapter)";
  }
  return facts;
}
