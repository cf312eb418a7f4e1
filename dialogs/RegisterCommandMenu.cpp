// The register command menu: typed addresses and data go into request texts exactly as they stand.
#include "dialogs/RegisterCommandMenu.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QLineEdit>

#include "camera/RegisterRequest.h"
#include "camera/CameraParameterSet.h"
#include "camera/ParameterTable.h"
#include "camera/SerialNumberWriter.h"
#include "dialogs/EnterKey.h"
#include "link/Framing.h"
#include "panel/FormBuilder.h"
#include "resources/RegisterMenuLayout.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

using namespace RegisterMenuIds;

namespace {

struct Area {
  int id;
  int writeCode;  // the read code is this with the read bit set
  int dataDigits;
  int lastShown;  // the highest address the rows are filled in up to
};


constexpr Area kAreas[] = {
    // The common area's rows end at 7E: 7F is never offered there.
    {AreaCommon, 0x01, 4, 0x7E}, {AreaDsp, 0x02, 2, 0xFF}, {AreaTg, 0x03, 2, 0xFF},  {AreaAfe, 0x04, 4, 0xFF},
    {AreaIf, 0x05, 2, 0xFF},     {AreaInfo, 0x10, 4, 0x7F}, {AreaLr, 0x06, 2, 0xFF},
};
constexpr int TgIndex = 2;

QString Hex2(int value) { return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper(); }

QString UnlockRequest() {
  // The same unlock word the serial-number writer sends, but to the working register.
  const CameraParameter& row = ParameterTable::Row(ParamSerialNumberUnlock);
  char text[Framing::FrameBufferSize];
  return QString::fromLatin1(CameraPort::FormatRequest(text, 0x00, 0xFF, row.writeArea, row.address, row.minimum,
                                                        row.maximum, SerialNumberUnlockValue));
}

// Taken afresh for every row, so a run of rows follows the buttons as they stand.
const Area& SelectedArea(const QButtonGroup& areas) {
  for (const Area& area : kAreas) {
    if (area.writeCode == areas.checkedId()) return area;
  }
  return kAreas[TgIndex];  // the group is exclusive and starts on TG, so this is never reached
}

}  // namespace

RegisterCommandMenu::RegisterCommandMenu(CameraParameterSet& parameters) : QDialog(nullptr), parameters_(parameters) {
  controls_ = FormControls(FormBuilder(RegisterMenuLayout).Build(RegisterMenuLayout, this));
  // Closing the main window ends the program even while this window is open.
  setAttribute(Qt::WA_QuitOnClose, false);

  modes_ = new QButtonGroup(this);
  modes_->addButton(Button(Fpga), 0x00);
  modes_->addButton(Button(Eeprom), 0x01);
  areas_ = new QButtonGroup(this);
  for (const Area& area : kAreas) areas_->addButton(Button(area.id), area.writeCode);
  ranges_ = new QButtonGroup(this);
  for (int k = 0; FirstRange + k <= LastRange; ++k) ranges_->addButton(Button(FirstRange + k), 0x20 * k);
  // A click refreshes even on the button already chosen; the mode never does.
  connect(areas_, &QButtonGroup::idClicked, this, &RegisterCommandMenu::RefreshRows);
  connect(ranges_, &QButtonGroup::idClicked, this, &RegisterCommandMenu::RefreshRows);

  for (int n = 0; n < RowCount; ++n) {
    connect(Button(FirstWriteButton + n), &QAbstractButton::clicked, this, [this, n] { WriteRow(n); });
    connect(Button(FirstReadButton + n), &QAbstractButton::clicked, this, [this, n] { ReadRow(n); });
  }
  connect(Button(RegisterMenuIds::WriteAll), &QAbstractButton::clicked, this, &RegisterCommandMenu::WriteAll);
  connect(Button(RegisterMenuIds::ReadAll), &QAbstractButton::clicked, this, &RegisterCommandMenu::ReadAll);
}

void RegisterCommandMenu::Create() {
  // Without the unlock the camera refuses writes to its information words; the menu is still useful
  // for everything else, so a failure is told and the window opens anyway.
  if (parameters_.SendFrame(UnlockRequest().toStdString()) < 0) parameters_.ReportLastError();
  for (int id : {AreaTg, FirstRange, Fpga}) Button(id)->setChecked(true);
  RefreshRows();
  show();
}

void RegisterCommandMenu::Focus() {
  raise();
  activateWindow();
}

QAbstractButton* RegisterCommandMenu::Button(int id) const { return Get<QAbstractButton>(id); }

QLineEdit* RegisterCommandMenu::AddressBox(int row) const {
  return Get<QLineEdit>(FirstAddressBox + row);
}

QLineEdit* RegisterCommandMenu::DataBox(int row) const { return Get<QLineEdit>(FirstDataBox + row); }

void RegisterCommandMenu::RefreshRows() {
  const Area& area = SelectedArea(*areas_);
  const int base = ranges_->checkedId();
  for (int n = 0; n < RowCount; ++n) {
    const int address = base + n;
    const bool shown = address <= area.lastShown;
    AddressBox(n)->setText(shown ? Hex2(address) : QString());
    DataBox(n)->setText(shown ? QString(area.dataDigits, QLatin1Char('0')) : QString());
  }
}

void RegisterCommandMenu::Warn(const char* text) const {
  parameters_.Operator().ShowMessage(text, LoadString(StringIds::ApplicationTitle), MessageIcon::Warning);
}

// The refusal message for a check that failed; true when the request may go.
bool RegisterCommandMenu::Accepted(RegisterRequest::Check check) const {
  if (check == RegisterRequest::Check::BadAddress) Warn(RegisterMenuTexts::AddressInvalid);
  if (check == RegisterRequest::Check::BadData) Warn(RegisterMenuTexts::DataInvalid);
  return check == RegisterRequest::Check::Ok;
}

bool RegisterCommandMenu::WriteRow(int row) {
  const Area& area = SelectedArea(*areas_);
  std::string text;
  // The request text is 8-bit: a character outside it never passes the checks.
  if (!Accepted(RegisterRequest::BuildWrite(modes_->checkedId(), area.writeCode, static_cast<size_t>(area.dataDigits),
                                            AddressBox(row)->text().toStdString(), DataBox(row)->text().toStdString(),
                                            text))) {
    return false;
  }
  if (parameters_.SendFrame(text) < 0) {
    parameters_.ReportLastError();
    return false;
  }
  return true;
}

bool RegisterCommandMenu::ReadRow(int row) {
  const Area& area = SelectedArea(*areas_);
  std::string text;
  if (!Accepted(RegisterRequest::BuildRead(modes_->checkedId(), area.writeCode, AddressBox(row)->text().toStdString(),
                                           text))) {
    return false;
  }
  char reply[Framing::FrameBufferSize];
  if (parameters_.Transact(text, reply) < 0) {
    parameters_.ReportLastError();
    return false;
  }
  DataBox(row)->setText(QString::fromLatin1(reply, area.dataDigits));
  return true;
}

void RegisterCommandMenu::WriteAll() {
  for (int n = 0; n < RowCount && WriteRow(n); ++n) {
  }
}

void RegisterCommandMenu::ReadAll() {
  for (int n = 0; n < RowCount && ReadRow(n); ++n) {
  }
}

void RegisterCommandMenu::keyPressEvent(QKeyEvent* event) {
  if (PressFocusedButton(*this, *event)) return;
  // With no default button Enter elsewhere stands for OK, which only hides the window.
  if (IsEnterKey(*event)) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);  // Esc hides it there
}
