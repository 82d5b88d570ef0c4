#include "play/core/running_clock.h"

#include <limits>

int32_t RunningClock(int32_t clock, int64_t now, int64_t turnStart, int32_t lagCredit) {
  const int64_t value = int64_t{clock} - (now - turnStart) + lagCredit;
  // A window left open for weeks must not wrap round to a full clock.
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}
