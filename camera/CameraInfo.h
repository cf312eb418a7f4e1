// The camera's four identification texts, decoded from the two-character information registers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "camera/ParameterId.h"

class CameraParameterSet;

struct CameraInfo {
  std::string vendorName;
  std::string modelName;
  std::string serialNumber;
  std::string version;
  int serialDigitsMode = 0;  // 0: seven digits, 1: eight digits
};

using StoredValue = std::function<int32_t(ParameterId)>;

// Characters of rows first..first+count-1, low byte then high byte, up to the first zero byte.
std::string PairText(const StoredValue& value, ParameterId first, int count);

// The serial number of its four rows, and the digit mode its eighth character selects. The camera-information
// box and the adjustment log both use it, so one camera is never recorded under two numbers.
std::string SerialNumberText(const StoredValue& value, int* digitsMode = nullptr);

CameraInfo DecodeCameraInfo(const StoredValue& value);

// Reads the information rows and decodes them; 0 or the first failure's negative code, its message shown.
int32_t ReadCameraInfo(CameraParameterSet& parameters, CameraInfo& info);
