// Status texts before the main window exists are skipped; boxes are always shown.
#include "app/QtOperatorOutput.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtOperatorOutput::ShowStatusText(const std::string& text) {
  if (frame_) frame_->ShowStatusText(QString::fromStdString(text));
}

void QtOperatorOutput::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
  QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                  frame_ ? frame_.data() : nullptr);
  box.exec();
}

void QtOperatorOutput::ShowProgress(int done, int total) {
  if (frame_) frame_->ShowProgress(done, total);
}
