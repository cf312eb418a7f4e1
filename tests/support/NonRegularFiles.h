// Things a file name can stand for besides a regular file, made in a test's own folder.
#pragma once

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <string>
#include <vector>

struct NonRegularFile {
  const char* kind;
  std::string path;
  const char* reason;  // what the system says when a settings file is wanted there
};

// A FIFO, a character device, a folder, and a name in a folder that does not exist, inside folder. The
// device is a private copy of /dev/null's node when the tests may make one (as root), so that a faulty
// save cannot replace the real one.
inline std::vector<NonRegularFile> MakeNonRegularFiles(const std::string& folder) {
  std::vector<NonRegularFile> files = {{"FIFO", folder + "/fifo.vq", "Not a regular file"},
                                    {"device node", folder + "/null.vq", "Not a regular file"},
                                    {"folder", folder + "/folder.vq", "Is a directory"},
                                    {"missing folder", folder + "/missing/x.vq", "No such file or directory"}};
  mkfifo(files[0].path.c_str(), 0666);
  if (mknod(files[1].path.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) files[1].path = "/dev/null";
  mkdir(files[2].path.c_str(), 0777);
  return files;
}

// The kind of what path names now, as stat's type bits.
inline mode_t KindOf(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}
