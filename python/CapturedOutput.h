// Where the Python module's operator messages go: kept, so that the exception raised carries them.
#pragma once

#include <string>

#include "link/OperatorOutput.h"

class CapturedOutput final : public OperatorOutput {
 public:
  void ShowStatusText(const std::string&) override {}
  void ShowMessage(const std::string& text, const std::string&, MessageIcon) override { last_ = text; }

  // The last box's text; empty when none was shown since the last Clear.
  const std::string& Last() const { return last_; }
  void Clear() { last_.clear(); }

 private:
  std::string last_;
};
