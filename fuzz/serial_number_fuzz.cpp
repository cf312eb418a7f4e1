// Serial-number stepping and checking on arbitrary texts: stepping always gives a text the checks
// would judge by its length alone, and an accepted text always gives four words of its characters.
#include "camera/SerialNumber.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  int digitsMode = input.Byte() & 1;
  int step = (input.Byte() & 1) ? 1 : -1;
  std::string text = input.Text();

  std::string stepped = StepSerialNumber(text, digitsMode, step);
  if (digitsMode == 0) {
    FUZZ_CHECK(stepped.size() == 7);
    FUZZ_CHECK(SerialNumberRefusal(stepped, 0).empty());
  } else {
    FUZZ_CHECK(stepped.size() == std::min<size_t>(text.size(), 3) + 5);
  }

  std::string refusal = SerialNumberRefusal(text, digitsMode);
  if (refusal.empty()) {
    FUZZ_CHECK(text.size() == static_cast<size_t>(SerialLength(digitsMode)));
    auto words = SerialNumberWords(text, digitsMode);
    for (size_t k = 0; k < 4; ++k) {
      FUZZ_CHECK((words[k] & 0xFF) == static_cast<uint8_t>(text[2 * k]));
      uint8_t high = 2 * k + 1 < text.size() ? static_cast<uint8_t>(text[2 * k + 1]) : 0;
      FUZZ_CHECK(((words[k] >> 8) & 0xFF) == high);
    }
  }
  return 0;
}
