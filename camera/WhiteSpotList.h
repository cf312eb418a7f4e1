// The camera's white-spot detection: its end states and the list of spots it found.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/CameraPort.h"

namespace WhiteSpot {

inline constexpr int Running = 1;
inline constexpr int Finished = 0;
inline constexpr int TooMany = 2;
inline constexpr int ListLength = 64;
inline constexpr int EndMarker = 0xFFFF;
inline constexpr int PollIntervalMs = 200;

// The message for a state other than Running.
std::string EndMessage(int state);

// Coordinate k (0 = x, 1 = y) of entry i, or the exchange's negative failure result.
int32_t ReadSpotCoordinate(CameraPort& port, int k, int i);

struct Spot {
  int x;
  int y;
};

// The spots up to the end marker. A failed read ends the list there and leaves its negative result
// in failure (0 otherwise); a failed read is never taken for a coordinate.
std::vector<Spot> ReadSpots(CameraPort& port, int32_t* failure);

// The spot list as its lines "No. 1: x =   10,  y =   20", each ending in lineEnd. A failed
// read ends the list there and leaves its negative result in failure (0 otherwise); a failed
// read is never listed as a coordinate.
std::string ListSpots(CameraPort& port, const char* lineEnd, int32_t* failure);
// Those lines for spots already read.
std::string SpotLines(const std::vector<Spot>& spots, const char* lineEnd);

}  // namespace WhiteSpot
