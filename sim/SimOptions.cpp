// The simulator's option table, and the parser and usage text made from it.
#include "sim/SimOptions.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

bool ParseInt(const char* text, int base, long low, long high, int& out) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, base);
  if (errno != 0 || *end != '\0' || value < low || value > high) return false;
  out = static_cast<int>(value);
  return true;
}

// A fault's number of occurrences, -1 for always.
bool Count(const char* text, int& out) { return ParseInt(text, 10, -1, INT_MAX, out); }

bool Millis(const char* text, int64_t& outUs) {
  int ms = 0;
  if (!ParseInt(text, 10, 0, 3600000, ms)) return false;
  outUs = static_cast<int64_t>(ms) * 1000;
  return true;
}

bool HexByte(const char* text, uint8_t& out) {
  int b = 0;
  if (!ParseInt(text, 16, 0, 0xFF, b)) return false;
  out = static_cast<uint8_t>(b);
  return true;
}

bool Path(const char* text, std::string& out) {
  if (text == nullptr || *text == '\0') return false;
  out = text;
  return true;
}

bool Defect(const char* text, SimOptions& o, ReplyDefect kind) {
  o.faults.replyDefect = kind;
  return Count(text, o.faults.defectiveReplies);
}

bool ParseSpots(const std::string& text, std::vector<CameraModel::Spot>& spots) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    size_t colon = item.find(':');
    CameraModel::Spot spot{};
    if (colon == std::string::npos || !ParseInt(item.substr(0, colon).c_str(), 10, 0, 0xFFFF, spot.x) ||
        !ParseInt(item.substr(colon + 1).c_str(), 10, 0, 0xFFFF, spot.y)) {
      return false;
    }
    spots.push_back(spot);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return true;
}

using V = const char*;
using O = SimOptions;

// In the order the usage lists them.
constexpr SimOption Table[] = {
    {"--baud", "N", "pace both directions at 10 bits a byte (default: no pacing)",
     [](V v, O& o) { return ParseInt(v, 10, 1, 4000000, o.baudRate); }},
    {"--usb-latency", "MS", "hold the camera's bytes as a USB-serial adapter does: until its MS latency\n"
     "timer fires or 62 wait",
     [](V v, O& o) { return ParseInt(v, 10, 1, 255, o.usbLatencyMs); }},
    {"--link", "PATH", "make PATH a symbolic link to the terminal (removed at exit)",
     [](V v, O& o) { return Path(v, o.linkPath); }},
    {"--end-with-stdin", nullptr,
     "end when standard input closes (started through a pipe, it ends with\n"
     "whoever holds the pipe's other end, however that ends)",
     [](V, O& o) { return o.endWithStdin = true; }},
    {"--answers-to", "PATH", "at its end, write to PATH how many replies were ACKed and NAKed",
     [](V v, O& o) { return Path(v, o.answersPath); }},
    {nullptr, nullptr, "Faults; N counts occurrences, -1 means always:", nullptr},
    {"--silent", nullptr, "answer nothing", [](V, O& o) { return o.faults.silent = true; }},
    {"--ignore-enq", "N", "leave ENQs unanswered", [](V v, O& o) { return Count(v, o.faults.ignoreEnquiries); }},
    {"--wrong-enq", "N", "answer ENQs with --enq-answer HEX (default 15, NAK)",
     [](V v, O& o) { return Count(v, o.faults.wrongEnquiryAnswers); }},
    {"--enq-answer", "HEX", nullptr, [](V v, O& o) { return HexByte(v, o.faults.enquiryAnswer); }},
    {"--ignore-frames", "N", "leave good request frames unanswered",
     [](V v, O& o) { return Count(v, o.faults.ignoreFrames); }},
    {"--wrong-frames", "N", "answer frames with --frame-answer HEX (default 15, NAK)",
     [](V v, O& o) { return Count(v, o.faults.wrongFrameAnswers); }},
    {"--frame-answer", "HEX", nullptr, [](V v, O& o) { return HexByte(v, o.faults.frameAnswer); }},
    {"--missing-replies", "N", "acknowledge read requests but never reply",
     [](V v, O& o) { return Count(v, o.faults.missingReplies); }},
    {"--short-replies", "N", "cut replies after --short-length L bytes (default 5)",
     [](V v, O& o) { return Count(v, o.faults.shortReplies); }},
    {"--short-length", "L", nullptr, [](V v, O& o) { return ParseInt(v, 10, 0, 9, o.faults.shortReplyLength); }},
    {"--bad-check", "N", "replies with a wrong check code", [](V v, O& o) { return Defect(v, o, ReplyDefect::BadCheck); }},
    {"--no-etx", "N", "replies with another byte where ETX belongs",
     [](V v, O& o) { return Defect(v, o, ReplyDefect::NoEtx); }},
    {"--non-hex-check", "N", "replies with a check digit that is not hexadecimal",
     [](V v, O& o) { return Defect(v, o, ReplyDefect::NonHexCheck); }},
    {"--non-hex-data", "N", "replies with a data character that is not hexadecimal",
     [](V v, O& o) { return Defect(v, o, ReplyDefect::NonHexData); }},
    {"--replies-per-request", "N", "send a read's reply at most N times, then leave NAKs unanswered",
     [](V v, O& o) { return ParseInt(v, 10, 1, INT_MAX, o.faults.repliesPerRequest); }},
    {"--lower-case", nullptr, "lower-case check digits", [](V, O& o) { return o.faults.lowerCaseCheck = true; }},
    {"--noise", "N", "N noise bytes before every reply", [](V v, O& o) { return ParseInt(v, 10, 0, 4096, o.faults.noiseBytes); }},
    {"--noise-gap-ms", "MS", "time between noise bytes and before the reply",
     [](V v, O& o) { return Millis(v, o.faults.noiseGapUs); }},
    {"--slow-ms", "MS", "extra delay before every byte the camera sends",
     [](V v, O& o) { return Millis(v, o.faults.byteDelayUs); }},
    {nullptr, nullptr, "Camera state:", nullptr},
    {"--spots", "X:Y,X:Y,...", "the white spots detection finds",
     [](V v, O& o) {
       o.hasSpots = true;
       return v != nullptr && ParseSpots(v, o.spots);
     }},
    {"--detect-reads", "N", "detection reads busy N times before its outcome",
     [](V v, O& o) { return ParseInt(v, 10, 0, INT_MAX, o.detectReads); }},
    {"--detect-outcome", "V", "detection outcome value (0 finished, 2 too many spots, else error)",
     [](V v, O& o) { return ParseInt(v, 10, 0, 255, o.detectOutcome); }},
    {"--factory-reads", "N", "factory set reads busy N times",
     [](V v, O& o) { return ParseInt(v, 10, 0, INT_MAX, o.factoryReads); }},
    {"--random-faults", "P", "P percent of the requests meet one fault they recover from",
     [](V v, O& o) { return ParseInt(v, 10, 0, 100, o.randomPercent); }},
    {"--seed", "N", "seed of those faults (default 1)", [](V v, O& o) { return ParseInt(v, 10, 1, INT_MAX, o.seed); }},
    {"--grabber-library", nullptr,
     "print the path of the simulated Camera Link library (libclsersim.so)\n"
     "installed with this program, to load as \"Other Factory\", and exit",
     nullptr},
    {"--help", nullptr, "this text", nullptr},
    {"--version", nullptr, "the program's version", nullptr},
};

