#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QLineEdit>
#include <QFontMetrics>
#include "dialogs/CommSetupDialog.h"
#include "panel/FormBuilder.h"
#include "resources/CommSetupLayout.h"
TEST(Snap, Render) {
  CommSetupDialog d;
  d.show();
  d.grab().save("/tmp/commsetup.png");
  static_cast<QAbstractButton*>(d.Control(CommSetupIds::OtherFactory))->click();
  static_cast<QLineEdit*>(d.Control(CommSetupIds::LibraryPath))->setText("/opt/grabber/lib/libclserxyz.so");
  d.grab().save("/tmp/commsetup-other.png");
  FormBuilder b; QFontMetrics m(FormBuilder::FormFont());
  printf("font %s size %s avg %d h %d\n", qPrintable(FormBuilder::FormFont().family()), qPrintable(QString::number(d.width())+"x"+QString::number(d.height())), b.ToPixels(4,8).width(), b.ToPixels(4,8).height());
  for (int id : {1119, 1128, 1106, 1107, 1108, 2110, 1111, 1112, 1132, 1133, 1113}) { auto* w = d.Control(id); auto* bt = qobject_cast<QAbstractButton*>(w); printf("%d w=%d h=%d text=%d hint=%d\n", id, w->width(), w->height(), bt ? m.horizontalAdvance(bt->text()) : 0, w->sizeHint().width()); }
}
