// vq-camera-sim: the simulated camera on a pseudo-terminal, with its faults chosen on the command line.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sim/CameraModel.h"
#include "platform/StandardDescriptors.h"
#include "sim/PtyServer.h"

namespace {

const char Usage[] =
    "usage: vq-camera-sim [options]\n"
    "Serves the simulated VQ-R310NTX camera on a pseudo-terminal and prints its path first.\n"
    "  --baud N               pace both directions at 10 bits a byte (default: no pacing)\n"
    "  --link PATH            make PATH a symbolic link to the terminal (removed at exit)\n"
    "  --end-with-stdin       end when standard input closes (started through a pipe, it ends with\n"
    "                         whoever holds the pipe's other end, however that ends)\n"
    "Faults; N counts occurrences, -1 means always:\n"
    "  --silent               answer nothing\n"
    "  --ignore-enq N         leave ENQs unanswered\n"
    "  --wrong-enq N          answer ENQs with --enq-answer HEX (default 15, NAK)\n"
    "  --ignore-frames N      leave good request frames unanswered\n"
    "  --wrong-frames N       answer frames with --frame-answer HEX (default 15, NAK)\n"
    "  --missing-replies N    acknowledge read requests but never reply\n"
    "  --short-replies N      cut replies after --short-length L bytes (default 5)\n"
    "  --bad-check N          replies with a wrong check code\n"
    "  --no-etx N             replies with another byte where ETX belongs\n"
    "  --non-hex-check N      replies with a check digit that is not hexadecimal\n"
    "  --non-hex-data N       replies with a data character that is not hexadecimal\n"
    "  --replies-per-request N\n"
    "                         send a read's reply at most N times, then leave NAKs unanswered\n"
    "  --lower-case           lower-case check digits\n"
    "  --noise N              N noise bytes before every reply\n"
    "  --noise-gap-ms MS      time between noise bytes and before the reply\n"
    "  --slow-ms MS           extra delay before every byte the camera sends\n"
    "Camera state:\n"
    "  --spots X:Y,X:Y,...    the white spots detection finds\n"
    "  --detect-reads N       detection reads busy N times before its outcome\n"
    "  --detect-outcome V     detection outcome value (0 finished, 2 too many spots, else error)\n"
    "  --factory-reads N      factory set reads busy N times\n"
    "  --random-faults P      P percent of the requests meet one fault they recover from\n"
    "  --seed N               seed of those faults (default 1)\n"
    "  --grabber-library      print the path of the simulated Camera Link library (libclsersim.so)\n"
    "                         installed with this program, to load as \"Other Factory\", and exit\n"
    "  --help                 this text\n"
    "  --version              the program's version\n";

struct SimOptions {
  int baudRate = 0;
  std::string linkPath;
  std::string answersPath;
  bool endWithStdin = false;
  std::vector<CameraModel::Spot> spots;
  bool hasSpots = false;
  int detectReads = -1;
  int detectOutcome = 0;
  int factoryReads = -1;
  int randomPercent = 0;
  int seed = 1;
};

bool ParseInt(const char* text, int base, long low, long high, int& out) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, base);
  if (errno != 0 || *end != '\0' || value < low || value > high) return false;
  out = static_cast<int>(value);
  return true;
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

