// Numeric ids of the program's own texts in the string table.
#pragma once

namespace StringIds {

// Texts of the communication error codes 0..25; codes 26 and 27 skip the frame id.
inline constexpr int CommErrorFirst = 62101;
inline constexpr int ErrorFrame = 62127;  // "ERROR - %1"
inline constexpr int CommErrorIllegalSize = 62128;
inline constexpr int CommErrorTooLong = 62129;

inline constexpr int StatusUploading = 62000;
inline constexpr int StatusSending = 62001;
inline constexpr int StatusReady = 62002;
inline constexpr int FileTypeMismatch = 62100;

// The serial number's and the white-spot detection's messages, and the adjustment log's.
inline constexpr int SerialNumberNotUnlocked = 62130;
inline constexpr int SerialNumberLength = 62131;  // "%1": the number of digits
inline constexpr int SerialNumberNotDecimal = 62132;
inline constexpr int DetectFinished = 62133;
inline constexpr int DetectTooMany = 62134;
inline constexpr int DetectError = 62135;
inline constexpr int AdjustmentLogInUse = 62136;        // "%1": the log's name
inline constexpr int AdjustmentLogWriteFailed = 62137;  // "%1": the log's name, "%2": why
inline constexpr int AdjustmentLogCaption = 62138;
inline constexpr int BoardOpenError = 62139;
inline constexpr int BoardOpenErrorCaption = 62140;

inline constexpr int ApplicationTitle = 57344;
inline constexpr int CompanyKey = 57346;
inline constexpr int SaveChangesPrompt = 61699;
inline constexpr int UnexpectedFileFormat = 61728;

}  // namespace StringIds
