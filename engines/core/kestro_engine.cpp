#include "engines/core/kestro_engine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

namespace {

constexpr int kValue[14] = {0, 0, 100, 100, 250, 250, 250, 250, 350, 350, 600, 600, 9999, 9999};
constexpr int kOrthogonal[4] = {12, -12, 1, -1};
constexpr int kDiagonal[4] = {11, -11, 13, -13};
constexpr int kKingSteps[8] = {12, -12, 1, -1, 11, -11, 13, -13};
constexpr int kKnightSteps[8] = {10, -10, 14, -14, 23, -23, 25, -25};
constexpr char kMoveLetters[] = "!.PPBBNNRRQQKK";

int Value(int code) { return code >= 0 && code < 14 ? kValue[code] : 0; }
int File(int s) { return (s - 26) % 12; }
int Rank(int s) { return (s - 26) / 12 + 1; }  // 1..8
int Distance(int a, int b) { return std::max(std::abs(File(a) - File(b)), std::abs(Rank(a) - Rank(b))); }
bool OnBoardArray(int s) { return s >= 0 && s < kSquares; }
bool IsBoardA(int kind) { return kind == mkMoveA || kind == mkWhiteDropA || kind == mkBlackDropA; }

std::string Format(const char* format, int a) {
  char text[32];
  std::snprintf(text, sizeof text, format, a);
  return text;
}

std::string SquareText(int s) {
  std::string t(2, ' ');
  t[0] = static_cast<char>('a' + File(s));
  t[1] = static_cast<char>('0' + Rank(s));
  return t;
}

// Number of non-empty hand slots of a seat.
int FilledSlots(const TwoBoardPosition& p, int seat) {
  const int32_t* hand = (seat < 2 ? p.holdingsA : p.holdingsB) + (seat % 2) * 5;
  int n = 0;
  for (int i = 0; i < 5; ++i) n += hand[i] != 0;
  return n;
}

// A captured piece goes into the partner board's hand; a promoted one as a pawn, a king never.
void TakeToHand(BoardRef& b, int square) {
  const int code = b.squares[square];
  if (!IsPiece(code) || TypeOf(code) == ptKing) return;
  const int handCode = b.marks[square] == 1 ? pcWPawn + ColourOf(code) : code;
  ++b.otherHoldings[SlotOf(handCode)];
}

// A piece landing on a corner takes the castling right that rook carried.
void ClearCornerRight(BoardRef& b, int square) {
  if (square == sq::h1) b.castling[0] = 0;
  if (square == sq::a1) b.castling[1] = 0;
  if (square == sq::h8) b.castling[2] = 0;
  if (square == sq::a8) b.castling[3] = 0;
}

}  // namespace

CKestroEngine::CKestroEngine(TwoBoardPosition position, int whiteA, int blackA, int whiteB, int blackB)
    : StartPosition(position) {
  for (std::string& s : Log) s.clear();
  SeatFlags[0] = whiteA != 0;
  SeatFlags[1] = blackA != 0;
  SeatFlags[2] = whiteB != 0;
  SeatFlags[3] = blackB != 0;
  Level = elRandom;
  DebugFlag = 0;
  Frames.resize(kSearchFrames);
}

CKestroEngine::~CKestroEngine() = default;

int CKestroEngine::NextSeat(int last) {
  switch (last) {
    case seatBlackA: return seatWhiteA;
    case seatWhiteA: return seatWhiteB;
    case seatWhiteB: return seatBlackB;
    default: return seatBlackA;
  }
}

void CKestroEngine::FindPins(const TwoBoardPosition& position, int board, int32_t* pins) const {
  ConstBoardRef b = BoardOf(position, board);
  std::fill_n(pins, kSquares, 0);
  for (int side = 0; side < 2; ++side) {
    const int king = b.kingSquare[side];
    if (!IsPlayingSquare(king) || b.squares[king] != pcWKing + side) continue;
    for (int step : kKingSteps) {
      const bool diagonal = std::abs(step) == 11 || std::abs(step) == 13;
      int s = king + step;
      while (OnBoardArray(s) && b.squares[s] == pcEmpty) s += step;
      if (!OnBoardArray(s) || !IsPiece(b.squares[s]) || ColourOf(b.squares[s]) != side) continue;
      const int own = s;
      s += step;
      while (OnBoardArray(s) && b.squares[s] == pcEmpty) s += step;
      if (!OnBoardArray(s) || !IsPiece(b.squares[s]) || ColourOf(b.squares[s]) == side) continue;
      const int type = TypeOf(b.squares[s]);
      if (type == ptQueen || type == (diagonal ? ptBishop : ptRook)) pins[own] = std::abs(step);
    }
  }
}