// Fills options and faults from argv; false with a message on the first option it cannot take.
bool ParseOptions(int argc, char** argv, SimOptions& options, CameraFaults& faults, std::string& error) {
  auto count = [](const char* v, int& out) { return ParseInt(v, 10, -1, INT_MAX, out); };
  auto millis = [](const char* v, int64_t& outUs) {
    int ms = 0;
    if (!ParseInt(v, 10, 0, 3600000, ms)) return false;
    outUs = static_cast<int64_t>(ms) * 1000;
    return true;
  };
  auto byteValue = [](const char* v, uint8_t& out) {
    int b = 0;
    if (!ParseInt(v, 16, 0, 0xFF, b)) return false;
    out = static_cast<uint8_t>(b);
    return true;
  };
  auto defect = [&faults, &count](const char* v, ReplyDefect kind) {
    faults.replyDefect = kind;
    return count(v, faults.defectiveReplies);
  };
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    bool ok = true;
    bool takesValue = true;
    if (name == "--silent") {
      faults.silent = true;
      takesValue = false;
    } else if (name == "--end-with-stdin") {
      options.endWithStdin = true;
      takesValue = false;
    } else if (name == "--lower-case") {
      faults.lowerCaseCheck = true;
      takesValue = false;
    } else if (name == "--baud") {
      ok = ParseInt(value, 10, 1, 4000000, options.baudRate);
    } else if (name == "--link") {
      ok = value != nullptr && *value != '\0';
      if (ok) options.linkPath = value;
    } else if (name == "--answers-to") {
      ok = value != nullptr && *value != '\0';
      if (ok) options.answersPath = value;
    } else if (name == "--ignore-enq") {
      ok = count(value, faults.ignoreEnquiries);
    } else if (name == "--wrong-enq") {
      ok = count(value, faults.wrongEnquiryAnswers);
    } else if (name == "--enq-answer") {
      ok = byteValue(value, faults.enquiryAnswer);
    } else if (name == "--ignore-frames") {
      ok = count(value, faults.ignoreFrames);
    } else if (name == "--wrong-frames") {
      ok = count(value, faults.wrongFrameAnswers);
    } else if (name == "--frame-answer") {
      ok = byteValue(value, faults.frameAnswer);
    } else if (name == "--missing-replies") {
      ok = count(value, faults.missingReplies);
    } else if (name == "--short-replies") {
      ok = count(value, faults.shortReplies);
    } else if (name == "--short-length") {
      ok = ParseInt(value, 10, 0, 9, faults.shortReplyLength);
    } else if (name == "--replies-per-request") {
      ok = ParseInt(value, 10, 1, INT_MAX, faults.repliesPerRequest);
    } else if (name == "--bad-check") {
      ok = defect(value, ReplyDefect::BadCheck);
    } else if (name == "--no-etx") {
      ok = defect(value, ReplyDefect::NoEtx);
    } else if (name == "--non-hex-check") {
      ok = defect(value, ReplyDefect::NonHexCheck);
    } else if (name == "--non-hex-data") {
      ok = defect(value, ReplyDefect::NonHexData);
    } else if (name == "--noise") {
      ok = ParseInt(value, 10, 0, 4096, faults.noiseBytes);
    } else if (name == "--noise-gap-ms") {
      ok = millis(value, faults.noiseGapUs);
    } else if (name == "--slow-ms") {
      ok = millis(value, faults.byteDelayUs);
    } else if (name == "--spots") {
      ok = value != nullptr && ParseSpots(value, options.spots);
      options.hasSpots = true;
    } else if (name == "--detect-reads") {
      ok = ParseInt(value, 10, 0, INT_MAX, options.detectReads);
    } else if (name == "--detect-outcome") {
      ok = ParseInt(value, 10, 0, 255, options.detectOutcome);
    } else if (name == "--random-faults") {
      ok = ParseInt(value, 10, 0, 100, options.randomPercent);
    } else if (name == "--seed") {
      ok = ParseInt(value, 10, 1, INT_MAX, options.seed);
    } else if (name == "--factory-reads") {
      ok = ParseInt(value, 10, 0, INT_MAX, options.factoryReads);
    } else {
      error = "unknown option " + name;
      return false;
    }
    if (!ok) {
      error = "bad or missing value for " + name;
      return false;
    }
    if (takesValue) ++i;
  }
  return true;
}

void Configure(CameraModel& camera, const SimOptions& options, const CameraFaults& faults) {
  camera.Faults() = faults;
  camera.SetBaudRate(options.baudRate);
  if (options.hasSpots) camera.SetSpots(options.spots);
  if (options.detectReads >= 0) camera.SetDetectionBusyReads(options.detectReads);
  camera.SetDetectionOutcome(options.detectOutcome);
  if (options.factoryReads >= 0) camera.SetFactoryBusyReads(options.factoryReads);
  if (options.randomPercent > 0) camera.SetRandomFaults(static_cast<uint32_t>(options.seed), options.randomPercent);
}

