// The four Camera Link serial entry points, as the program calls them.
#pragma once

#include <cstdint>

extern "C" {
typedef int32_t (*ClSerialInitFn)(uint32_t serialIndex, void** serialRef);
typedef int32_t (*ClSerialReadFn)(void* serialRef, char* buffer, uint32_t* count, uint32_t timeoutMs);
typedef int32_t (*ClSerialWriteFn)(void* serialRef, char* buffer, uint32_t* count, uint32_t timeoutMs);
typedef void (*ClSerialCloseFn)(void* serialRef);
}

inline constexpr const char* ClSerialInitName = "clSerialInit";
inline constexpr const char* ClSerialReadName = "clSerialRead";
inline constexpr const char* ClSerialWriteName = "clSerialWrite";
inline constexpr const char* ClSerialCloseName = "clSerialClose";
