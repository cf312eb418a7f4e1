// The port's states, and which operations each allows: the one place that says so.
//
//   Closed      nothing open (a Camera Link library may be loaded whose board did not open)
//   Open        a serial port or a Camera Link channel is open, and no exchange runs
//   Exchanging  an exchange runs; whatever the wait observer runs meanwhile may not start another
//   Refusing    inside Exchanging: a request was refused, and its callers are unwinding; nothing is
//               stored, shown or sent until the observer's call returns (back to Exchanging)
//   Lost        a Camera Link call never came back (an open, a read, a write or a close): the camera
//               is out of reach until another open; a close leaves it lost
//
// Closed -open-> Open (or Lost); Open -exchange-> Exchanging -ends-> Open; Exchanging -refusal->
// Refusing -observer returns-> Exchanging; Open or Exchanging -call abandoned-> Lost; any other
// -close-> Closed; Closed or Lost -open-> Open.
#pragma once

#include <cstdint>

enum class PortState { Closed, Open, Exchanging, Refusing, Lost };

enum class PortOperation {
  Open,      // OpenSerial, OpenCameraLink
  Close,
  Transfer,  // WriteBytes, ReadBytes
  Purge,
  Exchange,  // SendFrame, Transact, and the requests built on them
};

enum class Admission {
  Run,
  NotOpen,      // fails with code 3; an exchange still runs its steps, and each of them fails so
  Refuse,       // refused: nothing sent, nothing stored, no message
  Unreachable,  // fails with code 5 at once
};

constexpr Admission Admit(PortState state, PortOperation operation) {
  using A = Admission;
  //                           Open       Close   Transfer        Purge       Exchange
  constexpr A table[5][5] = {
      /* Closed */ {A::Run, A::Run, A::NotOpen, A::NotOpen, A::NotOpen},
      /* Open */ {A::Run, A::Run, A::Run, A::Run, A::Run},
      /* Exchanging */ {A::Refuse, A::Run, A::Run, A::Run, A::Refuse},
      /* Refusing */ {A::Refuse, A::Run, A::Refuse, A::Refuse, A::Refuse},
      /* Lost */ {A::Run, A::Run, A::Unreachable, A::NotOpen, A::Unreachable},
  };
  return table[static_cast<int>(state)][static_cast<int>(operation)];
}