void CKestroEngine::ComputeBoardMaps(TwoBoardPosition& position, int board) const {
  Rules.ComputeAttackMaps(position, board);
}

int CKestroEngine::Attackers(const int32_t* squares, int square, int side) {
  AttackerCount = KnightAttackerCount = 0;
  CheapestAttacker = 13;
  if (!OnBoardArray(square) || squares[square] == pcBorder) return 0;
  const int colour = side % 2 == 0 ? 1 : 0;
  const int king = pcWKing + colour, defendingKing = pcWKing + 1 - colour;
  int count = 0;
  auto list = [&](int s) {
    if (count < 16) AttackerList[count++] = s;
    CheapestAttacker = std::min(CheapestAttacker, squares[s]);
  };
  auto walk = [&](int step, int slider) {
    for (int s = square + step;; s += step) {
      const int code = squares[s];
      if (code == slider || code == pcWQueen + colour) return list(s);
      if (code != pcEmpty && code != defendingKing) return;
    }
  };
  for (int step : kOrthogonal) {
    if (squares[square + step] == king) {
      list(square + step);
      break;
    }
    walk(step, pcWRook + colour);
  }
  for (int step : kDiagonal) {
    const int first = squares[square + step];
    const bool pawnStep = colour == 1 ? step == 11 || step == 13 : step == -11 || step == -13;
    if ((first == pcWPawn + colour && pawnStep) || first == king) {
      list(square + step);
      break;
    }
    walk(step, pcWBishop + colour);
  }
  for (int step : kKnightSteps) {
    if (squares[square + step] == pcWKnight + colour) {
      list(square + step);
      ++KnightAttackerCount;
    }
  }
  AttackerCount = count;
  return count;
}

void CKestroEngine::AddMove(int index, int kind, int from, int to, int promotion, int piece, int capture,
                            int epSquare, int castling) {
  if (index < 0 || index >= kEngineListSize) return;
  EngineMove& m = PseudoList.entries[index];
  m.kind = kind;
  m.from = from;
  m.to = to;
  m.promotion = promotion;
  m.piece = piece;
  m.capture = capture;
  m.epSquare = epSquare;
  m.castling = castling;
}

EngineMoveRecord CKestroEngine::GetMove(const EngineMoveList& list, int index) {
  const EngineMove& m = list.entries[index];
  EngineMoveRecord r;
  r.kind = m.kind;
  r.from = m.from;
  r.to = m.to;
  r.promotion = m.promotion;
  r.piece = m.piece;
  r.capture = m.capture;
  r.epSquare = m.epSquare;
  r.castling = m.castling;
  return r;
}

// Both pawns leave the rank at once, which the pin map does not see.
bool CKestroEngine::EnPassantKeepsKingSafe(const int32_t* squares, int from, int to, int taken, int side) {
  int32_t after[kSquares];
  std::copy_n(squares, kSquares, after);
  after[to] = after[from];
  after[from] = after[taken] = pcEmpty;
  int king = 0;
  for (int s = 26; s <= 117 && !king; ++s)
    if (after[s] == pcWKing + side) king = s;
  return king == 0 || Attackers(after, king, side) == 0;
}

