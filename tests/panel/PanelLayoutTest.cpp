// The control panel's layout table checked against the form's published control list and geometry.
#include <gtest/gtest.h>

#include <map>
#include <span>
#include <string>
#include <vector>

#include "resources/PanelLayout.h"

namespace {

using K = ControlKind;

struct Rect {
  int x, y, width, height;
  bool Contains(const Rect& r) const {
    return r.x >= x && r.y >= y && r.x + r.width <= x + width && r.y + r.height <= y + height;
  }
  bool Overlaps(const Rect& r) const {
    return r.x < x + width && x < r.x + r.width && r.y < y + height && y < r.y + r.height;
  }
};

Rect RectOf(const ControlLayout& c) { return {c.x, c.y, c.width, c.height}; }

std::span<const ControlLayout> Controls() {
  const FormLayout& form = PanelLayout::Layout();
  return {form.controls, form.count};
}

const ControlLayout* ById(int id) {
  for (const ControlLayout& c : Controls())
    if (c.id == id) return &c;
  return nullptr;
}

// Boxes are looked up by caption: several have no id.
const ControlLayout* BoxByText(const std::string& text) {
  for (const ControlLayout& c : Controls())
    if (c.kind == K::GroupBox && text == c.text) return &c;
  return nullptr;
}

struct Expected {
  int id;
  K kind;
  const char* text;
  unsigned style;  // alignment, sunken and hidden bits that must be set
};

using namespace ControlStyle;
constexpr unsigned R = Sunken | AlignRight;

const Expected kExpected[] = {
    {1066, K::PushLikeRadio, "OFF", 0}, {1067, K::PushLikeRadio, "FIXED", 0},
    {1068, K::PushLikeRadio, "1TRIG", 0}, {1069, K::PushLikeRadio, "VD CONT", 0},
    {1119, K::PushLikeRadio, "CC1", 0}, {1120, K::PushLikeRadio, "12pin", 0},
    {1115, K::PushLikeRadio, "POSI", 0}, {1116, K::PushLikeRadio, "NEGA", 0},
    {1015, K::RadioButton, "OFF", 0}, {1016, K::RadioButton, "ON", 0},
    {1032, K::StaticText, "", R}, {1033, K::StaticText, "", R}, {1034, K::StaticText, "", R},
    {1035, K::StaticText, "", R}, {1117, K::StaticText, "START", 0}, {1030, K::StaticText, "", R},
    {1126, K::VerticalScrollBar, "", 0}, {1118, K::StaticText, "WIDTH", 0}, {1031, K::StaticText, "", R},
    {1127, K::VerticalScrollBar, "", 0}, {1156, K::PushButton, "SET", 0},
    {1125, K::PushLikeRadio, "OFF", 0}, {1129, K::PushLikeRadio, "ON", 0},
    {1121, K::PushLikeRadio, "OFF", 0}, {1122, K::PushLikeRadio, "FLASH", 0}, {1123, K::PushLikeRadio, "VD", 0},
    {1131, K::PushLikeRadio, "OFF", 0}, {1133, K::PushLikeRadio, "H", 0},
    {1132, K::PushLikeRadio, "V", 0}, {1134, K::PushLikeRadio, "HV", 0},
    {1005, K::RadioButton, "OFF", 0}, {1006, K::RadioButton, "1/30", 0}, {1007, K::RadioButton, "1/60", 0},
    {1008, K::RadioButton, "1/100", 0}, {1009, K::RadioButton, "1/250", 0}, {1010, K::RadioButton, "1/1000", 0},
    {1011, K::RadioButton, "1/2000", 0}, {1012, K::RadioButton, "1/10000", 0},
    {1013, K::RadioButton, "1/50000", 0}, {1014, K::RadioButton, "VARIABLE", 0},
    {1107, K::StaticText, "Variable Value", 0}, {1047, K::StaticText, "", R},
    {1046, K::HorizontalScrollBar, "", 0},
    {1176, K::PushLikeRadio, "8bit", 0}, {1177, K::PushLikeRadio, "10bit", 0}, {1178, K::PushLikeRadio, "12bit", 0},
    {1183, K::PushLikeRadio, "HD", 0}, {1184, K::PushLikeRadio, "LVAL", 0},
    {1181, K::PushLikeRadio, "VD", 0}, {1182, K::PushLikeRadio, "FVAL", 0},
    {1105, K::StaticText, "BLACK LEVEL", 0}, {1029, K::StaticText, "", Sunken},
    {1028, K::HorizontalScrollBar, "", 0}, {1165, K::StaticText, "GAIN", 0}, {1025, K::StaticText, "", R},
    {1024, K::HorizontalScrollBar, "", 0},
    {1020, K::RadioButton, "OFF", 0}, {1021, K::RadioButton, "ON", 0}, {1153, K::PushButton, "DETECT", 0},
    {1179, K::PushLikeRadio, "OFF", Hidden}, {1180, K::PushLikeRadio, "ON", Hidden},
    {1103, K::StaticText, "Adjust-GAIN", 0}, {1027, K::StaticText, "", Sunken},
    {1026, K::HorizontalScrollBar, "", 0}, {1104, K::StaticText, "SUB-V", 0}, {1036, K::StaticText, "", Sunken},
    {1037, K::HorizontalScrollBar, "", 0},
    {1140, K::EditBox, "", AlignRight | AutoHScroll}, {1141, K::SpinButton, "", 0},
    {1163, K::RadioButton, "7 digits", 0}, {1164, K::RadioButton, "8 digits", 0}, {1142, K::PushButton, "WRITE", 0},
    {1144, K::StaticText, "VNEDOR NAME : ", 0}, {1145, K::StaticText, "MODEL NAME : ", 0},
    {1146, K::StaticText, "SERIAL NUMBER : ", 0}, {1147, K::StaticText, "VERSION : ", 0},
    {1148, K::StaticText, "**************", 0}, {1149, K::StaticText, "**********", 0},
    {1150, K::StaticText, "*******", 0}, {1151, K::StaticText, "******", 0},
};

TEST(PanelLayoutTest, EveryControlOnceWithItsKindTextAndStyle) {
  std::map<int, int> seen;
  for (const ControlLayout& c : Controls())
    if (c.id != NoId) ++seen[c.id];
  for (const Expected& e : kExpected) {
    SCOPED_TRACE(e.id);
    ASSERT_NE(ById(e.id), nullptr);
    const ControlLayout& c = *ById(e.id);
    EXPECT_EQ(c.kind, e.kind);
    EXPECT_STREQ(c.text, e.text);
    EXPECT_EQ(c.style & e.style, e.style);
    if ((e.style & Sunken) && !(e.style & AlignRight)) {
      EXPECT_EQ(c.style & (AlignRight | AlignCenter), 0u);
    }
    // Checks come from the first refresh, enabling from the rules; only the smear group starts hidden.
    EXPECT_EQ(c.style & (Checked | Disabled | Hidden), e.style & Hidden);
  }
  for (const auto& [id, count] : seen) EXPECT_EQ(count, 1) << id;
  // The fourteen group boxes with ids are checked with their rectangles.
  EXPECT_EQ(seen.size(), std::size(kExpected) + 14) << "ids the form does not list";
  for (const char* label : {"Bporch", "Active", "Fporch", "Total"}) {
    int count = 0;
    for (const ControlLayout& c : Controls()) count += c.id == NoId && std::string(c.text) == label;
    EXPECT_EQ(count, 1) << label;
  }
}

TEST(PanelLayoutTest, FormAndGroupBoxGeometry) {
  const FormLayout& form = PanelLayout::Layout();
  EXPECT_EQ(form.title, nullptr);
  EXPECT_EQ(form.width, 362);
  EXPECT_EQ(form.height, 303);
  struct Box {
    const char* text;
    int id;
    Rect rect;
  };
  const Box boxes[] = {
      {"TRIGGER", NoId, {7, 7, 103, 107}}, {"MODE", NoId, {13, 16, 42, 71}}, {"SOURCE", 1110, {58, 16, 45, 41}},
      {"POLARITY", 1109, {58, 62, 45, 44}}, {"PARTIAL SCAN", 1114, {116, 7, 139, 107}},
      {"FACTORY", 1128, {259, 7, 44, 29}}, {"2xACCEL", 1124, {259, 40, 43, 43}}, {"12pinOUT", 1111, {306, 7, 43, 58}},
      {"TEST PATTERN", 1130, {259, 88, 74, 47}}, {"SHUTTER SPEED", 1108, {7, 119, 103, 107}},
      {"CAMERALINK", NoId, {116, 119, 140, 71}}, {"DATA BIT", NoId, {120, 130, 43, 55}},
      {"HD/LVAL", 1113, {166, 130, 41, 44}}, {"VD/FVAL", 1112, {211, 130, 41, 44}},
      {"WHITE SPOT CORRECT", 1155, {259, 140, 88, 37}}, {"SMEAR REDUCTION", 1166, {287, 180, 64, 46}},
      {"SET SERIAL NUMBER", 1152, {111, 234, 92, 63}}, {"CAMERA INFORMATION", 1143, {216, 234, 137, 63}},
  };
  size_t boxCount = 0;
  for (const ControlLayout& c : Controls()) boxCount += c.kind == K::GroupBox;
  EXPECT_EQ(boxCount, std::size(boxes));
  for (const Box& expected : boxes) {
    const ControlLayout* box = BoxByText(expected.text);
    ASSERT_NE(box, nullptr) << expected.text;
    EXPECT_EQ(box->id, expected.id) << expected.text;
    const Rect& r = expected.rect;
    EXPECT_TRUE(box->x == r.x && box->y == r.y && box->width == r.width && box->height == r.height) << expected.text;
    // Only the smear box starts hidden: it and its buttons are never shown.
    EXPECT_EQ(box->style, expected.id == 1166 ? Hidden : None) << expected.text;
  }
  const Rect whole{0, 0, form.width, form.height};
  for (const ControlLayout& c : Controls()) EXPECT_TRUE(whole.Contains(RectOf(c))) << c.id << " " << c.text;
}

TEST(PanelLayoutTest, ControlsSitInTheirBoxesWithoutOverlapping) {
  const std::map<std::string, std::vector<int>> members = {
      {"MODE", {1066, 1067, 1068, 1069}}, {"SOURCE", {1119, 1120}}, {"POLARITY", {1115, 1116}},
      {"PARTIAL SCAN", {1015, 1016, 1032, 1033, 1034, 1035, 1117, 1030, 1126, 1118, 1031, 1127}},
      {"FACTORY", {1156}}, {"2xACCEL", {1125, 1129}}, {"12pinOUT", {1121, 1122, 1123}},
      {"TEST PATTERN", {1131, 1133, 1132, 1134}},
      {"SHUTTER SPEED", {1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1013, 1014, 1107, 1047, 1046}},
      {"DATA BIT", {1176, 1177, 1178}}, {"HD/LVAL", {1183, 1184}}, {"VD/FVAL", {1181, 1182}},
      {"WHITE SPOT CORRECT", {1020, 1021, 1153}}, {"SMEAR REDUCTION", {1179, 1180}},
      {"SET SERIAL NUMBER", {1140, 1141, 1163, 1164, 1142}},
      {"CAMERA INFORMATION", {1144, 1145, 1146, 1147, 1148, 1149, 1150, 1151}},
  };
  for (const auto& [text, ids] : members)
    for (int id : ids) EXPECT_TRUE(RectOf(*BoxByText(text)).Contains(RectOf(*ById(id)))) << id << " in " << text;

  // Sliders outside any box stay clear of every box.
  for (int id : {1105, 1029, 1028, 1165, 1025, 1024, 1103, 1027, 1026, 1104, 1036, 1037})
    for (const ControlLayout& box : Controls())
      if (box.kind == K::GroupBox) {
        EXPECT_FALSE(RectOf(box).Overlaps(RectOf(*ById(id)))) << id << " on " << box.text;
      }

  const std::span<const ControlLayout> all = Controls();
  for (size_t i = 0; i < all.size(); ++i)
    for (size_t j = i + 1; j < all.size(); ++j)
      if (all[i].kind != K::GroupBox && all[j].kind != K::GroupBox) {
        EXPECT_FALSE(RectOf(all[i]).Overlaps(RectOf(all[j])))
            << all[i].text << "/" << all[i].id << " and " << all[j].text << "/" << all[j].id;
      }
}

TEST(PanelLayoutTest, SpinButtonIsAttachedToTheEditBoxRightEdge) {
  const ControlLayout& edit = *ById(PanelIds::SerialEdit);
  const ControlLayout& spin = *ById(PanelIds::SerialSpin);
  EXPECT_EQ(spin.x, edit.x + edit.width);
  EXPECT_EQ(spin.y, edit.y);
  EXPECT_EQ(spin.height, edit.height);
}

}  // namespace
