// The white spot detection dialog: threshold slider, DETECT with its poll timer, READ, the spot list and its map.
#include "dialogs/WhiteSpotDialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTimerEvent>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

#include "camera/CVQS90Doc.h"
#include "camera/FileNames.h"
#include "camera/ParameterTable.h"
#include "camera/WhiteSpotList.h"
#include "dialogs/EnterKey.h"
#include "dialogs/WhiteSpotMap.h"
#include "panel/FormBuilder.h"
#include "panel/SliderStep.h"
#include "platform/RegularFile.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "resources/WhiteSpotLayout.h"

namespace {

using namespace WhiteSpotIds;

constexpr int ThresholdMaximum = 255;
constexpr int PageStep = 10;

// The map's side, in dialog units: it starts where the form ended, so every control of the form
// keeps its place, and the form's margin is kept on its right.
constexpr int MapTop = 6;
constexpr int MapHeight = 170;
constexpr int SpotNameTop = 180;
constexpr int SaveTop = 195;  // in line with CLOSE
constexpr int SaveWidth = 50;
constexpr int Margin = 8;

constexpr const char* MapSaveFailedText = "Failed to save the white spot map.";
constexpr const char* ListSaveFailedText = "Failed to save the white spot list.";

}  // namespace

WhiteSpotDialog::WhiteSpotDialog(CVQS90Doc& document)
    : QDialog(nullptr),
      document_(document),
      chooseFile_([](QWidget* parent, const QString& title, const QString& name, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, title, name, filter);
      }) {
  QMap<int, QWidget*> controls = FormBuilder(WhiteSpotLayout).Build(WhiteSpotLayout, this);
  controls.insert(AddMap());
  controls_ = FormControls(std::move(controls));
  ShowScanWindow();
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

QMap<int, QWidget*> WhiteSpotDialog::AddMap() {
  using namespace ControlStyle;
  using namespace WhiteSpotMapIds;
  using K = ControlKind;
  const FormBuilder builder(WhiteSpotLayout);
  const int left = WhiteSpotLayout.width;
  const QRect place = builder.ToPixels(left, MapTop, 0, MapHeight);
  // The width follows from the height, so that the sensor's pixels stay square.
  const int mapWidth =
      int(std::lround(double(place.height()) * WhiteSpotMap::SensorWidth / WhiteSpotMap::SensorLines()));
  const int charWidth = builder.ToPixels(4, 0).width();
  const int mapUnits = (mapWidth * 4 + charWidth - 1) / charWidth;

  const ControlLayout side[] = {
      {SpotName, K::StaticText, "", left, SpotNameTop, mapUnits, 10, None},
      {WhiteSpotMapIds::SavePng, K::PushButton, "SAVE PNG", left, SaveTop, SaveWidth, 14, None},
      {WhiteSpotMapIds::SaveCsv, K::PushButton, "SAVE CSV", left + SaveWidth + 4, SaveTop, SaveWidth, 14, None},
  };
  // Widens the form by the map and its margin; the title and height stay.
  const FormLayout layout{nullptr, WhiteSpotLayout.face, left + mapUnits + Margin, WhiteSpotLayout.height, side, std::size(side)};
  QMap<int, QWidget*> controls = builder.Build(layout, this);

  auto* map = new WhiteSpotMap(this);
  map->setGeometry(place.x(), place.y(), mapWidth, place.height());
  map->setObjectName(QStringLiteral("control%1").arg(WhiteSpotMapIds::Map));
  controls.insert(WhiteSpotMapIds::Map, map);

  connect(map, &WhiteSpotMap::Hovered, static_cast<QLabel*>(controls.value(SpotName)), &QLabel::setText);
  auto* savePng = static_cast<QAbstractButton*>(controls.value(WhiteSpotMapIds::SavePng));
  connect(savePng, &QAbstractButton::clicked, this, [this] {
    if (auto path = ChooseFile("SAVE PNG", "whitespots.png", "PNG file (*.png);;all file (*.*)")) SaveMap(*path);
  });
  auto* saveCsv = static_cast<QAbstractButton*>(controls.value(WhiteSpotMapIds::SaveCsv));
  connect(saveCsv, &QAbstractButton::clicked, this, [this] {
    if (auto path = ChooseFile("SAVE CSV", "whitespots.csv", "CSV file (*.csv);;all file (*.*)")) SaveList(*path);
  });

  // The window follows the values the document is given; it is never read for the map.
  connect(&document_, &CVQS90Doc::UpdateAllViews, this, &WhiteSpotDialog::ShowScanWindow);
  connect(&document_, &CVQS90Doc::DocumentReplaced, this, &WhiteSpotDialog::ShowScanWindow);
  return controls;
}

std::optional<std::string> WhiteSpotDialog::ChooseFile(const char* title, const char* name, const char* filter) {
  // The file choice runs an event loop of its own, in which this window may be replaced and deleted.
  QPointer<WhiteSpotDialog> alive(this);
  const QString path =
      chooseFile_(this, QString::fromLatin1(title), QString::fromLatin1(name), QString::fromLatin1(filter));
  if (!alive || path.isEmpty()) return std::nullopt;
  return FileNameBytes(path).toStdString();
}

WhiteSpotMap& WhiteSpotDialog::Map() const { return *Get<WhiteSpotMap>(WhiteSpotMapIds::Map); }

void WhiteSpotDialog::ShowScanWindow() {
  std::optional<WhiteSpotMap::ScanWindow> window;
  if (document_.GetCameraValue(ParamPartialScan) == 1) {
    window = {document_.GetCameraValue(ParamPartialScanStart), document_.GetCameraValue(ParamPartialScanWidth)};
  }
  Map().SetScanWindow(window);
}

int WhiteSpotDialog::SaveMap(const std::string& path) {
  const int error = Map().SavePng(path);
  if (error != 0) ReportSaveFailure(MapSaveFailedText, path, error);
  return error;
}

int WhiteSpotDialog::SaveList(const std::string& path) {
  const int error = Map().SaveCsv(path);
  if (error != 0) ReportSaveFailure(ListSaveFailedText, path, error);
  return error;
}

void WhiteSpotDialog::ReportSaveFailure(const char* what, const std::string& path, int error) {
  document_.Parameters().Operator().ShowMessage(RegularFile::FailureMessage(what, path, error),
                                                LoadString(StringIds::ApplicationTitle), MessageIcon::Warning);
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
  std::vector<WhiteSpot::Spot> spots = WhiteSpot::ReadSpots(document_.Parameters(), &failure);
  Get<QPlainTextEdit>(SpotList)->setPlainText(QString::fromStdString(WhiteSpot::SpotLines(spots, "\r\n")));
  Map().SetSpots(std::move(spots));
  ShowScanWindow();
  // The lines read before the failure stay in view behind the one error box.
  if (failure < 0) document_.Parameters().ReportLastError();
}
