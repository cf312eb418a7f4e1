// The factory's adjustment log: one CSV row per serial number written, appended under an exclusive lock.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

class SettingsDocument;
class Clock;

inline constexpr const char* AdjustmentLogPath = "./VQ-R310_AdjustData.csv";

struct AdjustmentLogTarget {
  std::string path = AdjustmentLogPath;
  // The local date and time stamped on the row; the system clock when empty.
  std::function<std::tm()> localTime;
  // What the wait for another writer's lock is measured on; the monotonic clock when null.
  Clock* clock = nullptr;
};

// How long an append waits for another writer (a second station appending to a shared log) to let the
// log go before it reports the log as open elsewhere.
inline constexpr int64_t AdjustmentLogLockWaitMs = 2000;

enum class AdjustmentLogStatus {
  Written,
  InUse,        // held open elsewhere; nothing written
  CannotOpen,   // could not be opened at all (no such folder, a folder in its place, no permission); nothing written
  WriteFailed,  // opened, but the row did not reach the file; the operator has been told
};

struct AdjustmentLogResult {
  AdjustmentLogStatus status = AdjustmentLogStatus::InUse;
  // The model name read back for the row; empty when the file could not be opened, as nothing was read.
  std::optional<std::string> modelName;
  // The first read-back that failed (negative code), whose field then holds the value stored before; 0 when none did.
  int32_t readError = 0;
  // The system's errno for CannotOpen and WriteFailed; 0 otherwise.
  int error = 0;
  // The log by its full path.
  std::string path;
  // What the operator was told when the row was not written.
  std::string message;
};

// Reads the model name, serial number, SUB voltage and adjustment gain back from the camera and appends
// them as one row, starting an empty file with the header line. The serial number is composed as the
// camera-information box shows it.
AdjustmentLogResult AppendAdjustmentLog(SettingsDocument& document, const AdjustmentLogTarget& target = {});
