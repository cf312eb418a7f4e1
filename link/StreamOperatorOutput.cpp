// Operator output for programs without a window.
#include <iostream>

#include "link/OperatorOutput.h"

void StreamOperatorOutput::ShowMessage(const std::string& text, const std::string&, MessageIcon) {
  err_ << text << '\n' << std::flush;
}

StreamOperatorOutput& StreamOperatorOutput::Stderr() {
  static StreamOperatorOutput output(std::cerr);
  return output;
}
