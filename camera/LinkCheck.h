// A link check: a bounded run of harmless reads, timed against the line, and what makes it slow.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "camera/CameraParameterSet.h"
#include "link/CommError.h"
#include "platform/SerialDevice.h"

struct LinkCheckReport {
  // Worst first: a failed exchange outweighs a repeated one, which outweighs a slow line.
  enum class Verdict { Healthy, Slow, Faulty, Failed };

  int exchanges = 0;  // reads run
  int failures = 0;   // reads that failed after every retry
  CommError lastFailure = CommError::NoError;
  int retries = 0;         // enquiries and frames sent again
  int naksFromCamera = 0;  // frames or enquiries the camera refused
  int naksFromHost = 0;    // replies this end refused (a spoilt check code, say)
  int lineErrors = 0;      // reads that failed on a break, framing, parity or overrun
  int baudRate = 0;        // 0: not known (a Camera Link board sets its own)
  bool cameraLink = false;
  bool stopped = false;    // a stop was asked for: the figures cover the reads run until then
  // One clean read's bytes at the baud rate; 0 when the baud rate is not known.
  int64_t lineUs = 0;
  int64_t medianUs = 0;
  int64_t worstUs = 0;
  // From an ENQ to the byte that answers it, less the two bytes' own time on the line.
  int64_t turnaroundMedianUs = 0;
  int64_t turnaroundWorstUs = 0;
  SerialDeviceFacts device;
  Verdict verdict = Verdict::Healthy;
  // Plain sentences for the operator, one per cause found.
  std::vector<std::string> advice;
};

inline constexpr int DefaultCheckExchanges = 20;
inline constexpr int MaxCheckExchanges = 1000;
// A camera answers within a byte time or two; a median wait beyond this means something holds the bytes.
inline constexpr int64_t SlowTurnaroundUs = 3000;
// Reads taking more than this many times their bytes' time on the line are slow, whatever the cause.
inline constexpr int64_t SlowLineRatio = 3;

// The report as the operator reads it: the figures, the device, the verdict and the advice, a line each.
std::vector<std::string> LinkCheckLines(const LinkCheckReport& report);
const char* VerdictName(LinkCheckReport::Verdict verdict);

// Runs count reads of the gain level (the value read is stored, as any read stores it) and judges them.
LinkCheckReport CheckLink(CameraParameterSet& parameters, int count);
