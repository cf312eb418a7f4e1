// vq-camera-sim's options: one table that the parser and the usage text both read.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "sim/CameraFaults.h"
#include "sim/CameraModel.h"

struct SimOptions {
  int baudRate = 0;
  std::string linkPath;
  std::string answersPath;
  bool endWithStdin = false;
  std::vector<CameraModel::Spot> spots;
  bool hasSpots = false;
  int detectReads = -1;
  int detectOutcome = 0;
  int factoryReads = -1;
  int randomPercent = 0;
  int seed = 1;
  int usbLatencyMs = 0;  // 0: no adapter between the camera and the terminal
  CameraFaults faults;
};

// One row of the table; a row without a name is a heading of the usage text.
struct SimOption {
  const char* name;   // as typed: "--baud"
  const char* value;  // what the usage calls its value ("N"); nullptr for an option that takes none
  const char* help;   // its usage text, a line each; nullptr for one the text of another row describes
  // Stores the value (nullptr when it is missing); false for a value it cannot take. nullptr for the
  // options the program answers before it parses (--help, --version, --grabber-library).
  bool (*take)(const char* value, SimOptions& options);
};

std::span<const SimOption> SimOptionTable();
// The row of an option by its name, or nullptr.
const SimOption* FindSimOption(const std::string& name);

// The --help text.
std::string SimUsage();

// Fills options from argv; false with a one-line reason in error at the first option it cannot take.
bool ParseSimOptions(int argc, const char* const* argv, SimOptions& options, std::string& error);