void CKestroEngine::GenerateBoard(const TwoBoardPosition& position, int board, const int32_t* pins, int& count) {
  ConstBoardRef b = BoardOf(position, board);
  const int32_t* sq = b.squares;
  const int side = *b.sideToMove;
  const int ep = *b.epSquare;
  const int moveKind = board == 1 ? mkMoveA : mkMoveB;
  const int dropKind = (board == 1 ? mkWhiteDropA : mkWhiteDropB) + side;
  auto add = [&](int kind, int from, int to, int promotion, int piece, int capture, int epSquare, int castling) {
    if (count >= kEngineListSize) return;
    AddMove(count++, kind, from, to, promotion, piece, capture, epSquare, castling);
  };
  auto enemy = [&](int code) { return IsPiece(code) && ColourOf(code) != side; };
  for (int s = 26; s <= 117; ++s) {
    const int code = sq[s];
    if (code == pcEmpty) {
      const int base = side * 5;
      const int rank = Rank(s);
      if (b.holdings[base] > 0 && rank != 1 && rank != 8) add(dropKind, base, s, 0, pcWPawn + side, 0, 0, 0);
      for (int slot = base + 1; slot < base + 5; ++slot)
        if (b.holdings[slot] > 0) add(dropKind, slot, s, 0, CodeOfSlot(slot), 0, 0, 0);
      continue;
    }
    if (!IsPiece(code) || ColourOf(code) != side) continue;
    const int p = pins[s];
    switch (TypeOf(code)) {
      case ptPawn: {
        const int d = side == 0 ? 1 : -1;
        const int lastRank = side == 0 ? 8 : 1;
        auto pawnTo = [&](int to, int capture, int epSquare) {
          if (Rank(to) == lastRank) {
            add(moveKind, s, to, pcWQueen + side, code, capture, 0, 0);
            add(moveKind, s, to, pcWKnight + side, code, capture, 0, 0);
          } else {
            add(moveKind, s, to, 0, code, capture, epSquare, 0);
          }
        };
        for (int diagonal : {11, 13}) {
          if (p != 0 && p != diagonal) continue;
          const int to = s + d * diagonal;
          if (enemy(sq[to])) pawnTo(to, 1, 0);
          else if (ep != 0 && to == ep && sq[to] == pcEmpty && EnPassantKeepsKingSafe(sq, s, to, to - 12 * d, side))
            pawnTo(to, 0, to - 12 * d);
        }
        if (p == 0 || p == 12) {
          if (sq[s + 12 * d] == pcEmpty) {
            pawnTo(s + 12 * d, 0, 0);
            if (Rank(s) == (side == 0 ? 2 : 7) && sq[s + 24 * d] == pcEmpty) pawnTo(s + 24 * d, 0, 0);
          }
        }
        break;
      }
      case ptKnight:
        if (p != 0) break;
        for (int step : kKnightSteps) {
          const int to = s + step;
          if (sq[to] == pcEmpty || enemy(sq[to])) add(moveKind, s, to, 0, code, sq[to] != pcEmpty, 0, 0);
        }
        break;
      case ptBishop:
      case ptRook:
      case ptQueen: {
        const int type = TypeOf(code);
        for (int i = 0; i < 8; ++i) {
          const int step = i < 4 ? kDiagonal[i] : kOrthogonal[i - 4];
          if ((i < 4 && type == ptRook) || (i >= 4 && type == ptBishop)) continue;
          if (p != 0 && std::abs(step) != p) continue;
          for (int to = s + step;; to += step) {
            if (sq[to] == pcEmpty) {
              add(moveKind, s, to, 0, code, 0, 0, 0);
              continue;
            }
            if (enemy(sq[to])) add(moveKind, s, to, 0, code, 1, 0, 0);
            break;
          }
        }
        break;
      }
      case ptKing: {
        for (int step : kKingSteps) {
          const int to = s + step;
          if ((sq[to] == pcEmpty || enemy(sq[to])) && Attackers(sq, to, side) == 0)
            add(moveKind, s, to, 0, code, sq[to] != pcEmpty, 0, 0);
        }
        const int e = side == 0 ? sq::e1 : sq::e8, row = e - 4;  // row: a1 or a8
        if (s != e) break;
        const int rook = pcWRook + side;
        if (b.castling[2 * side] && sq[row + 7] == rook && sq[row + 5] == pcEmpty && sq[row + 6] == pcEmpty &&
            Attackers(sq, e, side) == 0 && Attackers(sq, row + 5, side) == 0 && Attackers(sq, row + 6, side) == 0)
          add(moveKind, e, row + 6, 0, code, 0, 0, side == 0 ? 1 : 3);
        if (b.castling[2 * side + 1] && sq[row] == rook && sq[row + 1] == pcEmpty && sq[row + 2] == pcEmpty &&
            sq[row + 3] == pcEmpty && Attackers(sq, e, side) == 0 && Attackers(sq, row + 3, side) == 0 &&
            Attackers(sq, row + 2, side) == 0)
          add(moveKind, e, row + 2, 0, code, 0, 0, side == 0 ? 2 : 4);
        break;
      }
      default:
        break;
    }
  }
}

void CKestroEngine::GeneratePseudoMoves(const TwoBoardPosition& position, int32_t& countAll, int32_t& countA,
                                        int32_t& countB) {
  FindPins(position, 1, Pins[0]);
  FindPins(position, 2, Pins[1]);
  int count = 0;
  GenerateBoard(position, 1, Pins[0], count);
  countA = count;
  GenerateBoard(position, 2, Pins[1], count);
  countAll = count;
  countB = countAll - countA;
  PseudoList.count = countAll;
  PseudoList.countA = countA;
  PseudoList.countB = countB;
}

