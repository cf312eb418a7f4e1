// A form's controls by numeric id, each handed out as the type the form builder made it.
#pragma once

#include <QMap>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

class FormControls {
 public:
  FormControls() = default;
  explicit FormControls(QMap<int, QWidget*> controls) : controls_(std::move(controls)) {}

  QWidget* Control(int id) const { return controls_.value(id); }
  // The control as its type. An id the layout lacks, or a control of another type, is a fault of the
  // program, not of its user: it stops at once instead of writing through a wrong pointer.
  template <typename T>
  T* Get(int id) const {
    T* control = qobject_cast<T*>(controls_.value(id));
    if (control == nullptr) {
      std::fprintf(stderr, "form control %d is no %s\n", id, T::staticMetaObject.className());
      std::abort();
    }
    return control;
  }
  // The id of a control, 0 for none.
  int IdOf(const QWidget* control) const { return controls_.key(const_cast<QWidget*>(control)); }

 private:
  QMap<int, QWidget*> controls_;
};
