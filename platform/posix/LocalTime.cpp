// Local time with the reentrant localtime_r.
#include "platform/LocalTime.h"

std::tm LocalTimeNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}
