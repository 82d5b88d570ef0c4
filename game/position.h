#pragma once
// Both boards of a bughouse game at one moment.
#include <cstdint>
#include <type_traits>

// Square codes: 0 border, 1 empty, then white/black pairs (even = white).
enum PieceCode : int32_t {
  pcBorder = 0,
  pcEmpty = 1,
  pcWPawn = 2, pcBPawn = 3,
  pcWBishop = 4, pcBBishop = 5,
  pcWKnight = 6, pcBKnight = 7,
  pcWRook = 8, pcBRook = 9,
  pcWQueen = 10, pcBQueen = 11,
  pcWKing = 12, pcBKing = 13,
};

// Piece types (code / 2).
enum PieceType : int32_t { ptPawn = 1, ptBishop = 2, ptKnight = 3, ptRook = 4, ptQueen = 5, ptKing = 6 };

// Seats: 0 WhiteA, 1 BlackA, 2 WhiteB, 3 BlackB.
enum Seat : int32_t { seatWhiteA = 0, seatBlackA = 1, seatWhiteB = 2, seatBlackB = 3 };
// The seat words, by seat: tag names of the players and default player names.
inline constexpr const char* kSeatWords[4] = {"WhiteA", "BlackA", "WhiteB", "BlackB"};

constexpr int kSquares = 144;
constexpr int kSlots = 10;
constexpr char kPieceLetters[] = "!.PpBbNnRrQqKk";       // by code
constexpr char kUpperPieceLetters[] = "!.PPBBNNRRQQKK";  // by code, both colours upper case

constexpr int SquareOf(int file, int rank) { return (rank + 2) * 12 + (file + 2); }
constexpr int FileOf(int square) { return (square - 26) % 12; }  // 0..7 on the board
constexpr int RankOf(int square) { return (square - 26) / 12; }  // 0..7 on the board
constexpr bool IsPlayingSquare(int square) {
  return square >= 26 && square <= 117 && (square - 26) % 12 < 8;
}
constexpr int ColourOf(int code) { return code % 2; }
constexpr int TypeOf(int code) { return code / 2; }
constexpr bool IsPiece(int code) { return code >= pcWPawn && code <= pcBKing; }
constexpr int SlotOf(int code) { return code / 2 - 1 + 5 * (code % 2); }
constexpr int CodeOfSlot(int slot) { return (slot % 5) * 2 + slot / 5 + 2; }
constexpr int SeatOf(int board, int side) { return (board == 1 ? 0 : 2) + side; }

namespace sq {
constexpr int a1 = 26, b1 = 27, c1 = 28, d1 = 29, e1 = 30, f1 = 31, g1 = 32, h1 = 33;
constexpr int e4 = 66;
constexpr int a8 = 110, b8 = 111, c8 = 112, d8 = 113, e8 = 114, f8 = 115, g8 = 116, h8 = 117;
}  // namespace sq

struct TwoBoardPosition {
  int32_t boardA[kSquares] = {};
  int32_t boardB[kSquares] = {};
  int32_t marksA[kSquares] = {};  // 0 plain, 1 promoted, 2 castled king or rook
  int32_t marksB[kSquares] = {};
  int32_t pinsA[kSquares] = {};   // 0 or the absolute ray step of the pin
  int32_t pinsB[kSquares] = {};
  int32_t sideToMoveA = 0, sideToMoveB = 0;
  int32_t epSquareA = 0, epSquareB = 0;
  int32_t castlingA[4] = {};  // white O-O, white O-O-O, black O-O, black O-O-O
  int32_t castlingB[4] = {};
  int32_t holdingsA[kSlots] = {};
  int32_t holdingsB[kSlots] = {};
  int32_t filledSlots[4] = {};
  int32_t clock[4] = {};         // ms, by seat
  int32_t lag[4] = {};
  int32_t lagCredit[4] = {};
  int32_t runningClock[4] = {};
  int32_t lagSum[4] = {};
  int32_t kingSquare[4] = {};    // white A, black A, white B, black B
  int32_t coinSquare[2] = {};
  int32_t attackBalanceA[kSquares] = {}, whiteAttackersA[kSquares] = {}, blackAttackersA[kSquares] = {};
  int32_t attackBalanceB[kSquares] = {}, whiteAttackersB[kSquares] = {}, blackAttackersB[kSquares] = {};
  int32_t lastMoverSeat = 0;
};

// One board's fields of a position; board 1 is A, any other value B.
template <typename I>
struct BoardRefT {
  I* squares;
  I* marks;
  I* pins;
  I* sideToMove;
  I* epSquare;
  I* castling;
  I* holdings;
  I* attackBalance;
  I* whiteAttackers;
  I* blackAttackers;
  I* kingSquare;  // [0] white king, [1] black king of this board
  I* coinSquare;
  I* otherHoldings;  // the partner board's holding, where captures go
  int board;         // 1 or 2
};
using BoardRef = BoardRefT<int32_t>;
using ConstBoardRef = BoardRefT<const int32_t>;

template <typename P>
auto BoardOf(P& p, int board) {
  using I = std::conditional_t<std::is_const_v<P>, const int32_t, int32_t>;
  if (board == 1)
    return BoardRefT<I>{p.boardA, p.marksA, p.pinsA, &p.sideToMoveA, &p.epSquareA, p.castlingA,
                        p.holdingsA, p.attackBalanceA, p.whiteAttackersA, p.blackAttackersA,
                        &p.kingSquare[0], &p.coinSquare[0], p.holdingsB, 1};
  return BoardRefT<I>{p.boardB, p.marksB, p.pinsB, &p.sideToMoveB, &p.epSquareB, p.castlingB,
                      p.holdingsB, p.attackBalanceB, p.whiteAttackersB, p.blackAttackersB,
                      &p.kingSquare[2], &p.coinSquare[1], p.holdingsA, 2};
}
