// Child-process handling for vq-camera-sim: fork and exec, first line of output, orderly stop.
#include "support/SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Generous, because a sanitizer build starts slowly on a loaded machine.
constexpr int StartTimeoutMs = 10000;
constexpr int StopGraceMs = 3000;

void SleepMs(int ms) {
  timespec ts{ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&ts, nullptr);
}

}  // namespace

bool SimProcess::Start(const std::string& program, const std::vector<std::string>& args) {
  Stop();
  std::vector<std::string> words{program};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  pid_t pid = fork();
  if (pid < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return false;
  }
  if (pid == 0) {
    // A test run that dies must not leave simulators behind.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    dup2(pipeFds[1], STDOUT_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  pid_ = pid;
  output_ = pipeFds[0];
  if (!ReadFirstLine(StartTimeoutMs)) {
    Stop();
    return false;
  }
  return true;
}

bool SimProcess::ReadFirstLine(int timeoutMs) {
  std::string line;
  for (int waited = 0; waited < timeoutMs;) {
    pollfd pfd{output_, POLLIN, 0};
    int ready = poll(&pfd, 1, 100);
    if (ready == 0) {
      waited += 100;
      continue;
    }
    if (ready < 0 && errno == EINTR) continue;
    char c;
    if (ready < 0 || read(output_, &c, 1) != 1) return false;
    if (c == '\n') {
      ptyPath_ = line;
      return !line.empty();
    }
    line.push_back(c);
  }
  return false;
}

int SimProcess::Stop() {
  if (output_ >= 0) {
    close(output_);
    output_ = -1;
  }
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = 0;
  pid_t done = 0;
  for (int waited = 0; (done = waitpid(pid_, &status, WNOHANG)) == 0 && waited < StopGraceMs; waited += 10) {
    SleepMs(10);
  }
  if (done == 0) {
    kill(pid_, SIGKILL);
    done = waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  ptyPath_.clear();
  return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
