// The interpreter ending while other threads are inside camera calls.
//
// Once the interpreter has begun to end, a thread that takes its lock is ended by unwinding from
// inside the lock's acquisition, and that unwinding cannot pass the code that releases and takes
// the lock around an exchange. So from the package's atexit hook on, every other thread's exchange
// ends at its next slice and the thread then waits for good, never touching the interpreter again.
#pragma once

namespace ScriptExit {

// The package's atexit hook has run, on the thread that ends the interpreter.
void Begin();
// True on every thread but the ending one, once the end has begun: such a thread may no longer
// take the interpreter's lock.
bool Leaving();
// Never returns: the thread sleeps, touching nothing shared, until the process is gone.
[[noreturn]] void Park();

}  // namespace ScriptExit
