// The settings-file decoder on arbitrary file contents: it never reads past the bytes, decodes all
// 47 values or none, what it decodes encodes back to the same 212 bytes, and its values are refused
// exactly when a row's own write would refuse one.
#include "camera/ParameterTable.h"
#include "camera/SettingsFile.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  SettingsFile::Values values{};
  values.fill(0x5A5A5A5A);
  SettingsFile::Decoded decoded = SettingsFile::Decode(bytes, values);
  if (decoded != SettingsFile::Decoded::Loaded) {
    for (int32_t v : values) FUZZ_CHECK(v == 0x5A5A5A5A);
    FUZZ_CHECK(SettingsFile::RefusalMessage(decoded, "x").empty() == (decoded == SettingsFile::Decoded::Empty));
    return 0;
  }
  // A file is refused for its values exactly when one of the rows it would send holds a value that
  // a single write of that row (which takes the operator's units) would refuse. Values the units
  // cannot carry back to the same number are left out of the comparison.
  bool outOfRange = false;
  bool comparable = true;
  for (int i = 0; i < ParameterCount; ++i) {
    auto id = static_cast<ParameterId>(i);
    if ((ParameterTable::Flags(id) & ParameterFlags::InWriteAll) == 0) continue;
    const int32_t number = values[static_cast<size_t>(i)];
    const int32_t shown = ParameterTable::FromCamera(id, number);
    comparable = comparable && ParameterTable::ToCamera(id, shown) == number;
    outOfRange = outOfRange || ParameterTable::RangeRefusal(id, shown).has_value();
  }
  if (comparable) FUZZ_CHECK(SettingsFile::ValueRefusal(values, "x").empty() == !outOfRange);
  std::vector<uint8_t> again = SettingsFile::Encode(values);
  FUZZ_CHECK(again.size() == SettingsFile::FileSize);
  SettingsFile::Values back{};
  FUZZ_CHECK(SettingsFile::Decode(again, back) == SettingsFile::Decoded::Loaded);
  FUZZ_CHECK(back == values);
  return 0;
}
