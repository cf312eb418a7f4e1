// A private X server (Xvfb) for one test, on a display number of its own; stopped at the end.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

class VirtualDisplay {
 public:
  // Numbers from one of this process's own: tests started at once do not race for the first free
  // one. A number in use makes the server end at once, and the next is tried.
  VirtualDisplay() {
    const int first = 200 + static_cast<int>(getpid() % 500) * 4;
    for (int number = first; number < first + 4 && name_.empty(); ++number) {
      if (Start(number)) name_ = ":" + std::to_string(number);
    }
  }
  ~VirtualDisplay() { Stop(); }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  // ":N", or empty when no server started.
  const std::string& Name() const { return name_; }

 private:
  // Starts a server on the number; true once its socket is there and it still runs.
  bool Start(int number) {
    const std::string display = ":" + std::to_string(number);
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    if (access(socket.c_str(), F_OK) == 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      int null = open("/dev/null", O_WRONLY);
      if (null >= 0) dup2(null, 2);
      // -noreset: a server that resets when its last client leaves refuses connections meanwhile.
      execlp("Xvfb", "Xvfb", display.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0", "1024x768x24",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 500 && pid_ > 0; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) != 0) {
        pid_ = -1;
        return false;
      }
      if (access(socket.c_str(), F_OK) == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Stop();
    return false;
  }

  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  std::string name_;
};
