// The parameter table's rows as the camera's register map describes them, against the program's table.
#include <gtest/gtest.h>

#include <string>

#include "camera/ParameterTable.h"
#include "link/CameraPort.h"
#include "support/MemoryCamera.h"

using namespace ParameterTable;

namespace {

struct ExpectedRow {
  ParameterId id;
  const char* enumerator;
  int32_t nameId;
  const char* name;
  uint8_t readArea, writeArea, address;
  int32_t defaultValue, minimum, maximum;
  bool readable, inWriteAll;
  int width;  // significant bytes on the wire; 0 for the row that never goes there
};

#define ROW(id, ...) ExpectedRow{id, #id, __VA_ARGS__}
// Typed from the register map, one row per register, in index order.
const ExpectedRow Expected[] = {
    ROW(ParamTriggerMode, 62202, "Trigger Mode", 0x81, 0x01, 0x04, 0, 0, 3, true, true, 1),
    ROW(ParamTriggerSource, 62250, "Trigger Source", 0x81, 0x01, 0x05, 0, 0, 1, true, true, 1),
    ROW(ParamFlashOutput, 62251, "Output Flash out/VD", 0x81, 0x01, 0x06, 0, 0, 2, true, true, 1),
    ROW(ParamSmearReduction, 62277, "Smear Reduction ON/OFF", 0x81, 0x01, 0x07, 0, 0, 1, true, true, 1),
    ROW(ParamShutterSpeed, 62201, "Shutter Speed", 0x81, 0x01, 0x08, 0, 0, 255, true, true, 1),
    ROW(ParamGainLevel, 62207, "Gain Level", 0x81, 0x01, 0x0C, 168, 0, 671, true, true, 2),
    ROW(ParamTriggerPolarity, 62204, "Trigger Polarity", 0x81, 0x01, 0x0F, 0, 0, 1, true, true, 1),
    ROW(ParamProgrammableShutter, 62240, "Programable Shutter", 0x81, 0x01, 0x11, 834, 0, 1536, true, true, 2),
    ROW(ParamDoubleAccel, 62252, "2xAccel ON/OFF ", 0x81, 0x01, 0x13, 0, 0, 1, true, true, 1),
    ROW(ParamDataBit, 62238, "Data Bit", 0x81, 0x01, 0x14, 0, 0, 2, true, true, 1),
    ROW(ParamVdFval, 62241, "VD/FVAL", 0x81, 0x01, 0x15, 1, 0, 1, true, true, 1),
    ROW(ParamHdLval, 62247, "HD/LVAL", 0x81, 0x01, 0x16, 1, 0, 1, true, true, 1),
    ROW(ParamBlackLevel, 62208, "Black Level", 0x81, 0x01, 0x17, 0, 0, 63, true, true, 1),
    ROW(ParamAdjustGain, 62242, "Adjust Gain", 0x81, 0x01, 0x1C, 100, 0, 256, true, false, 2),
    ROW(ParamPartialScan, 62246, "Partial Scan ON/OFF", 0x81, 0x01, 0x1E, 0, 0, 1, true, true, 1),
    ROW(ParamPartialScanStart, 62244, "Partial Scan Start", 0x81, 0x01, 0x1F, 1, 1, 1040, true, true, 2),
    ROW(ParamPartialScanWidth, 62245, "Partial Scan Width", 0x81, 0x01, 0x20, 1040, 1, 1040, true, true, 2),
    ROW(ParamFactorySet, 62269, "Factory Set", 0x81, 0x01, 0x45, 0, 0, 1, true, true, 1),
    ROW(ParamWhiteSpotCorrection, 62267, "White Spot Correction ON/OFF", 0x81, 0x01, 0x4B, 1, 0, 1, true, true, 1),
    ROW(ParamWhiteSpotThreshold, 62268, "White Spot Detect Threshlevel", 0x81, 0x01, 0x4C, 20, 0, 255, true, true, 1),
    ROW(ParamWhiteSpotDetect, 62272, "White Spot Detect", 0x81, 0x01, 0x4D, 0, 0, 1, true, true, 1),
    ROW(ParamTestPattern, 62273, "Test Patarn", 0x81, 0x01, 0x50, 0, 0, 3, true, true, 1),
    ROW(ParamSubVoltage, 62249, "Sub Voltage", 0x81, 0x01, 0x77, 176, 0, 255, true, false, 1),
    ROW(ParamVendorName0, 62265, "Camera Information", 0x90, 0x10, 0x00, 0, 0, 65535, true, false, 2),
    ROW(ParamVendorName1, 62265, "Camera Information", 0x90, 0x10, 0x01, 0, 0, 65535, true, false, 2),
    ROW(ParamVendorName2, 62265, "Camera Information", 0x90, 0x10, 0x02, 0, 0, 65535, true, false, 2),
    ROW(ParamVendorName3, 62265, "Camera Information", 0x90, 0x10, 0x03, 0, 0, 65535, true, false, 2),
    ROW(ParamVendorName4, 62265, "Camera Information", 0x90, 0x10, 0x04, 0, 0, 65535, true, false, 2),
    ROW(ParamVendorName5, 62265, "Camera Information", 0x90, 0x10, 0x05, 0, 0, 65535, true, false, 2),
    ROW(ParamVendorName6, 62265, "Camera Information", 0x90, 0x10, 0x06, 0, 0, 65535, true, false, 2),
    ROW(ParamVendorName7, 62265, "Camera Information", 0x90, 0x10, 0x07, 0, 0, 65535, true, false, 2),
    ROW(ParamModelName0, 62265, "Camera Information", 0x90, 0x10, 0x08, 0, 0, 65535, true, false, 2),
    ROW(ParamModelName1, 62265, "Camera Information", 0x90, 0x10, 0x09, 0, 0, 65535, true, false, 2),
    ROW(ParamModelName2, 62265, "Camera Information", 0x90, 0x10, 0x0A, 0, 0, 65535, true, false, 2),
    ROW(ParamModelName3, 62265, "Camera Information", 0x90, 0x10, 0x0B, 0, 0, 65535, true, false, 2),
    ROW(ParamModelName4, 62265, "Camera Information", 0x90, 0x10, 0x0C, 0, 0, 65535, true, false, 2),
    ROW(ParamModelName5, 62265, "Camera Information", 0x90, 0x10, 0x0D, 0, 0, 65535, true, false, 2),
    ROW(ParamModelName6, 62265, "Camera Information", 0x90, 0x10, 0x0E, 0, 0, 65535, true, false, 2),
    ROW(ParamModelName7, 62265, "Camera Information", 0x90, 0x10, 0x0F, 0, 0, 65535, true, false, 2),
    ROW(ParamSerialNumber0, 62265, "Camera Information", 0x90, 0x10, 0x10, 0, 0, 65535, true, false, 2),
    ROW(ParamSerialNumber1, 62265, "Camera Information", 0x90, 0x10, 0x11, 0, 0, 65535, true, false, 2),
    ROW(ParamSerialNumber2, 62265, "Camera Information", 0x90, 0x10, 0x12, 0, 0, 65535, true, false, 2),
    ROW(ParamSerialNumber3, 62265, "Camera Information", 0x90, 0x10, 0x13, 0, 0, 65535, true, false, 2),
    ROW(ParamVersion0, 62265, "Camera Information", 0x90, 0x10, 0x14, 0, 0, 65535, true, false, 2),
    ROW(ParamVersion1, 62265, "Camera Information", 0x90, 0x10, 0x15, 0, 0, 65535, true, false, 2),
    ROW(ParamSerialNumberUnlock, 62265, "Camera Information", 0x81, 0x01, 0x60, 0, 0, 65535, true, false, 2),
    ROW(ParamReserved, 62231, "(Reserved)", 0x00, 0x00, 0x00, 0, 0, 0, false, false, 0),
};
#undef ROW

// Data bytes of a write request for the value, as they go on the wire.
std::string DataBytes(ParameterId id, int32_t value) {
  char text[Framing::FrameBufferSize];
  CameraPort::FormatRequest(text, 1, 0xFF, WriteArea(id), Address(id), Minimum(id, false), Maximum(id, false), value);
  return std::string(text + 8);
}

// The value 1 on the wire: setting-register rows put their significant bytes most significant first,
// camera-information rows are not reordered.
std::string OneOnTheWire(const ExpectedRow& row) {
  if (row.writeArea == 0x10) return "010000";
  return row.width == 1 ? "010000" : row.width == 2 ? "000100" : "000001";
}

}  // namespace

