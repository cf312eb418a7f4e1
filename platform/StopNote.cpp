// The stop note in one of two buffers, so that a handler never reads the one being filled.
#include "platform/StopNote.h"

#include <atomic>

namespace {

// The handler runs on the thread it interrupts, or on another while this one moves on to the next
// note; notes change once per exchange at most, far slower than the handler writes one.
char notes[2][1024];
size_t noteLengths[2];
std::atomic<int> noteShown{-1};
int noteFilled = 1;
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads it");

}  // namespace

namespace StopNote {

void Set(const std::string& text) {
  if (text.empty()) {
    noteShown.store(-1);
    return;
  }
  noteFilled = 1 - noteFilled;
  noteLengths[noteFilled] = text.copy(notes[noteFilled], sizeof notes[noteFilled]);
  noteShown.store(noteFilled);
}

bool Take(const char*& data, size_t& length) {
  const int shown = noteShown.exchange(-1);
  if (shown < 0) return false;
  data = notes[shown];
  length = noteLengths[shown];
  return true;
}

}  // namespace StopNote
