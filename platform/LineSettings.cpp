// The one translation from the port's line-format codes to the serial device's own terms.
#include "platform/SerialDevice.h"

LineSettings LineSettingsFromCodes(int baudRate, int byteSize, int stopBits, int parity) {
  // The codes count the enumerators in their order; a code outside them stays outside, so that the
  // device refuses it as the system would refuse the code itself.
  return {baudRate, byteSize, static_cast<StopBits>(stopBits), static_cast<Parity>(parity)};
}
