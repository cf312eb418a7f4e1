// Operator output on screen: the main window's status bar and modal message boxes.
#pragma once

#include <QPointer>

#include "app/CMainFrame.h"
#include "link/OperatorOutput.h"

class QtOperatorOutput final : public OperatorOutput {
 public:
  void SetMainFrame(CMainFrame* frame) { frame_ = frame; }
  void ShowStatusText(const std::string& text) override;
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  void ShowProgress(int done, int total) override;

 private:
  QPointer<CMainFrame> frame_;
};
