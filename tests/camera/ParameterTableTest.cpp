// The parameter table's facts that decide what goes on the wire.
#include <gtest/gtest.h>

#include <set>

#include "camera/ParameterTable.h"
#include "link/CameraPort.h"
#include "support/MemoryCamera.h"

using namespace ParameterTable;

namespace {

std::vector<int> RowIndicesWith(uint8_t flag) {
  std::vector<int> rows;
  for (int i = 0; i < ParameterCount; ++i) {
    if (Flags(static_cast<ParameterId>(i)) & flag) rows.push_back(i);
  }
  return rows;
}

// Data bytes of a write request for the value, as they go on the wire.
std::string DataBytes(ParameterId id, int32_t value) {
  char text[Framing::FrameBufferSize];
  CameraPort::FormatRequest(text, 1, 0xFF, WriteArea(id), Address(id), Minimum(id, false), Maximum(id, false), value);
  return std::string(text + 8);
}

}  // namespace

TEST(ParameterTable, WriteAllAndReadAllRows) {
  std::vector<int> writeAll;
  for (int i = 0; i <= 21; ++i) {
    if (i != 13) writeAll.push_back(i);
  }
  EXPECT_EQ(RowIndicesWith(ParameterFlags::InWriteAll), writeAll);
  EXPECT_EQ(RowIndicesWith(ParameterFlags::Readable).size(), 46u);
  // The counts a transfer's progress is measured against.
  EXPECT_EQ(ParameterTable::RowsWith(ParameterFlags::InWriteAll), 21);
  EXPECT_EQ(ParameterTable::RowsWith(ParameterFlags::Readable), 46);
  EXPECT_EQ(Flags(ParamReserved), 0);
}

TEST(ParameterTable, AreasPairReadAndWriteForms) {
  for (int i = 0; i < ParamReserved; ++i) {
    auto id = static_cast<ParameterId>(i);
    EXPECT_EQ(ReadArea(id), WriteArea(id) | 0x80) << i;
    bool info = i >= ParamVendorName0 && i <= ParamVersion1;
    EXPECT_EQ(WriteArea(id), info ? 0x10 : 0x01) << i;
  }
  // Information words sit at consecutive addresses from 0.
  for (int i = ParamVendorName0; i <= ParamVersion1; ++i) EXPECT_EQ(Address(static_cast<ParameterId>(i)), i - ParamVendorName0);
}

TEST(ParameterTable, WidthsOnTheWire) {
  EXPECT_EQ(DataBytes(ParamShutterSpeed, 200), "C80000");
  EXPECT_EQ(DataBytes(ParamAdjustGain, 200), "00C800") << "0..256 needs two bytes";
  EXPECT_EQ(DataBytes(ParamGainLevel, 671), "029F00");
  EXPECT_EQ(DataBytes(ParamPartialScanWidth, 1040), "041000");
  EXPECT_EQ(DataBytes(ParamVendorName0, 0x524F), "4F5200") << "information words go low byte first";
  EXPECT_EQ(DataBytes(ParamSerialNumberUnlock, 0x5C1D), "5C1D00") << "the unlock word goes high byte first";
}

TEST(ParameterTable, RangesAndDefaults) {
  std::set<int> minimumOne;
  for (int i = 0; i < ParameterCount; ++i) {
    auto id = static_cast<ParameterId>(i);
    if (Minimum(id, true) == 1) minimumOne.insert(i);
    EXPECT_GE(DefaultValue(id, true), Minimum(id, true)) << i;
    EXPECT_LE(DefaultValue(id, true), Maximum(id, true)) << i;
    EXPECT_EQ(FromCamera(id, 1234), 1234);
    EXPECT_EQ(ToCamera(id, 1234), 1234);
  }
  EXPECT_EQ(minimumOne, (std::set<int>{ParamPartialScanStart, ParamPartialScanWidth}));
}

TEST(ParameterTable, NamesAndIdentifiers) {
  EXPECT_EQ(Name(ParamGainLevel), "Gain Level");
  EXPECT_EQ(Name(ParamDoubleAccel), "2xAccel ON/OFF ");
  EXPECT_EQ(Name(ParamTestPattern), "Test Patarn");
  EXPECT_EQ(Name(ParamModelName3), "Camera Information");
  EXPECT_EQ(Name(ParamSerialNumberUnlock), "Camera Information");
  EXPECT_EQ(Name(ParamReserved), "(Reserved)");
  EXPECT_STREQ(Identifier(ParamGainLevel), "GainLevel");
  EXPECT_STREQ(Identifier(ParamModelName3), "ModelName3");
  EXPECT_STREQ(Identifier(ParamReserved), "Reserved");
  for (int i = 0; i < ParameterCount; ++i) EXPECT_FALSE(Name(static_cast<ParameterId>(i)).empty()) << i;
}

// The simulated camera keeps its own register map; it must agree with the table it mirrors.
TEST(ParameterTable, SimulatedCameraStartsAtTheTableDefaults) {
  MemoryCamera link;
  for (int i = 0; i <= ParamSubVoltage; ++i) {
    auto id = static_cast<ParameterId>(i);
    ASSERT_GE(link.parameters->SetValue(id, -1, false), 0);
    ASSERT_GE(link.parameters->ReadOne(id), 0) << i;
    EXPECT_EQ(link.parameters->GetValue(id, false), DefaultValue(id, true)) << Identifier(id);
  }
  ASSERT_GE(link.parameters->ReadOne(ParamSerialNumberUnlock), 0);
  EXPECT_EQ(link.parameters->GetValue(ParamSerialNumberUnlock, false), 0);
}
