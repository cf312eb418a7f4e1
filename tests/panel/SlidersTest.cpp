// Sliders: read-out texts, scroll actions on the wire, the partial-scan coupling and frame timing.
#include <QApplication>
#include <QContextMenuEvent>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "panel/PanelFixture.h"
#include "panel/SliderBinding.h"
#include "resources/PanelIds.h"

using namespace PanelIds;

TEST(SliderReadouts, GainShutterAndBlackLevel) {
  const SliderBinding& gain = *SliderBindings::ForBar(GainBar);
  EXPECT_EQ(SliderBindings::ReadoutText(gain, 0), "-6.0144 dB");
  EXPECT_EQ(SliderBindings::ReadoutText(gain, 168), "0.0000 dB");
  EXPECT_EQ(SliderBindings::ReadoutText(gain, 671), "18.0074 dB");
  const std::pair<int, const char*> shutter[] = {{0, "1/100000.00 sec"}, {256, "1/10000.00 sec"}, {834, "1/30.12 sec"},
                                                 {1279, "1/1.00 sec"},     {1280, "1.00 sec"},      {1281, "1.04 sec"},
                                                 {1536, "10.00 sec"}};
  for (auto [value, text] : shutter) EXPECT_EQ(SliderBindings::ShutterText(value), text) << value;
  EXPECT_EQ(SliderBindings::ReadoutText(*SliderBindings::ForBar(BlackLevelBar), 63), "63/1023");
  EXPECT_EQ(SliderBindings::ReadoutText(*SliderBindings::ForBar(StartBar), 5), " 5 ");
}

TEST(FrameTiming, FourCases) {
  auto t = ComputeFrameTiming(false, false, 300, 7);
  EXPECT_EQ((std::array<int, 4>{t.bporch, t.active, t.fporch, t.total}), (std::array<int, 4>{12, 1040, 16, 1068}));
  t = ComputeFrameTiming(false, true, 100, 200);
  EXPECT_EQ((std::array<int, 4>{t.bporch, t.active, t.fporch, t.total}), (std::array<int, 4>{22, 200, 78, 300}));
  t = ComputeFrameTiming(true, true, 1, 1040);
  EXPECT_EQ((std::array<int, 4>{t.bporch, t.active, t.fporch, t.total}), (std::array<int, 4>{7, 520, 3, 530}));
  t = ComputeFrameTiming(true, false, 1, 1);
  EXPECT_EQ((std::array<int, 4>{t.bporch, t.active, t.fporch, t.total}), (std::array<int, 4>{7, 520, 8, 535}));
}

TEST_F(PanelTest, LinePageAndThumb) {
  Show({{ParamGainLevel, 671}});
  EXPECT_EQ(Text(GainReadout), "18.0074 dB");
  Bar(GainBar)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(LastRequest(), "01FF010C029F00") << "the maximum is written again";
  Bar(GainBar)->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(LastRequest(), "01FF010C029500");
  EXPECT_EQ(Bar(GainBar)->value(), 661);
  Bar(GainBar)->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(Bar(GainBar)->value(), 660);

  size_t before = link.Requests().size();
  Bar(GainBar)->setSliderDown(true);
  for (int p : {650, 640, 168}) Bar(GainBar)->setSliderPosition(p);
  Bar(GainBar)->setSliderDown(false);
  ASSERT_EQ(link.Requests().size(), before + 4) << "every dragged position and the release";
  EXPECT_EQ(link.Requests()[before + 2], "01FF010C00A800");
  EXPECT_EQ(Text(GainReadout), "0.0000 dB");

  before = link.Requests().size();
  Bar(GainBar)->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(link.Requests().size(), before);
  EXPECT_EQ(Bar(GainBar)->value(), 168);
}

TEST_F(PanelTest, WheelAndRightClickNeitherWriteNorMove) {
  Show({{ParamPartialScan, 1}, {ParamPartialScanStart, 500}, {ParamPartialScanWidth, 300}, {ParamGainLevel, 400}});
  for (const SliderBinding& binding : SliderBindings::Table) {
    QScrollBar* bar = Bar(binding.barId);
    const int before = bar->value();
    const QPoint at(3, 3);
    QWheelEvent wheel(at, bar->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    // A menu, if one comes up, runs its own event loop; it is noted and closed from inside it.
    bool offered = false;
    QTimer::singleShot(0, bar, [&] {
      if (QWidget* popup = QApplication::activePopupWidget()) offered = popup->close();
    });
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
    QApplication::sendEvent(bar, &rightClick);
    QApplication::processEvents();
    EXPECT_FALSE(offered) << binding.barId;
    EXPECT_EQ(bar->value(), before) << binding.barId;
  }
  EXPECT_TRUE(link.Requests().empty());

  QTest::keyClick(Bar(GainBar), Qt::Key_Right);
  EXPECT_EQ(LastRequest(), "01FF010C019100") << "the keyboard still steps a line, toward the arrow";
}

TEST_F(PanelTest, FailedSliderWriteLeavesBarAndReadout) {
  Show({{ParamBlackLevel, 10}});
  link.camera.Faults().silent = true;
  Bar(BlackLevelBar)->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(Bar(BlackLevelBar)->value(), 10);
  EXPECT_EQ(Text(BlackLevelReadout), "10/1023");
  EXPECT_EQ(link.output.messages.size(), 1u);
}

TEST_F(PanelTest, PartialScanBarsKeepTheBandInsideTheFrame) {
  Show({{ParamPartialScan, 1}, {ParamPartialScanStart, 1}, {ParamPartialScanWidth, 1040}});
  Bar(StartBar)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  ASSERT_GE(link.Requests().size(), 2u);
  EXPECT_EQ(link.Requests()[link.Requests().size() - 2], "01FF0120040F00");  // width 1039 first
  EXPECT_EQ(LastRequest(), "01FF011F000200");
  EXPECT_EQ(Bar(WidthBar)->value(), 1039);

  Show({{ParamPartialScanStart, 500}, {ParamPartialScanWidth, 300}});
  Bar(WidthBar)->setSliderDown(true);
  Bar(WidthBar)->setSliderPosition(600);
  Bar(WidthBar)->setSliderDown(false);
  EXPECT_EQ(link.Requests()[link.Requests().size() - 3], "01FF011F01B900");  // start 441
  EXPECT_EQ(link.Requests()[link.Requests().size() - 2], "01FF0120025800");  // width 600
  EXPECT_EQ(Text(StartReadout), " 441 ");
  // Partial scan on, 2xACCEL off: S = 441, W = 600.
  EXPECT_EQ(Text(BporchReadout), " 56 ");
  EXPECT_EQ(Text(ActiveReadout), " 600 ");
}
