#pragma once
// The network game's time: monotonic milliseconds, rounded down to 10 ms.
#include <cstdint>

namespace net {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t TickCount10ms() = 0;
};

// steady_clock based; never wraps, never follows wall-clock changes.
Clock& SystemClock();

// A clock that tests move by hand.
class FakeClock : public Clock {
 public:
  int64_t ms = 0;
  void Advance(int64_t delta) { ms += delta; }
  int64_t TickCount10ms() override { return ms / 10 * 10; }
};

}  // namespace net
