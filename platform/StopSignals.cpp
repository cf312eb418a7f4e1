// The stop handlers' bookkeeping both systems share: which port is held, and the note. The twins
// beside this file catch the system's stop requests and hold the temporary file by its system name.
#include "platform/StopSignals.h"

#include <atomic>

#include "platform/StopHoldings.h"
#include "platform/StopNote.h"

namespace {

std::atomic<intptr_t> heldPort{StopHoldings::NoPort};
static_assert(std::atomic<intptr_t>::is_always_lock_free, "the handler reads it");

}  // namespace

namespace StopHoldings {

intptr_t TakePort() { return heldPort.exchange(NoPort); }

}  // namespace StopHoldings

namespace StopSignals {

void HoldPort(intptr_t port) { heldPort.store(port); }

void ReleasePort(intptr_t port) {
  intptr_t expected = port;
  heldPort.compare_exchange_strong(expected, StopHoldings::NoPort);
}

void SetStopNote(const std::string& text) { StopNote::Set(text); }

}  // namespace StopSignals
