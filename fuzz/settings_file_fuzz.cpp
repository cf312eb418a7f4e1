// The settings-file decoder on arbitrary file contents: it never reads past the bytes, decodes all
// 47 values or none, and what it decodes encodes back to the same 212 bytes.
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
  std::vector<uint8_t> again = SettingsFile::Encode(values);
  FUZZ_CHECK(again.size() == SettingsFile::FileSize);
  SettingsFile::Values back{};
  FUZZ_CHECK(SettingsFile::Decode(again, back) == SettingsFile::Decoded::Loaded);
  FUZZ_CHECK(back == values);
  return 0;
}
