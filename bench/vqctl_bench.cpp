// Times whole vqctl commands, as a production script runs them, against the paced line's limit: on a
// pseudo-terminal and through the simulated grabber library.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/GrabberLink.h"
#include "support/RunProgram.h"
#include "support/SimProcess.h"

namespace {

constexpr int BitsPerByte = 10;
// read-all: 46 reads of ENQ, ACK, 18-byte frame, ACK, 10-byte reply, ACK.
constexpr int ReadAllBytes = 46 * 32;
// load: the 21 write-all rows, each ENQ, ACK, 18-byte frame, ACK.
constexpr int LoadBytes = 21 * 21;
constexpr int Runs = 5;

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Best of several runs: the line's time is fixed, anything above it is the program's.
double Measure(const char* name, int baud, int lineBytes, const std::vector<std::string>& args, double target,
               const std::vector<std::string>& environment = {}) {
  double best = 1e9;
  for (int i = 0; i < Runs; ++i) {
    double start = Seconds();
    ProgramResult result = RunProgram(VQCTL, args, environment);
    double elapsed = Seconds() - start;
    if (result.status != 0) {
      std::printf("%s %d: FAILED with %d: %s\n", name, baud, result.status, result.err.c_str());
      return 1e9;
    }
    best = std::min(best, elapsed);
  }
  double line = static_cast<double>(lineBytes) * BitsPerByte / baud;
  double ratio = best / line;
  std::printf("vqctl %s %d: best of %d %.3f s, line %.3f s, ratio %.3f (target %.2f)\n", name, baud, Runs, best, line,
              ratio, target);
  std::fflush(stdout);
  return ratio;
}

bool BenchSpeed(int baud, double target) {
  SimProcess sim;
  if (!sim.Start(VQ_CAMERA_SIM, {"--baud", std::to_string(baud)})) return false;
  std::vector<std::string> link{"--device", sim.PtyPath(), "--baud", std::to_string(baud)};
  std::string file = "/tmp/vqctl_bench_" + std::to_string(baud) + ".vq";
  auto with = [&](std::vector<std::string> command) {
    command.insert(command.begin(), link.begin(), link.end());
    return command;
  };
  if (RunProgram(VQCTL, with({"save", file})).status != 0) return false;
  bool met = Measure("read-all", baud, ReadAllBytes, with({"read-all"}), target) <= target;
  met = Measure("load", baud, LoadBytes, with({"load", file}), target) <= target && met;
  std::remove(file.c_str());
  return met;
}

// The same commands through the grabber library, its board paced at the figure vqctl is given.
bool BenchCameraLink(int baud, double target) {
  const GrabberLink link = GrabberLinkAt(VQ_CLSERSIM, baud);
  std::string file = "/tmp/vqctl_bench_camera_link_" + std::to_string(baud) + ".vq";
  auto with = [&](std::vector<std::string> command) {
    command.insert(command.begin(), link.options.begin(), link.options.end());
    return command;
  };
  if (RunProgram(VQCTL, with({"save", file}), link.environment).status != 0) return false;
  bool met =
      Measure("camera-link read-all", baud, ReadAllBytes, with({"read-all"}), target, link.environment) <= target;
  met = Measure("camera-link load", baud, LoadBytes, with({"load", file}), target, link.environment) <= target && met;
  std::remove(file.c_str());
  return met;
}

}  // namespace

int main() {
  bool met = BenchSpeed(9600, 1.05);
  met = BenchSpeed(115200, 1.25) && met;
  met = BenchCameraLink(115200, 1.25) && met;
  std::printf("targets: %s\n", met ? "met" : "MISSED");
  return met ? 0 : 1;
}
