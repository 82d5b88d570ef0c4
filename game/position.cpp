#include <cstring>

#include "game/kestro_game.h"

namespace {

// Ingols promotion pieces by to-square: the piece that starts on that square.
struct IngolsPromotion {
  int square;
  int code;
};
constexpr IngolsPromotion kIngolsWhite[] = {
    {SquareOf(6, 5), pcWKnight}, {SquareOf(7, 5), pcWBishop}, {SquareOf(5, 6), pcWBishop},
    {SquareOf(6, 6), pcWQueen},  {SquareOf(7, 6), pcWRook},   {SquareOf(5, 7), pcWKnight},
    {SquareOf(6, 7), pcWRook},   {SquareOf(7, 7), pcWKing}};
constexpr IngolsPromotion kIngolsBlack[] = {
    {SquareOf(0, 0), pcBKing},   {SquareOf(1, 0), pcBRook},  {SquareOf(2, 0), pcBKnight},
    {SquareOf(0, 1), pcBRook},   {SquareOf(1, 1), pcBQueen}, {SquareOf(2, 1), pcBBishop},
    {SquareOf(0, 2), pcBBishop}, {SquareOf(1, 2), pcBKnight}};

struct StartPosition {
  const char* ranks;  // rank 8 to rank 1, files a to h, '.' empty, '/' between ranks
  int32_t clockMs;
  int32_t castling;   // every right 1 or 0
  bool coinOnE4;
  bool touchCoin;
};

constexpr StartPosition kStandard{"rnbqkbnr/pppppppp/......../......../......../......../PPPPPPPP/RNBQKBNR",
                                  180000, 1, false, true};
constexpr StartPosition kRqbn{"rqbnkbnr/pppppppp/......../......../......../......../PPPPPPPP/RQBNKBNR",
                              180000, 1, false, true};
constexpr StartPosition kR3k2r{"r...k..r/.nbq.bn./pppppppp/......../......../PPPPPPPP/.NBQ.BN./R...K..R",
                               300000, 1, false, true};
constexpr StartPosition kQrrbb{"qrrbb.nn/kpp...../ppp...../ppp...../.....PPP/.....PPP/.....PPK/NN.BBRRQ",
                               300000, 0, false, true};
constexpr StartPosition kKingsOnly{"....k.../......../......../......../......../......../......../....K...",
                                   180000, 0, false, true};
constexpr StartPosition kCoin{"rnbqkbnr/pppppppp/......../......../......../......../PPPPPPPP/RNBQKBNR",
                              300000, 1, true, true};
constexpr StartPosition kIngols{"....pnrk/....pbqr/....ppnb/....pppp/PPPP..../BNPP..../RQBP..../KRNP....",
                                300000, 0, false, false};

// Piece code of each letter of kPieceLetters past the first two, pcEmpty for
// any other character.
struct LetterCodes {
  int8_t code[256] = {};
  constexpr LetterCodes() {
    for (int i = 0; i < 256; ++i) code[i] = pcEmpty;
    for (int piece = pcWPawn; piece <= pcBKing; ++piece)
      code[static_cast<unsigned char>(kPieceLetters[piece])] = static_cast<int8_t>(piece);
  }
};
constexpr LetterCodes kLetterCodes;

int CodeOfLetter(char c) { return kLetterCodes.code[static_cast<unsigned char>(c)]; }

void FillBoard(int32_t* squares, const char* ranks) {
  for (int i = 0; i < kSquares; ++i) squares[i] = pcBorder;
  int rank = 7, file = 0;
  for (const char* c = ranks; *c; ++c) {
    if (*c == '/') {
      --rank;
      file = 0;
      continue;
    }
    squares[SquareOf(file++, rank)] = CodeOfLetter(*c);
  }
}

// Writes a set-up onto both boards. Pins and attack maps are left to callers.
void ApplySetup(TwoBoardPosition& p, const StartPosition& s, bool keepSides) {
  for (int b = 1; b <= 2; ++b) {
    BoardRef r = BoardOf(p, b);
    FillBoard(r.squares, s.ranks);
    std::memset(r.marks, 0, sizeof(int32_t) * kSquares);
    for (int i = 0; i < 4; ++i) r.castling[i] = s.castling;
    for (int i = 0; i < kSlots; ++i) r.holdings[i] = 0;
    *r.epSquare = 0;
    if (!keepSides) *r.sideToMove = 0;
    for (int square = 26; square <= 117; ++square) {
      if (r.squares[square] == pcWKing) r.kingSquare[0] = square;
      if (r.squares[square] == pcBKing) r.kingSquare[1] = square;
    }
    if (s.touchCoin) *r.coinSquare = s.coinOnE4 ? sq::e4 : 0;
  }
  for (int seat = 0; seat < 4; ++seat) {
    p.clock[seat] = s.clockMs;
    p.runningClock[seat] = s.clockMs;
    p.lag[seat] = 0;
    p.lagCredit[seat] = 0;
    p.lagSum[seat] = 0;
  }
}

}  // namespace