// Where an option's text starts in the usage; a longer name and value put it on the next line.
constexpr size_t HelpColumn = 25;

std::string UsageLine(const SimOption& option) {
  std::string line = std::string("  ") + option.name + (option.value != nullptr ? std::string(" ") + option.value : "");
  line += line.size() < HelpColumn ? std::string(HelpColumn - line.size(), ' ') : "\n" + std::string(HelpColumn, ' ');
  for (const char* c = option.help; *c != '\0'; ++c) line += *c == '\n' ? "\n" + std::string(HelpColumn, ' ') : std::string(1, *c);
  return line + "\n";
}

}  // namespace

std::span<const SimOption> SimOptionTable() { return Table; }

const SimOption* FindSimOption(const std::string& name) {
  for (const SimOption& option : Table) {
    if (option.name != nullptr && name == option.name) return &option;
  }
  return nullptr;
}

std::string SimUsage() {
  std::string text =
      "usage: vq-camera-sim [options]\n"
      "Serves the simulated VQ-R310NTX camera on a pseudo-terminal and prints its path first.\n";
  for (const SimOption& option : Table) {
    if (option.name == nullptr) {
      text += std::string(option.help) + "\n";
    } else if (option.help != nullptr) {
      text += UsageLine(option);
    }
  }
  return text;
}

bool ParseSimOptions(int argc, const char* const* argv, SimOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const SimOption* option = FindSimOption(argv[i]);
    if (option == nullptr) {
      error = std::string("unknown option ") + argv[i];
      return false;
    }
    if (option->take != nullptr && !option->take(i + 1 < argc ? argv[i + 1] : nullptr, options)) {
      error = std::string("bad or missing value for ") + argv[i];
      return false;
    }
    if (option->value != nullptr) ++i;
  }
  return true;
}
