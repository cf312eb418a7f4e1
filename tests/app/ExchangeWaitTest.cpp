// While the camera is waited for, the window keeps painting; what the operator does meanwhile never
// reaches the camera or the document, and a close request takes effect after the exchange.
#include <QAbstractButton>
#include <QApplication>
#include <QMimeData>
#include <QPaintEvent>
#include <QRadioButton>
#include <QTest>
#include <QTimerEvent>
#include <QUrl>
#include <functional>

#include "app/AppFixture.h"
#include "app/QtWaitObserver.h"
#include "support/RecordingOperatorOutput.h"
#include "support/SimulatedGrabber.h"

namespace {

// Runs a callback from every pass of the event loop, with the port's clock at that moment.
class EveryPass : public QObject {
 public:
  explicit EveryPass(std::function<void()> pass) : pass_(std::move(pass)) { startTimer(0); }

 protected:
  void timerEvent(QTimerEvent*) override { pass_(); }

 private:
  std::function<void()> pass_;
};

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

// Counts the ticks of a timer whose ticks would start exchanges.
class ExchangeTimer : public QObject {
 public:
  ExchangeTimer() { setProperty(WaitObserver::StartsExchangesProperty, true); }
  int ticks = 0;
  int ticksDuringExchanges = 0;
  const CameraPort* port = nullptr;

 protected:
  void timerEvent(QTimerEvent*) override {
    ++ticks;
    if (port->ExchangeRunning()) ++ticksDuringExchanges;
  }
};

class ExchangeWait : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    link.port->SetWaitObserver(&waiter);
    ASSERT_EQ(Start(), 0);
    frame = app->MainFrame();
    Idle();
    link.camera.Faults().missingReplies = -1;  // acknowledges every request, never replies
  }
  void TearDown() override { link.port->SetWaitObserver(nullptr); }

  int32_t ReadGain() { return app->Document()->ReadCameraValue(ParamGainLevel); }

  QtWaitObserver waiter;
  CMainFrame* frame = nullptr;
};

}  // namespace

TEST_F(ExchangeWait, TheGrownWindowIsPaintedAndTheWaitCursorShowsWhileTheReadWaits) {
  const QSize before = frame->size();
  PaintWatcher watcher(frame, *link.port);
  bool grown = false;
  std::vector<std::pair<int64_t, bool>> cursor;  // port time, wait cursor shown
  EveryPass pass([&] {
    if (!grown && link.port->ExchangeRunning()) {
      frame->resize(before + QSize(120, 90));
      grown = true;
    }
    if (link.port->ExchangeRunning()) {
      const QCursor* shown = QApplication::overrideCursor();
      cursor.emplace_back(link.ElapsedMs(), shown != nullptr && shown->shape() == Qt::WaitCursor);
    }
  });
  const int64_t start = link.ElapsedMs();
  EXPECT_EQ(ReadGain(), -CommErrors::Timeout);
  EXPECT_EQ(link.ElapsedMs() - start, 4 * 4001) << "the waits are the exchange's own, however sliced";

  ASSERT_TRUE(grown);
  EXPECT_TRUE(watcher.painted.contains(QPoint(before.width() + 60, before.height() / 2)))
      << "the new strip on the right was painted during the read";
  EXPECT_TRUE(watcher.painted.contains(QPoint(before.width() / 2, before.height() + 45)));
  ASSERT_FALSE(cursor.empty());
  for (const auto& [ms, wait] : cursor) {
    if (ms - start < QtWaitObserver::WaitCursorAfterMs) {
      EXPECT_FALSE(wait) << ms;
    } else if (ms - start >= QtWaitObserver::WaitCursorAfterMs + WaitObserver::SliceMs) {
      EXPECT_TRUE(wait) << ms;
    }
  }
  Idle();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the cursor is back once the loop is";
}

TEST_F(ExchangeWait, InputDuringTheWaitReachesNothingAndACloseWaitsForTheExchange) {
  app->Document()->SetModifiedFlag(true);
  prompts.saveAnswers = {OperatorPrompts::Answer::No};
  QRadioButton* radio = nullptr;
  for (QRadioButton* r : app->View()->findChildren<QRadioButton*>()) {
    if (r->isEnabled() && !r->isChecked()) radio = r;
  }
  ASSERT_NE(radio, nullptr);
  const bool radioWas = radio->isChecked();
  bool closedDuringWait = true;
  bool done = false;
  EveryPass pass([&] {
    if (done || !link.port->ExchangeRunning()) return;
    done = true;
    QTest::mouseClick(radio, Qt::LeftButton);
    QTest::keyClick(app->View(), Qt::Key_Right);
    QTest::keyClick(frame, Qt::Key_P, Qt::ControlModifier);  // the register command menu's shortcut
    QTest::keyClick(frame, Qt::Key_R, Qt::ControlModifier);
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/dropped.vq"))});
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(frame, &drop);
    closedDuringWait = frame->close();
  });
  ExchangeTimer timer;
  timer.port = link.port.get();
  QBasicTimer ticking;
  ticking.start(0, &timer);

  const size_t requestsBefore = link.Requests().size();
  EXPECT_EQ(ReadGain(), -CommErrors::Timeout);
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

// A Camera Link library call blocks for its whole time-out; it runs aside while the window is kept.
TEST(ExchangeWaitCameraLink, TheWindowIsKeptWhileALibraryCallBlocks) {
  SimulatedGrabber grabber;
  ASSERT_TRUE(grabber.Loaded());
  QtWaitObserver waiter;
  RecordingOperatorOutput output;
  CameraPort port;
  port.SetOperatorOutput(&output);
  port.SetWaitObserver(&waiter);
  ASSERT_EQ(port.OpenCameraLink(VQ_CLSERSIM), 0);
  grabber.Camera().Faults().ignoreEnquiries = 1;  // the first ENQ's one-second wait runs out
  int passes = 0;
  EveryPass pass([&] { passes += port.ExchangeRunning() ? 1 : 0; });
  int32_t value = -1;
  EXPECT_EQ(port.ReadParameter(1, 0xFF, 0x81, 0x0C, 0, 671, &value), 0);
  EXPECT_EQ(value, 168);
  EXPECT_GE(passes, 20) << "the event loop ran every few milliseconds of that second";
  port.Close();
}
