// Operator output for programs without a window: everything goes to standard error.
#include <cstdio>

#include "link/OperatorOutput.h"

void StderrOperatorOutput::ShowStatusText(const std::string&) {
  // Progress texts are only useful on a screen that is repainted; a terminal would fill with them.
}

void StderrOperatorOutput::ShowMessage(const std::string& text, const std::string&, MessageIcon) {
  // The text alone, as the box shows it: scripts compare it, and the caption is the program's name.
  std::fprintf(stderr, "%s\n", text.c_str());
}

StderrOperatorOutput& StderrOperatorOutput::Instance() {
  static StderrOperatorOutput output;
  return output;
}
