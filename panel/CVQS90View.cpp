// The control panel form: radio groups and sliders that write to the camera at once, the enable
// rules, the refresh from the document, FACTORY SET and the serial-number box.
#include "panel/CVQS90View.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>

#include "camera/CVQS90Doc.h"
#include "camera/ParameterTable.h"
#include "camera/SerialNumber.h"
#include "camera/SerialNumberWriter.h"
#include "panel/FormBuilder.h"
#include "panel/SliderStep.h"
#include "panel/RadioBinding.h"
#include "panel/SliderBinding.h"
#include "panel/SpinButton.h"
#include "resources/PanelIds.h"
#include "resources/PanelLayout.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

using namespace PanelIds;

namespace {

constexpr int TimerPeriodMs = 100;
constexpr int FactorySetPolls = 50;
constexpr int LastScannedLine = 1041;  // start plus width may not pass it
constexpr int SerialSpinMaximum = 9999999;

const int HiddenAtSetup[] = {AdjustGainLabel, AdjustGainBar, AdjustGainReadout, SubVoltageLabel, SubVoltageBar,
                             SubVoltageReadout, InfoBox, VendorLabel, ModelLabel, SerialLabel, VersionLabel,
                             VendorText, ModelText, SerialText, VersionText, SerialBox, SerialEdit, SerialSpin,
                             SerialWrite};

}  // namespace

CVQS90View::CVQS90View(QWidget* parent) : QWidget(parent) {
  FormBuilder builder(PanelLayout::Layout());
  controls_ = FormControls(builder.Build(PanelLayout::Layout(), this));
  setObjectName(QStringLiteral("form%1").arg(Form));
  // The form never scrolls and never sizes its window: the main window keeps its own size and
  // shows what fits, as it always has.
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  CreateRadioGroups();
  ConnectSliders();
  ConnectSerialNumber();
  connect(Get<QAbstractButton>(PanelIds::FactorySet), &QAbstractButton::clicked, this,
          &CVQS90View::FactorySet);
  connect(Get<QAbstractButton>(Detect), &QAbstractButton::clicked, this, [this] {
    if (document_ != nullptr) document_->OpenWhiteSpotWindow();
  });
  // The timer does no work; the panel has always run one, and says so when it cannot.
  timerId_ = startTimer(TimerPeriodMs);
}

void CVQS90View::timerEvent(QTimerEvent*) {}

void CVQS90View::CreateRadioGroups() {
  for (const RadioBinding& binding : RadioBindings::Table) {
    QButtonGroup*& group = groups_[binding.parameter];
    if (group == nullptr) {
      group = new QButtonGroup(this);
      ParameterId parameter = binding.parameter;
      QButtonGroup* buttons = group;
      connect(group, &QButtonGroup::idClicked, this, [this, parameter, buttons](int value) {
        ApplyRadio(parameter, value, controls_.IdOf(buttons->button(value)));
        // The frame timing depends on these two groups whatever the write gave.
        if (parameter == ParamPartialScan || parameter == ParamDoubleAccel) UpdateTimingReadouts();
      });
    }
    group->addButton(Get<QAbstractButton>(binding.buttonId), binding.value);
  }
  auto* digits = new QButtonGroup(this);
  digits->addButton(Get<QAbstractButton>(SevenDigits), 0);
  digits->addButton(Get<QAbstractButton>(EightDigits), 1);
  connect(digits, &QButtonGroup::idClicked, this, [this](int mode) { info_.serialDigitsMode = mode; });
}

void CVQS90View::ConnectSliders() {
  for (const SliderBinding& binding : SliderBindings::Table) {
    auto* bar = Get<QScrollBar>(binding.barId);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) { OnSliderAction(bar, action); });
    // Letting go of the thumb writes its position once more, as the end of a drag always has.
    connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar] { OnSliderAction(bar, QAbstractSlider::SliderMove); });
  }
}

void CVQS90View::ConnectSerialNumber() {
  auto* spin = Get<SpinButton>(SerialSpin);
  connect(spin, &SpinButton::Stepped, this, [this](int steps) { StepSerialNumber(steps > 0 ? 1 : -1); });
  connect(Get<QAbstractButton>(SerialWrite), &QAbstractButton::clicked, this,
          &CVQS90View::WriteSerialNumber);
}

