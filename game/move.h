#pragma once
// One move of a game record, and one entry of the legal-move list.
#include <cstdint>
#include <string>

#include "game/position.h"

struct BpgnMove {
  std::string token;          // e.g. 12a.Ng1f3{118}{C:[T:5300][L:120]}
  int32_t serial = 0;         // 1-based place in the game's record
  int32_t board = 0;          // 1 A, 2 B
  int32_t moveNumber = 0;     // 999 when it does not read
  int32_t side = 0;           // 0 white, 1 black
  int32_t moverSeat = 0;
  int32_t nextSeat = 0;
  int32_t captured = 0;       // code of the captured piece (promoted counts as pawn)
  int32_t dropped = 0;        // code of the dropped piece
  int32_t castlingKind = 0;   // 1 white O-O, 2 white O-O-O, 3 black O-O, 4 black O-O-O
  int32_t promotion = 0;      // 1 when a pawn promotes
  int32_t landingPiece = 0;   // code on the to-square afterwards (the rook when castling)
  int32_t from = 0;           // 0 for a drop
  int32_t to = 0;
  int32_t candidates[8] = {};
  int32_t candidateCount = 0;
  int32_t clockSeconds = 0;
  int32_t hasTimeStamp = 0;
  int32_t thinkingTime = 0;   // T, ms
  int32_t lag = 0;            // L, ms
  int32_t bracePosition = 0;  // 1-based position of the first "{"
  int32_t epVictim = 0;       // square of a pawn taken en passant
  int32_t newEp = 0;          // en-passant square the move leaves
  int32_t lagCompensatorSet = 0;    // 1 when the token sets LagCompensatorRead ...
  int32_t lagCompensatorValue = 0;  // ... to this value
  // 1 when the move player played the token; the fields above then say all
  // that playing it again on the same board does (see ApplyPlayedMove).
  int32_t played = 0;
};

// The rook's squares in a castling of the given kind (as in BpgnMove).
constexpr int CastlingRookFrom(int castlingKind) {
  return SquareOf(castlingKind % 2 == 0 ? 0 : 7, castlingKind >= 3 ? 7 : 0);
}
constexpr int CastlingRookTo(int castlingKind) {
  return SquareOf(castlingKind % 2 == 0 ? 3 : 5, castlingKind >= 3 ? 7 : 0);
}

// Kinds of legal-move entries.
enum MoveKind : int32_t {
  mkMoveA = 1,
  mkMoveB = 2,
  mkWhiteDropA = 3,
  mkBlackDropA = 4,
  mkWhiteDropB = 5,
  mkBlackDropB = 6,
};

struct LegalMoveEntry {
  int32_t kind = 0;
  int32_t from = 0;       // from-square, or the holding slot of a drop
  int32_t to = 0;
  int32_t promotion = 0;  // code the pawn becomes, 0 for none
  int32_t piece = 0;
  int32_t capture = 0;    // 1 when the to-square is occupied
};
