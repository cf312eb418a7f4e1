// Send and Read of a typed request text; the framing and the handshake are the link's business.
#include "dialogs/ManualCommandDialog.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "camera/CameraParameterSet.h"
#include "dialogs/EnterKey.h"
#include "link/Framing.h"
#include "panel/FormBuilder.h"
#include "resources/ManualCommandLayout.h"

using namespace ManualCommandLayout;

ManualCommandDialog::ManualCommandDialog(CameraParameterSet& parameters, QWidget* parent)
    : QDialog(parent), parameters_(parameters) {
  FormBuilder builder(Layout());
  controls_ = FormControls(builder.Build(Layout(), this));
  // The box takes no more than the camera accepts, so an over-long text cannot be typed.
  Get<QLineEdit>(Transmission)->setMaxLength(MaxTextLength);
  connect(Get<QPushButton>(Send), &QPushButton::clicked, this, &ManualCommandDialog::OnSend);
  connect(Get<QPushButton>(Read), &QPushButton::clicked, this, &ManualCommandDialog::OnRead);
  connect(Get<QPushButton>(Exit), &QPushButton::clicked, this, &QDialog::accept);
}

void ManualCommandDialog::keyPressEvent(QKeyEvent* event) {
  if (PressFocusedButton(*this, *event)) return;
  // Elsewhere Enter closes the dialog as Exit does; typing a request and pressing Enter never sends it.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

QString ManualCommandDialog::TakeText() {
  SetReceived(QString());
  return Get<QLineEdit>(Transmission)->text();
}

void ManualCommandDialog::SetReceived(const QString& text) { Get<QLineEdit>(Received)->setText(text); }

void ManualCommandDialog::OnSend() {
  // The camera speaks 8-bit text; a character it cannot carry goes out as a question mark.
  if (parameters_.SendFrame(TakeText().toLatin1().toStdString()) < 0) parameters_.ReportLastError();
}

void ManualCommandDialog::OnRead() {
  QString text = TakeText();
  char reply[Framing::FrameBufferSize];
  if (parameters_.Transact(text.toLatin1().toStdString(), reply) < 0) {
    parameters_.ReportLastError();
    return;
  }
  SetReceived(QString::fromLatin1(reply));
}