CKestroGame::CKestroGame() {
  for (const auto& e : kIngolsWhite) IngolsPromotionWhite[e.square] = e.code;
  for (const auto& e : kIngolsBlack) IngolsPromotionBlack[e.square] = e.code;
  LegalMoves.reserve(1001);
}

std::string CKestroGame::SquareName(int square) {
  std::string name(2, ' ');
  name[0] = static_cast<char>((square - 26) % 12 + 'a');
  name[1] = static_cast<char>((square - 26) / 12 + '1');
  return name;
}

int CKestroGame::SquareFromName(char file, char rank) {
  if (file < 'a' || file > 'h' || rank < '1' || rank > '8') return 0;
  return file + 12 * (rank - '0') - 83;
}

int CKestroGame::SquareOwner(int area, int index, const TwoBoardPosition& position) const {
  auto onBoard = [&](const int32_t* squares, int emptyResult, int seatBase) {
    if (index < 0 || index >= kSquares) return -3;
    int code = squares[index];
    if (code == pcEmpty) return emptyResult;
    return code % 2 + seatBase;
  };
  switch (area) {
    case 1: return onBoard(position.boardA, -2, 0);
    case 2: return onBoard(position.boardB, -1, 2);
    case 3: return 0;
    case 4: return 1;
    case 5: return 2;
    case 6: return 3;
    default: return -3;
  }
}

int CKestroGame::MovePieceInPosition(int fromArea, int fromIndex, int toArea, int toIndex,
                                     TwoBoardPosition& position) {
  // All or nothing: every check comes before the first change.
  auto isBoard = [](int area) { return area == 1 || area == 2; };
  auto isHand = [](int area) { return area >= 3 && area <= 6; };
  auto holdingOf = [&](int area) { return area <= 4 ? position.holdingsA : position.holdingsB; };

  if (fromArea == 7 || fromArea == 8) {
    if (toIndex < 10 || toIndex > 13) return 0;
    int32_t* rights = fromArea == 7 ? position.castlingA : position.castlingB;
    rights[toIndex - 10] = rights[toIndex - 10] ? 0 : 1;
    return 1;
  }

  int piece;
  if (isBoard(fromArea)) {
    if (!IsPlayingSquare(fromIndex)) return 0;
    piece = BoardOf(position, fromArea).squares[fromIndex];
  } else if (isHand(fromArea)) {
    if (fromIndex < 0 || fromIndex >= kSlots || holdingOf(fromArea)[fromIndex] < 1) return 0;
    piece = CodeOfSlot(fromIndex);
  } else {
    return 0;
  }

  if (isBoard(toArea)) {
    if (!IsPlayingSquare(toIndex)) return 0;
    if (BoardOf(position, toArea).squares[toIndex] != pcEmpty) return 0;
  } else if (isHand(toArea)) {
    if (toIndex < 0 || toIndex >= kSlots) return 0;
  } else {
    return 0;
  }
  // A king stays on its own board: it never goes into a hand or across.
  if (TypeOf(piece) == ptKing && IsPiece(piece) && toArea != fromArea) return 0;

  // Source.
  bool movesCoin = false;
  if (isBoard(fromArea)) {
    BoardRef from = BoardOf(position, fromArea);
    movesCoin = GameKind == gkCoin && piece == pcEmpty && *from.coinSquare == fromIndex && fromArea == toArea;
    from.squares[fromIndex] = pcEmpty;
  } else {
    --holdingOf(fromArea)[fromIndex];
  }

  // Target.
  if (isBoard(toArea)) {
    BoardRef to = BoardOf(position, toArea);
    to.squares[toIndex] = piece;
    if (piece == pcWKing) to.kingSquare[0] = toIndex;
    if (piece == pcBKing) to.kingSquare[1] = toIndex;
    if (movesCoin) *to.coinSquare = toIndex;
  } else {
    ++holdingOf(toArea)[toIndex];
  }
  return 1;
}

void CKestroGame::SetupStandardPosition(TwoBoardPosition& p) const { ApplySetup(p, kStandard, false); }
void CKestroGame::SetupPositionRqbn(TwoBoardPosition& p) const { ApplySetup(p, kRqbn, false); }
void CKestroGame::SetupPositionR3k2r(TwoBoardPosition& p) const { ApplySetup(p, kR3k2r, false); }
void CKestroGame::SetupPositionQrrbb(TwoBoardPosition& p) const { ApplySetup(p, kQrrbb, false); }
void CKestroGame::SetupCoinPosition(TwoBoardPosition& p) const { ApplySetup(p, kCoin, false); }
void CKestroGame::SetupIngolsPosition(TwoBoardPosition& p) const { ApplySetup(p, kIngols, false); }

void CKestroGame::SetupKingsOnly(TwoBoardPosition& p) const {
  ApplySetup(p, kKingsOnly, true);
  constexpr int32_t army[kSlots] = {8, 2, 2, 2, 1, 8, 2, 2, 2, 1};
  for (int i = 0; i < kSlots; ++i) p.holdingsA[i] = p.holdingsB[i] = army[i];
}
