// Measures read-all and load through a modelled USB-serial adapter, with and without low latency, against the line,
// averaged over starts spread across the adapter's timer period.
#include <algorithm>
#include <cstdio>
#include <string>

#include "support/MemoryCamera.h"

namespace {

constexpr double Target9600 = 1.06;
constexpr double Target115200 = 1.70;

enum class Adapter { None, Refused, LowLatency };

const char* Name(Adapter adapter) {
  switch (adapter) {
    case Adapter::None: return "no adapter";
    case Adapter::Refused: return "16 ms timer";
    case Adapter::LowLatency: return "1 ms timer (low latency)";
  }
  return "";
}

// A run starts anywhere in the adapter's timer period: each is measured from these starts and averaged.
constexpr int Starts = 8;

struct Figures {
  double elapsed = 0;
  double line = 0;
  bool failed = false;
};

Figures RunFrom(int64_t startUs, bool load, int baud, Adapter adapter) {
  MemoryCamera camera(false);
  camera.camera.SetBaudRate(baud);
  if (adapter != Adapter::None) camera.device->PlugUsbAdapter(adapter == Adapter::LowLatency);
  camera.clock.AdvanceTo(startUs);
  camera.parameters->OpenSerialDefault(1, baud);
  camera.device->ClearWire();
  const int64_t start = camera.clock.NowUs();
  const int32_t result = load ? camera.parameters->WriteAll() : camera.parameters->ReadAll();
  return {static_cast<double>(camera.clock.NowUs() - start) / 1e6,
          static_cast<double>(camera.device->Wire().size()) * 10 / baud, result < 0};
}

// The ratio of the virtual time a read-all or a load takes to its bytes' time on the line.
double Run(bool load, int baud, Adapter adapter) {
  Figures sum;
  double worst = 0;
  const int64_t period = adapter == Adapter::LowLatency ? UsbAdapter::LowLatencyTimerUs : UsbAdapter::DefaultTimerUs;
  for (int i = 0; i < Starts; ++i) {
    const Figures f = RunFrom(1000 + i * period / Starts, load, baud, adapter);
    sum.elapsed += f.elapsed / Starts;
    sum.line += f.line / Starts;
    sum.failed = sum.failed || f.failed;
    worst = std::max(worst, f.elapsed / f.line);
  }
  const double ratio = sum.elapsed / sum.line;
  std::printf("%-8s %6d  %-25s %.3f s, line %.3f s, ratio %.3f (worst start %.3f)%s\n", load ? "load" : "read-all",
              baud, Name(adapter), sum.elapsed, sum.line, ratio, worst, sum.failed ? ", FAILED" : "");
  return sum.failed ? 1e9 : ratio;
}

}  // namespace

int main() {
  bool met = true;
  for (bool load : {false, true}) {
    for (int baud : {9600, 115200}) {
      for (Adapter adapter : {Adapter::None, Adapter::Refused, Adapter::LowLatency}) {
        const double ratio = Run(load, baud, adapter);
        if (adapter == Adapter::LowLatency) met = ratio <= (baud == 9600 ? Target9600 : Target115200) && met;
      }
    }
  }
  std::printf("targets with low latency (ratio <= %.2f at 9600, <= %.2f at 115200): %s\n", Target9600, Target115200,
              met ? "met" : "MISSED");
  return met ? 0 : 1;
}
