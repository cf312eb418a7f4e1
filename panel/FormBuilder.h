// Builds a form from its layout table, converting dialog units with the form font's character size.
#pragma once

#include <QFont>
#include <QMap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

#include "resources/FormLayout.h"

class FormBuilder {
 public:
  // The font a layout's form is drawn in: its face at 8 points, as the system resolves the face.
  static QFont FormFont(const FormLayout& layout);

  // Dialog units of the layout's own font.
  explicit FormBuilder(const FormLayout& layout);
  explicit FormBuilder(const QFont& font);

  // Dialog units to pixels: x = units * average character width / 4, y = units * height / 8.
  QRect ToPixels(int x, int y, int width, int height) const;
  QSize ToPixels(int width, int height) const;

  // Creates every control of the layout as a child of form, sized the form, and returns the
  // controls by id (labels and frames without an id are created but not returned).
  QMap<int, QWidget*> Build(const FormLayout& layout, QWidget* form) const;

 private:
  QWidget* Create(const ControlLayout& control, QWidget* form) const;

  QFont font_;
  int baseWidth_;
  int baseHeight_;
};
