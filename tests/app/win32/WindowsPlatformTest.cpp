// The forms and the main window on Qt's windows platform, as the operator's PC draws them: each form
// in the face its layout names, dialog units of that face, and the window's outer size.
#include <windows.h>

#include <gmock/gmock.h>

#include <QFontInfo>
#include <QMenuBar>

#include "app/AppFixture.h"
#include "panel/FormBuilder.h"
#include "resources/AboutLayout.h"
#include "resources/CommSetupLayout.h"
#include "resources/ManualCommandLayout.h"
#include "resources/PanelLayout.h"
#include "resources/RegisterMenuLayout.h"
#include "resources/WhiteSpotLayout.h"

using ::testing::AnyOf;
using ::testing::Eq;

namespace {

struct FormCase {
  const char* name;
  const FormLayout& layout;
  QSize pixels;  // at 6 x 13 dialog base units
};

}  // namespace

// The outline "Microsoft Sans Serif" for the bitmap "MS Sans Serif", and what the system's substitutes
// name for "MS Shell Dlg" ("Tahoma" under wine, which lacks the former): 6 x 13 base units at 8 points.
TEST(WindowsForms, EachFormInItsFaceAndItsUnits) {
  const FormCase cases[] = {
      {"main form", PanelLayout::Layout(), {543, 492}},
      {"communication setup", CommSetupLayout, {477, 182}},
      {"manual command", ManualCommandLayout::Layout(), {318, 180}},
      {"command menu", RegisterMenuLayout, {525, 373}},
      {"white spot", WhiteSpotLayout, {246, 349}},
      {"about", AboutLayout::Layout(), {334, 89}},
  };
  for (const FormCase& c : cases) {
    const QString family = QFontInfo(FormBuilder::FormFont(c.layout)).family();
    EXPECT_THAT(family.toStdString(), AnyOf(Eq("Microsoft Sans Serif"), Eq("Tahoma"))) << c.name;
    EXPECT_EQ(FormBuilder(c.layout).ToPixels(c.layout.width, c.layout.height), c.pixels) << c.name;
  }
}

TEST_F(AppTest, TheMainWindowsOuterSizeAndItsForm) {
  ASSERT_EQ(Start(), 0);
  CMainFrame& frame = *app->MainFrame();
  Idle();
  RECT outer;
  ASSERT_TRUE(GetWindowRect(reinterpret_cast<HWND>(frame.winId()), &outer));
  EXPECT_EQ(QSize(outer.right - outer.left, outer.bottom - outer.top), QSize(630, 430)) << "frame and caption included";
  EXPECT_LT(frame.height(), 430 - frame.menuBar()->height()) << "the caption is counted, not left out";
  const QRect form = app->View()->childrenRect();
  EXPECT_LE(form.right() + 1, 543);
  EXPECT_LE(form.bottom() + 1, 492);
  EXPECT_GT(form.bottom(), app->View()->height()) << "the digit radios at the form's foot lie below the view";
}
