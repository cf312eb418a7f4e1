// The current value of each camera register, in stored units.
#pragma once

#include <array>
#include <cstdint>

#include "camera/ParameterId.h"
#include "link/CommErrorState.h"

// The last argument of GetValue and SetValue: the value at the call is in the store's own units, or in
// the camera's (passed through the row's toCamera or fromCamera).
namespace ValueUnits {
inline constexpr bool Stored = false;
inline constexpr bool Camera = true;
}  // namespace ValueUnits

class CameraValueStore : public virtual CommErrorState {
 public:
  CameraValueStore();

  // The stored value, passed through the row's toCamera when asked.
  int32_t GetValue(ParameterId id, bool toCamera) const;
  // Stores value (through the row's fromCamera when asked); 1 if the stored value changed, else 0.
  int32_t SetValue(ParameterId id, int32_t value, bool fromCamera);

 private:
  std::array<int32_t, ParameterCount> values_{};
};