void CVQS90View::AttachDocument(CVQS90Doc* doc) {
  if (document_ != nullptr) disconnect(document_, nullptr, this, nullptr);
  document_ = doc;
  connect(doc, &CVQS90Doc::UpdateAllViews, this, &CVQS90View::RefreshFromDocument);
  connect(doc, &CVQS90Doc::DocumentReplaced, this, &CVQS90View::SetupForm);
  if (timerId_ == 0) {
    doc->Parameters().Operator().ShowMessage("Error: Timer creation failed!", LoadString(StringIds::ApplicationTitle),
                                             MessageIcon::None);
  }
  SetupForm();
}

bool CVQS90View::Checked(int id) const {
  auto* button = qobject_cast<QAbstractButton*>(Control(id));
  return button != nullptr && button->isChecked();
}

int CVQS90View::Position(int barId) const { return Get<QScrollBar>(barId)->value(); }

void CVQS90View::SetEnabled(std::initializer_list<int> ids, bool enabled) {
  for (int id : ids) Control(id)->setEnabled(enabled);
}

void CVQS90View::ApplyRadio(ParameterId parameter, int value, int buttonId) {
  if (!Checked(buttonId)) return;
  int32_t result = document_->WriteCameraValue(parameter, value);
  // A refused write is undone by showing the stored values again.
  if (result < 0) document_->RefreshViews();
  if (result > 0) UpdateEnables(buttonId);
}

void CVQS90View::UpdateEnables(int id) {
  if (id == 0 || (id >= ModeOff && id <= ModeVdCont)) {
    bool shutterAllowed = Checked(ModeOff) || Checked(ModeFixed) || Checked(ModeVdCont);
    for (int b = ShutterFirst; b <= ShutterVariable; ++b) Control(b)->setEnabled(shutterAllowed);
    Control(ShutterBox)->setEnabled(shutterAllowed);
    SetEnabled({VariableBar, VariableReadout, VariableLabel}, shutterAllowed && Checked(ShutterVariable));
    bool off = Checked(ModeOff);
    SetEnabled({PolarityBox, PolarityPosi, PolarityNega, SourceBox, SourceCc1, Source12Pin}, !off);
    SetEnabled({SmearBox, SmearOn, SmearOff}, off);
  }
  if (id == 0 || (id >= ShutterFirst && id <= ShutterVariable)) {
    SetEnabled({VariableBar, VariableReadout, VariableLabel}, Checked(ShutterVariable));
  }
  if (id == 0 || id == PartialScanOff || id == PartialScanOn) {
    SetEnabled({StartBar, StartReadout, StartLabel, WidthBar, WidthReadout, WidthLabel}, Checked(PartialScanOn));
  }
}

void CVQS90View::CheckGroup(ParameterId parameter, int value) {
  QButtonGroup* group = groups_.value(parameter);
  // An exclusive group cannot be left with nothing checked, which a value without a button needs.
  group->setExclusive(false);
  for (QAbstractButton* button : group->buttons()) button->setChecked(group->id(button) == value);
  group->setExclusive(true);
}

void CVQS90View::DecodeCameraInfo() {
  info_ = ::DecodeCameraInfo([this](ParameterId id) { return document_->GetCameraValue(id); });
  Get<QLabel>(VendorText)->setText(QString::fromLatin1(info_.vendorName.c_str()));
  Get<QLabel>(ModelText)->setText(QString::fromLatin1(info_.modelName.c_str()));
  Get<QLabel>(SerialText)->setText(QString::fromLatin1(info_.serialNumber.c_str()));
  Get<QLabel>(VersionText)->setText(QString::fromLatin1(info_.version.c_str()));
  Get<QAbstractButton>(SevenDigits)->setChecked(info_.serialDigitsMode == 0);
  Get<QAbstractButton>(EightDigits)->setChecked(info_.serialDigitsMode == 1);
}

QString CVQS90View::WindowTitle() const {
  return info_.modelName.empty() ? QString::fromStdString(LoadString(StringIds::ApplicationTitle))
                                 : QString::fromLatin1(info_.modelName.c_str());
}

