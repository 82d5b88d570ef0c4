#pragma once
// The repair tool's own lenient move checker: it replays one BPGN move token
// on a position of its own and refuses only what it cannot play. It does not
// check turns, move numbers or hands; the repair driver mends drop order.
#include <cstdint>
#include <string>
#include <string_view>

#include "game/position.h"

namespace repair {

// A two-board position with the fields of TwoBoardPosition; clocks are in
// tenths of a second. Only boards, marks, pins, sides, en-passant squares,
// castling words, holdings, clocks, lag and king squares are used.
struct CompactPosition : TwoBoardPosition {
  // Standard start on both boards, empty hands, clocks 300.0 s. Pins are kept.
  void Reset();
  // Rewrites the pin map of board 1 (A) or 2 (B).
  void ComputePins(int board);
  // Text picture of both boards, hands, clocks and en-passant squares.
  std::string Dump() const;
};

// One move of a game as the repair tool reads it.
struct BpgnMove {
  std::string text;           // the token with its comment, e.g. 12A.Nxf3{118}
  int32_t serial = 0;         // 1-based index in its game
  int32_t board = 0;          // 1 A, 2 B
  int32_t moveNumber = 0;     // 999 when not a number
  int32_t side = 0;           // 0 white, 1 black
  int32_t captured = 0;       // code taken, a promoted piece as a pawn; 0 none
  int32_t dropped = 0;        // code dropped; 0 none
  int32_t castling = 0;       // 1 white O-O, 2 white O-O-O, 3 black O-O, 4 black O-O-O
  int32_t promotion = 0;      // 1 when the move promotes
  int32_t piece = 0;          // code that lands (the rook for castling)
  int32_t from = 0;           // 0 for drops
  int32_t to = 0;
  int32_t candidates[8] = {};
  int32_t candidateCount = 1;
  int32_t clockSeconds = 0;   // 999 when the comment is no whole number
  int32_t bracePos = 0;       // 1-based position of the first "{", 0 none
};

// Plays `move.text` on `pos`. Returns 1 when played, 0 when refused; a refusal
// appends "\r\nErr: " and its reason to `log` and leaves boards, hands and
// clocks as they were. Tokens too short to read and squares off the board are
// refused as well.
int CheckAndPlayMove(CompactPosition& pos, BpgnMove& move, std::string& log);

// Drops tabs, line ends, "#", "+" and blanks outside braces.
void StripMoveText(std::string& text);
// The same, and drops comments that begin with "{C:" or "{A:".
void StripMoveTextAndComments(std::string& text);

}  // namespace repair
