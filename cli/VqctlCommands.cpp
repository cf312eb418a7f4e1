// The command table and the help text made from it.
#include "cli/VqctlCommands.h"

#include "cli/Vqctl.h"

namespace {

constexpr size_t HelpColumn = 23;

const char* const LinkOptionsHelp =
    "usage: vqctl [link options] COMMAND [arguments]\n"
    "Link options:\n"
#ifdef _WIN32
    "  --device PATH        serial device name (e.g. \\\\.\\COM12)\n"
#else
    "  --device PATH        serial device path (e.g. /dev/ttyUSB0, or the pty of vq-camera-sim)\n"
#endif
    "  --com N              COM port 1..10, mapped to a device path as the windowed program maps it (default --com 1)\n"
    "  --baud 9600|115200   default 9600\n"
    "  --camera-link LIB    reach the camera through a Camera Link serial library instead of a serial port:\n"
#ifdef _WIN32
    "                       Euresys (clseremc.dll), Matrox (clsermtx.dll) or a library file's path\n"
#else
    "                       Euresys (libclseremc.so), Matrox (libclsermtx.so) or a library file's path\n"
#endif
    "  --camera-link-port N the board's serial port, 0 for the first (default 0)\n"
    "  --trace              print every byte sent and received, in hex with a millisecond time stamp, on standard error\n"
    "  --json               print what a command reads as one JSON document, and a failure as one JSON object\n"
    "                       on standard error (also after the command)\n"
    "Commands:\n";

const char* const ClosingHelp =
    "NAME is a parameter name such as GainLevel or ModelName3 (any case), ParamGainLevel, or a row index.\n"
    "  -h, --help           this text\n"
    "  --version            the program's version\n";

// "  name arguments", then the help from the help column: on the same line when there is room.
std::string CommandHelp(const VqctlCommand& command) {
  std::string line = std::string("  ") + command.name;
  if (*command.arguments != '\0') line += std::string(" ") + command.arguments;
  line += line.size() < HelpColumn - 1 ? std::string(HelpColumn - line.size(), ' ') : "\n" + std::string(HelpColumn, ' ');
  for (const char* c = command.help; *c != '\0'; ++c) {
    line += *c;
    if (*c == '\n') line += std::string(HelpColumn, ' ');
  }
  return line + '\n';
}

}  // namespace

const std::vector<VqctlCommand>& VqctlCommands() {
  static const std::vector<VqctlCommand> commands = {
      {"read-all", "", 0, 0, true, &Vqctl::ReadAll, "read every readable parameter; one line per row: NAME=VALUE"},
      {"get", "NAME", 1, 1, true, &Vqctl::Get, "read one parameter; print its value in decimal"},
      {"set", "NAME VALUE", 2, 2, true, &Vqctl::Set, "write one parameter (VALUE decimal or 0x-prefixed hex)"},
      {"load", "FILE", 1, 1, true, &Vqctl::Load, "open a settings file and send it to the camera"},
      {"save", "FILE", 1, 1, true, &Vqctl::Save, "read all parameters from the camera, then write them as a settings file"},
      {"show", "FILE", 1, 1, false, &Vqctl::Show, "print a settings file's 47 values as NAME=VALUE; opens no link"},
      {"diff", "[--written] FILE", 1, 1, true, &Vqctl::Diff,
       "read all parameters and print each row where the file differs; exit 1 when some do;\n"
       "--written compares only the rows load writes"},
      {"info", "", 0, 0, true, &Vqctl::Info, "read the camera-information rows; print Vendor=, Model=, Serial=, Version="},
      {"send", "TEXT", 1, 1, true, &Vqctl::Send, "deliver a hand-typed request text"},
      {"query", "TEXT", 1, 1, true, &Vqctl::Query, "deliver a request text and print the six reply characters"},
      {"detect", "[--timeout SECONDS] [THRESHOLD]", 0, 1, true, &Vqctl::Detect,
       "run a white-spot detection and print its end message and spot list; exit 80 when\n"
       "the camera found more spots than it can list, 81 when it ended with an error, 75\n"
       "when it is still running after SECONDS (default 60)"},
      {"spots", "", 0, 0, true, &Vqctl::Spots, "print the white-spot list"},
      {"parameters", "", 0, 0, false, &Vqctl::Parameters,
       "print the parameter table: NAME INDEX MINIMUM MAXIMUM DEFAULT and whether\n"
       "write-all sends the row (w) and read-all reads it (r); opens no link"},
      {"write-serial", "[--digits 7|8] NUMBER", 1, 1, true, &Vqctl::WriteSerial,
       "unlock, check and write the serial number (default 7 digits), then append\n"
       "the adjustment-log row to ./VQ-R310_AdjustData.csv"},
      {"check", "[COUNT]", 0, 1, true, &Vqctl::Check,
       "time COUNT reads (default 20) against the line and say what slows or spoils it;\n"
       "exit 0 healthy, 1 slow, 76 reads repeated or refused, or a failed read's code"},
  };
  return commands;
}

const VqctlCommand* FindVqctlCommand(const std::string& name) {
  for (const VqctlCommand& command : VqctlCommands()) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

const std::string& VqctlUsage() {
  static const std::string usage = [] {
    std::string text = LinkOptionsHelp;
    for (const VqctlCommand& command : VqctlCommands()) text += CommandHelp(command);
    return text + ClosingHelp;
  }();
  return usage;
}
