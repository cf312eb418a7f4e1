// Faults the simulated camera can be told to show; counters say how many times, -1 means always.
#pragma once

#include <cstdint>
#include <string>

enum class ReplyDefect { None, BadCheck, NoEtx, NonHexCheck, NonHexData };

struct CameraFaults {
  bool silent = false;             // answers nothing at all
  int silentAfterRequests = -1;    // falls silent once it has accepted this many requests
  int ignoreEnquiries = 0;         // ENQs left unanswered
  int wrongEnquiryAnswers = 0;     // ENQs answered with enquiryAnswer instead of ACK
  uint8_t enquiryAnswer = 0x15;
  int ignoreFrames = 0;            // good request frames left unanswered
  int wrongFrameAnswers = 0;       // good request frames answered with frameAnswer instead of ACK
  uint8_t frameAnswer = 0x15;
  int missingReplies = 0;          // read requests acknowledged but never answered
  int shortReplies = 0;            // replies cut off after shortReplyLength bytes
  int shortReplyLength = 5;
  int defectiveReplies = 0;        // replies carrying replyDefect
  int repliesPerRequest = -1;      // a read request gets at most this many replies (NAKs answered); -1: no limit
  ReplyDefect replyDefect = ReplyDefect::None;
  bool lowerCaseCheck = false;     // check digits in lower case
  int noiseBytes = 0;              // bytes of noise before every reply's STX
  int64_t noiseGapUs = 0;          // time between noise bytes, and from the last one to STX
  int64_t byteDelayUs = 0;         // slow bytes: extra time before each byte the camera sends
};

// Takes one occurrence from a fault counter; true when the fault applies this time.
inline bool TakeFault(int& counter) {
  if (counter == 0) return false;
  if (counter > 0) --counter;
  return true;
}
