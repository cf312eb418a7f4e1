// The note the stop handlers write before the process ends, kept where a handler may read it.
#pragma once

#include <cstddef>
#include <string>

namespace StopNote {

// Keeps text (cut at 1 KiB) as the note; empty: no note.
void Set(const std::string& text);
// For the handler: the note, once, and none from then on; false when there is none. Touches only
// fixed buffers and an atomic, so it may run in a signal handler.
bool Take(const char*& data, size_t& length);

}  // namespace StopNote
