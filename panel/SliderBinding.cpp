// Read-out texts of the sliders and the partial-scan frame timing.
#include "panel/SliderBinding.h"

#include <cmath>
#include <cstdio>

#include "camera/ParameterTable.h"
#include "resources/PanelIds.h"

namespace SliderBindings {

const SliderBinding* ForBar(int barId) {
  for (const auto& binding : Table) {
    if (binding.barId == barId) return &binding;
  }
  return nullptr;
}

QString ShutterText(int value) {
  // 256 steps a decade: 10 us at 0 up to 10 s at 1536.
  int decade = value / 256 + 1;
  int step = value % 256;
  double microseconds = std::pow(10.0, decade) * (step * 0.00390625 * 9 + 1);
  char text[64];
  if (value >= 1280) {
    std::snprintf(text, sizeof text, "%.2f sec", microseconds * 0.000001);
  } else {
    std::snprintf(text, sizeof text, "1/%.2f sec", (1 / microseconds) * 1000000);
  }
  return QString::fromLatin1(text);
}

QString ReadoutText(const SliderBinding& binding, int value) {
  char text[64];
  switch (binding.barId) {
    case PanelIds::VariableBar: return ShutterText(value);
    case PanelIds::GainBar: std::snprintf(text, sizeof text, "%2.4f dB", (value - 168) * 0.0358); break;
    case PanelIds::BlackLevelBar: std::snprintf(text, sizeof text, "%d/1023", value); break;
    default: std::snprintf(text, sizeof text, " %d ", ParameterTable::ToCamera(binding.parameter, value)); break;
  }
  return QString::fromLatin1(text);
}

}  // namespace SliderBindings

FrameTiming ComputeFrameTiming(bool doubleAccel, bool partialScan, int start, int width) {
  FrameTiming t{};
  if (doubleAccel && partialScan) {
    t.bporch = start / 10 + 7;
    t.active = (width + 1) / 2;
    t.total = (2 * (528 - t.active)) / 10 + t.active + 9;
    t.fporch = t.total - t.active - t.bporch;
  } else if (doubleAccel) {
    t = {7, 520, 8, 535};
  } else if (partialScan) {
    t.bporch = start / 10 + 12;
    t.active = width;
    t.total = (1055 - width) / 10 + width + 15;
    t.fporch = t.total - width - t.bporch;
  } else {
    t = {12, 1040, 16, 1068};
  }
  return t;
}
