// Pins, attack-count maps and the square-attacked test of one board.
#include <algorithm>

#include "game/kestro_game.h"

namespace {

constexpr int kDiagonal[4] = {11, -11, 13, -13};
constexpr int kOrthogonal[4] = {12, -12, 1, -1};
constexpr int kKnight[8] = {10, -10, 14, -14, 23, -23, 25, -25};

// Playing squares. Walks start on a square in 26..117 and stop at the first
// square off this table, so they stay inside the 144 entries whatever the
// board holds.
struct OnBoardTable {
  bool on[kSquares] = {};
  constexpr OnBoardTable() {
    for (int i = 0; i < kSquares; ++i) on[i] = IsPlayingSquare(i);
  }
};
constexpr OnBoardTable kOnBoard;

inline bool OnBoard(int square) { return kOnBoard.on[square]; }
inline int Abs(int step) { return step < 0 ? -step : step; }

// Pins against the king of one colour; kingSquare outside 26..117 means no king.
void AddPins(const int32_t* squares, int32_t* pins, int king, int colour) {
  if (king < 26 || king > 117) return;
  const int enemy = 1 - colour;
  for (int i = 0; i < 8; ++i) {
    const int step = i < 4 ? kDiagonal[i] : kOrthogonal[i - 4];
    const int slider = (i < 4 ? pcWBishop : pcWRook) + enemy;
    int own = 0;
    for (int t = king + step; OnBoard(t); t += step) {
      const int code = squares[t];
      if (code == pcEmpty) continue;
      if (!IsPiece(code)) break;
      if (ColourOf(code) == colour) {
        if (own) break;
        own = t;
        continue;
      }
      if (own && (code == slider || code == pcWQueen + enemy)) pins[own] = Abs(step);
      break;
    }
  }
}

// One slider ray into the map of its colour. It runs on through empty squares
// and own pieces moving along it (unless they are pinned along another line);
// a bishop or queen also reaches past an own pawn it backs up the board.
void AddRay(const int32_t* squares, const int32_t* pins, int32_t* map, int from, int step, int colour,
            int alike) {
  const int line = Abs(step);
  const int ownQueen = pcWQueen + colour;
  const int ownAlike = alike + colour;
  for (int t = from + step; OnBoard(t); t += step) {
    const int code = squares[t];
    if (code == pcBorder) break;
    ++map[t];
    if (code == pcEmpty) continue;
    if ((code == ownQueen || code == ownAlike) && (pins[t] == 0 || pins[t] == line)) continue;
    if (code == pcWPawn + colour && alike == pcWBishop && (colour == 0) == (step > 0)) ++map[t + step];
    break;
  }
}

void AddRays(const int32_t* squares, const int32_t* pins, int32_t* map, int from, int colour, int pin,
             const int (&steps)[4], int alike) {
  for (int step : steps)
    if (pin == 0 || pin == Abs(step)) AddRay(squares, pins, map, from, step, colour, alike);
}

// 1 when the first piece along the line from `t` (inclusive) is `slider` or
// `queen`; empty squares and the own king are passed over.
int LineHit(const int32_t* squares, int t, int step, int ownKing, int slider, int queen) {
  for (; OnBoard(t); t += step) {
    const int code = squares[t];
    if (code == pcEmpty || code == ownKing) continue;
    return code == slider || code == queen;
  }
  return 0;
}

}  // namespace

void CKestroGame::ComputePins(TwoBoardPosition& position, int board) const {
  BoardRef r = BoardOf(position, board);
  std::fill_n(r.pins, kSquares, 0);
  AddPins(r.squares, r.pins, r.kingSquare[0], 0);
  AddPins(r.squares, r.pins, r.kingSquare[1], 1);
}

void CKestroGame::ComputeAttackMaps(TwoBoardPosition& position, int board) const {
  BoardRef r = BoardOf(position, board);
  std::fill_n(r.whiteAttackers, kSquares, 0);
  std::fill_n(r.blackAttackers, kSquares, 0);
  std::fill_n(r.attackBalance, kSquares, 0);
  ComputePins(position, board);

  const int32_t* squares = r.squares;
  const int32_t* pins = r.pins;
  const bool bughouse = GameKind == gkBughouse;
  for (int s = 26; s <= 117; ++s) {
    const int code = squares[s];
    if (!OnBoard(s) || !IsPiece(code)) continue;
    const int colour = ColourOf(code);
    int32_t* map = colour ? r.blackAttackers : r.whiteAttackers;
    const int pin = pins[s];
    const int type = TypeOf(code);
    if (!(bughouse && type == ptKing)) ++map[s];  // a piece counts its own square
    switch (type) {
      case ptPawn:
        if (pin == 0) {
          ++map[colour ? s - 11 : s + 11];
          ++map[colour ? s - 13 : s + 13];
        } else {
          ++map[colour ? s - pin : s + pin];
        }
        break;
      case ptKnight:
        if (pin == 0)
          for (int step : kKnight) ++map[s + step];
        break;
      case ptBishop:
        AddRays(squares, pins, map, s, colour, pin, kDiagonal, pcWBishop);
        break;
      case ptRook:
        AddRays(squares, pins, map, s, colour, pin, kOrthogonal, pcWRook);
        break;
      case ptQueen:
        AddRays(squares, pins, map, s, colour, pin, kDiagonal, pcWBishop);
        AddRays(squares, pins, map, s, colour, pin, kOrthogonal, pcWRook);
        break;
      case ptKing:
        if (!bughouse) {
          for (int step : kOrthogonal) ++map[s + step];
          for (int step : kDiagonal) ++map[s + step];
        }
        break;
    }
  }
  for (int s = 26; s <= 117; ++s)
    if (OnBoard(s)) r.attackBalance[s] = r.whiteAttackers[s] - r.blackAttackers[s];
}

int CKestroGame::IsSquareAttacked(const int32_t* squares, int square, int colour) const {
  if (square < 0 || square >= kSquares || !OnBoard(square)) return 0;
  const int own = colour != 0 ? 1 : 0;
  const int enemy = 1 - own;
  const int ownKing = pcWKing + own;
  const int enemyKing = pcWKing + enemy;
  const int enemyQueen = pcWQueen + enemy;
  int count = 0;

  for (int step : kOrthogonal) {
    const int t = square + step;
    if (!OnBoard(t)) continue;
    if (squares[t] == enemyKing) {
      ++count;
      break;
    }
    count += LineHit(squares, t, step, ownKing, pcWRook + enemy, enemyQueen);
  }
  for (int step : kDiagonal) {
    const int t = square + step;
    if (!OnBoard(t)) continue;
    const int code = squares[t];
    if (code == enemyKing) {
      ++count;
      break;
    }
    if (code == pcWPawn + enemy) {
      // a black pawn takes downwards onto a white square, a white pawn upwards
      if ((own == 0) == (step > 0)) ++count;
      continue;
    }
    count += LineHit(squares, t, step, ownKing, pcWBishop + enemy, enemyQueen);
  }
  for (int step : kKnight) {
    const int t = square + step;
    if (OnBoard(t) && squares[t] == pcWKnight + enemy) ++count;
  }
  return count;
}
