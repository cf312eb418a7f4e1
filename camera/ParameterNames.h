// How scripts name parameters and values: vqctl's command line and the Python module.
#pragma once

#include <cstdint>
#include <string>

#include "camera/ParameterId.h"

// "GainLevel" in any case, "ParamGainLevel", or a row index "5".
bool FindParameter(const std::string& name, ParameterId& id);

// Decimal or 0x-prefixed hexadecimal, 0 to 0xFFFFFF: what three data bytes can carry.
bool ParseParameterValue(const std::string& text, int32_t& value);
