#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/kestro_game.h"
#include "tests/game/boards.h"

namespace {


bool BordersClear(const int32_t* squares) {
  for (int i = 0; i < kSquares; ++i)
    if (!IsPlayingSquare(i) && squares[i] != 0) return false;
  return true;
}

}  // namespace

TEST(PositionSquares, NamesAndCodes) {
  EXPECT_EQ(CKestroGame::SquareName(26), "a1");
  EXPECT_EQ(CKestroGame::SquareName(117), "h8");
  EXPECT_EQ(CKestroGame::SquareName(66), "e4");
  EXPECT_EQ(CKestroGame::SquareFromName('e', '4'), 66);
  EXPECT_EQ(CKestroGame::SquareFromName('a', '1'), 26);
  EXPECT_EQ(CKestroGame::SquareFromName('h', '8'), 117);
  EXPECT_EQ(CKestroGame::SquareFromName('i', '1'), 0);
  EXPECT_EQ(CKestroGame::SquareFromName('a', '9'), 0);
  EXPECT_EQ(CKestroGame::SquareFromName('A', '1'), 0);
  for (int s = 0; s < kSquares; ++s) {
    if (!IsPlayingSquare(s)) continue;
    std::string n = CKestroGame::SquareName(s);
    EXPECT_EQ(CKestroGame::SquareFromName(n[0], n[1]), s);
  }
  EXPECT_EQ(SlotOf(pcWPawn), 0);
  EXPECT_EQ(SlotOf(pcBQueen), 9);
  for (int slot = 0; slot < kSlots; ++slot) EXPECT_EQ(SlotOf(CodeOfSlot(slot)), slot);
}

TEST(PositionSetups, EveryStartPositionOnBothBoards) {
  CKestroGame g;
  struct Row {
    void (CKestroGame::*setup)(TwoBoardPosition&) const;
    const char* diagram;
    int32_t clock;
    int32_t castling;
    int kingW, kingB;
  };
  const Row rows[] = {
      {&CKestroGame::SetupStandardPosition, "rnbqkbnr/pppppppp/......../......../......../......../PPPPPPPP/RNBQKBNR",
       180000, 1, sq::e1, sq::e8},
      {&CKestroGame::SetupPositionRqbn, "rqbnkbnr/pppppppp/......../......../......../......../PPPPPPPP/RQBNKBNR",
       180000, 1, sq::e1, sq::e8},
      {&CKestroGame::SetupPositionR3k2r, "r...k..r/.nbq.bn./pppppppp/......../......../PPPPPPPP/.NBQ.BN./R...K..R",
       300000, 1, sq::e1, sq::e8},
      {&CKestroGame::SetupPositionQrrbb, "qrrbb.nn/kpp...../ppp...../ppp...../.....PPP/.....PPP/.....PPK/NN.BBRRQ",
       300000, 0, SquareOf(7, 1), SquareOf(0, 6)},
      {&CKestroGame::SetupCoinPosition, "rnbqkbnr/pppppppp/......../......../......../......../PPPPPPPP/RNBQKBNR",
       300000, 1, sq::e1, sq::e8},
      {&CKestroGame::SetupIngolsPosition, "....pnrk/....pbqr/....ppnb/....pppp/PPPP..../BNPP..../RQBP..../KRNP....",
       300000, 0, sq::a1, sq::h8},
  };
  for (const Row& row : rows) {
    TwoBoardPosition p;
    // Dirty state that every set-up must clear.
    p.sideToMoveA = p.sideToMoveB = 1;
    p.epSquareA = p.epSquareB = 50;
    p.marksA[30] = p.marksB[114] = 2;
    p.holdingsA[3] = p.holdingsB[7] = 4;
    p.lag[1] = p.lagCredit[2] = p.lagSum[3] = 99;
    (g.*row.setup)(p);
    SCOPED_TRACE(row.diagram);
    EXPECT_EQ(Diagram(p.boardA), row.diagram);
    EXPECT_EQ(Diagram(p.boardB), row.diagram);
    EXPECT_TRUE(BordersClear(p.boardA));
    EXPECT_TRUE(BordersClear(p.boardB));
    for (int i = 0; i < kSquares; ++i) EXPECT_EQ(p.marksA[i] + p.marksB[i], 0);
    for (int i = 0; i < kSlots; ++i) EXPECT_EQ(p.holdingsA[i] + p.holdingsB[i], 0);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(p.castlingA[i], row.castling);
      EXPECT_EQ(p.castlingB[i], row.castling);
      EXPECT_EQ(p.clock[i], row.clock);
      EXPECT_EQ(p.runningClock[i], row.clock);
      EXPECT_EQ(p.lag[i] + p.lagCredit[i] + p.lagSum[i], 0);
    }
    EXPECT_EQ(p.sideToMoveA + p.sideToMoveB + p.epSquareA + p.epSquareB, 0);
    EXPECT_EQ(p.kingSquare[0], row.kingW);
    EXPECT_EQ(p.kingSquare[1], row.kingB);
    EXPECT_EQ(p.kingSquare[2], row.kingW);
    EXPECT_EQ(p.kingSquare[3], row.kingB);
  }
}

