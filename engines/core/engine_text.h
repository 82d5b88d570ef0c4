#pragma once
// Texts between the game model and XBoard engines: moves both ways, the
// holding, coin and setboard commands, and the reading of engine output.
#include <string>
#include <string_view>
#include <vector>

#include "game/position.h"

// An engine's coordinate move (e2e4, e7e8q, P@e4) as a BPGN move body, read
// against the squares of board 1 (A) or 2 (B).
std::string EngineMoveToBpgn(const TwoBoardPosition& position, int board, const std::string& move);
// A BPGN move token as coordinate text for an engine; extraPawnSteps is 1 for
// a pawn's double step, else 0.
std::string BpgnToEngineText(const std::string& text, int extraPawnSteps);
// "holding [PPN] [q]" for the hands of board 1 or 2.
std::string HoldingsToXBoard(const TwoBoardPosition& position, int board);
// "coin $e4" for the coin square of board 1 or 2.
std::string CoinToXBoard(const TwoBoardPosition& position, int board);
// "setboard " and board A's position.
std::string PositionToSetboard(const TwoBoardPosition& position);
// The same text for board 1 or 2; with its en-passant square, if any, when
// asked.
std::string BoardToSetboard(const TwoBoardPosition& position, int board, bool withEnPassant);

// A move in the XBoard coordinate form: from-square, to-square and an
// optional promotion letter, or a drop "P@e4".
struct XBoardMove {
  bool drop = false;
  char piece = 0;      // upper-case letter of a dropped piece
  int from = 0;        // 0 for a drop
  int to = 0;
  char promotion = 0;  // lower-case letter, 0 when none
};
// Accepts only "e2e4", "e7e8q" (promotion to q, r, b, n) and "P@e4" (P, N,
// B, R, Q); anything else gives false.
bool ParseXBoardMove(std::string_view text, XBoardMove& move);

// What an engine line says to the players: the end of its game (a result
// line "1-0 {White Mates}" or a resignation) or a tell to its partner
// ("tellics ptell <text>", text without the prefix).
struct EngineSaying {
  enum Kind { None = 0, Result = 1, Resign = 2, PartnerTell = 3 };
  Kind kind = None;
  std::string text;  // the result line, or the tell
};
EngineSaying ReadEngineSaying(std::string_view line);
// A partner tell in which the engine asks to be told "go" (it sits until then).
bool TellAsksForGo(std::string_view tell);

// Output of one engine as it arrives in chunks: keeps the unfinished last
// line until its line feed comes.
class EngineLineBuffer {
 public:
  // Adds a chunk and returns the lines it completed, without line ends.
  std::vector<std::string> Feed(std::string_view chunk);
  // The text of a whole line "move <text>", or empty for any other line.
  static std::string MoveOfLine(std::string_view line);
  const std::string& Pending() const { return Partial; }
  void Clear() { Partial.clear(); }

 private:
  std::string Partial;
};
