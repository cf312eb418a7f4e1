// Controls that the simulated Camera Link serial library exports beside the four standard entry points.
#pragma once

#include <cstdint>

struct ClSimCall {
  char entry[16];    // "clSerialRead", "clSerialWrite", ...
  uint32_t count;    // bytes asked for
  uint32_t timeout;  // time limit passed, in ms
};

extern "C" {
// Result clSerialInit gives from now on (0 opens the channel). CLSERSIM_INIT_FAIL=1 in the
// environment makes every clSerialInit fail while it is set; CLSERSIM_NEVER_RETURN=clSerialInit
// (or clSerialClose) makes that entry point never return.
void clsersim_set_init_result(int32_t result);
// The camera behind the board's first serial port (a CameraModel), to set faults and look at registers.
void* clsersim_camera();
// The camera behind serial port serialIndex (0 to 3), or null.
void* clsersim_port_camera(uint32_t serialIndex);
int32_t clsersim_call_count();
const ClSimCall* clsersim_calls();
void clsersim_reset_calls();
// Back to fresh cameras behind closed channels.
void clsersim_reset();
// The clock (a Clock* of the calling process) the library runs on from now on; null: the monotonic one.
void clsersim_use_clock(void* clock);
}
