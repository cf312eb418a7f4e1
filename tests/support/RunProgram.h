// Runs a program to its end and collects its exit status and both output streams.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct ProgramResult {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

// How the child's world differs from a plain start.
struct ChildSetup {
  // Files may not grow past this many bytes; 0: no limit. SIGXFSZ is at its default, as a shell leaves it:
  // the program must ignore it itself for a write to fail as on a full disk.
  long fileSizeLimit = 0;
  // Standard output goes to this file instead of being collected; empty: collected.
  std::string standardOutput;
  // Standard output closed, as "COMMAND >&-" starts it.
  bool closeStandardOutput = false;
};

// extraEnvironment: "NAME=value" entries added to this process's environment for the child;
// workingDirectory: where the child starts, this process's own when empty.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& extraEnvironment = {},
                         const std::string& workingDirectory = {}, const ChildSetup& setup = {});
// Starts a program with both output streams thrown away, as a shell would, and returns its pid for
// the caller to signal and wait for; -1 when it could not be started.
pid_t StartProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& extraEnvironment = {});
