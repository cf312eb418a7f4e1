// The control panel's sliders: which parameter each moves, its read-out and how the read-out speaks.
#pragma once

#include <QString>

#include "camera/ParameterId.h"
#include "resources/PanelIds.h"

struct SliderBinding {
  int barId;
  int readoutId;
  ParameterId parameter;
};

namespace SliderBindings {

using namespace PanelIds;

// In the order the refresh shows them.
inline constexpr SliderBinding Table[] = {
    {GainBar, GainReadout, ParamGainLevel},
    {AdjustGainBar, AdjustGainReadout, ParamAdjustGain},
    {BlackLevelBar, BlackLevelReadout, ParamBlackLevel},
    {VariableBar, VariableReadout, ParamProgrammableShutter},
    {SubVoltageBar, SubVoltageReadout, ParamSubVoltage},
    {StartBar, StartReadout, ParamPartialScanStart},
    {WidthBar, WidthReadout, ParamPartialScanWidth},
};

const SliderBinding* ForBar(int barId);

// The read-out text of a bar at value: decibels, seconds, a fraction of 1023, or the plain number.
QString ReadoutText(const SliderBinding& binding, int value);

// "%.2f sec" or "1/%.2f sec" of the exposure a shutter value stands for.
QString ShutterText(int value);

}  // namespace SliderBindings

// Line counts of the frame timing for the partial-scan read-outs.
struct FrameTiming {
  int bporch, active, fporch, total;
};
FrameTiming ComputeFrameTiming(bool doubleAccel, bool partialScan, int start, int width);
