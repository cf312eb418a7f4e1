// Communication error codes: every failure on the way to the camera has one of these numbers.
#pragma once

#include <cstdint>

using CommError = int32_t;

namespace CommErrors {

inline constexpr CommError NoError = 0;
inline constexpr CommError PassThrough = 1;  // never stored: keep the code a lower layer stored
inline constexpr CommError InvalidPortNumber = 2;
inline constexpr CommError PortNotOpen = 3;
inline constexpr CommError CannotOpenPort = 4;
inline constexpr CommError Timeout = 5;
inline constexpr CommError BadSize = 6;
inline constexpr CommError MissingOverlap = 7;
inline constexpr CommError PurgeFailure = 8;
inline constexpr CommError LineBreak = 9;
inline constexpr CommError Framing = 10;
inline constexpr CommError IoError = 11;
inline constexpr CommError ModeError = 12;
inline constexpr CommError Overrun = 13;
inline constexpr CommError ReceiveBufferFull = 14;
inline constexpr CommError Parity = 15;
inline constexpr CommError TransmitBufferFull = 16;
inline constexpr CommError ParallelUnselected = 17;
inline constexpr CommError ParallelTimeout = 18;
inline constexpr CommError PaperEmpty = 19;
inline constexpr CommError UnexpectedCharacter = 20;
inline constexpr CommError BadReplySize = 21;
inline constexpr CommError NoStx = 22;
inline constexpr CommError NoEtx = 23;
inline constexpr CommError InvalidCharacter = 24;
inline constexpr CommError ChecksumMismatch = 25;
inline constexpr CommError IllegalMessageSize = 26;
inline constexpr CommError TooLongMessage = 27;

inline constexpr CommError Last = TooLongMessage;

// Not a failure of the line: an exchange was asked for while another ran on the same port. Nothing
// was sent, the stored code is left as it was, and no message is shown for it.
inline constexpr CommError Refused = 100;

}  // namespace CommErrors
