// A group box with its caption on the frame line, as the operator's forms have always drawn it.
#include "panel/GroupBox.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

void GroupBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QFontMetrics metrics = fontMetrics();
  // The toolkit's own styles put the caption above the frame, where the controls of a form laid out
  // in dialog units run into it; here the line runs through the caption's middle instead.
  const int lineY = metrics.height() / 2;
  const int indent = metrics.averageCharWidth();
  const int gap = metrics.averageCharWidth() / 2;
  const QRect caption(indent, 0, metrics.horizontalAdvance(title()), metrics.height());

  painter.save();
  if (!title().isEmpty()) painter.setClipRegion(QRegion(rect()) - caption.adjusted(-gap, 0, gap, 0));
  qDrawShadeRect(&painter, QRect(0, lineY, width(), height() - lineY), palette(), true, 1);
  painter.restore();
  style()->drawItemText(&painter, caption, Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), title(),
                        QPalette::WindowText);
}
