// Text rules of the camera-information registers: two 8-bit characters per register, low byte first.
#include "camera/CameraInfo.h"

#include "camera/CameraParameterSet.h"

namespace {

char Low(int32_t v) { return static_cast<char>(v & 0xFF); }
char High(int32_t v) { return static_cast<char>((v >> 8) & 0xFF); }

void AppendCharacter(std::string& text, char c) {
  if (c != '\0') text += c;
}

}  // namespace

std::string PairText(const StoredValue& value, ParameterId first, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    int32_t v = value(static_cast<ParameterId>(first + i));
    if (Low(v) == '\0') break;
    text += Low(v);
    if (v < 256) break;
    text += High(v);
  }
  return text;
}

std::string SerialNumberText(const StoredValue& value, int* digitsMode) {
  std::string text;
  for (ParameterId id : {ParamSerialNumber0, ParamSerialNumber1, ParamSerialNumber2}) {
    int32_t v = value(id);
    // A text ends at a zero byte: a zero low byte drops the pair, a zero high byte only itself.
    if (Low(v) == '\0') continue;
    text += Low(v);
    AppendCharacter(text, High(v));
  }
  int32_t last = value(ParamSerialNumber3);
  AppendCharacter(text, Low(last));
  // Only a digit counts as the eighth character, whatever stands before it.
  const bool eighthDigit = High(last) >= '0' && High(last) <= '9';
  if (eighthDigit) text += High(last);
  if (digitsMode != nullptr) *digitsMode = eighthDigit ? 1 : 0;
  return text;
}

static std::string VersionText(const StoredValue& value) {
  const int32_t words[2] = {value(ParamVersion0), value(ParamVersion1)};
  // "%c.%c.%c.%c", ending at the first zero character, dots before it included.
  const std::string text = {Low(words[0]), '.', High(words[0]), '.', Low(words[1]), '.', High(words[1])};
  return text.substr(0, text.find('\0'));
}

CameraInfo DecodeCameraInfo(const StoredValue& value) {
  CameraInfo info;
  info.vendorName = PairText(value, ParamVendorName0, 8);
  info.modelName = PairText(value, ParamModelName0, 8);
  info.serialNumber = SerialNumberText(value, &info.serialDigitsMode);
  info.version = VersionText(value);
  return info;
}

int32_t ReadCameraInfo(CameraParameterSet& parameters, CameraInfo& info) {
  for (int i = ParamVendorName0; i <= ParamVersion1; ++i) {
    int32_t result = parameters.UploadOne(static_cast<ParameterId>(i));
    if (result < 0) return result;
  }
  info = DecodeCameraInfo([&parameters](ParameterId id) { return parameters.GetValue(id, ValueUnits::Stored); });
  return 0;
}
