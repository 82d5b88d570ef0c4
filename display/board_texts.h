#pragma once
// Texts the painter writes, as bytes (names as the game holds them).
#include <cstdint>
#include <string>

// Clock of a seat: "-0:05", "2:05", followed by "   <<" when the seat is to
// move, else five blanks.
std::string ClockText(int32_t milliseconds, bool toMove);
// The clock-and-name line: the clock text, one blank, the name.
std::string ClockLineText(int32_t milliseconds, bool toMove, const std::string& name);
// " LAG: 2.0s (last move: 250ms)": the lag sum rounded to tenths of a second.
std::string LagText(int32_t lagSum, int32_t lastLag);
// The running clock drawn over the clock line: " 2:05 ".
std::string RunningClockText(int32_t milliseconds);
// The chess-font letter of a square code 1..13 (1 empty) on a light or dark
// square; 0 for any other code.
char PieceGlyph(int code, bool darkSquare);
