// Operator output that records every status text and message box for tests to assert on.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "link/OperatorOutput.h"

class RecordingOperatorOutput final : public OperatorOutput {
 public:
  struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon;
  };

  void ShowStatusText(const std::string& text) override { statusTexts.push_back(text); }
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    messages.push_back({text, caption, icon});
  }

  void ShowProgress(int done, int total) override { progress.emplace_back(done, total); }

  std::vector<std::string> statusTexts;
  std::vector<Message> messages;
  std::vector<std::pair<int, int>> progress;
};
