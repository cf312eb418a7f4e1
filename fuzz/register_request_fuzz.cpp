// The register menu's checks on arbitrary typed texts: a request goes out only when it is 14
// characters of hexadecimal digits laid out as mode, FF, area, the typed address and data, fill.
#include "camera/RegisterRequest.h"
#include "fuzz/FuzzInput.h"

namespace {

bool AllHex(const std::string& text) { return RegisterRequest::IsHexText(text, text.size()); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  int mode = input.Byte() & 1;
  int writeCode = input.Byte() & 0x7F;
  size_t digits = (input.Byte() & 1) ? 4 : 2;
  std::string address = input.Text();
  std::string value = input.Text();

  std::string text;
  RegisterRequest::Check check = RegisterRequest::BuildWrite(mode, writeCode, digits, address, value, text);
  FUZZ_CHECK((check == RegisterRequest::Check::BadAddress) == !RegisterRequest::IsHexText(address, 2));
  if (check == RegisterRequest::Check::Ok) {
    FUZZ_CHECK(text.size() == 14 && AllHex(text));
    FUZZ_CHECK(text.compare(6, 2, address) == 0 && text.compare(8, digits, value) == 0);
    FUZZ_CHECK(text.find_first_not_of('0', 8 + digits) == std::string::npos);
  }
  std::string read;
  if (RegisterRequest::BuildRead(mode, writeCode, address, read) == RegisterRequest::Check::Ok) {
    FUZZ_CHECK(read.size() == 14 && AllHex(read) && read.compare(8, 6, "000000") == 0);
  } else {
    FUZZ_CHECK(read.empty());
  }
  return 0;
}
