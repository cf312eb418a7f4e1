// Where a scroll action takes a slider: one step, a page of ten, or the thumb; nothing else moves it.
#pragma once

#include <QAbstractSlider>
#include <algorithm>
#include <optional>

// The position an action asks for, from the bar's current value; no value for actions that change
// nothing (jumps to either end, end of scrolling). The bar itself is put back where it was: it
// moves only once the camera has taken the new value.
inline std::optional<int> TakeSliderStep(QAbstractSlider& bar, int action) {
  constexpr int PageStep = 10;
  const int current = bar.value();
  std::optional<int> position;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: position = std::max(current - 1, bar.minimum()); break;
    case QAbstractSlider::SliderSingleStepAdd: position = std::min(current + 1, bar.maximum()); break;
    case QAbstractSlider::SliderPageStepSub: position = std::max(current - PageStep, bar.minimum()); break;
    case QAbstractSlider::SliderPageStepAdd: position = std::min(current + PageStep, bar.maximum()); break;
    case QAbstractSlider::SliderMove: position = bar.sliderPosition(); break;
    default: break;
  }
  bar.setSliderPosition(current);
  return position;
}
