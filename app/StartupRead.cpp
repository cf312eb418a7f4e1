// The start-up read on its own thread: what it tells the operator is held until it is over.
#include "app/StartupRead.h"

#include <functional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

// Written only by the read's thread, and told only after it has been joined.
class StartupRead::HeldOutput final : public OperatorOutput {
 public:
  void ShowStatusText(const std::string& text) override {
    held_.push_back([text](OperatorOutput& output) { output.ShowStatusText(text); });
  }
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    held_.push_back([text, caption, icon](OperatorOutput& output) { output.ShowMessage(text, caption, icon); });
  }
  void ShowProgress(int done, int total) override {
    held_.push_back([done, total](OperatorOutput& output) { output.ShowProgress(done, total); });
  }
  void TellTo(OperatorOutput& output) {
    for (const auto& told : std::exchange(held_, {})) told(output);
  }

 private:
  std::vector<std::function<void(OperatorOutput&)>> held_;
};

StartupRead::StartupRead(CameraParameterSet& parameters, WaitObserver* observer)
    : parameters_(parameters),
      observer_(observer),
      output_(parameters.Operator()),
      held_(std::make_unique<HeldOutput>()) {
  parameters_.SetWaitObserver(nullptr);
  parameters_.SetOperatorOutput(held_.get());
  try {
    thread_ = std::thread([this] { result_ = parameters_.ReadAll(); });
  } catch (const std::system_error&) {
    // No thread to be had: the read runs at Finish on the windows' thread, after the window is built.
    GiveBack();
    onThisThread_ = true;
  }
}

StartupRead::~StartupRead() { Finish(); }

int32_t StartupRead::Finish() {
  if (finished_) return result_;
  finished_ = true;
  if (onThisThread_) return result_ = parameters_.UploadAll();
  thread_.join();
  GiveBack();
  held_->TellTo(output_);
  if (result_ < 0) parameters_.ReportLastError();
  return result_;
}

void StartupRead::GiveBack() {
  parameters_.SetOperatorOutput(&output_);
  parameters_.SetWaitObserver(observer_);
}