TEST(PositionSetups, CoinIngolsAndKingsOnlySpecials) {
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupCoinPosition(p);
  EXPECT_EQ(p.coinSquare[0], sq::e4);
  EXPECT_EQ(p.coinSquare[1], sq::e4);
  g.SetupStandardPosition(p);
  EXPECT_EQ(p.coinSquare[0] + p.coinSquare[1], 0);

  p.coinSquare[0] = 77;
  g.SetupIngolsPosition(p);
  EXPECT_EQ(p.coinSquare[0], 77) << "Ingols leaves the coin alone";

  p.sideToMoveA = 1;
  p.sideToMoveB = 0;
  p.epSquareA = p.epSquareB = 60;
  g.SetupKingsOnly(p);
  EXPECT_EQ(Diagram(p.boardB), "....k.../......../......../......../......../......../......../....K...");
  EXPECT_EQ(p.sideToMoveA, 1) << "kings-only keeps the sides to move";
  EXPECT_EQ(p.epSquareA + p.epSquareB, 0);
  const int32_t army[kSlots] = {8, 2, 2, 2, 1, 8, 2, 2, 2, 1};
  for (int i = 0; i < kSlots; ++i) {
    EXPECT_EQ(p.holdingsA[i], army[i]);
    EXPECT_EQ(p.holdingsB[i], army[i]);
  }
  EXPECT_EQ(p.clock[2], 180000);
}

TEST(PositionOwner, BoardsHandsAndOtherAreas) {
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupStandardPosition(p);
  EXPECT_EQ(g.SquareOwner(1, sq::e4, p), -2);
  EXPECT_EQ(g.SquareOwner(2, sq::e4, p), -1);
  EXPECT_EQ(g.SquareOwner(1, sq::e1, p), 0);
  EXPECT_EQ(g.SquareOwner(1, sq::e8, p), 1);
  EXPECT_EQ(g.SquareOwner(2, sq::d8, p), 3);
  EXPECT_EQ(g.SquareOwner(2, sq::a1, p), 2);
  EXPECT_EQ(g.SquareOwner(3, 4, p), 0);
  EXPECT_EQ(g.SquareOwner(4, 4, p), 1);
  EXPECT_EQ(g.SquareOwner(5, 0, p), 2);
  EXPECT_EQ(g.SquareOwner(6, 9, p), 3);
  EXPECT_EQ(g.SquareOwner(7, 0, p), -3);
  EXPECT_EQ(g.SquareOwner(0, 0, p), -3);
  EXPECT_EQ(g.SquareOwner(1, 500, p), -3);
}

TEST(PositionEditor, MovesPiecesBetweenBoardsAndHands) {
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupKingsOnly(p);

  // King moves update the king square of that board.
  ASSERT_EQ(g.MovePieceInPosition(2, sq::e1, 2, SquareOf(6, 2), p), 1);
  EXPECT_EQ(p.kingSquare[2], SquareOf(6, 2));
  EXPECT_EQ(p.boardB[SquareOf(6, 2)], pcWKing);
  EXPECT_EQ(p.boardB[sq::e1], pcEmpty);
  EXPECT_EQ(p.kingSquare[0], sq::e1);

  // Hand to board and board to hand, both colours in one holding.
  ASSERT_EQ(g.MovePieceInPosition(3, 7, 1, sq::d8, p), 1);  // black knight from A's holding
  EXPECT_EQ(p.boardA[sq::d8], pcBKnight);
  EXPECT_EQ(p.holdingsA[7], 1);
  ASSERT_EQ(g.MovePieceInPosition(1, sq::d8, 6, 7, p), 1);  // to B's holding
  EXPECT_EQ(p.holdingsB[7], 3);
  EXPECT_EQ(p.boardA[sq::d8], pcEmpty);

  // Castling toggles, index 10..13.
  ASSERT_EQ(g.MovePieceInPosition(7, 0, 0, 11, p), 1);
  EXPECT_EQ(p.castlingA[1], 1);
  ASSERT_EQ(g.MovePieceInPosition(7, 0, 0, 11, p), 1);
  EXPECT_EQ(p.castlingA[1], 0);
  ASSERT_EQ(g.MovePieceInPosition(8, 0, 0, 13, p), 1);
  EXPECT_EQ(p.castlingB[3], 1);
}

