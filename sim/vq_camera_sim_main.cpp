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

#include "platform/StandardDescriptors.h"
#include "sim/CameraModel.h"
#include "sim/PtyServer.h"
#include "sim/SimOptions.h"

namespace {

void Configure(CameraModel& camera, const SimOptions& options) {
  camera.Faults() = options.faults;
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
    if (std::strcmp(argv[i], "--help") == 0) text = SimUsage();
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
  std::string error;
  if (!ParseSimOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "vq-camera-sim: %s (--help lists the options)\n", error.c_str());
    return 2;
  }
  CameraModel camera;
  Configure(camera, options);

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
  if (options.usbLatencyMs > 0) server.HoldOutputInAdapter(int64_t{options.usbLatencyMs} * 1000);
  server.Serve(stopRequested, sleepMask);
  if (!options.linkPath.empty()) RemoveLink(options.linkPath, server.SlavePath());
  if (!options.answersPath.empty() && !WriteAnswers(options.answersPath, camera)) return 74;
  return 0;
}
