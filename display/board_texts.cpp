// Texts the painter writes.
#include "display/board_texts.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Sign, whole minutes and two-digit seconds; minutes and seconds truncate toward zero.
std::string MinutesSeconds(int32_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%d:%02d", ms < 0 ? "-" : "", std::abs(ms / 60000),
                std::abs((ms % 60000) / 1000));
  return text;
}

}  // namespace

std::string ClockText(int32_t milliseconds, bool toMove) {
  return MinutesSeconds(milliseconds) + (toMove ? "   <<" : "     ");
}

std::string ClockLineText(int32_t milliseconds, bool toMove, const std::string& name) {
  return ClockText(milliseconds, toMove) + " " + name;
}

std::string LagText(int32_t lagSum, int32_t lastLag) {
  int64_t tenths = (int64_t{lagSum} + (lagSum < 0 ? -50 : 50)) / 100;
  char text[96];
  std::snprintf(text, sizeof text, " LAG: %s%lld.%llds (last move: %dms)", tenths < 0 ? "-" : "",
                static_cast<long long>(std::llabs(tenths) / 10), static_cast<long long>(std::llabs(tenths) % 10),
                lastLag);
  return text;
}

std::string RunningClockText(int32_t milliseconds) { return " " + MinutesSeconds(milliseconds) + " "; }

char PieceGlyph(int code, bool darkSquare) {
  static constexpr char kLight[] = " pobvnmrtqwkl";
  static constexpr char kDark[] = "+POBVNMRTQWKL";
  if (code < 1 || code > 13) return 0;
  return (darkSquare ? kDark : kLight)[code - 1];
}
