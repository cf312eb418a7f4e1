// Permissions of a device node, as the system reports them.
#include "platform/DeviceAccess.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

std::optional<DeviceAccess> DeniedAccess(const std::string& device) {
  if (access(device.c_str(), R_OK | W_OK) == 0 || errno != EACCES) return std::nullopt;
  struct stat st {};
  if (stat(device.c_str(), &st) != 0) return std::nullopt;
  DeviceAccess denied;
  const group* g = getgrgid(st.st_gid);
  denied.group = g != nullptr ? g->gr_name : std::to_string(st.st_gid);
  denied.groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  // A udev rule matches the kernel's name, not a link under /dev/serial/by-id.
  char* real = realpath(device.c_str(), nullptr);
  const std::string path = real != nullptr ? real : device;
  std::free(real);
  denied.kernelName = path.substr(path.find_last_of('/') + 1);
  // The pseudo-terminal slaves are numbered, and no serial device's kernel name is a bare number.
  denied.pseudoTerminal = path.rfind("/dev/pts/", 0) == 0 ||
                          (!denied.kernelName.empty() &&
                           std::all_of(denied.kernelName.begin(), denied.kernelName.end(),
                                       [](char c) { return c >= '0' && c <= '9'; }));
  return denied;
}
