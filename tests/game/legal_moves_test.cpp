#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <sstream>

#include "game/kestro_game.h"
#include "tests/game/boards.h"

namespace {


// The listed entries of one kind from one square, in order: "h8x=Q g8".
std::string From(const CKestroGame& g, int kind, const char* from) {
  std::string text;
  for (int i = 0; i < g.LegalMoveCount; ++i) {
    const LegalMoveEntry& m = g.LegalMoves[i];
    if (m.kind != kind || m.from != Sq(from)) continue;
    text += (text.empty() ? "" : " ") + CKestroGame::SquareName(m.to) + (m.capture ? "x" : "");
    if (m.promotion) text += std::string("=") + kUpperPieceLetters[m.promotion];
  }
  return text;
}

}  // namespace

TEST(LegalMovesTest, StartPositionListsBoardAFirstAndNumbersTheText) {
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  p.sideToMoveB = 1;
  game.GenerateLegalMoves(p);
  ASSERT_EQ(game.LegalMoveCount, 40);
  EXPECT_EQ(game.LegalMoveCountA, 20);
  EXPECT_EQ(game.LegalMoveCountB, 20);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(game.LegalMoves[i].kind, i < 20 ? mkMoveA : mkMoveB);
  EXPECT_EQ(From(game, mkMoveA, "e2"), "e3 e4");
  EXPECT_EQ(From(game, mkMoveB, "g8"), "h6 f6");
  EXPECT_EQ(game.CountMovesFrom(mkMoveA, Sq("e4")), 0);

  const std::string text = game.LegalMovesText(p, 5000, 0, 1);
  EXPECT_EQ(text.rfind("[   0]1A.Nb1a3\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\n[  20]1b.a6\r\n"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 40);
  EXPECT_EQ(game.LegalMoveText, text);
  EXPECT_EQ(game.LegalMovesText(p, -3, 0, 0), "");
}

TEST(LegalMovesTest, DropsFollowTheHandOfTheSideToMove) {
  CKestroGame game;
  TwoBoardPosition p = Pieces("Ke1 ke8", "Ke1 ke8");
  p.holdingsA[0] = 1;  // one white pawn; black's pawns wait for black's turn
  p.holdingsA[5] = 3;
  p.sideToMoveB = 1;
  for (int slot = 5; slot < 10; ++slot) p.holdingsB[slot] = 1;
  game.GenerateLegalMoves(p);
  EXPECT_EQ(game.LegalMoveCountA, 48 + 5);  // ranks 2 to 7, and the king
  EXPECT_EQ(game.CountMovesFrom(mkWhiteDropA, 0), 48);
  EXPECT_EQ(game.LegalMoveCountB, 14 * 4 + 48 * 5 + 5);
  const LegalMoveEntry* b = &game.LegalMoves[game.LegalMoveCountA];
  for (int i = 0; i < 4; ++i)  // a1: no pawn, then the pieces in slot order
    EXPECT_TRUE(b[i].kind == mkBlackDropB && b[i].to == sq::a1 && b[i].from == 6 + i && b[i].piece == CodeOfSlot(6 + i));
  EXPECT_TRUE(b[28].to == Sq("a2") && b[28].from == 5 && b[28].piece == pcBPawn);

  game.GameKind = gkCoin;
  p.coinSquare[0] = p.coinSquare[1] = sq::e4;
  game.GenerateLegalMoves(p);
  EXPECT_EQ(game.LegalMoveCount, 10);  // king moves only
}

TEST(LegalMovesTest, PawnsCaptureFirstPromoteAndTakeEnPassant) {
  CKestroGame game;
  TwoBoardPosition p = Pieces("Ke1 ka8 Pg7 rh8 Pe5 pd5 nf6 Pb2 pb3 Ph2", "Ke1 ke8 pb2");
  p.epSquareA = Sq("d6");
  p.sideToMoveB = 1;
  game.GenerateLegalMoves(p);
  EXPECT_EQ(From(game, mkMoveA, "g7"), "h8x=Q h8x=N g8=Q g8=N");
  EXPECT_EQ(From(game, mkMoveA, "e5"), "d6 f6x e6");
  EXPECT_EQ(From(game, mkMoveA, "b2"), "");
  EXPECT_EQ(From(game, mkMoveA, "h2"), "h3 h4");
  EXPECT_EQ(From(game, mkMoveB, "b2"), "b1=Q b1=N");
  EXPECT_EQ(game.CountMoves(mkMoveA, Sq("g7"), Sq("g8")), 2);
}

TEST(LegalMovesTest, IngolsPawnsPromoteByTableAndStepSideways) {
  CKestroGame game;
  game.GameKind = gkIngols;
  TwoBoardPosition p = Pieces("Ka1 ke8 Pg5 Ph7 Pc2", "Ka1 kh8 pb3");
  p.sideToMoveB = 1;
  game.GenerateLegalMoves(p);
  EXPECT_EQ(From(game, mkMoveA, "g5"), "g6=N g6 h5");
  EXPECT_EQ(From(game, mkMoveA, "h7"), "h8");  // never a second king
  EXPECT_EQ(From(game, mkMoveA, "c2"), "c3 d2");
  EXPECT_EQ(From(game, mkMoveB, "b3"), "b2=Q b2 a3=B a3");
}

TEST(LegalMovesTest, CastlingNeedsRightRookEmptyPathAndSafeKingSquares) {
  CKestroGame game;
  TwoBoardPosition p = Pieces("Ke1 Ra1 Rh1 ke8 rb8", "ke8 ra8 rh8 Ke1");
  p.castlingA[0] = p.castlingA[1] = 1;
  p.castlingB[2] = p.castlingB[3] = 1;
  p.sideToMoveB = 1;
  auto castles = [&](int board) {
    game.GenerateLegalMoves(p);
    const int king = board == 1 ? sq::e1 : sq::e8;
    return std::to_string(game.CountMoves(board, king, king + 2)) + std::to_string(game.CountMoves(board, king, king - 2));
  };
  EXPECT_EQ(castles(1), "11");  // an attacked b1 does not matter
  EXPECT_EQ(castles(2), "11");
  p.boardA[Sq("f8")] = pcBRook;
  EXPECT_EQ(castles(1), "01");
  p.boardA[Sq("f8")] = pcEmpty;
  p.boardA[Sq("d8")] = pcBRook;
  EXPECT_EQ(castles(1), "10");
  p.boardA[Sq("d8")] = pcEmpty;
  p.boardA[Sq("b1")] = pcWKnight;
  p.boardA[Sq("h1")] = pcWKnight;
  EXPECT_EQ(castles(1), "00");
  p.castlingB[2] = 0;
  EXPECT_EQ(castles(2), "01");
}

TEST(LegalMovesTest, PinsConfinePiecesToTheirLine) {
  CKestroGame game;
  TwoBoardPosition p = Pieces("Ke1 Nd2 bb4 Bf2 bh4 Pe2 re8 pf3 Rd1 qa1");
  game.GenerateLegalMoves(p);
  EXPECT_EQ(From(game, mkMoveA, "d2"), "");
  EXPECT_EQ(From(game, mkMoveA, "f2"), "g3 h4x");
  EXPECT_EQ(From(game, mkMoveA, "e2"), "e3 e4");
  EXPECT_EQ(From(game, mkMoveA, "d1"), "c1 b1 a1x");
}

TEST(LegalMovesTest, KingsStayOutOfAttackAndAreNeverCaptured) {
  CKestroGame game;
  // White is in check from d1; other pieces still move.
  TwoBoardPosition p = Pieces("Ke1 rd1 nc3 rf2 ke8 Qd7 Pf7", "Ke4 ke6 Kg2 rg8");
  game.GenerateLegalMoves(p);
  EXPECT_EQ(From(game, mkMoveA, "e1"), "f2x");
  EXPECT_EQ(From(game, mkMoveA, "f7"), "f8=Q f8=N");
  EXPECT_EQ(game.CountMoves(mkMoveA, Sq("d7"), Sq("e8")), 0);
  EXPECT_GT(game.CountMovesFrom(mkMoveA, Sq("d7")), 0);
  EXPECT_EQ(From(game, mkMoveB, "e4"), "e3 f4 d4 f3 d3");
  EXPECT_EQ(From(game, mkMoveB, "g2"), "h2 f2 f3 h1 h3 f1");  // not g1: the king shields nothing behind it
}

TEST(LegalMovesTest, CoinMustStayOnTheBoardOnAnEmptySquare) {
  CKestroGame game;
  game.GameKind = gkCoin;
  TwoBoardPosition p = Pieces("Ke1 ke8 ph3 Ra5", "Ke1 ke8 Ra4");
  p.coinSquare[0] = Sq("h2");
  p.coinSquare[1] = Sq("a3");
  for (int slot = 0; slot < kSlots; ++slot) p.holdingsA[slot] = p.holdingsB[slot] = 1;
  game.GenerateLegalMoves(p);
  EXPECT_EQ(From(game, mkMoveA, "e1"), "d1 d2");
  EXPECT_EQ(From(game, mkMoveA, "a5"), "a7 a8 a4");  // b5..h5 would push the coin off the h-file
  EXPECT_EQ(From(game, mkMoveB, "e1"), "f1 f2");  // e2 would put the coin on the rook
  EXPECT_EQ(From(game, mkMoveB, "a4"), "a5 a6 a7 a8 a3 a2 b4 c4 d4 e4 f4 g4 h4");  // a5: onto the square left
  EXPECT_EQ(game.LegalMoveCountA, 5);
  EXPECT_EQ(game.LegalMoveCountB, 15);
  EXPECT_EQ(game.LegalMoves.size(), 20u);
}

TEST(LegalMovesTest, ListGrowsOnDemandAndIsRebuiltWhole) {
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  game.GenerateLegalMoves(p);
  game.SetLegalMove(1500, mkMoveA, Sq("e2"), Sq("e4"), 0, pcWPawn, 0);
  game.SetLegalMove(-1, mkMoveA, 0, 0, 0, 0, 0);
  ASSERT_EQ(game.LegalMoves.size(), 1501u);
  EXPECT_EQ(game.CountMoves(mkMoveA, Sq("e2"), Sq("e4")), 1);  // counts only the first LegalMoveCount
  game.LegalMoveCount = 1501;
  EXPECT_EQ(game.CountMoves(mkMoveA, Sq("e2"), Sq("e4")), 2);
  game.GenerateLegalMoves(p);
  EXPECT_EQ(game.LegalMoves.size(), 40u);
}

TEST(LegalMovesTest, ArbitraryContentsStayInsideTheBoard) {
  CKestroGame game;
  std::mt19937 rng(7);
  auto any = [&](int lo, int hi) { return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1)); };
  for (int round = 0; round < 2000; ++round) {
    TwoBoardPosition p;
    game.SetupStandardPosition(p);
    game.GameKind = std::array{gkBughouse, gkOther, gkCoin, gkIngols}[round % 4];
    for (int i = 0; i < 400; ++i) {
      BoardRef r = BoardOf(p, any(1, 2));
      r.squares[any(0, kSquares - 1)] = any(-2, 15);
      r.holdings[any(0, kSlots - 1)] = any(-1, 2);
    }
    for (int32_t* v : {&p.kingSquare[0], &p.kingSquare[3], &p.sideToMoveA, &p.epSquareB, &p.coinSquare[0]})
      *v = any(-30, 160);
    game.GenerateLegalMoves(p);
    game.ComputeAttackMaps(p, 1);
    game.ComputeAttackMaps(p, 2);
    ASSERT_EQ(game.LegalMoves.size(), static_cast<size_t>(game.LegalMoveCount));
    ASSERT_EQ(game.LegalMoveCountA + game.LegalMoveCountB, game.LegalMoveCount);
    for (const LegalMoveEntry& m : game.LegalMoves)
      ASSERT_TRUE(IsPlayingSquare(m.to) && (m.kind <= mkMoveB ? IsPlayingSquare(m.from) : m.from >= 0 && m.from < kSlots));
  }
}
