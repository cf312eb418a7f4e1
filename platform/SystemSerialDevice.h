// The operating system's own serial device, as the port reaches a real COM port.
#pragma once

#include <memory>

#include "platform/Clock.h"
#include "platform/SerialDevice.h"

// termios on Linux; a COM port's handle with its device control block on Windows.
// Its sleeps that wait for nothing but the time run on the clock.
std::unique_ptr<SerialDevice> NewSystemSerialDevice(Clock& clock);
