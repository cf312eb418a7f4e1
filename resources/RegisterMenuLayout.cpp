// The register command menu in dialog units: two columns of sixteen rows, the choice groups to the right.
#include "resources/RegisterMenuLayout.h"

#include <array>

namespace {

using namespace ControlStyle;
using namespace RegisterMenuIds;
using K = ControlKind;

constexpr int RowsPerColumn = RowCount / 2;
constexpr int ColumnX[2] = {8, 110};
constexpr int FirstRowY = 16;
constexpr int RowStep = 13;
constexpr unsigned BoxStyle = AlignRight | Uppercase | AutoHScroll;

constexpr int HeaderCount = 4;
constexpr int GroupCount = 4;
constexpr int ChoiceCount = 2 + 7 + 8 + 2;
constexpr int ControlCount = HeaderCount + 4 * RowCount + GroupCount + ChoiceCount;

constexpr std::array<ControlLayout, ControlCount> MakeControls() {
  std::array<ControlLayout, ControlCount> c{};
  int i = 0;
  for (int x : ColumnX) {
    c[i++] = {NoId, K::StaticText, "ｱﾄﾞﾚｽ", x, 5, 30, 9, None};
    c[i++] = {NoId, K::StaticText, "ﾃﾞｰﾀ", x + 28, 5, 36, 9, None};
  }
  // Rows in id order, so that Tab walks along a row and then down the column.
  for (int n = 0; n < RowCount; ++n) {
    const int x = ColumnX[n / RowsPerColumn];
    const int y = FirstRowY + RowStep * (n % RowsPerColumn);
    c[i++] = {FirstAddressBox + n, K::EditBox, "", x, y, 26, 12, BoxStyle};
    c[i++] = {FirstDataBox + n, K::EditBox, "", x + 28, y, 36, 12, BoxStyle};
    c[i++] = {FirstWriteButton + n, K::PushButton, "W", x + 66, y, 15, 12, None};
    c[i++] = {FirstReadButton + n, K::PushButton, "R", x + 83, y, 15, 12, None};
  }

  c[i++] = {NoId, K::GroupBox, "ﾓｰﾄﾞ", 216, 4, 60, 38, None};
  c[i++] = {NoId, K::GroupBox, "ｴﾘｱ", 216, 50, 60, 116, None};
  c[i++] = {NoId, K::GroupBox, "ｱﾄﾞﾚｽ", 282, 4, 60, 162, None};
  c[i++] = {NoId, K::GroupBox, "全ﾃﾞｰﾀ", 216, 174, 126, 49, None};

  c[i++] = {Fpga, K::RadioButton, "FPGA", 224, 15, 48, 10, Checked};
  c[i++] = {Eeprom, K::RadioButton, "EEPROM", 224, 28, 48, 10, None};

  struct Area {
    int id;
    const char* label;
    unsigned style;
  };
  constexpr Area areas[] = {
      {AreaCommon, "ｺﾓﾝ", None}, {AreaDsp, "DSP", None}, {AreaTg, "TG", Checked},      {AreaAfe, "AFE", None},
      {AreaIf, "I/F", None},      {AreaInfo, "INFO", None}, {AreaLr, "LR", Disabled},
  };
  int y = 62;
  for (const Area& a : areas) {
    c[i++] = {a.id, K::RadioButton, a.label, 224, y, 48, 10, a.style};
    y += 14;
  }

  constexpr const char* ranges[] = {"00-1F", "20-3F", "40-5F", "60-7F", "80-9F", "A0-BF", "C0-DF", "E0-FF"};
  y = 16;
  for (int k = 0; k < 8; ++k) {
    c[i++] = {FirstRange + k, K::RadioButton, ranges[k], 290, y, 48, 10, k == 0 ? Checked : None};
    y += 19;
  }

  c[i++] = {ReadAll, K::PushButton, "読み出し", 226, 193, 50, 16, None};
  c[i++] = {WriteAll, K::PushButton, "書き込み", 282, 193, 50, 16, None};
  return c;
}

constexpr auto kControls = MakeControls();

constexpr bool EveryEntryFilled() {
  for (const ControlLayout& control : kControls) {
    if (control.text == nullptr) return false;
  }
  return true;
}
static_assert(EveryEntryFilled(), "ControlCount must match the controls made");

}  // namespace

const FormLayout RegisterMenuLayout = {"Command Menu", FormFaces::SansSerif, 350, 230, kControls.data(), kControls.size()};