// Replaces an existing symbolic link, but never a file that is something else.
bool MakeLink(const std::string& linkPath, const std::string& target) {
  struct stat st {};
  if (::lstat(linkPath.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      std::fprintf(stderr, "vq-camera-sim: %s exists and is not a symbolic link\n", linkPath.c_str());
      return false;
    }
    ::unlink(linkPath.c_str());
  }
  if (::symlink(target.c_str(), linkPath.c_str()) != 0) {
    std::fprintf(stderr, "vq-camera-sim: cannot link %s: %s\n", linkPath.c_str(), std::strerror(errno));
    return false;
  }
  return true;
}

// Removes the link only while it still names our terminal; another simulator may have taken it over.
void RemoveLink(const std::string& linkPath, const std::string& target) {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink(linkPath.c_str(), buffer, sizeof buffer - 1);
  if (n < 0) return;
  buffer[n] = '\0';
  if (target == buffer) ::unlink(linkPath.c_str());
}

bool WriteAnswers(const std::string& path, const CameraModel& camera) {
  FILE* file = std::fopen(path.c_str(), "w");
  bool ok = file != nullptr &&
            std::fprintf(file, "ACK %d\nNAK %d\n", camera.RepliesAcknowledged(), camera.RepliesRefused()) > 0;
  if (file != nullptr && std::fclose(file) != 0) ok = false;
  if (!ok) std::fprintf(stderr, "vq-camera-sim: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
  return ok;
}

volatile std::sig_atomic_t stopRequested = 0;

void OnStopSignal(int) { stopRequested = 1; }

// Blocks the stop signals outside the server's sleep and returns the mask that lets them in there.
sigset_t InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(sig, &action, nullptr);
    sigaddset(&stopSignals, sig);
  }
  sigset_t previous;
  sigprocmask(SIG_BLOCK, &stopSignals, &previous);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigdelset(&previous, sig);
  return previous;
}

// Beside this program in the build tree, in the private library folder once installed.
std::string GrabberLibraryPath() {
  char self[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return std::string();
  self[n] = '\0';
  std::string dir(self, std::string(self).find_last_of('/'));
  for (const std::string& candidate : {dir + "/libclsersim.so", dir + "/" VQ_GRABBER_FROM_BIN "/libclsersim.so"}) {
    // Printed without "bin/../": the path a user copies into the setup dialog should read plainly.
    char resolved[PATH_MAX];
    if (::access(candidate.c_str(), R_OK) == 0 && ::realpath(candidate.c_str(), resolved) != nullptr) return resolved;
  }
  return std::string();
}

// --help, --version and --grabber-library print their answer and end the program.
bool AnswersAlone(int argc, char** argv, int& status) {
  std::string text;
  for (int i = 1; i < argc && text.empty(); ++i) {
    if (std::strcmp(argv[i], "--help") == 0) text = Usage;
    if (std::strcmp(argv[i], "--version") == 0) text = "vq-camera-sim " VQ_VERSION "\n";
    if (std::strcmp(argv[i], "--grabber-library") == 0) {
      std::string path = GrabberLibraryPath();
      if (path.empty()) {
        std::fputs("vq-camera-sim: libclsersim.so is not installed beside this program\n", stderr);
        status = 1;
        return true;
      }
      text = path + "\n";
    }
  }
  if (text.empty()) return false;
  status = std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 74;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  EnsureStandardDescriptors();
  int status = 0;
  if (AnswersAlone(argc, argv, status)) return status;
  SimOptions options;
  CameraFaults faults;
  std::string error;
  if (!ParseOptions(argc, argv, options, faults, error)) {
    std::fprintf(stderr, "vq-camera-sim: %s (--help lists the options)\n", error.c_str());
    return 2;
  }
  CameraModel camera;
  Configure(camera, options, faults);

  sigset_t sleepMask = InstallStopSignals();
  PtyServer server(camera);
  if (!server.Open(error)) {
    std::fprintf(stderr, "vq-camera-sim: %s\n", error.c_str());
    return 1;
  }
  if (!options.linkPath.empty() && !MakeLink(options.linkPath, server.SlavePath())) return 1;
  std::printf("%s\n", server.SlavePath().c_str());
  std::fflush(stdout);

  if (options.endWithStdin) server.EndWhenClosed(STDIN_FILENO);
  server.Serve(stopRequested, sleepMask);
  if (!options.linkPath.empty()) RemoveLink(options.linkPath, server.SlavePath());
  if (!options.answersPath.empty() && !WriteAnswers(options.answersPath, camera)) return 74;
  return 0;
}
