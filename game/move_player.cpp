// Reads one BPGN move token, checks it against a position and plays it.
// Every check runs before the first change of board, hands, clocks or sides.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/bytes.h"
#include "game/kestro_game.h"

namespace {

enum class MoveShape { Piece, Drop, Pawn, Castle };

// What the checks decided; applied only when every check has passed.
struct MovePlan {
  MoveShape shape = MoveShape::Piece;
  int from = 0, to = 0;
  int landing = 0;      // code put on the to-square
  bool promotes = false;
  int captured = 0;     // code going to the partner's hand, 0 none
  int epVictim = 0;     // square of a pawn taken en passant
  int newEp = 0;        // en-passant square after the move
  int rookFrom = 0, rookTo = 0;
  int castlingKind = 0;
};

bool IsFileChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u >= 'a' && u <= 'h';
}
bool IsRankChar(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u >= '1' && u <= '8';
}
bool InBoardArray(int square) { return square >= 0 && square < kSquares; }

// bytes::Pos for one character, 1-based `from` >= 1; a plain loop, as move
// tokens are short.
int FindChar(std::string_view s, char c, int from = 1) {
  for (size_t i = static_cast<size_t>(from - 1); i < s.size(); ++i)
    if (s[i] == c) return static_cast<int>(i) + 1;
  return 0;
}

// bytes::Copy without the copy: up to `count` characters from 1-based `index`.
std::string_view Part(std::string_view s, int index, int count) {
  if (count <= 0) return {};
  const int64_t first = index < 1 ? 1 : index;
  int64_t last = static_cast<int64_t>(index) + count - 1;
  if (last > static_cast<int64_t>(s.size())) last = static_cast<int64_t>(s.size());
  if (first > last) return {};
  return s.substr(static_cast<size_t>(first - 1), static_cast<size_t>(last - first + 1));
}

int Abs(int v) { return v < 0 ? -v : v; }

// Piece type of an upper-case letter, 0 for anything else.
int TypeOfLetter(char c) {
  switch (c) {
    case 'P': return ptPawn;
    case 'B': return ptBishop;
    case 'N': return ptKnight;
    case 'R': return ptRook;
    case 'Q': return ptQueen;
    case 'K': return ptKing;
    default: return 0;
  }
}

bool HasPiece(const int32_t* squares, int code) {
  for (int s = 26; s <= 117; ++s)
    if (squares[s] == code) return true;
  return false;
}

// A captured promoted piece goes to hand as a pawn of its colour.
int HandCode(const BoardRef& b, int square) {
  const int code = b.squares[square];
  return b.marks[square] == 1 ? pcWPawn + ColourOf(code) : code;
}

void AddToHand(int32_t* holding, int code, int delta) {
  int32_t& count = holding[SlotOf(code)];
  count = bytes::Clamp32(static_cast<int64_t>(count) + delta);
}

// File and rank filters given by the characters of a move (-1: no filter).
struct Filter {
  int file = -1, rank = -1;
  bool Pass(int square) const {
    return (file < 0 || FileOf(square) == file) && (rank < 0 || RankOf(square) == rank);
  }
};

// Reads a filter of k characters from 1-based `at`; false on a bad character.
bool ReadFilter(std::string_view text, int at, int k, Filter& f) {
  if (k == 2) {
    const char file = bytes::At(text, at), rank = bytes::At(text, at + 1);
    if (!IsFileChar(file) || !IsRankChar(rank)) return false;
    f.file = file - 'a';
    f.rank = rank - '1';
  } else if (k == 1) {
    const char c = bytes::At(text, at);
    if (static_cast<unsigned char>(c) < 'a') {
      if (!IsRankChar(c)) return false;
      f.rank = c - '1';
    } else {
      if (!IsFileChar(c)) return false;
      f.file = c - 'a';
    }
  }
  return true;
}

