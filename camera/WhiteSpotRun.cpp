// Running a detection to its end on the monotonic clock.
#include "camera/WhiteSpotRun.h"

#include <time.h>

#include <cerrno>

#include "camera/WhiteSpotList.h"
#include "link/Clock.h"

namespace {

void SleepMs(int ms) {
  timespec ts{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

}  // namespace

DetectionOutcome RunDetection(CVQS90Doc& document, const int32_t* threshold, int64_t timeoutUs) {
  DetectionOutcome outcome;
  if (threshold != nullptr) outcome.result = document.WriteCameraValue(ParamWhiteSpotThreshold, *threshold);
  if (outcome.result < 0) return outcome;
  outcome.result = document.WriteCameraValue(ParamWhiteSpotDetect, 1);
  if (outcome.result < 0) return outcome;
  const int64_t deadlineUs = MonotonicClock::Instance().NowUs() + timeoutUs;
  outcome.state = WhiteSpot::Running;
  while (outcome.state == WhiteSpot::Running) {
    if (MonotonicClock::Instance().NowUs() >= deadlineUs) {
      outcome.timedOut = true;
      return outcome;
    }
    SleepMs(WhiteSpot::PollIntervalMs);
    // Nobody can wait on a camera that stopped answering: the first failed poll ends the run.
    outcome.result = document.ReadCameraValue(ParamWhiteSpotDetect);
    if (outcome.result < 0) return outcome;
    outcome.state = document.GetCameraValue(ParamWhiteSpotDetect);
  }
  return outcome;
}
