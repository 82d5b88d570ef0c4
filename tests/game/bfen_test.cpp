#include <gtest/gtest.h>

#include "game/kestro_game.h"
#include "tests/game/boards.h"

namespace {
void ClearBoards(TwoBoardPosition& p) {
  for (int s = 0; s < kSquares; ++s) p.boardA[s] = p.boardB[s] = IsPlayingSquare(s) ? pcEmpty : pcBorder;
}
}  // namespace

TEST(Bfen, StartPositionOnBothBoards) {
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupStandardPosition(p);
  const std::string one = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 180 180";
  EXPECT_EQ(CKestroGame::PositionToBfen(p), one + " | " + one);
  g.SetupPositionQrrbb(p);
  EXPECT_EQ(CKestroGame::PositionToBfen(p),
            "qrrbb1nn/kpp5/ppp5/ppp5/5PPP/5PPP/5PPK/NN1BBRRQ w  -  - 300 300 | "
            "qrrbb1nn/kpp5/ppp5/ppp5/5PPP/5PPP/5PPK/NN1BBRRQ w  -  - 300 300");
}

TEST(Bfen, HoldingsPromotedPiecesSidesAndClocks) {
  TwoBoardPosition p;
  ClearBoards(p);
  p.boardA[Sq("e8")] = pcWQueen;
  p.marksA[Sq("e8")] = 1;
  p.holdingsA[SlotOf(pcWPawn)] = 2;
  p.holdingsA[SlotOf(pcWKnight)] = 1;
  p.holdingsA[SlotOf(pcBQueen)] = 1;
  p.holdingsB[SlotOf(pcBPawn)] = -1;  // a negative count writes nothing
  p.sideToMoveB = 1;
  p.castlingB[1] = p.castlingB[2] = 1;
  p.epSquareB = Sq("d6");
  p.clock[0] = -500;
  p.clock[1] = 1999;
  p.clock[2] = 61000;
  p.clock[3] = -1500;
  EXPECT_EQ(CKestroGame::PositionToBfen(p), "4Q~3/8/8/8/8/8/8/8/PPNq w  -  - 0 1 | 8/8/8/8/8/8/8/8 b Qk d6 61 -1");
}

TEST(Bfen, DoubleStepLeavesTheEnPassantSquare) {
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupStandardPosition(p);
  BpgnMove m;
  m.token = "1A.e4{178}";
  ASSERT_EQ(g.PlayMove(m, p), 1) << g.ErrorLog;
  const std::string bfen = CKestroGame::PositionToBfen(p);
  EXPECT_EQ(bfen.substr(0, bfen.find(" | ")), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 178 180");
}
