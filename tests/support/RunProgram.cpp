// Starts a program with its output streams on pipes and drains both until it ends.
#include "support/RunProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

extern char** environ;

namespace {

bool Drain(int fd, std::string& into) {
  char buffer[4096];
  ssize_t n = read(fd, buffer, sizeof buffer);
  if (n > 0) into.append(buffer, static_cast<size_t>(n));
  return n > 0;
}

// In the forked child, so only calls that are safe between fork and exec.
[[noreturn]] void ExecChild(const char* program, char** argv, char** envp, int out, int err,
                            const std::string& directory, const ChildSetup& setup) {
  int stdoutFd = setup.standardOutput.empty() ? out : open(setup.standardOutput.c_str(), O_WRONLY);
  if (stdoutFd < 0 || dup2(stdoutFd, 1) < 0 || dup2(err, 2) < 0) _exit(127);
  if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(127);
  if (setup.closeStandardOutput) close(1);
  // As a shell starts it: every signal at its default and none blocked, whatever this test process
  // set for itself. A program that must survive SIGXFSZ has to say so on its own.
  for (int signal = 1; signal < NSIG; ++signal) {
    if (signal != SIGKILL && signal != SIGSTOP) std::signal(signal, SIG_DFL);
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  if (setup.fileSizeLimit > 0) {
    rlimit limit{static_cast<rlim_t>(setup.fileSizeLimit), static_cast<rlim_t>(setup.fileSizeLimit)};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
  }
  execve(program, argv, envp);
  _exit(127);
}

// The argument and environment arrays execve takes, and the strings they point into.
struct ChildArguments {
  ChildArguments(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& extraEnvironment)
      : argStrings{program}, envStrings(extraEnvironment) {
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    for (auto& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (char** e = environ; *e != nullptr; ++e) envStrings.emplace_back(*e);
    for (auto& e : envStrings) envp.push_back(e.data());
    envp.push_back(nullptr);
  }
  std::vector<std::string> argStrings, envStrings;
  std::vector<char*> argv, envp;
};

}  // namespace

pid_t StartProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& extraEnvironment) {
  ChildArguments child(program, args, extraEnvironment);
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null < 0) return -1;
  pid_t pid = fork();
  if (pid == 0) ExecChild(program.c_str(), child.argv.data(), child.envp.data(), null, null, {}, {});
  close(null);
  return pid;
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& extraEnvironment, const std::string& workingDirectory,
                         const ChildSetup& setup) {
  ProgramResult result;
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return result;

  ChildArguments child(program, args, extraEnvironment);
  pid_t pid = fork();
  if (pid == 0) ExecChild(program.c_str(), child.argv.data(), child.envp.data(), out[1], err[1], workingDirectory, setup);
  close(out[1]);
  close(err[1]);
  if (pid > 0) {
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0 && poll(fds, 2, -1) > 0) {
      for (int i = 0; i < 2; ++i) {
        if (fds[i].fd >= 0 && fds[i].revents != 0 && !Drain(fds[i].fd, i == 0 ? result.out : result.err)) {
          fds[i].fd = -1;
          --open;
        }
      }
    }
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  }
  close(out[0]);
  close(err[0]);
  return result;
}