class Candidates {
 public:
  explicit Candidates(BpgnMove& move) : move_(move) {}
  void Add(int square) {
    if (count_ < 8) move_.candidates[count_] = square;
    ++count_;
  }
  int Count() const { return count_; }
  int First() const { return move_.candidates[0]; }

 private:
  BpgnMove& move_;
  int count_ = 0;
};

constexpr int kDiagonal[] = {11, -11, 13, -13};
constexpr int kOrthogonal[] = {12, -12, 1, -1};
constexpr int kKnight[] = {10, -10, 14, -14, 23, -23, 25, -25};

// First non-empty square along each ray from `to`; a pinned slider counts
// only when pinned along that ray.
template <class PinAt>
void SearchRays(const BoardRef& b, int to, int code, const int (&steps)[4], const Filter& f, Candidates& c,
                PinAt pinAt) {
  for (int step : steps) {
    int s = to + step;
    while (InBoardArray(s) && b.squares[s] == pcEmpty) s += step;
    if (!InBoardArray(s) || b.squares[s] != code || !f.Pass(s)) continue;
    const int pin = pinAt(s);
    if (pin == 0 || pin == Abs(step)) c.Add(s);
  }
}

}  // namespace

int CKestroGame::PlayBpgnMove(BpgnMove& move, TwoBoardPosition& position, int checkMoveNumber,
                              HandCheck handCheck) {
  return PlayBpgnMoveWithPins(move, position, checkMoveNumber, handCheck, PinsPlan{});
}

