// Form layouts as tables in dialog units: every control with its id, kind, text, place and style.
#pragma once

#include <cstddef>

enum class ControlKind {
  GroupBox,
  PushButton,
  DefaultPushButton,
  RadioButton,
  PushLikeRadio,  // a radio button that looks like a push button
  CheckBox,
  PushLikeCheck,
  StaticText,
  EditBox,
  HorizontalScrollBar,
  VerticalScrollBar,
  SpinButton,
  Icon,
};

namespace ControlStyle {
inline constexpr unsigned None = 0;
inline constexpr unsigned Hidden = 1 << 0;       // created but not shown
inline constexpr unsigned Disabled = 1 << 1;
inline constexpr unsigned AlignRight = 1 << 2;
inline constexpr unsigned AlignCenter = 1 << 3;
inline constexpr unsigned Sunken = 1 << 4;
inline constexpr unsigned ReadOnly = 1 << 5;
inline constexpr unsigned Multiline = 1 << 6;
inline constexpr unsigned Uppercase = 1 << 7;    // typed letters become capitals
inline constexpr unsigned AutoHScroll = 1 << 8;  // text may scroll past the box's width
inline constexpr unsigned VScroll = 1 << 9;
inline constexpr unsigned Checked = 1 << 10;
}  // namespace ControlStyle

inline constexpr int NoId = -1;  // labels and frames no code refers to

struct ControlLayout {
  int id;
  ControlKind kind;
  const char* text;
  int x, y, width, height;  // dialog units
  unsigned style;
};

// The faces the forms were drawn in, at 8 points.
namespace FormFaces {
inline constexpr const char* SansSerif = "MS Sans Serif";
inline constexpr const char* ShellDlg = "MS Shell Dlg";
}  // namespace FormFaces

struct FormLayout {
  const char* title;
  const char* face;   // one of FormFaces, 8 points
  int width, height;  // dialog units
  const ControlLayout* controls;
  size_t count;
};
