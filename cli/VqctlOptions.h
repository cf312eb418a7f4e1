// vqctl's command line: link options, one command and its arguments.
#pragma once

#include <string>
#include <vector>

#include "camera/LinkChoice.h"

struct VqctlOptions {
  LinkChoice link;
  bool trace = false;
  bool json = false;         // data as one JSON document, a failure as one JSON object on standard error
  bool writtenRows = false;  // diff: only the rows a load writes
  int digits = 7;          // write-serial
  int timeoutSeconds = 60; // detect: how long a detection may keep running
  std::string command;
  std::vector<std::string> arguments;
};

struct VqctlParse {
  bool ok = false;
  bool help = false;
  bool version = false;
  std::string error;  // one-line reason when not ok
};

VqctlParse ParseVqctlOptions(const std::vector<std::string>& args, VqctlOptions& options);



namespace VqctlExit {
inline constexpr int Success = 0;
inline constexpr int Differs = 1;  // diff found differences
inline constexpr int Usage = 64;
inline constexpr int RefusedFile = 65;
inline constexpr int RefusedInput = 65;  // write-serial: not a serial number of the chosen length
inline constexpr int NoInput = 66;
inline constexpr int CannotCreate = 73;  // write-serial: the number is in the camera, the log row is not
inline constexpr int CannotWrite = 74;    // a save or the standard output could not be written
inline constexpr int TimedOut = 75;       // detect: still running when its time was up
inline constexpr int LinkSlow = 1;        // check: every read worked, but the line is slower than it should be
inline constexpr int LinkFaulty = 76;     // check: reads had to be repeated or were refused on the way
inline constexpr int DetectOver = 80;     // detect: more spots than the camera can list
inline constexpr int DetectError = 81;    // detect: the camera ended the run with an error state
}  // namespace VqctlExit
