// The About box built from its layout table.
#include "app/AboutBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "panel/FormBuilder.h"
#include "resources/AboutLayout.h"

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  FormBuilder builder;
  controls_ = builder.Build(AboutLayout::Layout(), this);
  static_cast<QLabel*>(controls_[AboutLayout::VersionLine])
      ->setText(QStringLiteral("Version %1 for Linux, Qt %2").arg(QStringLiteral(VQ_VERSION), QString::fromLatin1(qVersion())));
  static_cast<QLabel*>(controls_[AboutLayout::CopyrightLine])
      ->setText(QStringLiteral("Copyright (C) 2026 Norvane Imaging Ltd."));
  for (QObject* child : children()) {
    auto* label = qobject_cast<QLabel*>(child);
    if (label != nullptr && label->text().isEmpty() && label->objectName().isEmpty()) {
      QIcon icon = windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon) : windowIcon();
      label->setPixmap(icon.pixmap(label->size()));
    }
  }
  connect(static_cast<QPushButton*>(controls_[1]), &QPushButton::clicked, this, &QDialog::accept);
}
