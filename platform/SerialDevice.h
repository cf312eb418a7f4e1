// The serial device as the port needs it; termios in production, an in-memory line in unit tests.
#pragma once

#include <cstdint>
#include <string>

enum class StopBits : int { One, OneAndHalf, Two };
enum class Parity : int { None, Odd, Even, Mark, Space };

struct LineSettings {
  int baudRate = 9600;
  int byteSize = 8;
  StopBits stopBits = StopBits::One;
  Parity parity = Parity::None;
};

// The line format from the codes the port's callers give: stop bits 0 one, 1 one and a half, 2 two;
// parity 0 none, 1 odd, 2 even, 3 mark, 4 space. A code outside these gives a value outside the
// enumerators, which every system device refuses to configure.
LineSettings LineSettingsFromCodes(int baudRate, int byteSize, int stopBits, int parity);

// What the system tells of an open device, for a link check; empty or unknown where it says nothing.
struct SerialDeviceFacts {
  enum class LowLatency { Unknown, Off, On };
  std::string driver;   // the kernel driver (Linux) or the device's service name (Windows)
  std::string adapter;  // a USB adapter's maker, product and ids
  LowLatency lowLatency = LowLatency::Unknown;
  // How long the adapter holds received bytes before it passes them on, where the driver says; -1 unknown.
  int latencyTimerMs = -1;
  // How an operator sets that timer to 1 ms on this system; empty where it is not known.
  std::string latencyHowTo;
};

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // Opens the device for exclusive use; false when it does not exist or is held elsewhere.
  virtual bool Open(const std::string& path) = 0;
  // Why the last Open failed, as the system's error number (EBUSY for a port held elsewhere); 0: unknown.
  virtual int OpenError() const { return 0; }
  // Raw binary mode with the given line format, DTR and RTS raised, no flow control.
  virtual bool Configure(const LineSettings& settings) = 0;
  virtual bool IsOpen() const = 0;
  // Asks the driver to pass received bytes on at once rather than on its adapter's latency timer;
  // false when it cannot (no such setting, or not ours to change), and the device works as before.
  // Close gives the device its own setting back.
  virtual bool AskLowLatency() { return false; }
  virtual SerialDeviceFacts Facts() const { return {}; }
  // Closes the device; its own settings are given back first.
  virtual void Close() = 0;

  // Copies bytes that have already arrived, at most count; never waits. -1 when the read failed.
  virtual int ReadAvailable(uint8_t* buffer, int count) = 0;
  // Sleeps until bytes are there to read or the clock has passed deadlineMs (Deadline.h); leaves
  // the bytes where they are, for ReadAvailable.
  virtual void WaitReadable(int64_t deadlineMs) = 0;
  // Sends the bytes, giving up when the clock passes deadlineMs; returns how many left the port,
  // or -1 when the device refused the write.
  virtual int Write(const uint8_t* data, int count, int64_t deadlineMs) = 0;
  virtual bool Discard(bool input, bool output) = 0;
  // The line-error flags (LineStatus) raised since the last call; clears them.
  virtual uint32_t TakeLineErrors() = 0;
};
