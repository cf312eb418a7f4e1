// While the camera is waited for, the window keeps painting; nothing the operator or a timer does
// starts another exchange, a gesture begun before the wait ends on its control after it, every box
// can be answered, and a close takes effect after the command and its messages.
#include <QAbstractButton>
#include <QApplication>
#include <QMimeData>
#include <QPaintEvent>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <memory>

#include "app/AppFixture.h"
#include "app/QtOperatorOutput.h"
#include "app/QtWaitObserver.h"
#include "dialogs/WhiteSpotDialog.h"
#include "panel/SliderBinding.h"
#include "panel/SpinButton.h"
#include "resources/CommandIds.h"
#include "resources/MenuTable.h"
#include "resources/PanelIds.h"
#include "resources/WhiteSpotLayout.h"
#include "support/BoxAnswerer.h"
#include "support/ControlPoints.h"
#include "support/ProbingObserver.h"
#include "support/RecordingOperatorOutput.h"
#include "support/SimulatedGrabber.h"

namespace {

// The region of a window painted while an exchange runs, in the window's coordinates.
class PaintWatcher : public QObject {
 public:
  PaintWatcher(QWidget* window, const CameraPort& port) : window_(window), port_(port) {
    qApp->installEventFilter(this);
  }
  ~PaintWatcher() override { qApp->removeEventFilter(this); }
  QRegion painted;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (event->type() == QEvent::Paint && port_.ExchangeRunning() && receiver->isWidgetType()) {
      auto* widget = static_cast<QWidget*>(receiver);
      if (widget == window_ || window_->isAncestorOf(widget)) {
        painted += static_cast<QPaintEvent*>(event)->region().translated(widget->mapTo(window_, QPoint(0, 0)));
      }
    }
    return false;
  }

 private:
  QWidget* window_;
  const CameraPort& port_;
};

// Counts the passes of the event loop made while an exchange runs: a posted event that posts itself
// again, which no command holds.
class LoopPasses : public QObject {
 public:
  explicit LoopPasses(const CameraPort& port) : port_(port) { Post(); }
  int passes = 0;

 protected:
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    if (port_.ExchangeRunning()) ++passes;
    Post();
    return true;
  }

 private:
  void Post() { QCoreApplication::postEvent(this, new QEvent(QEvent::User)); }
  const CameraPort& port_;
};

// Counts the ticks of an ordinary timer, and those that came while an exchange ran.
class CountingTimer : public QObject {
 public:
  int ticks = 0;
  int ticksDuringExchanges = 0;
  const CameraPort* port = nullptr;

 protected:
  void timerEvent(QTimerEvent*) override {
    ++ticks;
    if (port->ExchangeRunning()) ++ticksDuringExchanges;
  }
};

QString TimeoutMessage() { return QString::fromStdString(CommErrorState::ErrorText(CommError::Timeout)); }

class ExchangeWait : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    UseProbe(0);
    ASSERT_EQ(Start(), 0);
    frame = app->MainFrame();
    Idle();
  }
  void TearDown() override { link.port->SetWaitObserver(nullptr); }

  // realTimeDivisor: see ProbingObserver.
  void UseProbe(int realTimeDivisor) {
    probe = std::make_unique<ProbingObserver>(waiter, realTimeDivisor);
    link.port->SetWaitObserver(probe.get());
    portObserver = probe.get();
  }
  // Boxes on screen, as the program shows them, instead of recorded ones.
  void ShowRealBoxes() {
    boxes.SetMainFrame(frame);
    link.port->SetOperatorOutput(&boxes);
  }
  int32_t ReadGain() { return app->Document()->ReadCameraValue(ParamGainLevel); }
  QScrollBar* Bar(int id) const { return static_cast<QScrollBar*>(app->View()->Control(id)); }
  size_t Writes(const std::string& prefix) const {
    return static_cast<size_t>(std::count_if(link.Requests().begin(), link.Requests().end(),
                                             [&](const std::string& r) { return r.rfind(prefix, 0) == 0; }));
  }

  QtWaitObserver waiter;
  std::unique_ptr<ProbingObserver> probe;
  QtOperatorOutput boxes;
  CMainFrame* frame = nullptr;
};

}  // namespace