TEST(PositionEditor, FailuresLeaveThePositionExactlyAsItWas) {
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupStandardPosition(p);
  p.holdingsA[2] = 1;
  TwoBoardPosition before = p;
  auto unchanged = [&] { return std::memcmp(&before, &p, sizeof p) == 0; };

  EXPECT_EQ(g.MovePieceInPosition(1, SquareOf(6, 0), 1, SquareOf(6, 1), p), 0) << "onto an occupied square";
  EXPECT_TRUE(unchanged());
  EXPECT_EQ(g.MovePieceInPosition(3, 2, 1, SquareOf(4, 1), p), 0);
  EXPECT_TRUE(unchanged());
  EXPECT_EQ(g.MovePieceInPosition(9, 0, 1, sq::e4, p), 0) << "unknown source area";
  EXPECT_EQ(g.MovePieceInPosition(1, SquareOf(1, 0), 9, 0, p), 0) << "unknown target area";
  EXPECT_EQ(g.MovePieceInPosition(1, 0, 1, sq::e4, p), 0) << "border source";
  EXPECT_EQ(g.MovePieceInPosition(1, 143, 1, sq::e4, p), 0);
  EXPECT_EQ(g.MovePieceInPosition(1, SquareOf(1, 0), 1, 200, p), 0) << "index off the mailbox";
  EXPECT_EQ(g.MovePieceInPosition(1, SquareOf(1, 0), 1, 35, p), 0) << "border target";
  EXPECT_EQ(g.MovePieceInPosition(3, 10, 1, sq::e4, p), 0) << "slot out of range";
  EXPECT_EQ(g.MovePieceInPosition(3, -1, 1, sq::e4, p), 0);
  EXPECT_EQ(g.MovePieceInPosition(1, SquareOf(1, 0), 3, 10, p), 0);
  EXPECT_EQ(g.MovePieceInPosition(3, 3, 1, sq::e4, p), 0) << "empty slot";
  EXPECT_EQ(g.MovePieceInPosition(7, 0, 0, 14, p), 0) << "castling index out of range";
  EXPECT_EQ(g.MovePieceInPosition(8, 0, 0, 9, p), 0);
  EXPECT_EQ(g.MovePieceInPosition(1, sq::e1, 3, 0, p), 0) << "a king never goes into a hand";
  EXPECT_EQ(g.MovePieceInPosition(1, sq::e1, 2, sq::e4, p), 0) << "nor onto the other board";
  EXPECT_TRUE(unchanged());
  EXPECT_EQ(g.MovePieceInPosition(3, 2, 1, sq::e4, p), 1);
  EXPECT_EQ(p.holdingsA[2], 0);
}

TEST(PositionEditor, CoinFollowsItsEmptySquareOnlyInCoinGames) {
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupCoinPosition(p);
  const int d5 = SquareOf(3, 4);
  ASSERT_EQ(g.MovePieceInPosition(1, sq::e4, 1, d5, p), 1);
  EXPECT_EQ(p.coinSquare[0], sq::e4) << "not a Coin game";

  g.GameKind = gkCoin;
  ASSERT_EQ(g.MovePieceInPosition(1, sq::e4, 1, d5, p), 1);
  EXPECT_EQ(p.coinSquare[0], d5);
  EXPECT_EQ(p.coinSquare[1], sq::e4);
  EXPECT_EQ(p.boardA[d5], pcEmpty);
  ASSERT_EQ(g.MovePieceInPosition(1, SquareOf(1, 0), 1, sq::e4, p), 1);
  EXPECT_EQ(p.coinSquare[0], d5) << "a piece moved does not carry the coin";
}
