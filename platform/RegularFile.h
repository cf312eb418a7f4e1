// Reading and replacing settings files by their names as bytes, refusing anything but regular files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace RegularFile {

// Returned in place of an errno value for a FIFO, device node or socket.
inline constexpr int NotRegular = -1;

// The system's reason for an error of this namespace.
std::string ErrorText(int error);

// The path as the operator should see it in a message: relative names get the current folder in front.
std::string FullPath(const std::string& path);

// The file's own name: what follows the path's last separator ('/', and on Windows also '\\').
std::string FileName(const std::string& path);

// "WHAT", the full path and the reason, one to a line.
std::string FailureMessage(const std::string& what, const std::string& path, int error);

// 0 when a save may replace what path names (a regular file the user may write, or a new name in a
// folder the user may write), else the error that refuses it. Symbolic links are followed.
int CheckReplaceable(const std::string& path);

// Whether path is a regular file or names nothing; false for a folder, FIFO, device or socket.
bool RegularOrAbsent(const std::string& path);

// Up to limit bytes of a regular file; 0 or the error. Never blocks on a FIFO and never opens a device.
int Read(const std::string& path, size_t limit, std::vector<uint8_t>& bytes);

// Replaces the file whole, or leaves what was there byte for byte and returns the error. A symbolic
// link is written through to its target and stays a link; the target keeps its permissions.
int Replace(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace RegularFile
