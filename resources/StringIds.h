// Numeric ids of the program's own texts in the string table.
#pragma once

namespace StringIds {

// Texts of the communication error codes 0..25; codes 26 and 27 skip the frame id.
inline constexpr int CommErrorFirst = 62101;
inline constexpr int ErrorFrame = 62127;  // "ERROR - %1"
inline constexpr int CommErrorIllegalSize = 62128;
inline constexpr int CommErrorTooLong = 62129;

}  // namespace StringIds