void CVQS90View::RefreshFromDocument() {
  if (document_ == nullptr) return;
  DecodeCameraInfo();
  QString title = WindowTitle();
  for (auto it = groups_.begin(); it != groups_.end(); ++it) {
    if (it.key() != ParamShutterSpeed) CheckGroup(it.key(), document_->GetCameraValue(it.key()));
  }
  emit WindowTitleChanged(title);
  int shutter = document_->GetCameraValue(ParamShutterSpeed);
  CheckGroup(ParamShutterSpeed, shutter == 255 || (shutter >= 0 && shutter <= 8) ? shutter : -1);
  for (const SliderBinding& binding : SliderBindings::Table) {
    ShowSliderValue(binding.barId, document_->GetCameraValue(binding.parameter));
  }
  UpdateTimingReadouts();
  UpdateEnables(0);
}

void CVQS90View::SetupForm() {
  for (const SliderBinding& binding : SliderBindings::Table) {
    auto* bar = Get<QScrollBar>(binding.barId);
    QSignalBlocker quiet(bar);
    bar->setRange(ParameterTable::Minimum(binding.parameter, true), ParameterTable::Maximum(binding.parameter, true));
  }
  Get<QSpinBox>(SerialSpin)->setRange(0, SerialSpinMaximum);
  for (int id : HiddenAtSetup) Control(id)->hide();
  Get<QLineEdit>(SerialEdit)->setText(serialNumberText_);
  RefreshFromDocument();
}

void CVQS90View::FactorySet() {
  if (document_->WriteCameraValue(ParamFactorySet, 1) < 0) return;
  for (int poll = 0; poll < FactorySetPolls; ++poll) {
    if (document_->ReadCameraValue(ParamFactorySet) < 0) return;
    if (document_->GetCameraValue(ParamFactorySet) == 1) continue;
    if (document_->ReadAllCameraValues() > 0) document_->RefreshViews();
    return;
  }
}

void CVQS90View::OnSliderAction(QScrollBar* bar, int action) {
  int barId = controls_.IdOf(bar);
  std::optional<int> step = TakeSliderStep(*bar, action);
  if (!step) return;
  int position = *step;
  if (barId == StartBar || barId == WidthBar) {
    MovePartialScan(barId, position);
  } else {
    WriteSlider(barId, position);
  }
}

bool CVQS90View::WriteSlider(int barId, int position) {
  const SliderBinding* binding = SliderBindings::ForBar(barId);
  if (document_->WriteCameraValue(binding->parameter, position) < 0) return false;
  ShowSliderValue(barId, position);
  return true;
}

void CVQS90View::MovePartialScan(int barId, int position) {
  int partner = barId == StartBar ? WidthBar : StartBar;
  int room = LastScannedLine - position;
  if (room < Position(partner)) WriteSlider(partner, room);
  WriteSlider(barId, position);
  UpdateTimingReadouts();
}

void CVQS90View::ShowSliderValue(int barId, int value) {
  const SliderBinding* binding = SliderBindings::ForBar(barId);
  auto* bar = Get<QScrollBar>(barId);
  {
    QSignalBlocker quiet(bar);
    bar->setValue(value);
  }
  Get<QLabel>(binding->readoutId)->setText(SliderBindings::ReadoutText(*binding, value));
}

void CVQS90View::UpdateTimingReadouts() {
  FrameTiming timing =
      ComputeFrameTiming(Checked(AccelOn), Checked(PartialScanOn), Position(StartBar), Position(WidthBar));
  const std::pair<int, int> readouts[] = {{BporchReadout, timing.bporch}, {ActiveReadout, timing.active},
                                          {FporchReadout, timing.fporch}, {TotalReadout, timing.total}};
  for (auto [id, lines] : readouts) Get<QLabel>(id)->setText(QStringLiteral(" %1 ").arg(lines));
}

void CVQS90View::StepSerialNumber(int step) {
  serialNumberText_ = Get<QLineEdit>(SerialEdit)->text();
  std::string text = ::StepSerialNumber(serialNumberText_.toStdString(), info_.serialDigitsMode, step);
  serialNumberText_ = QString::fromStdString(text);
  Get<QLineEdit>(SerialEdit)->setText(serialNumberText_);
}

void CVQS90View::WriteSerialNumber() {
  serialNumberText_ = Get<QLineEdit>(SerialEdit)->text();
  SerialWriteResult result = ::WriteSerialNumber(*document_, serialNumberText_.toStdString(), info_.serialDigitsMode);
  // The log read the model name afresh; the box shows it from now on, the title at the next refresh.
  if (result.modelName) info_.modelName = *result.modelName;
}