TEST_F(ExchangeWait, TheGrownWindowIsPaintedAndTheWaitCursorShowsWhileTheReadWaits) {
  link.camera.Faults().missingReplies = -1;  // acknowledges every request, never replies
  const QSize before = frame->size();
  PaintWatcher watcher(frame, *link.port);
  bool grown = false;
  std::vector<std::pair<int64_t, bool>> cursor;  // port time, wait cursor shown
  probe->during = [&] {
    if (!grown) {
      frame->resize(before + QSize(120, 90));
      grown = true;
    }
    const QCursor* shown = QApplication::overrideCursor();
    cursor.emplace_back(link.ElapsedMs(), shown != nullptr && shown->shape() == Qt::WaitCursor);
  };
  const int64_t start = link.ElapsedMs();
  EXPECT_EQ(ReadGain(), -CommError::Timeout);
  EXPECT_EQ(link.ElapsedMs() - start, 4 * 4001) << "the waits are the exchange's own, however sliced";

  ASSERT_TRUE(grown);
  EXPECT_TRUE(watcher.painted.contains(QPoint(before.width() + 60, before.height() / 2)))
      << "the new strip on the right was painted during the read";
  EXPECT_TRUE(watcher.painted.contains(QPoint(before.width() / 2, before.height() + 45)));
  ASSERT_FALSE(cursor.empty());
  // The cursor is looked at before the slice's events run, so it shows from the slice after 200 ms.
  for (const auto& [ms, wait] : cursor) {
    if (ms - start <= QtWaitObserver::WaitCursorAfterMs) {
      EXPECT_FALSE(wait) << ms;
    } else if (ms - start >= QtWaitObserver::WaitCursorAfterMs + 2 * WaitObserver::SliceMs) {
      EXPECT_TRUE(wait) << ms;
    }
  }
  Idle();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the cursor is back once the command is over";
}

TEST_F(ExchangeWait, InputDuringTheWaitReachesNothingAndACloseWaitsForTheExchange) {
  link.camera.Faults().missingReplies = -1;
  app->Document()->SetModifiedFlag(true);
  prompts.saveAnswers = {OperatorPrompts::Answer::No};
  QRadioButton* radio = nullptr;
  QRadioButton* other = nullptr;
  for (QRadioButton* r : app->View()->findChildren<QRadioButton*>()) {
    if (!r->isEnabled() || r->isChecked()) continue;
    if (radio != nullptr && other == nullptr && r->group() != radio->group()) other = r;
    if (radio == nullptr) radio = r;
  }
  ASSERT_NE(radio, nullptr);
  ASSERT_NE(other, nullptr);
  // Outside a wait, a click through the window system reaches its button: the path below is live.
  frame->show();
  QTest::mouseClick(frame->windowHandle(), Qt::LeftButton, Qt::NoModifier, other->mapTo(frame, other->rect().center()));
  ASSERT_TRUE(other->isChecked());
  const bool radioWas = radio->isChecked();
  bool closedDuringWait = true;
  bool done = false;
  probe->during = [&] {
    if (done) return;
    done = true;
    QTest::mouseClick(radio, Qt::LeftButton);
    // The same click as the window system delivers it: to the window first, which routes it on.
    QTest::mouseClick(frame->windowHandle(), Qt::LeftButton, Qt::NoModifier, radio->mapTo(frame, radio->rect().center()));
    QTest::keyClick(app->View(), Qt::Key_Right);
    QTest::keyClick(frame, Qt::Key_P, Qt::ControlModifier);  // the register command menu's shortcut
    QTest::keyClick(frame, Qt::Key_R, Qt::ControlModifier);
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/dropped.vq"))});
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &drop);
    closedDuringWait = frame->close();
  };
  // An ordinary timer, marked as nothing: every tick is held while a command runs.
  CountingTimer timer;
  timer.port = link.port.get();
  QBasicTimer ticking;
  ticking.start(0, &timer);

  const size_t requestsBefore = link.Requests().size();
  EXPECT_EQ(ReadGain(), -CommError::Timeout);
  ASSERT_TRUE(done);
  EXPECT_FALSE(closedDuringWait);
  EXPECT_TRUE(frame->isVisible()) << "the window stays while the camera is waited for";
  EXPECT_EQ(std::vector<std::string>(link.Requests().begin() + static_cast<long>(requestsBefore), link.Requests().end()),
            std::vector<std::string>(4, "01FF810C000000"))
      << "only the read reached the camera";
  EXPECT_EQ(radio->isChecked(), radioWas);
  EXPECT_TRUE(app->Document()->IsModified());
  EXPECT_EQ(app->Document()->CommandMenuWindow(), nullptr);
  EXPECT_TRUE(prompts.saveQuestions.isEmpty());
  EXPECT_EQ(timer.ticksDuringExchanges, 0);

  // Back in the event loop: the held tick once, then the close with its save prompt.
  const int ticksBefore = timer.ticks;
  ticking.stop();
  link.camera.Faults().missingReplies = 0;
  Idle();
  EXPECT_EQ(timer.ticks, ticksBefore + 1) << "a held tick is delivered once, never lost, never doubled";
  EXPECT_EQ(prompts.saveQuestions.size(), 1);
  EXPECT_FALSE(frame->isVisible());
}

