// Runs a check as a user without root's rights: root may open and write anything, so a test of what a
// denied user meets gives the rights up in a child, which tells what it saw through a pipe.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

inline std::string AsAnotherUser(const std::function<std::string()>& seen) {
  int ends[2];
  if (pipe(ends) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(ends[0]);
    if (geteuid() == 0 && setuid(65534) != 0) _exit(1);
    const std::string told = seen();
    _exit(write(ends[1], told.data(), told.size()) == static_cast<ssize_t>(told.size()) ? 0 : 1);
  }
  close(ends[1]);
  std::string told;
  char buffer[512];
  for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;) told.append(buffer, static_cast<size_t>(n));
  close(ends[0]);
  waitpid(child, nullptr, 0);
  return told;
}
