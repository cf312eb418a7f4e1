// What the stop handlers release, kept the same way on every system: the held port, a save's
// temporary file and the note. Only atomics and fixed buffers, so a handler may read them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/StopNote.h"

namespace StopHoldings {

inline constexpr intptr_t NoPort = -1;

// For the handler: the port StopSignals::HoldPort was given, once; NoPort from then on.
intptr_t TakePort();

// A file name in the form the system's calls take (bytes on Linux, UTF-16 on Windows).
template <typename Char>
class HeldName {
 public:
  // The name is copied in before it counts as held, so a handler never sees half of it. A name
  // that does not fit is not held, and neither is any name held before it.
  void Hold(std::basic_string_view<Char> name) {
    held_.store(false);
    if (name.size() >= Capacity) return;
    name.copy(name_, name.size());
    name_[name.size()] = Char{};
    held_.store(true);
  }
  void Release() { held_.store(false); }
  // For the handler: the name, once; null when none is held.
  const Char* Take() { return held_.exchange(false) ? name_ : nullptr; }

  static constexpr size_t Capacity = 4096;

 private:
  Char name_[Capacity]{};
  std::atomic<bool> held_{false};
  static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads it");
};

// For the handler: writes the note, if there is one, through write(data, length), which returns how
// many bytes it took; nothing or a failure (0 or less) ends the note there.
template <typename Write>
void WriteNote(Write write) {
  const char* note = nullptr;
  size_t length = 0;
  if (!StopNote::Take(note, length)) return;
  for (size_t done = 0; done < length;) {
    const auto written = write(note + done, length - done);
    if (written <= 0) return;
    done += static_cast<size_t>(written);
  }
}

}  // namespace StopHoldings
