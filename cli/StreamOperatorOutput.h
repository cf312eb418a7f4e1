// Operator output for vqctl: each message box becomes its text on a line of the error stream.
#pragma once

#include <ostream>

#include "link/OperatorOutput.h"

class StreamOperatorOutput final : public OperatorOutput {
 public:
  explicit StreamOperatorOutput(std::ostream& err) : err_(err) {}
  // Progress texts belong on a screen that is repainted; on a terminal they would only bury the messages.
  void ShowStatusText(const std::string&) override {}
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override { err_ << text << '\n'; }

 private:
  std::ostream& err_;
};
