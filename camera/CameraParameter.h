// One row of the parameter table: where a register lives, its range, default and unit conversions.
#pragma once

#include <cstdint>

using ParameterConverter = int32_t (*)(int32_t);

namespace ParameterFlags {
inline constexpr uint8_t InWriteAll = 0x01;
inline constexpr uint8_t Readable = 0x02;
}  // namespace ParameterFlags

struct CameraParameter {
  uint8_t flags;
  uint8_t readArea;
  uint8_t writeArea;
  uint8_t address;
  int32_t defaultValue;
  int32_t minimum;
  int32_t maximum;
  ParameterConverter fromCamera;  // camera units to stored value; none means unchanged
  ParameterConverter toCamera;    // stored value to camera units; none means unchanged
  int32_t nameId;
};
