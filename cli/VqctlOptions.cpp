// Parsing vqctl's arguments; nothing here touches a camera or a file.
#include "cli/VqctlOptions.h"

#include <charconv>
#include <map>

const char* const VqctlUsage =
    "usage: vqctl [link options] COMMAND [arguments]\n"
    "Link options:\n"
    "  --device PATH        serial device path (e.g. /dev/ttyUSB0, or the pty of vq-camera-sim)\n"
    "  --com N              COM port 1..10, mapped to a device path as the windowed program maps it (default --com 1)\n"
    "  --baud 9600|115200   default 9600\n"
    "  --camera-link LIB    reach the camera through a Camera Link serial library instead of a serial port:\n"
    "                       Euresys (libclseremc.so), Matrox (libclsermtx.so) or a library file's path\n"
    "  --camera-link-port N the board's serial port, 0 for the first (default 0)\n"
    "  --trace              print every byte sent and received, in hex with a millisecond time stamp, on standard error\n"
    "Commands:\n"
    "  read-all             read every readable parameter; one line per row: NAME=VALUE\n"
    "  get NAME             read one parameter; print its value in decimal\n"
    "  set NAME VALUE       write one parameter (VALUE decimal or 0x-prefixed hex)\n"
    "  load FILE            open a settings file and send it to the camera\n"
    "  save FILE            read all parameters from the camera, then write them as a settings file\n"
    "  show FILE            print a settings file's 47 values as NAME=VALUE; opens no link\n"
    "  diff FILE            read all parameters and print each row where the file differs; exit 1 when some do\n"
    "  info                 read the camera-information rows; print Vendor=, Model=, Serial=, Version=\n"
    "  send TEXT            deliver a hand-typed request text\n"
    "  query TEXT           deliver a request text and print the six reply characters\n"
    "  detect [--timeout SECONDS] [THRESHOLD]\n"
    "                       run a white-spot detection and print its end message and spot list; give up\n"
    "                       with exit 75 when it is still running after SECONDS (default 60)\n"
    "  spots                print the white-spot list\n"
    "  parameters           print the parameter table: NAME INDEX MINIMUM MAXIMUM DEFAULT and whether\n"
    "                       write-all sends the row (w) and read-all reads it (r); opens no link\n"
    "  write-serial [--digits 7|8] NUMBER\n"
    "                       unlock, check and write the serial number (default 7 digits), then append\n"
    "                       the adjustment-log row to ./VQ-R310_AdjustData.csv\n"
    "NAME is a parameter name such as GainLevel or ModelName3 (any case), ParamGainLevel, or a row index.\n"
    "  --help               this text\n"
    "  --version            the program's version\n";

namespace {

// Arguments each command takes: at least, at most.
const std::map<std::string, std::pair<size_t, size_t>>& Commands() {
  static const std::map<std::string, std::pair<size_t, size_t>> commands = {
      {"read-all", {0, 0}}, {"get", {1, 1}},   {"set", {2, 2}},   {"load", {1, 1}},
      {"save", {1, 1}},     {"show", {1, 1}},  {"diff", {1, 1}},  {"info", {0, 0}},
      {"send", {1, 1}},     {"query", {1, 1}}, {"detect", {0, 1}}, {"spots", {0, 0}},
      {"write-serial", {1, 1}}, {"parameters", {0, 0}},
  };
  return commands;
}

bool ParseInt(const std::string& text, int& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// The value that follows an option, or an error.
bool TakeValue(const std::vector<std::string>& args, size_t& i, std::string& value, VqctlParse& result) {
  if (i + 1 >= args.size()) {
    result.error = args[i] + " needs a value";
    return false;
  }
  value = args[++i];
  return true;
}

bool TakePath(const std::vector<std::string>& args, size_t& i, std::optional<std::string>& path, VqctlParse& result) {
  std::string value;
  if (!TakeValue(args, i, value, result)) return false;
  path = value;
  return true;
}

// A number where one is due; whether it is a port or speed the link takes is the link's to say.
bool TakeInt(const std::vector<std::string>& args, size_t& i, int& number, VqctlParse& result) {
  std::string value;
  if (!TakeValue(args, i, value, result)) return false;
  if (ParseInt(value, number)) return true;
  result.error = args[i - 1] + " takes a number, not " + value;
  return false;
}

bool ParseLinkOption(const std::vector<std::string>& args, size_t& i, VqctlOptions& options, VqctlParse& result) {
  const std::string& option = args[i];
  std::string value;
  if (option == "--trace") {
    options.trace = true;
    return true;
  }
  if (option == "--device") return TakePath(args, i, options.link.device, result);
  if (option == "--camera-link") return TakePath(args, i, options.link.cameraLink, result);
  if (option == "--camera-link-port") return TakeInt(args, i, options.link.cameraLinkPort, result);
  if (option == "--com") return TakeInt(args, i, options.link.com, result);
  if (option == "--baud") return TakeInt(args, i, options.link.baud, result);
  result.error = "unknown option " + option;
  return false;
}

// An option after the command whose value is a whole number from least to most.
bool TakeNumber(const std::vector<std::string>& args, size_t& i, int least, int most, int& number, VqctlParse& result,
                const std::string& rule) {
  std::string value;
  if (!TakeValue(args, i, value, result)) return false;
  if (ParseInt(value, number) && number >= least && number <= most) return true;
  result.error = rule;
  return false;
}

// Arguments after the command; write-serial also takes --digits, detect --timeout.
bool ParseCommandArguments(const std::vector<std::string>& args, size_t i, VqctlOptions& options, VqctlParse& result) {
  for (; i < args.size(); ++i) {
    if (options.command == "write-serial" && args[i] == "--digits") {
      if (!TakeNumber(args, i, 7, 8, options.digits, result, "--digits takes 7 or 8")) return false;
      continue;
    }
    if (options.command == "detect" && args[i] == "--timeout") {
      if (!TakeNumber(args, i, 1, 86400, options.timeoutSeconds, result, "--timeout takes 1 to 86400 seconds")) {
        return false;
      }
      continue;
    }
    options.arguments.push_back(args[i]);
  }
  auto [least, most] = Commands().at(options.command);
  if (options.arguments.size() < least || options.arguments.size() > most) {
    result.error = options.command + " takes " +
                   (least == most ? std::to_string(least) : std::to_string(least) + " or " + std::to_string(most)) +
                   (most == 1 ? " argument" : " arguments");
    return false;
  }
  return true;
}

}  // namespace

VqctlParse ParseVqctlOptions(const std::vector<std::string>& args, VqctlOptions& options) {
  VqctlParse result;
  size_t i = 0;
  for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
    if (args[i] == "--help") {
      result.help = true;
      return result;
    }
    if (args[i] == "--version") {
      result.version = true;
      return result;
    }
    if (!ParseLinkOption(args, i, options, result)) return result;
  }
  if (i == args.size()) {
    result.error = "no command given";
    return result;
  }
  options.command = args[i];
  if (Commands().count(options.command) == 0) {
    result.error = "unknown command " + options.command;
    return result;
  }
  if (std::optional<std::string> error = LinkChoiceError(options.link)) {
    result.error = *error;
    return result;
  }
  result.ok = ParseCommandArguments(args, i + 1, options, result);
  return result;
}
