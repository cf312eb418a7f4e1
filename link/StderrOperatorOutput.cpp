// Operator output for programs without a window: everything goes to standard error.
#include <cstdio>

#include "link/OperatorOutput.h"

void StderrOperatorOutput::ShowStatusText(const std::string&) {
  // Progress texts are only useful on a screen that is repainted; a terminal would fill with them.
}

void StderrOperatorOutput::ShowMessage(const std::string& text, const std::string& caption, MessageIcon) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

StderrOperatorOutput& StderrOperatorOutput::Instance() {
  static StderrOperatorOutput output;
  return output;
}
