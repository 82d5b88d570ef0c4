// Pins, attack-count maps and the square-attacked test of one board.
#include <algorithm>
#include <cstring>
#include <span>

#include "game/kestro_game.h"
#include "game/piece_lists.h"

namespace {

constexpr int kDiagonal[4] = {11, -11, 13, -13};
constexpr int kOrthogonal[4] = {12, -12, 1, -1};
constexpr int kKnight[8] = {10, -10, 14, -14, 23, -23, 25, -25};

// Playing squares. Walks start on a square in 26..117 and stop at the first
// square off this table, so they stay inside the 144 entries whatever the
// board holds.
struct OnBoardTable {
  bool on[kSquares] = {};
  int32_t mask[kSquares] = {};  // all bits on the playing squares, none elsewhere
  constexpr OnBoardTable() {
    for (int i = 0; i < kSquares; ++i) {
      on[i] = IsPlayingSquare(i);
      mask[i] = on[i] ? -1 : 0;
    }
  }
};
constexpr OnBoardTable kOnBoard;

inline bool OnBoard(int square) { return kOnBoard.on[square]; }
inline int Abs(int step) { return step < 0 ? -step : step; }

constexpr int kLines[8] = {11, -11, 13, -13, 12, -12, 1, -1};  // the diagonals, then the lines

constexpr int LineOf(int step) {
  for (int line = 0; line < 8; ++line)
    if (kLines[line] == step) return line;
  return -1;
}

// How many playing squares follow each square along each of kLines before the
// first square off the board.
struct RayLengthTable {
  int8_t length[kSquares][8] = {};
  constexpr RayLengthTable() {
    for (int s = 0; s < kSquares; ++s)
      for (int i = 0; i < 8; ++i)
        for (int t = s + kLines[i]; t >= 0 && t < kSquares && IsPlayingSquare(t); t += kLines[i]) ++length[s][i];
  }
};
constexpr RayLengthTable kRays;

// The line (index into kLines) from one playing square to another, -1 when
// they are not on one line.
struct LineTable {
  int8_t index[kSquares] = {};  // playing squares numbered 0..63, -1 elsewhere
  int8_t line[64][64] = {};
  constexpr LineTable() {
    for (int s = 0; s < kSquares; ++s)
      index[s] = IsPlayingSquare(s) ? static_cast<int8_t>(FileOf(s) + 8 * RankOf(s)) : -1;
    for (int a = 0; a < 64; ++a)
      for (int b = 0; b < 64; ++b) line[a][b] = -1;
    for (int s = 0; s < kSquares; ++s) {
      if (!IsPlayingSquare(s)) continue;
      for (int i = 0; i < 8; ++i)
        for (int t = s + kLines[i]; t >= 0 && t < kSquares && IsPlayingSquare(t); t += kLines[i])
          line[index[s]][index[t]] = static_cast<int8_t>(i);
    }
  }
  int Between(int from, int to) const { return line[index[from]][index[to]]; }  // both playing squares
};
constexpr LineTable kLineTable;

// Pins against the king of one colour; kingSquare outside 26..117 means no king.
// A piece is pinned when it is the first piece from the king along a line, it
// is the king's colour, and the next piece behind it is an enemy slider of
// that line (or a queen).
void AddPins(const int32_t* squares, int32_t* pins, int king, int colour) {
  if (king < 26 || king > 117) return;
  const int enemyQueen = pcWQueen + 1 - colour;
  for (int line = 0; line < 8; ++line) {
    const int step = kLines[line];
    const int slider = (line < 4 ? pcWBishop : pcWRook) + 1 - colour;
    // The two squares nearest the king that are not empty (0 for none). The
    // walk comes in from the edge over the whole line: a walk that stopped at
    // the first piece would end at a place the processor can not foresee.
    int first = 0, second = 0;
    for (int k = kRays.length[king][line], t = king + k * step; k > 0; --k, t -= step) {
      const bool occupied = squares[t] != pcEmpty;
      second = occupied ? first : second;
      first = occupied ? t : first;
    }
    if (second && IsPiece(squares[first]) && ColourOf(squares[first]) == colour &&
        (squares[second] == slider || squares[second] == enemyQueen))
      pins[first] = Abs(step);
  }
}

// One ray of a slider on a playing square into the map of its colour. It runs
// on through empty squares and through `alike` or `queen` (own pieces moving
// along it, unless pinned along another line); it stops at any other code,
// which it counts, unless that is the border code. Past `backedPawn` (an own
// pawn the slider backs up) it reaches one square more; pcBorder stands for
// none, as the ray never counts that code.
template <int Step>
void AddRay(const int32_t* squares, const int32_t* pins, int32_t* map, int from, int alike, int queen,
            int backedPawn) {
  constexpr int kLine = LineOf(Step);
  static_assert(kLine >= 0);
  int t = from;
  for (int k = kRays.length[from][kLine]; k > 0; --k) {
    t += Step;
    const int code = squares[t];
    if (code == pcEmpty) {
      ++map[t];
      continue;
    }
    if (code == pcBorder) return;
    ++map[t];
    if ((code == alike || code == queen) && (pins[t] == 0 || pins[t] == Abs(Step))) continue;
    if (code == backedPawn) ++map[t + Step];
    return;
  }
}

// The diagonal rays of a bishop or queen that its pin allows. It backs up an
// own pawn toward the side the pawn takes: upward for white, downward for black.
void AddDiagonalRays(const int32_t* squares, const int32_t* pins, int32_t* map, int from, int colour, int pin) {
  const int alike = pcWBishop + colour, queen = pcWQueen + colour;
  const int upPawn = colour == 0 ? pcWPawn : pcBorder, downPawn = colour == 1 ? pcBPawn : pcBorder;
  if (pin == 0 || pin == 11) {
    AddRay<11>(squares, pins, map, from, alike, queen, upPawn);
    AddRay<-11>(squares, pins, map, from, alike, queen, downPawn);
  }
  if (pin == 0 || pin == 13) {
    AddRay<13>(squares, pins, map, from, alike, queen, upPawn);
    AddRay<-13>(squares, pins, map, from, alike, queen, downPawn);
  }
}

// The rank and file rays of a rook or queen that its pin allows.
void AddLineRays(const int32_t* squares, const int32_t* pins, int32_t* map, int from, int colour, int pin) {
  const int alike = pcWRook + colour, queen = pcWQueen + colour;
  if (pin == 0 || pin == 12) {
    AddRay<12>(squares, pins, map, from, alike, queen, pcBorder);
    AddRay<-12>(squares, pins, map, from, alike, queen, pcBorder);
  }
  if (pin == 0 || pin == 1) {
    AddRay<1>(squares, pins, map, from, alike, queen, pcBorder);
    AddRay<-1>(squares, pins, map, from, alike, queen, pcBorder);
  }
}

// AddPins from the enemy sliders of `pieces` instead of walks from the king:
// the piece between the king and an enemy slider of that line is pinned when
// it is the only one there and the king's colour. A king off the playing
// squares is left to AddPins.
void AddPinsBySliders(const int32_t* squares, const PieceLists& pieces, int32_t* pins, int king, int colour) {
  if (king < 26 || king > 117) return;
  if (!IsPlayingSquare(king)) return AddPins(squares, pins, king, colour);
  const int enemy = 1 - colour;
  for (int code : {pcWBishop + enemy, pcWRook + enemy, pcWQueen + enemy}) {
    for (int slider : pieces.Of(code)) {
      const int line = kLineTable.Between(king, slider);
      if (line < 0 || (TypeOf(code) == ptBishop && line >= 4) || (TypeOf(code) == ptRook && line < 4)) continue;
      // The walks end at the slider at the latest.
      const int step = kLines[line];
      int t = king + step;
      while (squares[t] == pcEmpty) t += step;
      if (t == slider || !IsPiece(squares[t]) || ColourOf(squares[t]) != colour) continue;
      const int own = t;
      for (t += step; squares[t] == pcEmpty; t += step) {
      }
      if (t == slider) pins[own] = Abs(step);
    }
  }
}

// White's minus black's counts on the playing squares, 0 elsewhere. The three
// maps never overlap; saying so lets the compiler use vector instructions.
void StoreBalance(int32_t* __restrict balance, const int32_t* __restrict white, const int32_t* __restrict black) {
  for (int i = 0; i < kSquares; ++i) balance[i] = (white[i] - black[i]) & kOnBoard.mask[i];
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

// The pieces are gathered without a branch per square, and each code is then
// handled in a loop of its own: branching on squares and codes in board order
// is hard for the processor to foresee.
void PieceLists::Gather(const int32_t* squares) {
  int occupied[64];
  int n = 0;
  for (int rank = 0; rank < 8; ++rank) {
    for (int s = SquareOf(0, rank); s <= SquareOf(7, rank); ++s) {
      occupied[n] = s;
      n += IsPiece(squares[s]);
    }
  }
  for (int32_t& c : count_) c = 0;
  for (int i = 0; i < n; ++i) {
    const int code = squares[occupied[i]];
    at_[code][count_[code]++] = static_cast<uint8_t>(occupied[i]);
  }
}

int PieceLists::Find(int code, int square) const {
  if (!IsPiece(code)) return -1;
  for (int i = 0; i < count_[code]; ++i)
    if (at_[code][i] == square) return i;
  return -1;
}

bool PieceLists::Add(int code, int square) {
  if (!IsPiece(code) || !IsPlayingSquare(square) || count_[code] >= 64) return false;
  at_[code][count_[code]++] = static_cast<uint8_t>(square);
  return true;
}

bool PieceLists::Remove(int code, int square) {
  const int i = Find(code, square);
  if (i < 0) return false;
  at_[code][i] = at_[code][--count_[code]];
  return true;
}

bool PieceLists::Move(int code, int from, int to) {
  const int i = Find(code, from);
  if (i < 0 || !IsPlayingSquare(to)) return false;
  at_[code][i] = static_cast<uint8_t>(to);
  return true;
}

void CKestroGame::ComputePins(TwoBoardPosition& position, int board) const {
  BoardRef r = BoardOf(position, board);
  ComputePinsOf(r.squares, r.kingSquare, r.pins);
}

void CKestroGame::ComputePinsOf(const int32_t* squares, const int32_t* kings, int32_t* pins) const {
  std::fill_n(pins, kSquares, 0);
  AddPins(squares, pins, kings[0], 0);
  AddPins(squares, pins, kings[1], 1);
}

int CKestroGame::PinOf(const int32_t* squares, const int32_t* kings, int square, int colour) const {
  const int king = kings[colour ? 1 : 0];
  if (king < 26 || king > 117 || square < 0 || square >= kSquares) return 0;
  if (!IsPlayingSquare(king) || !IsPlayingSquare(square)) {
    int32_t pins[kSquares] = {};
    AddPins(squares, pins, king, colour);
    return pins[square];
  }
  if (square == king) return 0;
  const int line = kLineTable.Between(king, square);
  if (line < 0) return 0;
  // The square must hold the nearest piece to the king on that line, and the
  // next piece beyond it an enemy slider of the line.
  const int step = kLines[line];
  int t = king + step;
  while (t != square && squares[t] == pcEmpty) t += step;
  if (t != square) return 0;
  const int code = squares[square];
  if (!IsPiece(code) || ColourOf(code) != colour) return 0;
  for (t += step; OnBoard(t) && squares[t] == pcEmpty; t += step) {
  }
  if (!OnBoard(t)) return 0;
  const int slider = (line < 4 ? pcWBishop : pcWRook) + 1 - colour;
  return squares[t] == slider || squares[t] == pcWQueen + 1 - colour ? Abs(step) : 0;
}

void CKestroGame::SettlePutOffPins(const PutOffPins& putOff, int board, TwoBoardPosition& position) const {
  const int index = board - 1;
  if (!putOff.pending[index]) return;
  BoardRef r = BoardOf(position, board);
  int32_t squares[kSquares];
  std::copy_n(r.squares, kSquares, squares);
  for (int i = putOff.touchedCount[index] - 1; i >= 0; --i)
    squares[putOff.touched[index][i]] = putOff.before[index][i];
  ComputePinsOf(squares, putOff.kings[index], r.pins);
}

void CKestroGame::ComputeAttackMaps(TwoBoardPosition& position, int board) const {
  ComputeAttackMapsFrom(position, board, PieceLists(BoardOf(position, board).squares));
}

void CKestroGame::ComputeAttackMapsFrom(TwoBoardPosition& position, int board, const PieceLists& pieces) const {
  BoardRef r = BoardOf(position, board);
  static void* (*const volatile clear)(void*, int, size_t) = std::memset;
  clear(r.whiteAttackers, 0, kSquares * sizeof(int32_t));
  clear(r.blackAttackers, 0, kSquares * sizeof(int32_t));
  const int32_t* squares = r.squares;
  // The pins ComputePins gives, found from the sliders in the lists.
  clear(r.pins, 0, kSquares * sizeof(int32_t));
  AddPinsBySliders(squares, pieces, r.pins, r.kingSquare[0], 0);
  AddPinsBySliders(squares, pieces, r.pins, r.kingSquare[1], 1);

  const int32_t* pins = r.pins;
  const bool bughouse = GameKind == gkBughouse;
  for (int colour = 0; colour < 2; ++colour) {
    int32_t* map = colour ? r.blackAttackers : r.whiteAttackers;
    // A piece counts its own square, except a king in bughouse.
    for (int s : pieces.Of(pcWPawn + colour)) {
      ++map[s];
      if (const int pin = pins[s]; pin == 0) {
        ++map[colour ? s - 11 : s + 11];
        ++map[colour ? s - 13 : s + 13];
      } else {
        ++map[colour ? s - pin : s + pin];
      }
    }
    for (int s : pieces.Of(pcWKnight + colour)) {
      ++map[s];
      if (pins[s] == 0)
        for (int step : kKnight) ++map[s + step];
    }
    for (int s : pieces.Of(pcWBishop + colour)) {
      ++map[s];
      AddDiagonalRays(squares, pins, map, s, colour, pins[s]);
    }
    for (int s : pieces.Of(pcWRook + colour)) {
      ++map[s];
      AddLineRays(squares, pins, map, s, colour, pins[s]);
    }
    for (int s : pieces.Of(pcWQueen + colour)) {
      ++map[s];
      AddDiagonalRays(squares, pins, map, s, colour, pins[s]);
      AddLineRays(squares, pins, map, s, colour, pins[s]);
    }
    if (!bughouse) {
      for (int s : pieces.Of(pcWKing + colour)) {
        ++map[s];
        for (int step : kOrthogonal) ++map[s + step];
        for (int step : kDiagonal) ++map[s + step];
      }
    }
  }
  StoreBalance(r.attackBalance, r.whiteAttackers, r.blackAttackers);
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
