// How a child program reaches the simulated grabber library paced at a baud rate, as vq-camera-sim's
// --baud paces its pseudo-terminal: one figure for the program's link options and the library's pace.
#pragma once

#include <string>
#include <vector>

struct GrabberLink {
  // vqctl's link options: the library, and --baud as a script gives it for either transport; the
  // program uses it only on a serial port, since a board's line runs at the board's own setting.
  std::vector<std::string> options;
  // The child's environment: the simulated board's setting.
  std::vector<std::string> environment;
};

inline GrabberLink GrabberLinkAt(const std::string& library, int baud) {
  const std::string figure = std::to_string(baud);
  return {{"--camera-link", library, "--baud", figure}, {"CLSERSIM_BAUD=" + figure}};
}
