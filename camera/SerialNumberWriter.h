// Writing a serial number into the camera's information registers, followed by its adjustment-log row.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "camera/AdjustmentLog.h"

class SettingsDocument;

enum class SerialWriteStatus {
  Written,        // the camera holds the number and the log has its row
  NotUnlocked,    // the unlock write failed; nothing else was sent
  Refused,        // the text is not a serial number of the selected length; nothing else was sent
  WordFailed,     // a word write failed; the words before it stay written, no log row
  LogNotWritten,  // the camera holds the number but the log row is missing
};

struct SerialWriteResult {
  SerialWriteStatus status = SerialWriteStatus::Written;
  // The negative communication error code for NotUnlocked and WordFailed, and for Written or LogNotWritten
  // when a read-back for the log row failed.
  int32_t error = 0;
  // The model name the log read back, for the camera-information texts.
  std::optional<std::string> modelName;
  // What the operator was told for NotUnlocked, Refused and LogNotWritten (a failed word's communication
  // error is the parameter set's to tell).
  std::string message;
  // For LogNotWritten: the system's errno when the log could not be opened or written (0 when another
  // program holds it open), and the log's full path.
  int logError = 0;
  std::string logPath{};
};

inline constexpr int32_t SerialNumberUnlockValue = 0x5C1D;

// Every step tells the operator itself; the result only says how far it got. wordsWritten, when given,
// hears how many words the camera has accepted so far, before each word goes out and after the last.
SerialWriteResult WriteSerialNumber(SettingsDocument& document, const std::string& text, int digitsMode,
                                    const AdjustmentLogTarget& log = {},
                                    const std::function<void(int)>& wordsWritten = {});
