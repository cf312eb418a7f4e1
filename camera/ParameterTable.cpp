// The parameter table's rows, in index order, as the camera's register map defines them.
#include "camera/ParameterTable.h"

#include "resources/StringTable.h"

namespace {

// No row converts between camera units and stored values; the hooks stay so that every path
// applies them at the same fixed points should a row ever need one.
const std::array<CameraParameter, ParameterCount> Table = {{
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x04, 0, 0, 3, nullptr, nullptr, 62202},  // ParamTriggerMode
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x05, 0, 0, 1, nullptr, nullptr, 62250},  // ParamTriggerSource
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x06, 0, 0, 2, nullptr, nullptr, 62251},  // ParamFlashOutput
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x07, 0, 0, 1, nullptr, nullptr, 62277},  // ParamSmearReduction
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x08, 0, 0, 255, nullptr, nullptr, 62201},  // ParamShutterSpeed
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x0C, 168, 0, 671, nullptr, nullptr, 62207},  // ParamGainLevel
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x0F, 0, 0, 1, nullptr, nullptr, 62204},  // ParamTriggerPolarity
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x11, 834, 0, 1536, nullptr, nullptr, 62240},  // ParamProgrammableShutter
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x13, 0, 0, 1, nullptr, nullptr, 62252},  // ParamDoubleAccel
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x14, 0, 0, 2, nullptr, nullptr, 62238},  // ParamDataBit
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x15, 1, 0, 1, nullptr, nullptr, 62241},  // ParamVdFval
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x16, 1, 0, 1, nullptr, nullptr, 62247},  // ParamHdLval
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x17, 0, 0, 63, nullptr, nullptr, 62208},  // ParamBlackLevel
    {ParameterFlags::Readable, 0x81, 0x01, 0x1C, 100, 0, 256, nullptr, nullptr, 62242},  // ParamAdjustGain
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x1E, 0, 0, 1, nullptr, nullptr, 62246},  // ParamPartialScan
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x1F, 1, 1, 1040, nullptr, nullptr, 62244},  // ParamPartialScanStart
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x20, 1040, 1, 1040, nullptr, nullptr, 62245},  // ParamPartialScanWidth
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x45, 0, 0, 1, nullptr, nullptr, 62269},  // ParamFactorySet
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x4B, 1, 0, 1, nullptr, nullptr, 62267},  // ParamWhiteSpotCorrection
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x4C, 20, 0, 255, nullptr, nullptr, 62268},  // ParamWhiteSpotThreshold
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x4D, 0, 0, 1, nullptr, nullptr, 62272},  // ParamWhiteSpotDetect
    {ParameterFlags::Readable | ParameterFlags::InWriteAll, 0x81, 0x01, 0x50, 0, 0, 3, nullptr, nullptr, 62273},  // ParamTestPattern
    {ParameterFlags::Readable, 0x81, 0x01, 0x77, 176, 0, 255, nullptr, nullptr, 62249},  // ParamSubVoltage
    {ParameterFlags::Readable, 0x90, 0x10, 0x00, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamVendorName0
    {ParameterFlags::Readable, 0x90, 0x10, 0x01, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamVendorName1
    {ParameterFlags::Readable, 0x90, 0x10, 0x02, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamVendorName2
    {ParameterFlags::Readable, 0x90, 0x10, 0x03, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamVendorName3
    {ParameterFlags::Readable, 0x90, 0x10, 0x04, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamVendorName4
    {ParameterFlags::Readable, 0x90, 0x10, 0x05, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamVendorName5
    {ParameterFlags::Readable, 0x90, 0x10, 0x06, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamVendorName6
    {ParameterFlags::Readable, 0x90, 0x10, 0x07, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamVendorName7
    {ParameterFlags::Readable, 0x90, 0x10, 0x08, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamModelName0
    {ParameterFlags::Readable, 0x90, 0x10, 0x09, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamModelName1
    {ParameterFlags::Readable, 0x90, 0x10, 0x0A, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamModelName2
    {ParameterFlags::Readable, 0x90, 0x10, 0x0B, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamModelName3
    {ParameterFlags::Readable, 0x90, 0x10, 0x0C, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamModelName4
    {ParameterFlags::Readable, 0x90, 0x10, 0x0D, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamModelName5
    {ParameterFlags::Readable, 0x90, 0x10, 0x0E, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamModelName6
    {ParameterFlags::Readable, 0x90, 0x10, 0x0F, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamModelName7
    {ParameterFlags::Readable, 0x90, 0x10, 0x10, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamSerialNumber0
    {ParameterFlags::Readable, 0x90, 0x10, 0x11, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamSerialNumber1
    {ParameterFlags::Readable, 0x90, 0x10, 0x12, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamSerialNumber2
    {ParameterFlags::Readable, 0x90, 0x10, 0x13, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamSerialNumber3
    {ParameterFlags::Readable, 0x90, 0x10, 0x14, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamVersion0
    {ParameterFlags::Readable, 0x90, 0x10, 0x15, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamVersion1
    {ParameterFlags::Readable, 0x81, 0x01, 0x60, 0, 0, 65535, nullptr, nullptr, 62265},  // ParamSerialNumberUnlock
    {0, 0x00, 0x00, 0x00, 0, 0, 0, nullptr, nullptr, 62231},  // ParamReserved
}};

const char* const Identifiers[ParameterCount] = {
    "TriggerMode",
    "TriggerSource",
    "FlashOutput",
    "SmearReduction",
    "ShutterSpeed",
    "GainLevel",
    "TriggerPolarity",
    "ProgrammableShutter",
    "DoubleAccel",
    "DataBit",
    "VdFval",
    "HdLval",
    "BlackLevel",
    "AdjustGain",
    "PartialScan",
    "PartialScanStart",
    "PartialScanWidth",
    "FactorySet",
    "WhiteSpotCorrection",
    "WhiteSpotThreshold",
    "WhiteSpotDetect",
    "TestPattern",
    "SubVoltage",
    "VendorName0",
    "VendorName1",
    "VendorName2",
    "VendorName3",
    "VendorName4",
    "VendorName5",
    "VendorName6",
    "VendorName7",
    "ModelName0",
    "ModelName1",
    "ModelName2",
    "ModelName3",
    "ModelName4",
    "ModelName5",
    "ModelName6",
    "ModelName7",
    "SerialNumber0",
    "SerialNumber1",
    "SerialNumber2",
    "SerialNumber3",
    "Version0",
    "Version1",
    "SerialNumberUnlock",
    "Reserved",
};

}  // namespace

namespace ParameterTable {

const std::array<CameraParameter, ParameterCount>& Rows() { return Table; }
const CameraParameter& Row(ParameterId id) { return Table[static_cast<size_t>(id)]; }

int32_t FromCamera(ParameterId id, int32_t number) {
  ParameterConverter convert = Row(id).fromCamera;
  return convert != nullptr ? convert(number) : number;
}

int32_t ToCamera(ParameterId id, int32_t value) {
  ParameterConverter convert = Row(id).toCamera;
  return convert != nullptr ? convert(value) : value;
}

static int32_t Field(ParameterId id, int32_t number, bool converted) {
  return converted ? FromCamera(id, number) : number;
}

int32_t DefaultValue(ParameterId id, bool converted) { return Field(id, Row(id).defaultValue, converted); }
int32_t Minimum(ParameterId id, bool converted) { return Field(id, Row(id).minimum, converted); }
int32_t Maximum(ParameterId id, bool converted) { return Field(id, Row(id).maximum, converted); }

uint8_t Flags(ParameterId id) { return Row(id).flags; }
uint8_t ReadArea(ParameterId id) { return Row(id).readArea; }
uint8_t WriteArea(ParameterId id) { return Row(id).writeArea; }
uint8_t Address(ParameterId id) { return Row(id).address; }
std::string Name(ParameterId id) { return LoadString(Row(id).nameId); }
std::string Unit(ParameterId id) {
  switch (id) {
    case ParamGainLevel: return "0.0358 dB a step; 168 is 0 dB";
    case ParamProgrammableShutter: return "256 steps a decade of exposure time: 0 is 10 us, 1536 is 10 s";
    case ParamBlackLevel: return "1/1023 of full scale";
    default: return {};
  }
}

const char* Identifier(ParameterId id) { return Identifiers[static_cast<size_t>(id)]; }

int RowsWith(uint8_t flag) {
  int rows = 0;
  for (int i = 0; i < ParameterCount; ++i) rows += (Flags(static_cast<ParameterId>(i)) & flag) != 0 ? 1 : 0;
  return rows;
}

std::optional<std::string> RangeRefusal(ParameterId id, int32_t value) {
  int32_t number = ToCamera(id, value);
  if (number >= Minimum(id, AsInTable) && number <= Maximum(id, AsInTable)) return std::nullopt;
  return std::string(Identifier(id)) + " takes " + std::to_string(Minimum(id, AsStored)) + " to " +
         std::to_string(Maximum(id, AsStored));
}

}  // namespace ParameterTable
