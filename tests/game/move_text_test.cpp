#include <gtest/gtest.h>

#include "game/kestro_game.h"

namespace {
int S(const char* name) { return CKestroGame::SquareFromName(name[0], name[1]); }
}  // namespace

TEST(MoveText, PrefixCarriesNumberBoardAndColour) {
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupStandardPosition(p);
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, S("e2"), S("e4"), 0, 0, 0), "1A.e4");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, S("e7"), S("e5"), 0, 0, 1), "1b.e5");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, S("g8"), S("f6"), 0, 7, 19), "10b.Ng8f6");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, S("g1"), S("f3"), 0, 2, 0), "2A.Ng1f3");
  EXPECT_EQ(g.MoveToBpgn(p, mkWhiteDropB, 2, S("f6"), 0, 0, 18), "10B.N@f6");
  EXPECT_EQ(g.MoveToBpgn(p, mkBlackDropA, 0, S("d4"), 0, 5, 0), "3a.P@d4");
  EXPECT_EQ(g.MoveToBpgn(p, mkBlackDropB, 9, S("d4"), 0, 0, 3), "2b.Q@d4");
}

TEST(MoveText, CapturesPromotionsAndKings) {
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupStandardPosition(p);
  // Pawn capture writes the from-file; piece capture the full from-square.
  p.boardA[S("d5")] = pcBPawn;
  p.boardA[S("e4")] = pcWPawn;
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, S("e4"), S("d5"), 0, 4, 0), "3A.exd5");
  p.boardA[S("e2")] = pcBRook;
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, S("e1"), S("e2"), 0, 4, 0), "3A.Ke1xe2");
  // En passant: empty to-square, still a capture.
  p.boardA[S("f5")] = pcWPawn;
  p.epSquareA = S("e6");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, S("f5"), S("e6"), 0, 4, 0), "3A.fxe6");
  // Promotion, plain and capturing.
  p.boardB[S("g7")] = pcWPawn;
  p.boardB[S("g8")] = pcEmpty;
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, S("g7"), S("g8"), pcWQueen, 0, 20), "11B.g8=Q");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, S("g7"), S("h8"), pcWKnight, 0, 20), "11B.gxh8=N");
  // The king's two-file steps are written as castling whatever the position.
  p.boardB[S("f1")] = p.boardB[S("g1")] = pcEmpty;
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, S("e1"), S("g1"), 0, 0, 8), "5B.O-O");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, S("e1"), S("c1"), 0, 0, 8), "5B.O-O-O");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, S("e8"), S("c8"), 0, 0, 9), "5b.O-O-O");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, S("e1"), S("f1"), 0, 0, 8), "5B.Ke1f1");
}

TEST(MoveText, IngolsPawnMovesNameBothSquares) {
  CKestroGame g;
  g.GameKind = gkIngols;
  TwoBoardPosition p;
  g.SetupIngolsPosition(p);
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, S("d4"), S("e4"), 0, 0, 0), "1A.d4e4");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, S("d4"), S("d5"), 0, 0, 0), "1A.d4d5");
  p.boardA[S("g5")] = pcWPawn;
  p.boardA[S("g6")] = pcEmpty;
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, S("g5"), S("g6"), pcWKnight, 0, 0), "1A.g5g6=N");
}
