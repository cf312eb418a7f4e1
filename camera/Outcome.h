// How a front end's request to a camera ended. vqctl turns it into an exit status and text, vqcam
// into a value or an exception, and neither decides anything else.
#pragma once

#include <cstdint>
#include <string>

#include "link/CommError.h"

struct Outcome {
  enum class Status {
    Done,            // as asked
    Differs,         // a comparison found differences, or a detection ended other than finished
    CommFailed,      // code holds the communication error; its message has been shown
    BadArgument,     // refused before anything was sent: a value outside its range, a wrong digit count
    RefusedInput,    // a serial number that is not one; its message has been shown, nothing else was sent
    FileRefused,     // a settings file the program refuses, or one that holds no values
    FileUnreadable,  // a settings file that cannot be read; error holds the system's reason
    CannotWrite,     // a settings file that cannot be written; error holds the system's reason
    LogNotWritten,   // the serial number is in the camera, its adjustment-log row is not
    TimedOut,        // a detection still running when its time was up
    EarlierSpots,    // the spot list asked for after this session's last detection did not finish: it is
                     // an earlier run's; message says how the last one ended. Nothing was sent.
  };

  Status status = Status::Done;
  CommError code = CommError::NoError;  // CommFailed
  int error = 0;        // the system's error number, where there is one
  std::string message;  // the operator's message, or why an argument was refused
  std::string path;     // the file, device or library the outcome is about, where there is one
  std::string reason;   // why, in one line ("Permission denied"), where the system or the loader said
  bool shown = false;   // the message has reached the operator already

  bool Ok() const { return status == Status::Done || status == Status::Differs; }
  static Outcome Of(Status status, std::string message = {}, int error = 0) {
    Outcome outcome;
    outcome.status = status;
    outcome.message = std::move(message);
    outcome.error = error;
    return outcome;
  }
  // A transfer's result: 0 or more for success, the negative error code for failure.
  static Outcome Comm(int32_t result) {
    Outcome outcome;
    outcome.status = result < 0 ? Status::CommFailed : Status::Done;
    outcome.code = result < 0 ? CommErrors::FromResult(result) : CommError::NoError;
    return outcome;
  }
};