// Packs the legal entries [begin, end) of the pseudo list for one board into `list` from `out`.
int CKestroEngine::FilterBoard(const TwoBoardPosition& position, int board, int begin, int end,
                               EngineMoveList& list, int out) {
  ConstBoardRef b = BoardOf(position, board);
  const int side = *b.sideToMove;
  const int k = b.kingSquare[side];
  const int n = Attackers(b.squares, k, side);
  const bool knight = KnightAttackerCount > 0;
  const int c = AttackerList[0];
  int d = 0, step = 0;
  if (n == 1 && !knight) {
    d = Distance(c, k);
    step = d ? (c - k) / d : 0;
  }
  for (int i = begin; i < end; ++i) {
    const EngineMove& m = PseudoList.entries[i];
    bool keep = n == 0 || m.from == k;
    if (!keep && n == 1) {
      keep = m.to == c || (m.epSquare != 0 && m.epSquare == c);  // en passant may take the checking pawn
      if (!keep && !knight && step != 0 && (m.to - k) % std::abs(step) == 0) {
        const int dist = Distance(m.to, k);
        keep = dist > 0 && dist < d && (m.to - k) / dist == step;
      }
    }
    if (keep) list.entries[out++] = m;
  }
  return out;
}

void CKestroEngine::GenerateMoves(TwoBoardPosition& position, EngineMoveList& list) {
  int32_t all = 0, countA = 0, countB = 0;
  GeneratePseudoMoves(position, all, countA, countB);
  const int sideA = position.sideToMoveA, sideB = position.sideToMoveB;
  const int nA = Attackers(position.boardA, position.kingSquare[sideA], sideA);
  const int nB = Attackers(position.boardB, position.kingSquare[2 + sideB], sideB);
  if (nA == 0 && nB == 0) {
    if (&list != &PseudoList) std::copy_n(PseudoList.entries, all, list.entries);
    list.count = all;
    list.countA = countA;
    list.countB = countB;
    return;
  }
  for (int seat = 0; seat < 4; ++seat) position.filledSlots[seat] = FilledSlots(position, seat);
  int out = FilterBoard(position, 1, 0, countA, list, 0);
  list.countA = out;
  out = FilterBoard(position, 2, countA, all, list, out);
  list.count = out;
  list.countB = out - list.countA;
}

