#include <gtest/gtest.h>

#include "game/kestro_game.h"

namespace {

BpgnMove Rec(int board, int side, int t, int l) {
  BpgnMove m;
  m.board = board;
  m.side = side;
  m.moverSeat = SeatOf(board, side);
  m.thinkingTime = t;
  m.lag = l;
  return m;
}

struct LagGame {
  CKestroGame g;
  TwoBoardPosition p;
  void Add(const BpgnMove& m) {
    g.Moves.push_back(m);
    g.MoveCount = static_cast<int32_t>(g.Moves.size());
    if (m.board == 1)
      p.sideToMoveA = 1 - m.side;
    else
      p.sideToMoveB = 1 - m.side;
  }
};

}  // namespace

TEST(LagCompensation, FirstMoveGivesAllLagToTheSeatToMoveOnTheOtherBoard) {
  LagGame lg;
  lg.g.CompensateLag(lg.p);  // empty record: nothing
  EXPECT_EQ(lg.p.lagCredit[2] + lg.p.lagCredit[3], 0);
  lg.Add(Rec(1, 0, 2500, 700));
  lg.g.CompensateLag(lg.p);
  EXPECT_EQ(lg.p.lagCredit[2], 700);
  EXPECT_EQ(lg.p.lagCredit[3], 0);
  EXPECT_EQ(lg.p.lagCredit[0] + lg.p.lagCredit[1], 0);
}

TEST(LagCompensation, TwoMovesOnOneBoardCreditTheSideToMoveOnTheOther) {
  LagGame lg;
  lg.p.sideToMoveB = 1;  // BlackB to move on B
  lg.g.Moves.push_back(Rec(2, 0, 1000, 0));
  lg.Add(Rec(1, 0, 1000, 100));
  lg.Add(Rec(1, 1, 3000, 500));
  lg.g.CompensateLag(lg.p);
  EXPECT_EQ(lg.p.lagCredit[3], 500);
  EXPECT_EQ(lg.p.lagCredit[2], 0);
}

TEST(LagCompensation, SplitsByThinkingSharesAndTruncates) {
  LagGame lg;
  lg.Add(Rec(1, 0, 3000, 0));     // WhiteA
  lg.Add(Rec(2, 0, 2000, 0));     // WhiteB
  lg.Add(Rec(1, 1, 4000, 1000));  // BlackA
  lg.g.CompensateLag(lg.p);
  EXPECT_EQ(lg.p.lagCredit[2], 400);
  EXPECT_EQ(lg.p.lagCredit[3], 600);

  // 1 : 2 split of 1000 truncates to 333 and 666.
  LagGame t;
  t.Add(Rec(1, 0, 2000, 0));
  t.Add(Rec(2, 0, 1000, 0));
  t.Add(Rec(1, 1, 2000, 1000));
  t.g.CompensateLag(t.p);
  EXPECT_EQ(t.p.lagCredit[2], 333);
  EXPECT_EQ(t.p.lagCredit[3], 666);
  // Board B mover: the credit goes to A's seats.
  t.Add(Rec(2, 1, 0, 0));
  t.g.CompensateLag(t.p);
  EXPECT_EQ(t.p.lagCredit[0] + t.p.lagCredit[1], 0) << "no lag, no credit";
}

TEST(LagCompensation, ZeroSharesAndHugeNetworkValuesAreSafe) {
  LagGame lg;
  lg.Add(Rec(2, 0, 0, 0));
  lg.g.CompensateLag(lg.p);
  EXPECT_EQ(lg.p.lagCredit[0] + lg.p.lagCredit[1], 0);

  LagGame big;
  big.Add(Rec(1, 0, 2147483647, 2147483647));
  big.g.CompensateLag(big.p);
  EXPECT_EQ(big.p.lagCredit[2], 2147483647);
  big.g.CompensateLag(big.p);
  EXPECT_EQ(big.p.lagCredit[2], 2147483647) << "credit saturates instead of wrapping";
}
