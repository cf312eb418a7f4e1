// Runs vq-camera-sim as a child process for the tests and the benchmark, and stops it again.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class SimProcess {
 public:
  SimProcess() = default;
  ~SimProcess() { Stop(); }

  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Starts the program with args and waits for the terminal path it prints first; false when it does
  // not print one within a few seconds (the child is then stopped).
  bool Start(const std::string& program, const std::vector<std::string>& args);
  // Ends the child with SIGTERM (SIGKILL if it lingers); its exit status, or -1 when none was running
  // or it did not exit normally.
  int Stop();

  bool Running() const { return pid_ > 0; }
  const std::string& PtyPath() const { return ptyPath_; }

 private:
  bool ReadFirstLine(int timeoutMs);

  pid_t pid_ = -1;
  int output_ = -1;
  std::string ptyPath_;
};