// One click on a slider's arrow with the cable out: the press writes, the release comes during that
// write's four-second wait, and the arrow's own auto-repeat timer fires in it too.
class SilentCameraClick : public ExchangeWait, public ::testing::WithParamInterface<BoxAnswerer::By> {};

TEST_P(SilentCameraClick, EveryBoxAnswersAndNoExchangeStartsInsideAnother) {
  UseProbe(4);  // a second of the camera's silence takes a quarter second: the repeat timer fires
  ShowRealBoxes();
  link.camera.Faults().silent = true;
  BoxAnswerer answerer(GetParam());
  QString statusWhileOpen;
  answerer.whileOpen = [&] { statusWhileOpen = frame->StatusText(); };
  QScrollBar* bar = Bar(PanelIds::BlackLevelBar);
  const QPoint arrow = ScrollBarPoint(bar, QStyle::SC_ScrollBarAddLine);
  bool released = false;
  probe->during = [&] {
    if (released) return;
    released = true;
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, arrow);
  };
  link.device->ClearWire();

  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, arrow);
  QTest::qWait(1500);  // time enough for an auto-repeat that ran on to show itself

  ASSERT_TRUE(released);
  EXPECT_EQ(answerer.unanswerable, 0) << "a box that ignores Return or OK hangs the program";
  EXPECT_EQ(answerer.answered, QStringList{TimeoutMessage()});
  EXPECT_EQ(statusWhileOpen.toStdString(), "Sending Black Level data to camera...")
      << "\"Ready\" only when the program is idle";
  EXPECT_EQ(link.device->Sent(), std::vector<uint8_t>(4, Framing::ENQ))
      << "one write's four tries a second apart: none nested in it, none after the release";
  EXPECT_EQ(link.port->RefusedExchanges(), 0) << "nothing even asked for an exchange during the wait";
  Idle();
  EXPECT_EQ(frame->StatusText().toStdString(), "Ready");
}

INSTANTIATE_TEST_SUITE_P(AnsweredBy, SilentCameraClick,
                         ::testing::Values(BoxAnswerer::By::Return, BoxAnswerer::By::ClickOk),
                         [](const auto& param) { return param.param == BoxAnswerer::By::Return ? "Return" : "ClickOk"; });

// Press and hold, on a line where each write takes a third of a second, and let go while a write
// waits: the control must hear of the release, so that its auto-repeat ends there.
struct HeldControlCase {
  const char* name;
  bool spinButton;  // else a slider's arrow, which writes on every step
};

void PrintTo(const HeldControlCase& held, std::ostream* out) { *out << held.name; }

class HeldControl : public ExchangeWait, public ::testing::WithParamInterface<HeldControlCase> {};

