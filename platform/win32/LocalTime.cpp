// Local time with the C library's thread-safe localtime_s.
#include "platform/LocalTime.h"

std::tm LocalTimeNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_s(&local, &now);
  return local;
}
