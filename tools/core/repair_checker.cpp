#include "tools/core/repair_checker.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "game/bytes.h"

namespace repair {

namespace {

const char kBackRank[8] = {'R', 'N', 'B', 'Q', 'K', 'B', 'N', 'R'};

int TypeCodeOf(char letter) {
  switch (letter) {
    case 'P': return pcWPawn;
    case 'B': return pcWBishop;
    case 'N': return pcWKnight;
    case 'R': return pcWRook;
    case 'Q': return pcWQueen;
    case 'K': return pcWKing;
    default: return 0;
  }
}

// The square named by a file and a rank character, 0 when either is off the board.
int SquareOfChars(char file, char rank) {
  if (file < 'a' || file > 'h' || rank < '1' || rank > '8') return 0;
  return file + 12 * (rank - '0') - 83;
}

// The square `ranks` ranks behind `to` as the mover sees it.
int Behind(int to, int side, int ranks = 1) { return side == 0 ? to - 12 * ranks : to + 12 * ranks; }

int Refuse(std::string& log, const char* reason) {
  log += "\r\nErr: ";
  log += reason;
  return 0;
}

void ToHolding(int32_t* holdings, int code, int delta) {
  if (IsPiece(code) && code < pcWKing) holdings[SlotOf(code)] += delta;
}

// The code a capture hands on: a promoted piece as a pawn of its colour.
int CapturedCode(int code, int mark) {
  if (code == pcEmpty || code == pcBorder) return 0;
  return mark == 1 ? code % 2 + 2 : code;
}

constexpr std::array<int, 4> kDiagonal = {11, -11, 13, -13};
constexpr std::array<int, 4> kStraight = {12, -12, 1, -1};
constexpr std::array<int, 8> kKingSteps = {11, -11, 13, -13, 12, -12, 1, -1};
constexpr std::array<int, 8> kKnight = {10, -10, 14, -14, 23, -23, 25, -25};

}  // namespace

void CompactPosition::Reset() {
  for (int s = 0; s < kSquares; ++s) {
    boardA[s] = boardB[s] = pcBorder;
    marksA[s] = marksB[s] = 0;
  }
  for (int file = 0; file < 8; ++file) {
    const int white = TypeCodeOf(kBackRank[file]);
    for (int32_t* board : {boardA, boardB}) {
      board[SquareOf(file, 0)] = white;
      board[SquareOf(file, 1)] = pcWPawn;
      for (int rank = 2; rank < 6; ++rank) board[SquareOf(file, rank)] = pcEmpty;
      board[SquareOf(file, 6)] = pcBPawn;
      board[SquareOf(file, 7)] = white + 1;
    }
  }
  for (int i = 0; i < kSlots; ++i) holdingsA[i] = holdingsB[i] = 0;
  for (int i = 0; i < 4; ++i) {
    castlingA[i] = castlingB[i] = 1;
    clock[i] = 3000;
    lag[i] = 0;
  }
  sideToMoveA = sideToMoveB = 0;
  epSquareA = epSquareB = 0;
  kingSquare[0] = kingSquare[2] = sq::e1;
  kingSquare[1] = kingSquare[3] = sq::e8;
}

void CompactPosition::ComputePins(int board) {
  BoardRef b = BoardOf(*this, board);
  for (int s = 0; s < kSquares; ++s) b.pins[s] = 0;
  for (int colour = 0; colour < 2; ++colour) {
    const int king = b.kingSquare[colour];
    if (king == 0) continue;
    for (int diagonal = 1; diagonal >= 0; --diagonal) {
      for (int step : diagonal ? kDiagonal : kStraight) {
        int candidate = 0;
        for (int s = king + step; s > 0 && s < kSquares; s += step) {
          const int code = b.squares[s];
          if (code == pcEmpty) continue;
          if (code == pcBorder) break;
          if (code % 2 == colour) {
            if (candidate) break;
            candidate = s;
            continue;
          }
          const int type = TypeOf(code);
          const bool pinner = type == ptQueen || (diagonal ? type == ptBishop : type == ptRook);
          if (pinner && candidate) b.pins[candidate] = std::abs(step);
          break;
        }
      }
    }
  }
}

std::string CompactPosition::Dump() const {
  auto clockText = [&](int seat) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d.%d", clock[seat] / 10, clock[seat] % 10);
    return std::string(buf);
  };
  auto holding = [](const int32_t* h, int colour, bool upper) {
    const char* letters = upper ? "PBNRQ" : "pbnrq";
    std::string out;
    for (int i = 0; i < 5; ++i) out += letters[i] + std::to_string(h[i + 5 * colour]);
    return out;
  };
  auto letter = [](int code) { return code >= 0 && code <= 13 ? kPieceLetters[code] : '?'; };
  auto ep = [](int square) {
    if (square == 0) return std::string("No");
    return std::string(1, static_cast<char>((square - 26) % 12 + 'a')) + std::to_string((square - 26) / 12 + 1);
  };
  std::string d = " ----------------------\n";
  d += "  T:" + clockText(seatBlackA) + "s  T:" + clockText(seatWhiteB) + "s\n";
  d += " " + holding(holdingsA, 1, false) + " " + holding(holdingsB, 0, true) + "\n";
  d += "  +--------++--------+ \n";
  for (int i = 1; i <= 8; ++i) {
    d += " " + std::to_string(9 - i) + "|";
    for (int file = 0; file < 8; ++file) d += letter(boardA[SquareOf(file, 8 - i)]);
    d += "||";
    for (int file = 7; file >= 0; --file) d += letter(boardB[SquareOf(file, i - 1)]);
    d += "|" + std::to_string(i) + "\n";
  }
  d += "  +--------++--------+ \n";
  d += "   abcdefgh  hgfedcba\n\n";
  d += " " + holding(holdingsA, 0, true) + " " + holding(holdingsB, 1, false) + "\n";
  d += "  T:" + clockText(seatWhiteA) + "s  T:" + clockText(seatBlackB) + "s \n";
  d += " ----------------------\n";
  d += "Aenpassant:" + ep(epSquareA) + " Benpassant:" + ep(epSquareB);
  return d;
}

