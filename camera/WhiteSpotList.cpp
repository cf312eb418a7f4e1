// Reading the white-spot list: one exchange per coordinate from the spot area.
#include "camera/WhiteSpotList.h"

#include <cstdio>

#include "link/Framing.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace WhiteSpot {

std::string EndMessage(int state) {
  switch (state) {
    case Finished: return LoadString(StringIds::DetectFinished);
    case TooMany: return LoadString(StringIds::DetectTooMany);
    default: return LoadString(StringIds::DetectError);
  }
}

int32_t ReadSpotCoordinate(CameraPort& port, int k, int i) {
  char text[Framing::FrameBufferSize];
  std::snprintf(text, sizeof text, "00FF91%02X000000", (2 * i + k) & 0xFF);
  char reply[Framing::FrameBufferSize];
  int32_t result = port.Transact(text, reply);
  if (result < 0) return result;
  return HexToInt(reply, 4);
}

std::vector<Spot> ReadSpots(CameraPort& port, int32_t* failure) {
  std::vector<Spot> spots;
  *failure = 0;
  for (int i = 0; i < ListLength; ++i) {
    int32_t x = ReadSpotCoordinate(port, 0, i);
    if (x == EndMarker) break;
    int32_t y = x < 0 ? x : ReadSpotCoordinate(port, 1, i);
    if (y < 0) {
      *failure = y;
      break;
    }
    spots.push_back({x, y});
  }
  return spots;
}

std::string ListSpots(CameraPort& port, const char* lineEnd, int32_t* failure) {
  return SpotLines(ReadSpots(port, failure), lineEnd);
}

std::string SpotLines(const std::vector<Spot>& spots, const char* lineEnd) {
  std::string text;
  int number = 0;
  for (const Spot& spot : spots) {
    char line[96];
    std::snprintf(line, sizeof line, "No.%2d: x = %4d,  y = %4d%s", ++number, spot.x, spot.y, lineEnd);
    text += line;
  }
  return text;
}

}  // namespace WhiteSpot
