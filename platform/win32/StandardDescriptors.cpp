// On Windows a missing standard stream is no handle at all, and a device or file opened later never
// takes its place, so there is nothing to fill in.
#include "platform/StandardDescriptors.h"

void EnsureStandardDescriptors() {}
