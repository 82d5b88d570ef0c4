#include <gtest/gtest.h>

#include "game/kestro_game.h"
#include "tests/game/boards.h"

TEST(MoveText, PrefixCarriesNumberBoardAndColour) {
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupStandardPosition(p);
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, Sq("e2"), Sq("e4"), 0, 0, 0), "1A.e4");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, Sq("e7"), Sq("e5"), 0, 0, 1), "1b.e5");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, Sq("g8"), Sq("f6"), 0, 7, 19), "10b.Ng8f6");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, Sq("g1"), Sq("f3"), 0, 2, 0), "2A.Ng1f3");
  EXPECT_EQ(g.MoveToBpgn(p, mkWhiteDropB, 2, Sq("f6"), 0, 0, 18), "10B.N@f6");
  EXPECT_EQ(g.MoveToBpgn(p, mkBlackDropA, 0, Sq("d4"), 0, 5, 0), "3a.P@d4");
  EXPECT_EQ(g.MoveToBpgn(p, mkBlackDropB, 9, Sq("d4"), 0, 0, 3), "2b.Q@d4");
}

TEST(MoveText, CapturesPromotionsAndKings) {
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupStandardPosition(p);
  // Pawn capture writes the from-file; piece capture the full from-square.
  p.boardA[Sq("d5")] = pcBPawn;
  p.boardA[Sq("e4")] = pcWPawn;
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, Sq("e4"), Sq("d5"), 0, 4, 0), "3A.exd5");
  p.boardA[Sq("e2")] = pcBRook;
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, Sq("e1"), Sq("e2"), 0, 4, 0), "3A.Ke1xe2");
  // En passant: empty to-square, still a capture.
  p.boardA[Sq("f5")] = pcWPawn;
  p.epSquareA = Sq("e6");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, Sq("f5"), Sq("e6"), 0, 4, 0), "3A.fxe6");
  // Promotion, plain and capturing.
  p.boardB[Sq("g7")] = pcWPawn;
  p.boardB[Sq("g8")] = pcEmpty;
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, Sq("g7"), Sq("g8"), pcWQueen, 0, 20), "11B.g8=Q");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, Sq("g7"), Sq("h8"), pcWKnight, 0, 20), "11B.gxh8=N");
  // The king's two-file steps are written as castling whatever the position.
  p.boardB[Sq("f1")] = p.boardB[Sq("g1")] = pcEmpty;
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, Sq("e1"), Sq("g1"), 0, 0, 8), "5B.O-O");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, Sq("e1"), Sq("c1"), 0, 0, 8), "5B.O-O-O");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, Sq("e8"), Sq("c8"), 0, 0, 9), "5b.O-O-O");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveB, Sq("e1"), Sq("f1"), 0, 0, 8), "5B.Ke1f1");
}

TEST(MoveText, IngolsPawnMovesNameBothSquares) {
  CKestroGame g;
  g.GameKind = gkIngols;
  TwoBoardPosition p;
  g.SetupIngolsPosition(p);
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, Sq("d4"), Sq("e4"), 0, 0, 0), "1A.d4e4");
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, Sq("d4"), Sq("d5"), 0, 0, 0), "1A.d4d5");
  p.boardA[Sq("g5")] = pcWPawn;
  p.boardA[Sq("g6")] = pcEmpty;
  EXPECT_EQ(g.MoveToBpgn(p, mkMoveA, Sq("g5"), Sq("g6"), pcWKnight, 0, 0), "1A.g5g6=N");
}
