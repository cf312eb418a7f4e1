// vqctl's argument parsing on arbitrary argument lists: it either refuses with a reason or yields a
// known command with options inside their ranges.
#include "camera/ParameterNames.h"
#include "cli/VqctlOptions.h"
#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  std::vector<std::string> args;
  while (!input.Empty() && args.size() < 16) args.push_back(input.Text());

  VqctlOptions options;
  VqctlParse parse = ParseVqctlOptions(args, options);
  if (parse.help || parse.version) return 0;
  if (!parse.ok) {
    FUZZ_CHECK(!parse.error.empty());
    return 0;
  }
  FUZZ_CHECK(!LinkChoiceError(options.link));
  FUZZ_CHECK(options.link.com >= 1 && options.link.com <= 10);
  FUZZ_CHECK(options.link.cameraLinkPort >= 0 && options.link.cameraLinkPort <= MaxCameraLinkPort);
  FUZZ_CHECK(options.link.cameraLink.has_value() || options.link.cameraLinkPort == 0);
  FUZZ_CHECK(options.link.baud == 9600 || options.link.baud == 115200);
  FUZZ_CHECK(options.digits == 7 || options.digits == 8);
  FUZZ_CHECK(!options.command.empty());
  for (const std::string& arg : options.arguments) {
    ParameterId id{};
    if (FindParameter(arg, id)) FUZZ_CHECK(id >= 0 && id < ParameterCount);
    int32_t value = -1;
    if (ParseParameterValue(arg, value)) FUZZ_CHECK(value >= 0 && value <= 0xFFFFFF);
  }
  return 0;
}
