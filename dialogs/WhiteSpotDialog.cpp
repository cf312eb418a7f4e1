// The white spot detection dialog: threshold slider, DETECT with its poll timer, READ and the spot list.
#include "dialogs/WhiteSpotDialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTimerEvent>
#include <algorithm>

#include "camera/CVQS90Doc.h"
#include "camera/ParameterTable.h"
#include "camera/WhiteSpotList.h"
#include "dialogs/EnterKey.h"
#include "panel/FormBuilder.h"
#include "panel/SliderStep.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "resources/WhiteSpotLayout.h"

namespace {

using namespace WhiteSpotIds;

constexpr int ThresholdMaximum = 255;
constexpr int PageStep = 10;

}  // namespace

WhiteSpotDialog::WhiteSpotDialog(CVQS90Doc& document) : QDialog(nullptr), document_(document) {
  controls_ = FormControls(FormBuilder().Build(WhiteSpotLayout, this));
  // Without an owner the dialog would count as a main window and keep the program running after
  // the real main window closed.
  setAttribute(Qt::WA_QuitOnClose, false);

  auto* bar = Get<QScrollBar>(ThresholdBar);
  bar->setSingleStep(1);
  bar->setPageStep(PageStep);
  connect(bar, &QAbstractSlider::actionTriggered, this, &WhiteSpotDialog::OnSliderAction);
  // Letting go of the thumb writes its position once more, as the end of a drag always has.
  connect(bar, &QAbstractSlider::sliderReleased, this, [this] { OnSliderAction(QAbstractSlider::SliderMove); });

  correction_ = new QButtonGroup(this);
  correction_->addButton(Get<QAbstractButton>(CorrectionOff), 0);
  correction_->addButton(Get<QAbstractButton>(CorrectionOn), 1);

  connect(Get<QAbstractButton>(Detect), &QAbstractButton::clicked, this,
          &WhiteSpotDialog::StartDetection);
  connect(Get<QAbstractButton>(Read), &QAbstractButton::clicked, this, &WhiteSpotDialog::ListSpots);
  // CLOSE, Esc, Enter and the close box all end in reject(), which for a modeless dialog only hides it.
  connect(Get<QAbstractButton>(Close), &QAbstractButton::clicked, this, &QDialog::reject);
}

WhiteSpotDialog::~WhiteSpotDialog() = default;

void WhiteSpotDialog::Create() {
  // A failed read has been reported by the document; the value it already held is shown instead.
  document_.ReadCameraValue(ParamWhiteSpotThreshold);
  const int threshold = document_.GetCameraValue(ParamWhiteSpotThreshold);
  auto* bar = Get<QScrollBar>(ThresholdBar);
  bar->setRange(0, ThresholdMaximum);
  bar->setValue(threshold);
  Get<QLabel>(ThresholdReadout)->setText(QString::asprintf("%2d\n", threshold));

  document_.ReadCameraValue(ParamWhiteSpotCorrection);
  // Values other than 0 and 1 leave both buttons clear.
  if (QAbstractButton* button = correction_->button(document_.GetCameraValue(ParamWhiteSpotCorrection))) {
    button->setChecked(true);
  }
  show();
}

void WhiteSpotDialog::Focus() {
  raise();
  activateWindow();
}

void WhiteSpotDialog::Destroy() {
  pollTimer_.stop();
  hide();
}

void WhiteSpotDialog::OnSliderAction(int action) {
  auto* bar = Get<QScrollBar>(ThresholdBar);
  std::optional<int> step = TakeSliderStep(*bar, action);
  if (!step) return;
  const int position = *step;
  if (document_.WriteCameraValue(ParamWhiteSpotThreshold, position) < 0) return;
  {
    QSignalBlocker quiet(bar);
    bar->setValue(position);
  }
  Get<QLabel>(ThresholdReadout)
      ->setText(QString::asprintf(" %d ", ParameterTable::ToCamera(ParamWhiteSpotThreshold, position)));
}

void WhiteSpotDialog::keyPressEvent(QKeyEvent* event) {
  if (PressFocusedButton(*this, *event)) return;
  QDialog::keyPressEvent(event);  // Enter elsewhere presses the default CLOSE, Esc hides
}

void WhiteSpotDialog::StartDetection() {
  // Polled even when the start was refused: the write may have reached the camera before its
  // acknowledgement was lost, and the state read tells.
  document_.WriteCameraValue(ParamWhiteSpotDetect, 1);
  pollTimer_.start(WhiteSpot::PollIntervalMs, this);
}

void WhiteSpotDialog::DeliverPollTick() {
  if (!pollTimer_.isActive()) return;
  QTimerEvent tick(pollTimer_.timerId());
  QCoreApplication::sendEvent(this, &tick);
}

void WhiteSpotDialog::timerEvent(QTimerEvent* event) {
  if (event->timerId() != pollTimer_.timerId()) {
    QDialog::timerEvent(event);
    return;
  }
  OnPollTick();
}

void WhiteSpotDialog::OnPollTick() {
  // A message box opened by this tick (an error box of the state read or of the list, or the end
  // message) runs an event loop of its own in which the timer keeps firing. Ticks arriving there
  // are dropped, so one run shows one end message and error boxes never stack; the timer brings
  // the next tick soon enough.
  if (handlingTick_) return;
  handlingTick_ = true;
  // Each box's event loop may also see this window replaced and deleted.
  QPointer<WhiteSpotDialog> alive(this);

  // A failed read keeps the last known state, so a run still marked running goes on being polled.
  const bool read = document_.ReadCameraValue(ParamWhiteSpotDetect) >= 0;
  if (!alive) return;
  const int state = document_.GetCameraValue(ParamWhiteSpotDetect);
  if (!read && state != WhiteSpot::Running) {
    // Nothing was heard of this run: an end taken from an older state would tell the operator a
    // detection finished that may never have started. The error box has said what went wrong.
    pollTimer_.stop();
  } else if (state != WhiteSpot::Running) {
    pollTimer_.stop();
    ShowEndMessage(state);
    if (!alive) return;
    if (state == WhiteSpot::Finished) ListSpots();
    if (!alive) return;
  }
  handlingTick_ = false;
}

void WhiteSpotDialog::ShowEndMessage(int state) {
  document_.Parameters().Operator().ShowMessage(WhiteSpot::EndMessage(state), LoadString(StringIds::ApplicationTitle),
                                                MessageIcon::None);
}

void WhiteSpotDialog::ListSpots() {
  int32_t failure = 0;
  const std::string text = WhiteSpot::ListSpots(document_.Parameters(), "\r\n", &failure);
  Get<QPlainTextEdit>(SpotList)->setPlainText(QString::fromStdString(text));
  // The lines read before the failure stay in view behind the one error box.
  if (failure < 0) document_.Parameters().ReportLastError();
}
