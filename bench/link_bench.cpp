// Measures parameter exchanges over a paced pseudo-terminal and through the paced simulated grabber
// library against the line's limit, and CPU use while waiting.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "link/CameraPort.h"
#include "link/PortPaths.h"
#include "platform/posix/TermiosDevice.h"
#include "support/SimProcess.h"
#include "support/SimulatedGrabber.h"

namespace {

constexpr int Exchanges = 200;
constexpr int BitsPerByte = 10;
// ENQ, ACK, the 18-byte frame, ACK; a read adds the 10-byte reply and the host's ACK.
constexpr int WriteExchangeBytes = 21;
constexpr int ReadExchangeBytes = 32;

constexpr double RatioTarget9600 = 1.05;
constexpr double RatioTarget115200 = 1.25;
// The grabber library's line has no terminal, pseudo or real, between it and the port. A write
// exchange turns the line round twice in 21 bytes, a read three times in 32.
constexpr double CameraLinkReadTarget = 1.10;
constexpr double CameraLinkWriteTarget = 1.15;
constexpr double CpuWallTarget = 0.02;

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::unique_ptr<CameraPort> OpenPortOnSim(SimProcess& sim, int baud, bool silent) {
  std::vector<std::string> args{"--baud", std::to_string(baud)};
  if (silent) args.push_back("--silent");
  if (!sim.Start(VQ_CAMERA_SIM, args)) {
    std::fprintf(stderr, "cannot start %s\n", VQ_CAMERA_SIM);
    return nullptr;
  }
  AssignPortPath(1, sim.PtyPath());
  auto port = std::make_unique<CameraPort>(std::make_unique<TermiosDevice>(MonotonicClock::Instance()),
                                           MonotonicClock::Instance());
  if (port->OpenSerialDefault(1, baud) != 0) {
    std::fprintf(stderr, "cannot open %s\n", sim.PtyPath().c_str());
    return nullptr;
  }
  return port;
}

// Runs the exchanges, prints the line for them and returns the ratio (a failure counts as missing the target).
template <typename Exchange>
double Measure(const char* kind, int baud, int bytesPerExchange, Exchange exchange) {
  int failures = 0;
  double start = WallSeconds();
  for (int i = 0; i < Exchanges; ++i) {
    if (exchange(i) != 0) ++failures;
  }
  double elapsed = WallSeconds() - start;
  double line = static_cast<double>(Exchanges) * bytesPerExchange * BitsPerByte / baud;
  double ratio = elapsed / line;
  std::printf("%s %d: %d exchanges, %.3f s, line %.3f s, ratio %.3f", kind, baud, Exchanges, elapsed, line, ratio);
  if (failures > 0) std::printf(", %d FAILED", failures);
  std::printf("\n");
  std::fflush(stdout);
  return failures > 0 ? 1e9 : ratio;
}

bool BenchSpeed(int baud, double target) {
  SimProcess sim;
  auto port = OpenPortOnSim(sim, baud, false);
  if (!port) return false;
  double readRatio = Measure("read", baud, ReadExchangeBytes, [&](int) {
    int32_t value = 0;
    return port->ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value);
  });
  double writeRatio = Measure("write", baud, WriteExchangeBytes,
                              [&](int i) { return port->WriteParameter(1, 0xFF, 0x01, 0x0C, 0, 671, i % 672); });
  return readRatio <= target && writeRatio <= target;
}

// The port through the grabber library in this process, on the monotonic clock, its board paced at baud.
bool BenchCameraLink(int baud) {
  SimulatedGrabber grabber;
  if (!grabber.Loaded()) {
    std::fprintf(stderr, "cannot load %s\n", VQ_CLSERSIM);
    return false;
  }
  grabber.SetBaudRate(baud);
  CameraPort port;
  if (port.OpenCameraLink(VQ_CLSERSIM) != 0 || !port.CameraLinkOpen()) {
    std::fprintf(stderr, "cannot open the channel of %s\n", VQ_CLSERSIM);
    return false;
  }
  double readRatio = Measure("camera-link read", baud, ReadExchangeBytes, [&](int) {
    int32_t value = 0;
    return port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value);
  });
  double writeRatio = Measure("camera-link write", baud, WriteExchangeBytes,
                              [&](int i) { return port.WriteParameter(1, 0xFF, 0x01, 0x0C, 0, 671, i % 672); });
  port.Close();
  return readRatio <= CameraLinkReadTarget && writeRatio <= CameraLinkWriteTarget;
}

bool BenchSilentWait() {
  SimProcess sim;
  auto port = OpenPortOnSim(sim, 9600, true);
  if (!port) return false;
  double cpuStart = CpuSeconds();
  double wallStart = WallSeconds();
  int32_t result = port->SendFrame("01FF0104020000");
  double wall = WallSeconds() - wallStart;
  double cpu = CpuSeconds() - cpuStart;
  double ratio = cpu / wall;
  std::printf("silent: SendFrame %d after %.3f s wall, %.4f s CPU, CPU/wall %.4f\n", result, wall, cpu, ratio);
  return result == -CommError::Timeout && ratio <= CpuWallTarget;
}

}  // namespace

int main() {
  bool met = BenchSpeed(9600, RatioTarget9600);
  met = BenchSpeed(115200, RatioTarget115200) && met;
  met = BenchCameraLink(115200) && met;
  met = BenchSilentWait() && met;
  std::printf(
      "targets (ratio <= %.2f at 9600, <= %.2f at 115200, camera-link read <= %.2f and write <= %.2f at 115200, "
      "CPU/wall <= %.2f): %s\n",
      RatioTarget9600, RatioTarget115200, CameraLinkReadTarget, CameraLinkWriteTarget, CpuWallTarget,
      met ? "met" : "MISSED");
  return met ? 0 : 1;
}
