// Turns typed letters into capitals, as the camera's request texts are written.
#pragma once

#include <QValidator>

class UppercaseValidator final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    input = input.toUpper();
    return Acceptable;
  }
};
