// What the exchange needs of a line to the camera: moving bytes against time limits, discarding,
// waiting for quiet, closing. A serial port and a Camera Link channel each implement it.
#pragma once

#include <cstdint>

#include "link/CommError.h"

// What a transport tells its port while it waits, and asks of it.
class LineWaits {
 public:
  virtual ~LineWaits() = default;
  // Whether anyone watches the waits; unwatched, a wait runs to its end in one piece.
  virtual bool Watched() const = 0;
  // A slice of a wait has passed (at most WaitObserver::SliceMs).
  virtual void SliceWaited() = 0;
  virtual bool StopRequested() const = 0;
  // A library call that blocks is to be left behind at once: the program is ending.
  virtual bool AbandonBlockedCalls() const = 0;
  // Every byte that goes out or comes in, read-and-dropped ones included.
  virtual void Traced(bool sent, const uint8_t* bytes, int32_t count) = 0;
};

// How one write or read ended: the bytes moved, and the code to store when it fell short (a write
// may move bytes and still leave a reason behind).
struct Transfer {
  int32_t moved = 0;
  CommError failure = CommError::NoError;
  bool stopped = false;  // a stop was asked for while it waited
};

// The quiet waits of the exchange: for a reply frame's time (after a stopped exchange or before a
// repeated attempt), for a few byte times (before a repeated ENQ), and for a request frame's time
// (before a port's first request).
enum class QuietSpan { ReplyFrame, FewBytes, FreshLine };

class Transport {
 public:
  virtual ~Transport() = default;
  virtual bool IsOpen() const = 0;
  // timeoutMs as the exchange gives it: per byte on a serial port, for the whole call on Camera Link.
  virtual Transfer Write(const uint8_t* data, int32_t count, int32_t timeoutMs) = 0;
  virtual Transfer Read(uint8_t* buffer, int32_t count, int32_t timeoutMs) = 0;
  // NoError, or the code of the refusal.
  virtual CommError Purge(bool input, bool output) = 0;
  // Reads and drops what arrives until the line has been quiet for the span, within limitMs.
  virtual void DropUntilQuiet(QuietSpan span, int64_t limitMs) = 0;
  virtual void Close() = 0;
  // A call never came back: nothing reaches the camera over this transport any more.
  virtual bool Lost() const { return false; }
};