TEST(ParameterTable, EveryRowAsTheRegisterMapDescribesIt) {
  ASSERT_EQ(std::size(Expected), static_cast<size_t>(ParameterCount));
  for (size_t i = 0; i < std::size(Expected); ++i) {
    const ExpectedRow& row = Expected[i];
    SCOPED_TRACE(row.enumerator);
    EXPECT_EQ(static_cast<size_t>(row.id), i);
    EXPECT_EQ(std::string("Param") + Identifier(row.id), row.enumerator);
    EXPECT_EQ(Row(row.id).nameId, row.nameId);
    EXPECT_EQ(Name(row.id), row.name);
    EXPECT_EQ(ReadArea(row.id), row.readArea);
    EXPECT_EQ(WriteArea(row.id), row.writeArea);
    EXPECT_EQ(Address(row.id), row.address);
    for (bool converted : {false, true}) {
      EXPECT_EQ(DefaultValue(row.id, converted), row.defaultValue);
      EXPECT_EQ(Minimum(row.id, converted), row.minimum);
      EXPECT_EQ(Maximum(row.id, converted), row.maximum);
    }
    EXPECT_EQ(Flags(row.id), (row.readable ? ParameterFlags::Readable : 0) | (row.inWriteAll ? ParameterFlags::InWriteAll : 0));
    // No row converts: stored values and camera units are the same numbers.
    EXPECT_EQ(FromCamera(row.id, 1234), 1234);
    EXPECT_EQ(ToCamera(row.id, 1234), 1234);
    if (row.width > 0) {
      EXPECT_EQ(DataBytes(row.id, 1), OneOnTheWire(row));
    }
  }
}

