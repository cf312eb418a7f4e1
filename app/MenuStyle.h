// The menus' style: a disabled entry can be highlighted like any other, so its prompt reaches the status bar.
#pragma once

#include <QProxyStyle>

class MenuStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_Menu_AllowActiveAndDisabled) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};
