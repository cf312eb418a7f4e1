// Decoding the identification texts from the information registers.
#include <gtest/gtest.h>

#include <map>

#include "camera/CameraInfo.h"

namespace {

struct Rows {
  std::map<int, int32_t> values;
  StoredValue Getter() const {
    return [this](ParameterId id) {
      auto it = values.find(id);
      return it == values.end() ? 0 : it->second;
    };
  }
};

}  // namespace

TEST(CameraInfo, PairTextStopsAtZeroOrAtALoneCharacter) {
  Rows rows;
  rows.values = {{ParamVendorName0, 0x4241}, {ParamVendorName1, 0x0043}, {ParamVendorName2, 0x4545}};
  EXPECT_EQ(DecodeCameraInfo(rows.Getter()).vendorName, "ABC");
  rows.values = {{ParamModelName0, 0x4100}, {ParamModelName1, 0x4242}};
  EXPECT_EQ(DecodeCameraInfo(rows.Getter()).modelName, "");
  for (int i = 0; i < 8; ++i) rows.values[ParamModelName0 + i] = 0x4241;
  rows.values[ParamSerialNumber0] = 0x4343;  // the row after the model's eighth is never part of it
  EXPECT_EQ(DecodeCameraInfo(rows.Getter()).modelName, "ABABABABABABABAB");
}

TEST(CameraInfo, SerialNumberAndItsDigitMode) {
  Rows rows;
  rows.values = {{ParamSerialNumber0, 0x3231}, {ParamSerialNumber1, 0x3433}, {ParamSerialNumber2, 0x3635},
                 {ParamSerialNumber3, 0x3837}};
  auto info = DecodeCameraInfo(rows.Getter());
  EXPECT_EQ(info.serialNumber, "12345678");
  EXPECT_EQ(info.serialDigitsMode, 1);
  rows.values[ParamSerialNumber3] = 0x0037;
  info = DecodeCameraInfo(rows.Getter());
  EXPECT_EQ(info.serialNumber, "1234567");
  EXPECT_EQ(info.serialDigitsMode, 0);
  rows.values[ParamSerialNumber3] = 0x5837;  // an X in the eighth place is ignored
  info = DecodeCameraInfo(rows.Getter());
  EXPECT_EQ(info.serialNumber, "1234567");
  EXPECT_EQ(info.serialDigitsMode, 0);
  rows.values[ParamSerialNumber1] = 0x3300;  // a zero low byte drops the pair
  rows.values[ParamSerialNumber2] = 0x0035;  // a zero high byte drops only itself
  EXPECT_EQ(DecodeCameraInfo(rows.Getter()).serialNumber, "1257");
}

TEST(CameraInfo, VersionWithDotsEndsAtAZeroCharacter) {
  Rows rows;
  rows.values = {{ParamVersion0, 0x3231}, {ParamVersion1, 0x3433}};
  EXPECT_EQ(DecodeCameraInfo(rows.Getter()).version, "1.2.3.4");
  rows.values = {{ParamVersion0, 0x0031}};
  EXPECT_EQ(DecodeCameraInfo(rows.Getter()).version, "1.");
  EXPECT_EQ(DecodeCameraInfo(Rows().Getter()).version, "");
  auto empty = DecodeCameraInfo(Rows().Getter());
  EXPECT_EQ(empty.vendorName + empty.modelName + empty.serialNumber, "");
  EXPECT_EQ(empty.serialDigitsMode, 0);
}