TEST_P(HeldControl, NoStepAfterTheReleaseBeyondTheWriteInFlight) {
  UseProbe(1);  // real time
  link.camera.Faults().byteDelayUs = 150000;
  QScrollBar* bar = Bar(PanelIds::GainBar);
  auto* spin = static_cast<SpinButton*>(app->View()->Control(PanelIds::SerialSpin));
  spin->show();
  int steps = 0;
  QObject::connect(spin, &SpinButton::Stepped, [&] { ++steps; });
  QObject::connect(bar, &QAbstractSlider::actionTriggered, [&] { ++steps; });
  // The spin button writes nothing itself; the camera is kept busy as a poll would keep it.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] { app->Document()->WriteCameraValue(ParamTriggerMode, 0); });

  QWidget* control = GetParam().spinButton ? static_cast<QWidget*>(spin) : bar;
  const QPoint at = GetParam().spinButton ? SpinUpPoint(spin) : ScrollBarPoint(bar, QStyle::SC_ScrollBarAddLine);
  int stepsAtRelease = -1;
  probe->during = [&] {
    if (stepsAtRelease < 0 && steps >= 3) {
      stepsAtRelease = steps;
      QTest::mouseRelease(control, Qt::LeftButton, Qt::NoModifier, at);
    }
  };
  if (GetParam().spinButton) poll.start(50);
  QTest::mousePress(control, Qt::LeftButton, Qt::NoModifier, at);
  for (int i = 0; i < 100 && stepsAtRelease < 0; ++i) QTest::qWait(50);
  ASSERT_GE(stepsAtRelease, 3) << "the control auto-repeated while held";
  poll.stop();
  QTest::qWait(1200);

  // A slider's step at the release is the write in flight; a spin step writes nothing at all.
  EXPECT_LE(steps - stepsAtRelease, GetParam().spinButton ? 0 : 1);
  EXPECT_EQ(link.port->RefusedExchanges(), 0);
}

INSTANTIATE_TEST_SUITE_P(Controls, HeldControl,
                         ::testing::Values(HeldControlCase{"SliderArrow", false}, HeldControlCase{"SpinButton", true}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(ExchangeWait, ADragLetGoDuringItsWriteEndsWithTheFinalWrite) {
  link.camera.Faults().byteDelayUs = 50000;
  QScrollBar* bar = Bar(PanelIds::GainBar);
  const QPoint thumb = ScrollBarPoint(bar, QStyle::SC_ScrollBarSlider);
  const QPoint to = thumb + QPoint(30, 0);
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, thumb);
  ASSERT_TRUE(bar->isSliderDown());
  bool released = false;
  probe->during = [&] {
    if (released) return;
    released = true;
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, to);
  };
  const size_t before = link.Requests().size();
  QMouseEvent move(QEvent::MouseMove, to, bar->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &move);
  ASSERT_TRUE(released);
  const int dragged = bar->sliderPosition();
  ASSERT_NE(dragged, 168);
  Idle();

  EXPECT_FALSE(bar->isSliderDown()) << "the thumb is not left drawn pressed";
  char text[Framing::FrameBufferSize];
  CameraPort::FormatRequest(text, 1, 0xFF, 0x01, 0x0C, 0, 671, dragged);
  EXPECT_EQ(std::vector<std::string>(link.Requests().begin() + static_cast<long>(before), link.Requests().end()),
            std::vector<std::string>(2, text))
      << "the dragged position, then the final write of the release";
  EXPECT_EQ(app->Document()->GetCameraValue(ParamGainLevel), dragged);
}

TEST_F(ExchangeWait, ACloseDuringReadFromCameraWaitsUntilItsMessageIsAnswered) {
  ShowRealBoxes();
  link.camera.Faults().missingReplies = -1;
  app->Document()->SetModifiedFlag(true);
  prompts.saveAnswers = {OperatorPrompts::Answer::No};
  BoxAnswerer answerer(BoxAnswerer::By::Return);
  qsizetype questionsWhileOpen = -1;
  answerer.whileOpen = [&] { questionsWhileOpen = prompts.saveQuestions.size(); };
  bool asked = false;
  probe->during = [&] {
    if (asked) return;
    asked = true;
    EXPECT_FALSE(frame->close()) << "the close box during the read";
  };
  app->OnCommand(CommandIds::ReadFromCamera);
  ASSERT_TRUE(asked);
  EXPECT_EQ(answerer.answered, QStringList{TimeoutMessage()}) << "the read's message first, alone";
  EXPECT_EQ(questionsWhileOpen, 0) << "no save prompt over the unanswered message";
  Idle();
  EXPECT_EQ(prompts.saveQuestions.size(), 1) << "then the save prompt, as for any close";
  EXPECT_FALSE(frame->isVisible());
}