int CKestroEngine::MakeMove(TwoBoardPosition& position, const EngineMoveRecord& move) const {
  if (move.kind < mkMoveA || move.kind > mkBlackDropB) return 0;
  const int board = IsBoardA(move.kind) ? 1 : 2;
  BoardRef b = BoardOf(position, board);
  const int side = *b.sideToMove;
  const int to = move.to;
  if (!IsPlayingSquare(to)) return 0;

  const bool drop = move.kind > mkMoveB || move.from < 26;
  if (drop) {
    int slot = 0;
    if (move.kind > mkMoveB) {
      slot = move.from;
    } else {
      const int code = IsPiece(move.piece) ? move.piece : move.from;
      if (!IsPiece(code) || TypeOf(code) == ptKing) return 0;
      slot = SlotOf(code);
    }
    if (slot < 0 || slot >= kSlots || b.holdings[slot] <= 0 || b.squares[to] != pcEmpty) return 0;
    b.squares[to] = CodeOfSlot(slot);
    b.marks[to] = 0;
    --b.holdings[slot];
    *b.epSquare = 0;
  } else {
    const int from = move.from;
    if (!IsPlayingSquare(from) || !IsPiece(b.squares[from])) return 0;
    const int piece = b.squares[from];
    if (move.promotion != 0) {
      if (!IsPiece(move.promotion) || TypeOf(move.promotion) == ptKing || TypeOf(move.promotion) == ptPawn)
        return 0;
      *b.epSquare = 0;
      TakeToHand(b, to);
      ClearCornerRight(b, to);
      b.squares[to] = move.promotion;
      b.marks[to] = 1;
      b.squares[from] = pcEmpty;
      b.marks[from] = 0;
    } else if (move.castling >= 1 && move.castling <= 4) {
      const int row = move.castling <= 2 ? sq::a1 : sq::a8;
      const bool shortSide = move.castling % 2 == 1;
      const int colour = move.castling <= 2 ? 0 : 1;
      const int kingTo = row + (shortSide ? 6 : 2), rookFrom = row + (shortSide ? 7 : 0);
      const int rookTo = row + (shortSide ? 5 : 3);
      b.squares[row + 4] = pcEmpty;
      b.marks[row + 4] = 0;
      b.squares[rookFrom] = pcEmpty;
      b.marks[rookFrom] = 0;
      b.squares[kingTo] = pcWKing + colour;
      b.squares[rookTo] = pcWRook + colour;
      b.marks[kingTo] = b.marks[rookTo] = 2;
      *b.epSquare = 0;
      b.castling[2 * colour] = b.castling[2 * colour + 1] = 0;
      b.kingSquare[colour] = kingTo;
    } else {
      *b.epSquare = 0;
      const int colour = ColourOf(piece);
      if (TypeOf(piece) == ptPawn && std::abs(to - from) == 24) *b.epSquare = from + (colour == 0 ? 12 : -12);
      if (piece == pcWRook && from == sq::a1) b.castling[1] = 0;
      if (piece == pcWRook && from == sq::h1) b.castling[0] = 0;
      if (piece == pcBRook && from == sq::a8) b.castling[3] = 0;
      if (piece == pcBRook && from == sq::h8) b.castling[2] = 0;
      if (TypeOf(piece) == ptKing) {
        b.castling[2 * colour] = b.castling[2 * colour + 1] = 0;
        b.kingSquare[colour] = to;
      }
      // En passant: the pawn taken stands beside the square passed over.
      const int taken = move.epSquare;
      if (TypeOf(piece) == ptPawn && b.squares[to] == pcEmpty && taken != 0 && IsPlayingSquare(taken) &&
          b.squares[taken] == pcWPawn + 1 - colour) {
        TakeToHand(b, taken);
        b.squares[taken] = pcEmpty;
        b.marks[taken] = 0;
      }
      TakeToHand(b, to);
      ClearCornerRight(b, to);
      b.squares[to] = piece;
      b.marks[to] = b.marks[from];
      b.squares[from] = pcEmpty;
      b.marks[from] = 0;
    }
  }
  const int seat = side + (board == 1 ? 0 : 2);
  position.clock[seat] -= move.thinkingTime;
  position.lagSum[seat] = 0;
  position.lastMoverSeat = seat;
  *b.sideToMove = 1 - side;
  return 1;
}

std::string CKestroEngine::MoveText(const TwoBoardPosition& position, int kind, int from, int to, int promotion,
                                    int pliesA, int pliesB) const {
  const int board = IsBoardA(kind) ? 1 : 2;
  ConstBoardRef b = BoardOf(position, board);
  const bool drop = kind > mkMoveB;
  int piece = 0;
  if (drop) piece = from % 5 * 2 + 2 + (kind == mkBlackDropA || kind == mkBlackDropB ? 1 : 0);
  else if (OnBoardArray(from)) piece = b.squares[from];
  if (piece < 0 || piece > 13) piece = 0;
  const int target = OnBoardArray(to) ? b.squares[to] : pcBorder;
  const bool capture = target != pcEmpty || (TypeOf(piece) == ptPawn && to == *b.epSquare && to != 0);
  const int colour = drop ? (kind == mkBlackDropA || kind == mkBlackDropB) : piece % 2;
  std::string text = Format("%d", ((board == 1 ? pliesA : pliesB) + 2) / 2);
  text += static_cast<char>(colour * 32 + board + 64);
  text += '.';
  if (drop) {
    text += kMoveLetters[piece];
    text += '@';
    text += SquareText(to);
  } else if (TypeOf(piece) == ptPawn) {
    if (capture) {
      text += static_cast<char>('a' + File(from));
      text += 'x';
    }
    text += SquareText(to);
    if (promotion >= 0 && promotion < 14 && promotion != 0) {
      text += '=';
      text += kMoveLetters[promotion];
    }
  } else if (TypeOf(piece) == ptKing && ((from == sq::e1 && to == sq::c1) || (from == sq::e8 && to == sq::c8))) {
    text += "O-O-O";
  } else if (TypeOf(piece) == ptKing && ((from == sq::e1 && to == sq::g1) || (from == sq::e8 && to == sq::g8))) {
    text += "O-O";
  } else if (TypeOf(piece) == ptKing) {
    text += 'K';
    if (capture) text += 'x';
    text += SquareText(to);
  } else {
    text += kMoveLetters[piece];
    text += SquareText(from);
    if (capture) text += 'x';
    text += SquareText(to);
  }
  text += '\n';
  return text;
}

