// The About box built from its layout table, with the program's icon.
#include "app/AboutBox.h"

#include <QLabel>
#include <QPushButton>

#include "app/ProgramIcon.h"
#include "panel/FormBuilder.h"
#include "resources/AboutLayout.h"

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  FormBuilder builder(AboutLayout::Layout());
  controls_ = builder.Build(AboutLayout::Layout(), this);
  auto* icon = static_cast<QLabel*>(controls_[AboutLayout::IconImage]);
  icon->setPixmap(ProgramIcon().pixmap(icon->size()));
  connect(static_cast<QPushButton*>(controls_[1]), &QPushButton::clicked, this, &QDialog::accept);
}