// Everything that can start an exchange, driven while a read waits for a reply that never comes.
TEST_F(ExchangeWait, NoPathOfTheWindowStartsAnExchangeWhileOneWaits) {
  // The service windows are open, and a detection is running: its poll timer ticks throughout.
  link.camera.SetDetection(1000, 0);
  app->Document()->OnCommandMenu();
  QTest::mouseClick(static_cast<QAbstractButton*>(app->View()->Control(PanelIds::Detect)), Qt::LeftButton);
  auto* spots = dynamic_cast<WhiteSpotDialog*>(app->Document()->WhiteSpotWindow());
  ASSERT_NE(spots, nullptr);
  auto* commandMenu = dynamic_cast<QWidget*>(app->Document()->CommandMenuWindow());
  ASSERT_NE(commandMenu, nullptr);
  QTest::mouseClick(static_cast<QAbstractButton*>(spots->Control(WhiteSpotIds::Detect)), Qt::LeftButton);
  ASSERT_TRUE(spots->IsPolling());
  auto* spin = static_cast<SpinButton*>(app->View()->Control(PanelIds::SerialSpin));
  spin->show();
  Idle();

  UseProbe(8);  // the read's 16 s take 2 s: every widget's and window's timer fires in them
  link.camera.Faults().missingReplies = -1;
  const size_t before = link.Requests().size();
  bool driven = false;
  probe->during = [&] {
    if (driven) return;
    driven = true;
    for (const SliderBinding& binding : SliderBindings::Table) {
      QScrollBar* bar = Bar(binding.barId);
      for (auto part : {QStyle::SC_ScrollBarAddLine, QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddPage,
                        QStyle::SC_ScrollBarSubPage, QStyle::SC_ScrollBarSlider}) {
        const QPoint at = ScrollBarPoint(bar, part);
        QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseMove(bar, at + QPoint(20, 0));
        QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, at + QPoint(20, 0));
      }
      for (auto key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_PageUp, Qt::Key_PageDown}) QTest::keyClick(bar, key);
    }
    QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, SpinUpPoint(spin));
    for (QAbstractButton* button : app->View()->findChildren<QAbstractButton*>()) QTest::mouseClick(button, Qt::LeftButton);
    for (QAbstractButton* button : spots->findChildren<QAbstractButton*>()) QTest::mouseClick(button, Qt::LeftButton);
    for (QAbstractButton* button : commandMenu->findChildren<QAbstractButton*>()) QTest::mouseClick(button, Qt::LeftButton);
    size_t count = 0;
    const Accelerator* keys = Accelerators(count);
    for (size_t i = 0; i < count; ++i) {
      const QKeyCombination combination = QKeySequence(QString::fromLatin1(keys[i].keys))[0];
      QTest::keyClick(frame, combination.key(), combination.keyboardModifiers());
    }
  };
  EXPECT_EQ(ReadGain(), -CommError::Timeout);
  ASSERT_TRUE(driven);
  EXPECT_EQ(std::vector<std::string>(link.Requests().begin() + static_cast<long>(before), link.Requests().end()),
            std::vector<std::string>(4, "01FF810C000000"))
      << "only the read reached the camera";
  EXPECT_EQ(link.port->RefusedExchanges(), 0) << "and nothing asked for another exchange while it ran";
  EXPECT_GT(probe->slices, 100);

  // The command over, the held poll tick reads the detection state: the camera is reached again.
  link.camera.Faults().missingReplies = 0;
  Idle();
  EXPECT_GT(link.Requests().size(), before + 4);
  EXPECT_EQ(link.port->RefusedExchanges(), 0);
}

// A Camera Link library call blocks for its whole time-out; it runs aside while the window is kept,
// on one worker for the life of the observer.
TEST(ExchangeWaitCameraLink, TheWindowIsKeptWhileALibraryCallBlocks) {
  SimulatedGrabber grabber;
  ASSERT_TRUE(grabber.Loaded());
  QtWaitObserver waiter;
  ProbingObserver probe(waiter);
  RecordingOperatorOutput output;
  CameraPort port;
  port.SetOperatorOutput(&output);
  port.SetWaitObserver(&probe);
  ASSERT_EQ(port.OpenCameraLink(VQ_CLSERSIM), 0);
  grabber.Camera().Faults().ignoreEnquiries = 1;  // the first ENQ's one-second wait runs out
  int32_t value = -1;
  LoopPasses loop(port);
  EXPECT_EQ(port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  EXPECT_EQ(value, 168);
  EXPECT_GE(loop.passes, 20) << "the event loop ran every few milliseconds of that second";
  EXPECT_GE(probe.slices, 5) << "every library call ran aside";
  port.Close();
}
