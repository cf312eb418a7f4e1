// Times vqctl from its launch to the first byte it puts on the line, the part of a script's command
// that the line's speed does not set, against the simulated camera. An argument names another vqctl
// to time (an earlier build, run by turns with this one).
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/SimProcess.h"

namespace {

constexpr int BitsPerByte = 10;
constexpr int Baud = 115200;
// get: one read, ENQ, ACK, 18-byte frame, ACK, 10-byte reply, ACK.
constexpr int GetBytes = 32;
constexpr int Runs = 30;
constexpr double TargetMs = 3.0;

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A terminal in raw mode, as a serial line carries bytes.
bool MakeRaw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

struct Run {
  bool ok = false;
  double opened = 0;     // from launch to vqctl's open of its serial device
  double firstByte = 0;  // from launch to the first byte on the line
  double whole = 0;      // from launch to the exit
  std::string out;
};

// The line between vqctl and the simulator runs through this process: vqctl gets a pseudo-terminal
// of its own, whose bytes are passed on to the simulator's terminal and back, so the moment the first
// byte reaches the line is seen here; the terminal's node tells when vqctl opens it. The relay adds
// microseconds; the launch takes milliseconds.
Run RelayedRun(const std::string& vqctl, int simFd, const std::vector<std::string>& command,
               const std::string& configHome) {
  Run run;
  // A fresh terminal each run: vqctl leaves its exclusive-open mark on the one it used.
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return run;
  const std::string device = ptsname(master);
  // Held open here, so the master never sees a hang-up while no one else has the terminal open.
  const int slave = open(device.c_str(), O_RDWR | O_NOCTTY);
  int out[2];
  if (slave < 0 || !MakeRaw(slave) || pipe2(out, O_CLOEXEC) != 0) return run;
  const int opens = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (opens < 0 || inotify_add_watch(opens, device.c_str(), IN_OPEN) < 0) return run;

  std::vector<std::string> words{vqctl, "--device", device, "--baud", std::to_string(Baud)};
  words.insert(words.end(), command.begin(), command.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  // The settings store of a fresh user: nothing assigned, nothing in the way.
  std::string home = "XDG_CONFIG_HOME=" + configHome;
  std::vector<char*> envp{home.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  const double start = Seconds();
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, vqctl.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  bool first = true, outOpen = spawned == 0;
  while (outOpen && Seconds() - start < 10) {
    pollfd fds[4] = {{master, POLLIN, 0}, {simFd, POLLIN, 0}, {out[0], POLLIN, 0}, {opens, POLLIN, 0}};
    if (poll(fds, 4, 100) <= 0) continue;
    char bytes[256];
    if (fds[3].revents & POLLIN) {
      alignas(inotify_event) char events[256];
      if (read(opens, events, sizeof events) > 0 && run.opened == 0) run.opened = Seconds() - start;
    }
    if (fds[0].revents & POLLIN) {
      const ssize_t n = read(master, bytes, sizeof bytes);
      if (n > 0 && first) {
        run.firstByte = Seconds() - start;
        first = false;
      }
      if (n > 0 && write(simFd, bytes, static_cast<size_t>(n)) != n) break;
    }
    if (fds[1].revents & POLLIN) {
      const ssize_t n = read(simFd, bytes, sizeof bytes);
      if (n > 0 && write(master, bytes, static_cast<size_t>(n)) != n) break;
    }
    if (fds[2].revents & (POLLIN | POLLHUP)) {
      const ssize_t n = read(out[0], bytes, sizeof bytes);
      if (n > 0) run.out.append(bytes, static_cast<size_t>(n));
      outOpen = n > 0;
    }
  }
  int status = -1;
  if (spawned == 0 && waitpid(pid, &status, 0) == pid) run.whole = Seconds() - start;
  run.ok = !first && !outOpen && run.opened > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  close(opens);
  close(out[0]);
  close(slave);
  close(master);
  return run;
}

// From launch to exit of `vqctl --version`: the process's own start, with no line to settle.
double VersionRun(std::string vqctl) {
  char option[] = "--version";
  char* argv[] = {vqctl.data(), option, nullptr};
  char* envp[] = {nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const double start = Seconds();
  pid_t pid = -1;
  int status = -1;
  const bool ran = posix_spawn(&pid, vqctl.c_str(), &actions, nullptr, argv, envp) == 0 && waitpid(pid, &status, 0) == pid &&
                   WIFEXITED(status) && WEXITSTATUS(status) == 0;
  const double elapsed = Seconds() - start;
  posix_spawn_file_actions_destroy(&actions);
  return ran ? elapsed : 1e9;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string vqctl = argc > 1 ? argv[1] : VQCTL;
  SimProcess sim;
  if (!sim.Start(VQ_CAMERA_SIM, {"--baud", std::to_string(Baud)})) return 1;
  const int simFd = open(sim.PtyPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  char folder[] = "/tmp/vqctl_start_bench_XXXXXX";
  if (simFd < 0 || !MakeRaw(simFd) || mkdtemp(folder) == nullptr) return 1;
  double openedBest = 1e9, firstBest = 1e9, wholeBest = 1e9;
  for (int i = 0; i < Runs; ++i) {
    Run run = RelayedRun(vqctl, simFd, {"get", "GainLevel"}, folder);
    if (!run.ok || run.out != "168\n") {
      std::printf("vqctl launch: FAILED (output \"%s\")\n", run.out.c_str());
      return 1;
    }
    openedBest = std::min(openedBest, run.opened);
    firstBest = std::min(firstBest, run.firstByte);
    wholeBest = std::min(wholeBest, run.whole);
  }
  close(simFd);
  rmdir(folder);
  double versionBest = 1e9;
  for (int i = 0; i < Runs; ++i) versionBest = std::min(versionBest, VersionRun(vqctl));
  const double line = static_cast<double>(GetBytes) * BitsPerByte / Baud;
  std::printf("vqctl launch to first byte %d: best of %d %.2f ms (target %.1f ms), line %.2f ms, ratio %.2f; "
              "get GainLevel whole run %.2f ms, ratio %.2f\n",
              Baud, Runs, firstBest * 1e3, TargetMs, line * 1e3, firstBest / line, wholeBest * 1e3, wholeBest / line);
  std::printf("vqctl launch to its device's open: best of %d %.2f ms; --version, launch to exit: best of %d %.2f ms\n",
              Runs, openedBest * 1e3, Runs, versionBest * 1e3);
  const bool met = firstBest * 1e3 <= TargetMs;
  std::printf("targets: %s\n", met ? "met" : "MISSED");
  return met ? 0 : 1;
}
