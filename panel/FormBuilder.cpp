// Widgets for each kind of control in a layout table.
#include "panel/FormBuilder.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "panel/GroupBox.h"
#include "platform/FormFamilies.h"
#include "panel/SliderBar.h"
#include "panel/SpinButton.h"
#include "panel/UppercaseValidator.h"

namespace {

bool Has(const ControlLayout& c, unsigned style) { return (c.style & style) != 0; }

Qt::Alignment TextAlignment(const ControlLayout& c) {
  if (Has(c, ControlStyle::AlignRight)) return Qt::AlignRight | Qt::AlignVCenter;
  if (Has(c, ControlStyle::AlignCenter)) return Qt::AlignHCenter | Qt::AlignVCenter;
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QWidget* MakeLabel(const ControlLayout& c, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(c.text), parent);
  label->setAlignment(Has(c, ControlStyle::Multiline) || !Has(c, ControlStyle::Sunken)
                          ? (TextAlignment(c) & ~Qt::AlignVCenter) | Qt::AlignTop
                          : TextAlignment(c));
  label->setWordWrap(Has(c, ControlStyle::Multiline));
  if (Has(c, ControlStyle::Sunken)) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  return label;
}

QWidget* MakeEdit(const ControlLayout& c, QWidget* parent) {
  if (Has(c, ControlStyle::Multiline)) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setReadOnly(Has(c, ControlStyle::ReadOnly));
    edit->setVerticalScrollBarPolicy(Has(c, ControlStyle::VScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    return edit;
  }
  auto* edit = new QLineEdit(QString::fromUtf8(c.text), parent);
  edit->setAlignment(TextAlignment(c));
  edit->setReadOnly(Has(c, ControlStyle::ReadOnly));
  if (Has(c, ControlStyle::Uppercase)) edit->setValidator(new UppercaseValidator(edit));
  return edit;
}

QWidget* MakeButton(const ControlLayout& c, QWidget* parent) {
  QString text = QString::fromUtf8(c.text);
  switch (c.kind) {
    case ControlKind::RadioButton: return new QRadioButton(text, parent);
    case ControlKind::CheckBox: return new QCheckBox(text, parent);
    default: break;
  }
  auto* button = new QPushButton(text, parent);
  button->setAutoDefault(false);
  button->setDefault(c.kind == ControlKind::DefaultPushButton);
  // Push-like choices keep their pressed look while selected.
  button->setCheckable(c.kind == ControlKind::PushLikeRadio || c.kind == ControlKind::PushLikeCheck);
  return button;
}

}  // namespace

QFont FormBuilder::FormFont(const FormLayout& layout) {
  QFont font = QApplication::font();
  QStringList families;
  for (const std::string& family : FormFamilies(layout.face)) families.append(QString::fromStdString(family));
  font.setFamilies(families);
  font.setPointSize(8);
  return font;
}

FormBuilder::FormBuilder(const FormLayout& layout) : FormBuilder(FormFont(layout)) {}

FormBuilder::FormBuilder(const QFont& font) : font_(font) {
  QFontMetrics metrics(font_);
  // The average width of the alphabet, as dialog units are defined.
  const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  baseWidth_ = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
  baseHeight_ = metrics.height();
}

QRect FormBuilder::ToPixels(int x, int y, int width, int height) const {
  return QRect(x * baseWidth_ / 4, y * baseHeight_ / 8, width * baseWidth_ / 4, height * baseHeight_ / 8);
}

QSize FormBuilder::ToPixels(int width, int height) const { return ToPixels(0, 0, width, height).size(); }

QWidget* FormBuilder::Create(const ControlLayout& c, QWidget* form) const {
  QWidget* widget = nullptr;
  switch (c.kind) {
    case ControlKind::GroupBox: widget = new GroupBox(QString::fromUtf8(c.text), form); break;
    case ControlKind::StaticText: widget = MakeLabel(c, form); break;
    case ControlKind::EditBox: widget = MakeEdit(c, form); break;
    case ControlKind::HorizontalScrollBar: widget = new SliderBar(Qt::Horizontal, form); break;
    case ControlKind::VerticalScrollBar: widget = new SliderBar(Qt::Vertical, form); break;
    case ControlKind::SpinButton: {
      auto* spin = new SpinButton(form);
      spin->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
      widget = spin;
      break;
    }
    case ControlKind::Icon: widget = new QLabel(form); break;
    default: widget = MakeButton(c, form); break;
  }
  widget->setFont(font_);
  widget->setGeometry(ToPixels(c.x, c.y, c.width, c.height));
  widget->setEnabled(!Has(c, ControlStyle::Disabled));
  widget->setVisible(!Has(c, ControlStyle::Hidden));
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setChecked(Has(c, ControlStyle::Checked));
  if (c.id != NoId) widget->setObjectName(QStringLiteral("control%1").arg(c.id));
  return widget;
}

QMap<int, QWidget*> FormBuilder::Build(const FormLayout& layout, QWidget* form) const {
  QMap<int, QWidget*> controls;
  form->setFont(font_);
  form->setFixedSize(ToPixels(layout.width, layout.height));
  if (layout.title != nullptr) form->setWindowTitle(QString::fromUtf8(layout.title));
  // Group boxes first so that the controls they frame stack above them.
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < layout.count; ++i) {
      const ControlLayout& c = layout.controls[i];
      if ((c.kind == ControlKind::GroupBox) != (pass == 0)) continue;
      QWidget* widget = Create(c, form);
      if (c.id != NoId) controls.insert(c.id, widget);
    }
  }
  return controls;
}
