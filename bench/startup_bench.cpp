// Times the program from launch to its main window shown after the start-up read of the camera,
// against the read's time on a line paced at 115200 baud.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "support/RunProgram.h"
#include "support/SimProcess.h"

namespace {

constexpr int Baud = 115200;
constexpr double ReadAllLineSeconds = 46.0 * 32 * 10 / Baud;  // 46 reads of 32 bytes, 10 bits each
constexpr int Runs = 5;

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main() {
  SimProcess sim;
  if (!sim.Start(VQ_CAMERA_SIM, {"--baud", std::to_string(Baud)})) return 1;
  double best = 1e9;
  long resident = 0;
  for (int i = 0; i < Runs; ++i) {
    double start = Seconds();
    ProgramResult result = RunProgram(STARTUP_PROBE, {sim.PtyPath()}, {"QT_QPA_PLATFORM=offscreen"});
    double elapsed = Seconds() - start;
    if (result.status != 0 || result.out.rfind("shown ", 0) != 0) {
      std::printf("start-up FAILED: %s\n", result.err.c_str());
      return 1;
    }
    best = std::min(best, elapsed);
    resident = std::stol(result.out.substr(6));
  }
  std::printf("start-up 115200: best of %d %.3f s (launch to main window, exit included), read-all line %.3f s, "
              "ratio %.2f; resident memory %ld KiB\n",
              Runs, best, ReadAllLineSeconds, best / ReadAllLineSeconds, resident);
  return 0;
}