void CKestroEngine::ChooseMove(EngineResultMove& result, TwoBoardPosition& position, EngineStatus& status,
                               std::string& tell) {
  tell.clear();
  for (int i = 0; i < 3; ++i) Log[i].clear();
  status = EngineStatus{1, 0, 0};
  CandidateList.count = CandidateList.countA = CandidateList.countB = 0;
  result = EngineResultMove{};

  GenerateMoves(position, LegalList);
  int32_t* statusOf[2] = {&status.boardA, &status.boardB};
  for (int board = 1; board <= 2; ++board) {
    ConstBoardRef b = BoardOf(std::as_const(position), board);
    const int side = *b.sideToMove;
    if (Attackers(b.squares, b.kingSquare[1 - side], 1 - side) > 0) *statusOf[board - 1] = 2;
  }
  for (int board = 1; board <= 2; ++board) {
    if ((board == 1 ? LegalList.countA : LegalList.countB) > 0) continue;
    ConstBoardRef b = BoardOf(std::as_const(position), board);
    const int side = *b.sideToMove;
    const bool plays = SeatFlags[SeatOf(board, side)] != 0;
    if (Attackers(b.squares, b.kingSquare[side], side) == 0) {
      if (plays) tell += " + I need something to drop I am in stalemate";
      continue;
    }
    auto copy = std::make_unique<TwoBoardPosition>(position);
    BoardOf(*copy, board).holdings[side * 5 + 4] = 1;
    auto scratch = std::make_unique<EngineMoveList>();
    GenerateMoves(*copy, *scratch);
    if ((board == 1 ? scratch->countA : scratch->countB) == 0) *statusOf[board - 1] = 1;
    else if (plays) tell += board == 1 ? " + Blocker needed on ABoard!" : " + Blocker needed on BBoard!";
  }
  status.any = status.boardA + status.boardB > 0 ? 1 : 0;
  if (status.any) return;

  const bool playsA = SeatFlags[SeatOf(1, position.sideToMoveA)] != 0;
  const bool playsB = SeatFlags[SeatOf(2, position.sideToMoveB)] != 0;
  if (LegalList.count == 0 || (!playsA && !playsB)) return;

  auto take = [&result](const EngineMove& m) { result = EngineResultMove{m.kind, m.from, m.to, m.promotion}; };
  if (Level == elRandom) {
    int lo = 0;
    if (LegalList.countA > 0 && !playsA) lo = LegalList.countA;
    const int hi = (LegalList.countB == 0 || !playsB) ? LegalList.countA - 1 : LegalList.count - 1;
    if (hi < lo) return;
    take(LegalList.entries[lo + static_cast<int>(Random() % static_cast<uint32_t>(hi - lo + 1))]);
  } else if (Level >= elRules && Level < elSearch) {
    ScoreMoves(position);
    if (CandidateList.count == 0) return;
    take(CandidateList.entries[Random() % static_cast<uint32_t>(CandidateList.count)]);
  } else if (Level == elSearch) {
    SearchRoot(position);
    if (BestRootMove.kind != 0)
      result = EngineResultMove{BestRootMove.kind, BestRootMove.from, BestRootMove.to, BestRootMove.promotion};
  }
}

