// On Windows a missing standard stream is no handle at all, and a device or file opened later never
// takes its place, so there is nothing to fill in.
#include "platform/StandardDescriptors.h"

#include <windows.h>

#include <cstdio>

void EnsureStandardDescriptors() {}

void UseParentConsole() {
  // A windowed program started from a console gets no standard output of its own; one whose output
  // the caller redirected (to a file or a pipe) has it already and keeps it.
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  FILE* stream = nullptr;
  if (freopen_s(&stream, "CONOUT$", "w", stdout) != 0) return;
  freopen_s(&stream, "CONOUT$", "w", stderr);
}
