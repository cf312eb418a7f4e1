// The documents vqctl --json prints: each command's data on standard output, a failure on standard error.
#pragma once

#include <string>
#include <vector>

#include "camera/CameraInfo.h"
#include "camera/CameraSession.h"
#include "camera/LinkCheck.h"
#include "camera/WhiteSpotList.h"

namespace VqctlJson {

// {"NAME":VALUE,...} in table order.
std::string Values(const std::vector<NamedValue>& values);
std::string Info(const CameraInfo& info);
std::string Differences(const std::string& path, bool writtenOnly, const std::vector<ValueDifference>& differences);
// [{"number":1,"x":10,"y":20},...]
std::string Spots(const std::vector<WhiteSpot::Spot>& spots);
std::string Parameters(const std::vector<ParameterRow>& rows);
std::string LinkCheck(const LinkCheckReport& report);

// What a failed command leaves on standard error.
struct Failure {
  int status = 0;        // the exit status
  std::string name;      // the code's name: the communication error's, or the kind of failure
  std::string message;   // the operator's message, or why vqctl refused
  std::string path;      // the file, device or library, where there is one
  std::string reason;    // the system's reason, where it gave one
  std::string hint;      // what the operator can do about it, where vqctl knows
};
// {"error":{...},"messages":[...]}: messages are every text the operator was told on the way.
std::string Error(const Failure& failure, const std::vector<std::string>& messages);
// {"messages":[...]} for a command that worked but had something to tell.
std::string Messages(const std::vector<std::string>& messages);

// The name of a communication error, as vqcam's Code names it.
std::string CodeName(CommError code);

}  // namespace VqctlJson