void CKestroEngine::ScoreMoves(TwoBoardPosition& position) {
  auto work = std::make_unique<EngineMoveList>(LegalList);
  auto copy = std::make_unique<TwoBoardPosition>();
  int best = -30000;
  for (int board = 1; board <= 2; ++board) {
    const int side = board == 1 ? position.sideToMoveA : position.sideToMoveB;
    if (!SeatFlags[SeatOf(board, side)]) continue;
    const int d = side == 0 ? 1 : -1;
    const int opponent = SeatOf(board, 1 - side);
    const int K = BoardOf(position, board).kingSquare[side];
    const int begin = board == 1 ? 0 : work->countA;
    const int end = board == 1 ? work->countA : work->count;
    for (int i = begin; i < end; ++i) {
      EngineMove& m = work->entries[i];
      const int f = m.from, t = m.to, p = m.piece;
      const TwoBoardPosition* rules = &position;
      if (board == 2) {
        *copy = position;
        if (!m.capture && IsPlayingSquare(f)) copy->boardB[f] = pcEmpty;
        ComputeBoardMaps(*copy, 2);
        rules = copy.get();
      }
      ConstBoardRef b = BoardOf(*rules, board);
      const int32_t* balance = b.attackBalance;
      auto held = [&](int s) { return IsPlayingSquare(s) ? balance[s] * d : 0; };  // a hand slot holds nothing
      int r[7] = {};
      if (board == 1) {
        if (b.squares[t] == pcEmpty ? held(t) < 1 : held(t) < 0) r[0] = -Value(p);
        if (held(f) < 1) r[1] = Value(p);
      } else {
        if (held(t) < 0) r[0] = -Value(p);
        if (held(f) < 0) r[1] = Value(p);
      }
      if (m.capture) r[2] = Value(b.squares[t]);
      Attackers(b.squares, t, side);
      if (held(t) >= 0 && Value(CheapestAttacker) < Value(p)) r[3] = Value(CheapestAttacker) - Value(p);
      Attackers(b.squares, f, side);
      if (held(t) >= 0 && Value(CheapestAttacker) < Value(p)) r[4] = Value(p);
      bool nearKing = false;  // never for a drop, whose slot number is no square
      for (int step : {13, 12, 11, 1, -1, -11, -12, -13}) nearKing = nearKing || f == K + step;
      for (int n : {10, 23, 25, 14, 22, 24, 26}) nearKing = nearKing || f == K + d * n;
      if (nearKing && IsPlayingSquare(f) && held(f) < 1) r[5] = board == 1 ? -54 : -123;
      if (Level >= elKingSafety) {
        const int attackers = AttackerCount;
        *copy = position;
        BoardRef c = BoardOf(*copy, board);
        c.squares[t] = p;
        if (IsPlayingSquare(f)) c.squares[f] = pcEmpty;
        *c.sideToMove = 1 - side;
        if (IsPlayingSquare(K)) c.squares[K] = pcEmpty;
        ComputeBoardMaps(*copy, board);
        const int32_t* hand = c.holdings + (1 - side) * 5;
        const int kinds = position.filledSlots[opponent];
        const int H = kinds + hand[4];
        for (int step : {13, 12, 11, 1, -1, -11, -12, -13}) {
          const int z = K + step;
          if (!OnBoardArray(z) || c.squares[z] == pcBorder) continue;
          const int v = c.attackBalance[z] * d;
          if (v == 0) r[6] -= H * 300 + 300;
          else if (v < 0) r[6] -= H * 400 + 400;
        }
        for (int n : {10, 23, 25, 14, 22, 24, 26}) {
          const int z = K + d * n;
          if (!OnBoardArray(z) || c.squares[z] == pcBorder) continue;
          const int G = n == 22 || n == 24 || n == 26 ? kinds + hand[0] + hand[1] : kinds + hand[2];
          const int v = c.attackBalance[z] * d;
          if (v == 0) r[6] += G * attackers * -10;
          else if (v < 0) r[6] += G * attackers * -20;
        }
      }
      int score = 0;
      for (int v : r) score += v;
      m.spare = score;
      Log[0] += MoveText(position, m.kind, f, t, m.promotion, 0, 0);
      Log[0] += board == 1 ? " <" : " < ";
      for (int v : r) Log[0] += Format("%d ", v);
      Log[0] += Format("=%d> ", score);
      if (score > best) {
        best = score;
        CandidateList.count = CandidateList.countA = CandidateList.countB = 0;
      }
      if (score == best) {
        CandidateList.entries[CandidateList.count++] = m;
        ++(board == 1 ? CandidateList.countA : CandidateList.countB);
      }
    }
  }
}

// Whether the side to move on a board has a legal move; a king not in check
// with any pseudo move settles it without building the list.
bool CKestroEngine::HasMoveOnBoard(const TwoBoardPosition& position, int board) {
  ConstBoardRef b = BoardOf(position, board);
  const int side = *b.sideToMove;
  if (Attackers(b.squares, b.kingSquare[side], side) == 0) {
    const int32_t* hand = b.holdings + side * 5;
    const bool pieces = hand[1] > 0 || hand[2] > 0 || hand[3] > 0 || hand[4] > 0;
    for (int s = 26; s <= 117; ++s) {
      if (b.squares[s] != pcEmpty) continue;
      if (pieces || (hand[0] > 0 && Rank(s) != 1 && Rank(s) != 8)) return true;
    }
  }
  GenerateBoardMoves(position, board, *Scratch.list);
  return Scratch.list->count > 0;
}

