// The constant table of the 47 camera registers and the lookups every other layer uses.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "camera/CameraParameter.h"
#include "camera/ParameterId.h"

namespace ParameterTable {

const std::array<CameraParameter, ParameterCount>& Rows();
const CameraParameter& Row(ParameterId id);

// The last argument of DefaultValue, Minimum and Maximum: the field as the table holds it (the camera's
// number), or passed through the row's fromCamera into a stored value.
inline constexpr bool AsInTable = false;
inline constexpr bool AsStored = true;

int32_t DefaultValue(ParameterId id, bool converted);
int32_t Minimum(ParameterId id, bool converted);
int32_t Maximum(ParameterId id, bool converted);
int32_t FromCamera(ParameterId id, int32_t number);
int32_t ToCamera(ParameterId id, int32_t value);
uint8_t Flags(ParameterId id);
uint8_t ReadArea(ParameterId id);
uint8_t WriteArea(ParameterId id);
uint8_t Address(ParameterId id);
// The display name, from the string table.
std::string Name(ParameterId id);

// What one step of the row's value means, for the rows whose panel read-out is no plain number;
// empty for the others.
std::string Unit(ParameterId id);

// The enumerator's name without "Param" ("GainLevel"), as scripts name a row.
const char* Identifier(ParameterId id);

// Rows 0 to 45: what Read From Camera reads and a comparison covers.
inline constexpr int LastReadableRow = ParamSerialNumberUnlock;
// How many rows carry the flag: the rows read-all reads, the rows write-all sends.
int RowsWith(uint8_t flag);

// Why a value cannot be written to a row ("GainLevel takes 0 to 671"), or nothing: the request's
// digits would cut a value outside the row's range to something nobody asked for.
std::optional<std::string> RangeRefusal(ParameterId id, int32_t value);

}  // namespace ParameterTable