TEST(ParameterTable, TransferCounts) {
  // The counts a transfer's progress is measured against.
  EXPECT_EQ(RowsWith(ParameterFlags::InWriteAll), 21);
  EXPECT_EQ(RowsWith(ParameterFlags::Readable), 46);
}

TEST(ParameterTable, WidthsOnTheWire) {
  EXPECT_EQ(DataBytes(ParamShutterSpeed, 200), "C80000");
  EXPECT_EQ(DataBytes(ParamAdjustGain, 200), "00C800") << "0..256 needs two bytes";
  EXPECT_EQ(DataBytes(ParamGainLevel, 671), "029F00");
  EXPECT_EQ(DataBytes(ParamPartialScanWidth, 1040), "041000");
  EXPECT_EQ(DataBytes(ParamVendorName0, 0x524F), "4F5200") << "information words go low byte first";
  EXPECT_EQ(DataBytes(ParamSerialNumberUnlock, 0x5C1D), "5C1D00") << "the unlock word goes high byte first";
}

// The simulated camera keeps its own register map; it must agree with the one it mirrors.
TEST(ParameterTable, SimulatedCameraStartsAtTheDescribedDefaults) {
  MemoryCamera link;
  for (const ExpectedRow& row : Expected) {
    if (!row.readable) continue;
    ASSERT_GE(link.parameters->SetValue(row.id, -1, false), 0);
    ASSERT_GE(link.parameters->ReadOne(row.id), 0) << row.enumerator;
    // The information words hold the simulated camera's own texts, not the slots' defaults.
    if (row.writeArea == 0x10) continue;
    EXPECT_EQ(link.parameters->GetValue(row.id, false), row.defaultValue) << row.enumerator;
  }
}