// The legal moves of one board only, in the order GenerateMoves lists them.
void CKestroEngine::GenerateBoardMoves(const TwoBoardPosition& position, int board, EngineMoveList& list) {
  int32_t* pins = Pins[board - 1];
  FindPins(position, board, pins);
  int count = 0;
  GenerateBoard(position, board, pins, count);
  list.count = FilterBoard(position, board, 0, count, list, 0);
  list.countA = board == 1 ? list.count : 0;
  list.countB = board == 1 ? 0 : list.count;
}

int CKestroEngine::MateScore(const TwoBoardPosition& position) {
  int score = 0;
  for (int board = 1; board <= 2; ++board) {
    if (HasMoveOnBoard(position, board)) continue;
    TwoBoardPosition& copy = *Scratch.position;
    copy = position;
    BoardRef b = BoardOf(copy, board);
    b.holdings[*b.sideToMove * 5 + 4] = 1;
    if (!HasMoveOnBoard(copy, board)) score -= 20000;
  }
  return score;
}

int CKestroEngine::Evaluate(const TwoBoardPosition& position) {
  const int white = Rank(position.kingSquare[0]), black = Rank(position.kingSquare[1]);
  return position.sideToMoveA == 0 ? white - (9 - black) : (9 - black) - white;
}

void CKestroEngine::SearchRoot(TwoBoardPosition& position) {
  BestRootMove = EngineMoveRecord{};
  NodeCounter = 0;
  SearchNodes = 0;
  SearchDepthReached = -1;
  const int seat = NextSeat(position.lastMoverSeat);
  if (!SeatFlags[seat]) return;
  auto copy = std::make_unique<TwoBoardPosition>(position);
  EngineMoveRecord best;
  const std::string logStart = Log[0];
  for (int maxDepth = NodeLimit > 0 ? 0 : 4; maxDepth <= 4; ++maxDepth) {
    BestRootMove = EngineMoveRecord{};
    SearchAborted = false;
    Log[0] = logStart;
    SearchNode(*copy, maxDepth, 0, -30000, 30000);
    if (SearchAborted) break;
    // A depth whose lines all reach a seat not to move finds nothing: keep the last answer.
    if (BestRootMove.kind == 0) continue;
    best = BestRootMove;
    SearchDepthReached = maxDepth;
  }
  BestRootMove = best;
}

int CKestroEngine::Search(TwoBoardPosition& position, int maxDepth, int depth, int alpha, int beta) {
  SearchAborted = false;
  SearchNodes = 0;
  return SearchNode(position, maxDepth, depth, alpha, beta);
}

int CKestroEngine::SearchNode(TwoBoardPosition& position, int maxDepth, int depth, int alpha, int beta) {
  if (SearchAborted || depth < 0 || depth >= static_cast<int>(Frames.size())) return 0;
  const int mate = MateScore(position);
  if (mate != 0) return mate;
  if (depth > maxDepth) return Evaluate(position);
  const int seat = NextSeat(position.lastMoverSeat);
  const int board = seat < 2 ? 1 : 2;
  SearchFrame& frame = Frames[static_cast<size_t>(depth)];
  EngineMoveList* list = frame.list.get();
  TwoBoardPosition* next = frame.position.get();
  GenerateBoardMoves(position, board, *list);
  if (DebugFlag) Log[0] += Format(" Player%d ", seat);
  for (int i = 0; i < list->count; ++i) {
    *next = position;
    EngineMoveRecord move = GetMove(*list, i);
    move.thinkingTime = 1000;
    if (DebugFlag) {
      Log[0] += "\r\n" + std::string(static_cast<size_t>(2 * depth), ' ');
      Log[0] += MoveText(*next, move.kind, move.from, move.to, move.promotion, 2 * depth, 2 * depth);
      Log[0] += " < ";
    }
    MakeMove(*next, move);
    if (next->lastMoverSeat != seat) {
      if (DebugFlag) Log[0] += Format("OnMoveIsNot Player%d", seat) + Format(" but Player%d ", next->lastMoverSeat);
      return 31321;
    }
    const int score = -SearchNode(*next, maxDepth, depth + 1, -beta, -alpha);
    ++NodeCounter;
    if (NodeLimit > 0 && ++SearchNodes > NodeLimit) SearchAborted = true;
    if (SearchAborted) return 0;
    if (DebugFlag) Log[0] += Format("%d> ", score);
    if (score > alpha) {
      if (depth == 0) BestRootMove = move;
      alpha = score;
      if (score >= beta) return score;
    }
  }
  return alpha;
}
