// How the lower layers reach the operator: a status text and a modal message box.
#pragma once

#include <string>

enum class MessageIcon { None, Information, Warning, Error };

class OperatorOutput {
 public:
  virtual ~OperatorOutput() = default;
  // Puts text into the status bar's message pane and repaints it at once.
  virtual void ShowStatusText(const std::string& text) = 0;
  // A modal box with an OK button.
  virtual void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
  // How far a transfer of many rows has come; total 0 means it is over. Shown only where it helps.
  virtual void ShowProgress(int done, int total) {
    (void)done;
    (void)total;
  }
};

// Writes both kinds of output to standard error; used where there is no window.
class StderrOperatorOutput final : public OperatorOutput {
 public:
  void ShowStatusText(const std::string& text) override;
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  static StderrOperatorOutput& Instance();
};