int CheckAndPlayMove(CompactPosition& pos, BpgnMove& move, std::string& log) {
  move.from = move.clockSeconds = move.captured = move.dropped = move.castling = move.promotion = move.piece = 0;
  move.candidateCount = 1;
  const std::string& text = move.text;
  move.bracePos = bytes::Pos("{", text);
  std::string w;
  if (move.bracePos) {
    const int close = bytes::Pos("}", text, move.bracePos);
    move.clockSeconds = bytes::ToIntDef(bytes::Copy(text, move.bracePos + 1, close - move.bracePos - 1), 999);
    w = bytes::Copy(text, 1, move.bracePos - 1);
  } else {
    move.clockSeconds = 999;
    const int close = bytes::Pos("}", text);
    w = close ? bytes::Copy(text, 1, close - 1) : text;
  }
  const int n = static_cast<int>(w.size());
  const int dotAt = bytes::Pos(".", w);
  const int xAt = bytes::Pos("x", w);
  const int atAt = bytes::Pos("@", w);
  if (dotAt < 2 || dotAt >= n) return Refuse(log, "Move text too short.");

  const char boardChar = bytes::At(w, dotAt - 1);
  const int board = (boardChar == 'A' || boardChar == 'a') ? 1 : 2;
  const int side = boardChar == (board == 1 ? 'A' : 'B') ? 0 : 1;
  move.board = board;
  move.side = side;
  move.moveNumber = bytes::ToIntDef(bytes::Copy(w, 1, dotAt - 2), 999);
  pos.ComputePins(board);
  BoardRef b = BoardOf(pos, board);
  int32_t* squares = b.squares;
  int32_t* marks = b.marks;

  auto finish = [&]() {
    pos.clock[SeatOf(board, side)] = bytes::Clamp32(static_cast<int64_t>(move.clockSeconds) * 10);
    *b.sideToMove = 1 - side;
    return 1;
  };

  const char c = bytes::At(w, dotAt + 1);
  if (c == 'O' || c == '0' || c == 'o') {
    const bool queenSide = bytes::At(w, n - 3) == '-';
    const int home = side == 0 ? 0 : 84;  // rank offset of the back rank
    const int king = sq::e1 + home, rook = (queenSide ? sq::a1 : sq::h1) + home;
    const char* name = queenSide ? "O-O-O" : "O-O";
    const char rankChar = side == 0 ? '1' : '8';
    if (squares[king] != pcWKing + side)
      return Refuse(log, (std::string("K not on e") + rankChar + " for " + name).c_str());
    if (squares[rook] != pcWRook + side)
      return Refuse(log, (std::string("R not on ") + (queenSide ? 'a' : 'h') + rankChar + " for " + name).c_str());
    const int firstBetween = queenSide ? rook + 1 : king + 1, lastBetween = queenSide ? king - 1 : rook - 1;
    for (int s = firstBetween; s <= lastBetween; ++s)
      if (squares[s] != pcEmpty) return Refuse(log, (std::string("Not empty squares for ") + name).c_str());
    if (marks[king] != 0 || marks[rook] != 0)
      return Refuse(log, (std::string("Not possible ") + name + " because of K or R already moved.").c_str());
    const int kingTo = queenSide ? king - 2 : king + 2, rookTo = queenSide ? king - 1 : king + 1;
    squares[king] = squares[rook] = pcEmpty;
    squares[kingTo] = pcWKing + side;
    squares[rookTo] = pcWRook + side;
    marks[kingTo] = marks[rookTo] = 2;
    *b.epSquare = 0;
    b.kingSquare[side] = kingTo;
    move.castling = side * 2 + (queenSide ? 2 : 1);
    move.piece = pcWRook + side;
    move.from = rook;
    move.to = rookTo;
    return finish();
  }

  if (bytes::At(w, n - 1) == '=') {
    const int to = SquareOfChars(bytes::At(w, n - 3), bytes::At(w, n - 2));
    const int from = xAt ? SquareOfChars(bytes::At(w, xAt - 1), '1') : 0;
    const int behind = to ? Behind(to, side) : 0;
    const int fromSquare = xAt ? (from ? behind - to % 12 + from % 12 : 0) : behind;
    if (!to || !IsPlayingSquare(fromSquare)) return Refuse(log, "Square outside the chessboard.");
    move.to = to;
    move.from = fromSquare;
    move.promotion = 1;
    move.piece = (bytes::At(w, n) == 'N' ? pcWKnight : pcWQueen) + side;
    if (xAt) {
      move.captured = CapturedCode(squares[to], marks[to]);
      ToHolding(b.otherHoldings, move.captured, 1);
    }
    *b.epSquare = 0;
    squares[to] = move.piece;
    marks[to] = 1;
    squares[fromSquare] = pcEmpty;
    marks[fromSquare] = 0;
    return finish();
  }

  const int to = SquareOfChars(bytes::At(w, n - 1), bytes::At(w, n));
  if (!to) return Refuse(log, "Square outside the chessboard.");
  move.to = to;
  const int typeCode = TypeCodeOf(c);

  if (typeCode && c != 'P') {
    const int piece = typeCode + side;
    move.piece = piece;
    if (squares[to] != pcEmpty) move.captured = CapturedCode(squares[to], marks[to]);
    if (atAt) {
      if (c == 'K') return Refuse(log, "'K@' King cannot be dropped!");
      move.dropped = piece;
      *b.epSquare = 0;
      squares[to] = piece;
      marks[to] = 0;
      b.holdings[SlotOf(piece)] -= 1;
      return finish();
    }
    const int k = xAt ? xAt - dotAt - 2 : n - dotAt - 3;
    int wantFile = 0, wantRank = 0;
    if (k == 2) {
      wantFile = bytes::At(w, dotAt + 2) - 'a' + 1;
      wantRank = bytes::At(w, dotAt + 3) - '1' + 1;
    } else if (k != 0) {
      const char d = bytes::At(w, dotAt + 2);
      if (d < 'a') wantRank = d - '1' + 1;
      else wantFile = d - 'a' + 1;
    }
    int count = 0;
    auto consider = [&](int s) {
      if (wantRank && (s - 26) / 12 + 1 != wantRank) return;
      if (wantFile && (s - 26) % 12 + 1 != wantFile) return;
      if (count < 8) move.candidates[count] = s;
      ++count;
    };
    const int type = TypeOf(piece);
    if (type == ptKing || type == ptKnight) {
      for (int step : type == ptKing ? kKingSteps : kKnight) {
        const int s = to + step;
        if (squares[s] != piece || (type == ptKnight && b.pins[s] != 0)) continue;
        consider(s);
      }
    } else {
      for (int diagonal = 1; diagonal >= 0; --diagonal) {
        if (diagonal ? type == ptRook : type == ptBishop) continue;
        for (int step : diagonal ? kDiagonal : kStraight) {
          int s = to + step;
          while (s > 0 && s < kSquares && squares[s] == pcEmpty) s += step;
          if (s <= 0 || s >= kSquares || squares[s] != piece) continue;
          if (b.pins[s] == 0 || b.pins[s] == std::abs(step)) consider(s);
        }
      }
    }
    move.candidateCount = count;
    if (count != 1) return Refuse(log, "More than 1 possible SquareFrom founded");
    const int from = move.candidates[0];
    move.from = from;
    squares[from] = pcEmpty;
    ToHolding(b.otherHoldings, move.captured, 1);
    squares[to] = piece;
    *b.epSquare = 0;
    marks[to] = marks[from];
    marks[from] = 0;
    if (type == ptKing) b.kingSquare[side] = to;
    return finish();
  }

  if (c == 'P') {
    move.dropped = move.piece = pcWPawn + side;
    *b.epSquare = 0;
    squares[to] = move.piece;
    marks[to] = 0;
    b.holdings[SlotOf(move.piece)] -= 1;
    return finish();
  }

  move.piece = pcWPawn + side;
  int from;
  if (xAt) {
    const int file = SquareOfChars(bytes::At(w, xAt - 1), '1');
    from = file ? Behind(to, side) - to % 12 + file % 12 : 0;
    if (!IsPlayingSquare(from)) return Refuse(log, "Square outside the chessboard.");
    if (marks[to] == 1) {
      move.captured = squares[to] % 2 + 2;
    } else if (to == *b.epSquare) {
      move.captured = pcWPawn + (1 - side);
      const int passed = Behind(to, side);
      squares[passed] = pcEmpty;
      marks[passed] = 0;
    } else {
      move.captured = CapturedCode(squares[to], 0);
    }
    ToHolding(b.otherHoldings, move.captured, 1);
    *b.epSquare = 0;
  } else {
    from = squares[Behind(to, side)] != pcEmpty ? Behind(to, side) : Behind(to, side, 2);
    if (squares[from] != pcWPawn && squares[from] != pcBPawn) return Refuse(log, "No pawn founded to make move.");
    *b.epSquare = to - from == 24 ? to - 12 : to - from == -24 ? to + 12 : 0;
  }
  move.from = from;
  squares[from] = pcEmpty;
  marks[from] = 0;
  squares[to] = move.piece;
  marks[to] = 0;
  return finish();
}

namespace {

void Strip(std::string& text, bool dropTimeComments) {
  std::string out;
  out.reserve(text.size());
  int depth = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (dropTimeComments && ch == '{' && i + 2 < text.size() && text[i + 2] == ':' &&
        (text[i + 1] == 'C' || text[i + 1] == 'A')) {
      const size_t close = text.find('}', i);
      if (close == std::string::npos) break;
      i = close;
      continue;
    }
    switch (ch) {
      case '\t': case '\n': case '\r': case '#': case '+':
        continue;
      case ' ':
        if (depth > 0) out += ch;
        continue;
      case '{': ++depth; break;
      case '}': --depth; break;
      default: break;
    }
    out += ch;
  }
  text = std::move(out);
}

}  // namespace

void StripMoveText(std::string& text) { Strip(text, false); }
void StripMoveTextAndComments(std::string& text) { Strip(text, true); }

}  // namespace repair
