// The exchange's time limits and quiet times, in milliseconds.
#pragma once

#include <cstdint>

namespace ExchangeTimeouts {
inline constexpr int32_t Enquiry = 1000;      // ENQ write and the ACK that answers it
inline constexpr int32_t FrameWrite = 1000;   // the request frame, NAK and ACK writes
inline constexpr int32_t FrameAck = 3000;     // the ACK after a request frame
inline constexpr int32_t ReplyStart = 4000;   // each wait for the reply's STX
inline constexpr int32_t ReplyRest = 1000;    // the nine bytes after STX
// Before a request is repeated after bad or short replies, the line must have been quiet this much
// longer than one reply frame takes, so that a reply still on its way is not read as the next answer.
inline constexpr int32_t QuietMargin = 20;
// On a Camera Link channel the line's speed is the grabber's business: a fixed quiet time stands in.
inline constexpr int32_t CameraLinkQuiet = 25;
// Before a port's first request, and before the ENQ that follows a wrong answer to one, the line
// must have been quiet this many byte times: the tail of a reply to someone else's request (a run
// that was interrupted, a camera still repeating) would otherwise be read as the answer to our ENQ.
inline constexpr int32_t SettleByteTimes = 4;
// A serial line just opened may still carry the rest of a request an interrupted run had written: a
// pseudo-terminal's server or a USB adapter delivers what it was handed whoever has gone. The camera
// is silent while it takes that in, then answers; before the first request the line must stay
// quiet for the longest request frame and one byte more, so that such an answer shows first.
inline constexpr int32_t FreshLineByteTimes = 27;
inline constexpr int32_t CameraLinkSettle = 5;
// However long the camera keeps talking, one settling wait ends after this.
inline constexpr int32_t SettleLimit = 1000;
}  // namespace ExchangeTimeouts
