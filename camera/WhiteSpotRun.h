// A white-spot detection run to its end from a front end without windows: start, poll, give up in time.
#pragma once

#include <cstdint>

#include "camera/SettingsDocument.h"

struct DetectionOutcome {
  int32_t result = 0;     // 0, or the first failed exchange's negative code
  int state = 0;          // the detection's end state when result is 0 and it did not time out
  bool timedOut = false;  // still running when the time was up
};

// Starts the detection (after writing threshold, when one is given) and polls it, a poll interval
// apart, until it ends, a poll fails, or timeoutUs has passed.
DetectionOutcome RunDetection(SettingsDocument& document, const int32_t* threshold, int64_t timeoutUs);
