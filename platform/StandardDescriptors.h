// Standard input, output and error, made sure of before a program opens anything.
#pragma once

// Opens /dev/null (read-only) on each of descriptors 0, 1 and 2 that is closed, so that no device,
// file or pipe the program opens later lands there: its output would otherwise go into the camera
// line. Writing to such a stream still fails, as writing to the closed one would have.
void EnsureStandardDescriptors();

// Windows: a windowed program started from a console writes its --help and --version there, when its
// standard output is not already somewhere else. Elsewhere there is nothing to do.
void UseParentConsole();
