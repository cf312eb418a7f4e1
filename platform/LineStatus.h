// Line-error flags as the port reports them; devices translate their own conditions into these.
#pragma once

#include <cstdint>

namespace LineStatus {

inline constexpr uint32_t ModeError = 0x8000;
inline constexpr uint32_t Break = 0x0010;
inline constexpr uint32_t Frame = 0x0008;
inline constexpr uint32_t IoError = 0x0400;
inline constexpr uint32_t Overrun = 0x0002;
inline constexpr uint32_t ReceiveOverflow = 0x0001;
inline constexpr uint32_t Parity = 0x0004;
inline constexpr uint32_t TransmitFull = 0x0100;
inline constexpr uint32_t DeviceNotSelected = 0x0800;
inline constexpr uint32_t DeviceTimeout = 0x0200;
inline constexpr uint32_t OutOfPaper = 0x1000;

}  // namespace LineStatus
