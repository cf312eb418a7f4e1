// Enter in the service dialogs: a focused push button answers it, as a dialog's buttons always have.
#pragma once

class QKeyEvent;
class QWidget;

// Return, or the keypad's Enter, with no other modifier held.
bool IsEnterKey(const QKeyEvent& event);

// Enter with a push button in focus presses that button and gives true; otherwise false, and Enter keeps
// the dialog's own meaning. Push-like choices (COM 1, Euresys, ...) are choices here, not push buttons.
bool PressFocusedButton(const QWidget& dialog, const QKeyEvent& event);