int CKestroGame::PlayBpgnMoveWithPins(BpgnMove& move, TwoBoardPosition& position, int checkMoveNumber,
                                      HandCheck handCheck, const PinsPlan& pins) {
  auto fail = [this](const std::string& text) {
    ErrorLog += "\r\nErr: " + text;
    return 0;
  };
  const std::string& token = move.token;

  move.from = move.to = 0;
  move.clockSeconds = 0;
  move.captured = move.dropped = move.castlingKind = move.promotion = move.landingPiece = 0;
  move.candidateCount = 1;
  for (int32_t& c : move.candidates) c = 0;
  move.hasTimeStamp = move.thinkingTime = move.lag = 0;
  move.epVictim = move.newEp = move.lagCompensatorSet = move.lagCompensatorValue = move.played = 0;

  // In one pass: the first "{", the first "}" after it, whether there is a
  // "[" at all (most tokens have no time stamp), and before the "{" the last
  // ".", "x" and "@" (1-based).
  int braceAt = 0, closeAt = 0, dotAt = 0, xAt = 0, atAt = 0;
  bool bracket = false;
  const size_t size = token.size();
  size_t i = 0;
  for (; i < size && token[i] != '{'; ++i) {
    const char ch = token[i];
    const int at = static_cast<int>(i) + 1;
    dotAt = ch == '.' ? at : dotAt;
    xAt = ch == 'x' ? at : xAt;
    atAt = ch == '@' ? at : atAt;
    bracket |= ch == '[';
  }
  if (i < size) {
    braceAt = static_cast<int>(i) + 1;
    for (++i; i < size; ++i) {
      const char ch = token[i];
      if (ch == '}' && closeAt == 0) closeAt = static_cast<int>(i) + 1;
      bracket |= ch == '[';
    }
  }
  move.bracePosition = braceAt;
  if (braceAt == 0) return fail("No clock comment in move.");

  if (const int tAt = bracket ? bytes::Pos("[T:", token) : 0) {
    move.hasTimeStamp = 1;
    const int tEnd = FindChar(token, ']', tAt + 3);
    if (tEnd) {
      move.thinkingTime = bytes::ToIntDef(Part(token, tAt + 3, tEnd - tAt - 3), 0);
      const int lAt = tEnd + 4;
      const int lEnd = FindChar(token, ']', lAt);
      if (lEnd) move.lag = bytes::ToIntDef(Part(token, lAt, lEnd - lAt), 0);
    }
    constexpr std::string_view lagTag = "[LagCompensatorSetOn:";
    if (const int lcAt = bytes::Pos(lagTag, token)) {
      const int start = lcAt + static_cast<int>(lagTag.size());
      const int end = FindChar(token, ']', start);
      LagCompensatorRead = end ? bytes::ToIntDef(Part(token, start, end - start), 0) : 0;
      move.lagCompensatorSet = 1;
      move.lagCompensatorValue = LagCompensatorRead;
    }
  }

  const std::string_view clockText = closeAt ? Part(token, braceAt + 1, closeAt - braceAt - 1) : std::string_view();
  move.clockSeconds = bytes::ToIntDef(clockText, 0);
  if (move.clockSeconds == 0) {
    if (const int point = FindChar(clockText, '.'))
      move.clockSeconds = bytes::ToIntDef(Part(clockText, 1, point - 1), 0);
  }

  const std::string_view text = Part(token, 1, braceAt - 1);
  const int n = static_cast<int>(text.size());
  if (dotAt <= 1) return fail("No board in move.");
  if (n - dotAt < 2) return fail("Move too short.");

  const char boardChar = bytes::At(text, dotAt - 1);
  const int board = boardChar == 'A' || boardChar == 'a' ? 1 : 2;
  const int side = boardChar == (board == 1 ? 'A' : 'B') ? 0 : 1;
  move.board = board;
  move.side = side;
  move.moveNumber = bytes::ToIntDef(Part(text, 1, dotAt - 2), 999);

  BoardRef b = BoardOf(position, board);
  // The moving board's pins: known already, computed now, or, when put off,
  // read square by square where the move needs them; the put-off board notes
  // what it looked like before this move, for the pins it is left with.
  const int index = board - 1;
  PutOffPins* const putOff = pins.known[index] ? nullptr : pins.putOff;
  if (!pins.known[index]) {
    if (putOff) {
      putOff->pending[index] = true;
      putOff->touchedCount[index] = 0;
      std::copy_n(b.kingSquare, 2, putOff->kings[index]);
    } else {
      ComputePins(position, board);
    }
  }
  auto pinAt = [&](int square) { return putOff ? PinOf(b.squares, b.kingSquare, square, side) : b.pins[square]; };
  if (side != *b.sideToMove)
    return fail(board == 1 ? "Bad side on BoardA trying move." : "Bad side on BoardB trying move.");
  if (checkMoveNumber) {
    const int64_t plies = board == 1 ? PliesA : PliesB;
    if ((plies + 2) / 2 != move.moveNumber) return fail("Bad move number.");
  }

  const int forward = side == 0 ? 12 : -12;
  const int ownPawn = pcWPawn + side;
  const int enemyPawn = pcWPawn + 1 - side;
  const bool ingols = GameKind == gkIngols;
  auto squareAt = [&](int at) { return SquareFromName(bytes::At(text, at), bytes::At(text, at + 1)); };
  auto isOwn = [&](int code) { return IsPiece(code) && ColourOf(code) == side; };
  auto isKing = [](int code) { return code == pcWKing || code == pcBKing; };

  MovePlan plan;
  const char c = bytes::At(text, dotAt + 1);

  // Pawn capture with "x": from the file before "x", one rank behind.
  auto planPawnCapture = [&]() -> std::string {
    const char fileChar = bytes::At(text, xAt - 1);
    if (!IsFileChar(fileChar)) return "Bad square in move.";
    const int file = fileChar - 'a';
    const int rank = RankOf(plan.to) - (side == 0 ? 1 : -1);
    if (Abs(file - FileOf(plan.to)) != 1 || rank < 0 || rank > 7) return "Bad pawn capture.";
    plan.from = SquareOf(file, rank);
    if (b.squares[plan.from] != ownPawn) return "No pawn founded to make move.";
    const int target = b.squares[plan.to];
    if (IsPiece(target) && !isOwn(target)) {
      plan.captured = HandCode(b, plan.to);
    } else if (target == pcEmpty && plan.to == *b.epSquare && b.squares[plan.to - forward] == enemyPawn) {
      plan.captured = enemyPawn;
      plan.epVictim = plan.to - forward;
    } else {
      return "Bad pawn capture.";
    }
    return {};
  };

  // Ingols pawn step: one rank behind or one file behind (toward a for
  // white, toward h for black), filtered by the from-square text.
  auto planIngolsStep = [&](int k) -> std::string {
    Filter f;
    if (!ReadFilter(text, dotAt + 1, k, f)) return "Bad square in move.";
    Candidates found(move);
    const int behind = plan.to - forward;
    const int aside = plan.to - (side == 0 ? 1 : -1);
    if (b.squares[behind] == ownPawn && f.Pass(behind) && (pinAt(behind) == 0 || pinAt(behind) == 12))
      found.Add(behind);
    if (b.squares[aside] == ownPawn && f.Pass(aside) && (pinAt(aside) == 0 || pinAt(aside) == 1))
      found.Add(aside);
    move.candidateCount = found.Count();
    if (found.Count() != 1) return "More than 1 possible SquareFrom founded";
    plan.from = found.First();
    return {};
  };

  std::string error;
  if (c == 'O' || c == '0' || c == 'o') {
    const bool queenSide = bytes::At(text, n - 3) == '-';
    const std::string name = queenSide ? "O-O-O" : "O-O";
    const char rankChar = side == 0 ? '1' : '8';
    const int backRank = side == 0 ? 0 : 7;
    const int king = pcWKing + side, rook = pcWRook + side;
    plan.shape = MoveShape::Castle;
    plan.from = SquareOf(4, backRank);
    plan.to = SquareOf(queenSide ? 2 : 6, backRank);
    plan.rookFrom = SquareOf(queenSide ? 0 : 7, backRank);
    plan.rookTo = SquareOf(queenSide ? 3 : 5, backRank);
    plan.landing = rook;
    plan.castlingKind = 1 + (queenSide ? 1 : 0) + 2 * side;
    if (b.squares[plan.from] != king) return fail(std::string("K not on e") + rankChar + " for " + name);
    if (b.squares[plan.rookFrom] != rook)
      return fail(std::string("R not on ") + (queenSide ? 'a' : 'h') + rankChar + " for " + name);
    for (int file = queenSide ? 1 : 5; file <= (queenSide ? 3 : 6); ++file)
      if (b.squares[SquareOf(file, backRank)] != pcEmpty) return fail("Not empty squares for " + name);
    if (b.marks[plan.from] != 0 || b.marks[plan.rookFrom] != 0)
      return fail("Not possible " + name + " because of K or R already moved.");
  } else if (bytes::At(text, n - 1) == '=') {
    plan.shape = MoveShape::Pawn;
    plan.promotes = true;
    plan.to = squareAt(n - 3);
    if (!plan.to) return fail("Bad square in move.");
    if (isKing(b.squares[plan.to])) return fail("King cannot be captured.");
    const int type = TypeOfLetter(bytes::At(text, n));
    const bool letterOk = (type >= ptBishop && type <= ptQueen) || (ingols && type == ptKing);
    if (!letterOk) return fail("Bad promotion.");
    if (!ingols && RankOf(plan.to) != (side == 0 ? 7 : 0)) return fail("Bad promotion.");
    plan.landing = type * 2 + side;
    if (type == ptKing && HasPiece(b.squares, plan.landing)) return fail("Second king not allowed.");
    if (xAt) {
      error = planPawnCapture();
    } else if (ingols) {
      error = planIngolsStep(n - dotAt - 4);
    } else {
      plan.from = plan.to - forward;
      if (b.squares[plan.from] != ownPawn) error = "No pawn founded to make move.";
    }
    if (error.empty() && !xAt && b.squares[plan.to] != pcEmpty) error = "Square not empty for pawn move.";
  } else if (const int type = TypeOfLetter(c); type >= ptBishop || (type == ptPawn && atAt)) {
    const bool drop = atAt != 0;
    if (type == ptPawn && bytes::At(text, dotAt + 2) != '@') return fail("Bad drop in move.");
    if (drop && type == ptKing) return fail("'K@' King cannot be dropped!");
    plan.to = squareAt(n - 1);
    if (!plan.to) return fail("Bad square in move.");
    const int code = type * 2 + side;
    const int target = b.squares[plan.to];
    plan.landing = code;
    if (drop) {
      plan.shape = MoveShape::Drop;
      if (GameKind == gkCoin) return fail("No drops in Coin game.");
      if (target != pcEmpty) return fail("Square not empty for drop.");
      if (handCheck == HandCheck::Strict && b.holdings[SlotOf(code)] < 1)
        return fail("Piece not in hand for drop.");
    } else {
      plan.shape = MoveShape::Piece;
      Filter f;
      const int k = xAt ? xAt - dotAt - 2 : n - dotAt - 3;
      if (!ReadFilter(text, dotAt + 2, k, f)) return fail("Bad square in move.");
      Candidates found(move);
      if (type == ptKing) {
        for (int step : kDiagonal)
          if (b.squares[plan.to + step] == code && f.Pass(plan.to + step)) found.Add(plan.to + step);
        for (int step : kOrthogonal)
          if (b.squares[plan.to + step] == code && f.Pass(plan.to + step)) found.Add(plan.to + step);
      } else if (type == ptKnight) {
        for (int step : kKnight) {
          const int s = plan.to + step;
          if (b.squares[s] == code && f.Pass(s) && pinAt(s) == 0) found.Add(s);
        }
      } else {
        if (type != ptRook) SearchRays(b, plan.to, code, kDiagonal, f, found, pinAt);
        if (type != ptBishop) SearchRays(b, plan.to, code, kOrthogonal, f, found, pinAt);
      }
      move.candidateCount = found.Count();
      if (found.Count() != 1) return fail("More than 1 possible SquareFrom founded");
      plan.from = found.First();
      if (isKing(target)) return fail("King cannot be captured.");
      if (isOwn(target)) return fail("Own piece on target square.");
      if (IsPiece(target)) plan.captured = HandCode(b, plan.to);
    }
  } else if (type == ptPawn) {
    return fail("Bad drop in move.");
  } else {
    plan.shape = MoveShape::Pawn;
    plan.to = squareAt(n - 1);
    if (!plan.to) return fail("Bad square in move.");
    if (isKing(b.squares[plan.to])) return fail("King cannot be captured.");
    plan.landing = ownPawn;
    if (xAt) {
      error = planPawnCapture();
    } else {
      if (ingols) {
        error = planIngolsStep(n - dotAt - 2);
      } else {
        const int behind = plan.to - forward;
        plan.from = b.squares[behind] != pcEmpty ? behind : behind - forward;
        if (b.squares[plan.from] != ownPawn) error = "No pawn founded to make move.";
        else if (plan.to - plan.from == 2 * forward) plan.newEp = behind;
      }
      if (error.empty() && b.squares[plan.to] != pcEmpty) error = "Square not empty for pawn move.";
    }
  }
  if (!error.empty()) return fail(error);

  // The coin moves with the same vector and must stay on the board, without
  // wrapping round to another rank.
  const bool moves = plan.shape != MoveShape::Drop;
  if (GameKind == gkCoin && moves && *b.coinSquare != 0) {
    const int coinFile = IsPlayingSquare(*b.coinSquare) ? FileOf(*b.coinSquare) : -99;
    const int file = coinFile + FileOf(plan.to) - FileOf(plan.from);
    if (!IsPlayingSquare(*b.coinSquare + plan.to - plan.from) || file < 0 || file > 7)
      return fail("Coin would leave the board.");
  }

  // Every check passed: play the move.
  move.from = plan.from;
  move.to = plan.to;
  move.captured = plan.captured;
  move.dropped = plan.shape == MoveShape::Drop ? plan.landing : 0;
  move.castlingKind = plan.castlingKind;
  move.promotion = plan.promotes ? 1 : 0;
  move.landingPiece = plan.landing;
  move.epVictim = plan.epVictim;
  move.newEp = plan.newEp;
  move.moverSeat = SeatOf(board, side);
  move.nextSeat = SeatOf(board, 1 - side);
  move.played = 1;
  if (putOff) {
    auto note = [&](int square) {
      int32_t& count = putOff->touchedCount[index];
      putOff->touched[index][count] = square;
      putOff->before[index][count] = b.squares[square];
      ++count;
    };
    if (plan.shape != MoveShape::Drop) note(plan.from);
    note(plan.to);
    if (plan.epVictim) note(plan.epVictim);
    if (plan.shape == MoveShape::Castle) {
      note(plan.rookFrom);
      note(plan.rookTo);
    }
  }
  ApplyPlayedMove(move, position);
  return 1;
}

