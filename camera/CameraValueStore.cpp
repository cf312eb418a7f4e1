// The value store starts from the table's defaults and is never reset afterwards.
#include "camera/CameraValueStore.h"

#include "camera/ParameterTable.h"

CameraValueStore::CameraValueStore() {
  for (int i = 0; i < ParameterCount; ++i) {
    auto id = static_cast<ParameterId>(i);
    values_[static_cast<size_t>(i)] = ParameterTable::DefaultValue(id, ParameterTable::AsStored);
  }
}

int32_t CameraValueStore::GetValue(ParameterId id, bool toCamera) const {
  int32_t value = values_[static_cast<size_t>(id)];
  return toCamera ? ParameterTable::ToCamera(id, value) : value;
}

int32_t CameraValueStore::SetValue(ParameterId id, int32_t value, bool fromCamera) {
  if (fromCamera) value = ParameterTable::FromCamera(id, value);
  int32_t& slot = values_[static_cast<size_t>(id)];
  if (slot == value) return 0;
  slot = value;
  return 1;
}
