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
// environment makes it fail from the start.
void clsersim_set_init_result(int32_t result);
// The camera behind the channel (a CameraModel), to set faults and look at registers.
void* clsersim_camera();
int32_t clsersim_call_count();
const ClSimCall* clsersim_calls();
void clsersim_reset_calls();
// Back to a fresh camera behind a closed channel.
void clsersim_reset();
}
