// Enter in the service dialogs: a focused push button answers it, as a dialog's buttons always have.
#include "dialogs/EnterKey.h"

#include <QKeyEvent>
#include <QPushButton>

bool IsEnterKey(const QKeyEvent& event) {
  const bool enter = event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
  return enter && (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

bool PressFocusedButton(const QWidget& dialog, const QKeyEvent& event) {
  auto* button = qobject_cast<QPushButton*>(dialog.focusWidget());
  if (!IsEnterKey(event) || button == nullptr || button->isCheckable()) return false;
  button->click();
  return true;
}
