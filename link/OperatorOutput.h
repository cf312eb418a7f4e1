// How the lower layers reach the operator: a status text and a modal message box.
#pragma once

#include <ostream>
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

// Shows nothing.
class SilentOperatorOutput final : public OperatorOutput {
 public:
  void ShowStatusText(const std::string&) override {}
  void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
};

// Where there is no window: each message box becomes its text on a line of a stream.
class StreamOperatorOutput final : public OperatorOutput {
 public:
  explicit StreamOperatorOutput(std::ostream& err) : err_(err) {}
  // Progress texts belong on a screen that is repainted; on a terminal they would only bury the messages.
  void ShowStatusText(const std::string&) override {}
  // The text alone, as the box shows it: scripts compare it, and the caption is the program's name.
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  // The one on standard error.
  static StreamOperatorOutput& Stderr();

 private:
  std::ostream& err_;
};
