// Filling closed standard descriptors with /dev/null.
#include "platform/StandardDescriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

void EnsureStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is this one, since those below it are open by now. Read-only, so
    // that output meant for a closed stream still fails and is reported as it would have been.
    const int opened = open("/dev/null", O_RDONLY);
    if (opened != fd && opened >= 0) close(opened);
  }
}

void UseParentConsole() {}
