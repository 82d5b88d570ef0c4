#include "net/core/clock.h"

#include <chrono>

namespace net {

namespace {
class SteadyClock : public Clock {
 public:
  int64_t TickCount10ms() override {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    return static_cast<int64_t>(ms) / 10 * 10;
  }
};
}  // namespace

Clock& SystemClock() {
  static SteadyClock clock;
  return clock;
}

}  // namespace net
