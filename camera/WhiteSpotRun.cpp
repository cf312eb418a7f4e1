// Running a detection to its end on the port's clock.
#include "camera/WhiteSpotRun.h"

#include "camera/WhiteSpotList.h"

DetectionOutcome RunDetection(SettingsDocument& document, const int32_t* threshold, int64_t timeoutUs) {
  DetectionOutcome outcome;
  if (threshold != nullptr) outcome.result = document.WriteCameraValue(ParamWhiteSpotThreshold, *threshold);
  if (outcome.result < 0) return outcome;
  outcome.result = document.WriteCameraValue(ParamWhiteSpotDetect, 1);
  if (outcome.result < 0) return outcome;
  CameraParameterSet& port = document.Parameters();
  const int64_t deadlineUs = port.NowUs() + timeoutUs;
  outcome.state = WhiteSpot::Running;
  while (outcome.state == WhiteSpot::Running) {
    if (port.NowUs() >= deadlineUs) {
      outcome.timedOut = true;
      return outcome;
    }
    // A stop asked for between polls ends the run as a failed poll would.
    if (!port.Pause(WhiteSpot::PollIntervalMs)) {
      outcome.result = -CommError::Timeout;
      return outcome;
    }
    // Nobody can wait on a camera that stopped answering: the first failed poll ends the run.
    outcome.result = document.ReadCameraValue(ParamWhiteSpotDetect);
    if (outcome.result < 0) return outcome;
    outcome.state = document.GetCameraValue(ParamWhiteSpotDetect);
  }
  return outcome;
}