// The changes a played move makes, from the fields the move player filled in.
// A replay on the same board states gives the same position without reading
// the token again.
void CKestroGame::ApplyPlayedMove(const BpgnMove& move, TwoBoardPosition& position) const {
  BoardRef b = BoardOf(position, move.board);
  const int side = move.side;
  const int seat = move.moverSeat;
  const int from = move.from, to = move.to;
  if (move.castlingKind) {
    const int rookFrom = CastlingRookFrom(move.castlingKind), rookTo = CastlingRookTo(move.castlingKind);
    const int king = b.squares[from], rook = b.squares[rookFrom];
    b.squares[from] = b.squares[rookFrom] = pcEmpty;
    b.marks[from] = b.marks[rookFrom] = 0;
    b.squares[to] = king;
    b.squares[rookTo] = rook;
    b.marks[to] = b.marks[rookTo] = 2;
    b.castling[2 * side] = b.castling[2 * side + 1] = 0;
    b.kingSquare[side] = to;
  } else if (move.dropped) {
    b.squares[to] = move.dropped;
    b.marks[to] = 0;
    AddToHand(b.holdings, move.dropped, -1);
  } else {
    if (move.captured) AddToHand(b.otherHoldings, move.captured, 1);
    if (move.epVictim) {
      b.squares[move.epVictim] = pcEmpty;
      b.marks[move.epVictim] = 0;
    }
    const bool promotes = move.promotion != 0;
    const int piece = promotes ? move.landingPiece : b.squares[from];
    b.marks[to] = promotes ? 1 : b.marks[from];
    b.squares[to] = piece;
    b.squares[from] = pcEmpty;
    b.marks[from] = 0;
    if (TypeOf(piece) == ptKing) {
      b.kingSquare[side] = to;
      if (!promotes) b.castling[2 * side] = b.castling[2 * side + 1] = 0;
    }
  }
  *b.epSquare = move.newEp;

  if (move.hasTimeStamp) {
    const int64_t t = move.thinkingTime;
    const int64_t delay = static_cast<int64_t>(LagCompensatorSeconds) * 1000;
    int64_t clock = position.clock[seat];
    if (LagCompensatorSeconds == 0)
      clock -= t;
    else if (clock > t)
      clock -= delay < t ? t - delay : 0;
    else
      clock = 0;
    position.clock[seat] = bytes::Clamp32(clock);
    position.lag[seat] = move.lag;
    position.lagSum[seat] = bytes::Clamp32(static_cast<int64_t>(position.lagSum[seat]) + move.lag);
  } else {
    position.clock[seat] = bytes::Clamp32(static_cast<int64_t>(move.clockSeconds) * 1000);
  }

  *b.sideToMove = 1 - side;
  if (GameKind == gkCoin && !move.dropped && *b.coinSquare != 0) *b.coinSquare += to - from;
  position.lastMoverSeat = seat;
}
