#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <span>
#include <vector>
#include <sstream>

#include "game/kestro_game.h"
#include "game/piece_lists.h"
#include "tests/game/boards.h"

namespace {


int CountNonZero(const int32_t* map) {
  int n = 0;
  for (int i = 0; i < kSquares; ++i) n += map[i] != 0;
  return n;
}

}  // namespace

TEST(PinTest, MarksPiecesPinnedAgainstEitherKing) {
  CKestroGame game;
  // d2 pinned by b4, f7 by h5 (against the black king), c1 along the rank by a1.
  // Not pinned: two own pieces on f1/g1, a knight behind e2, a rook on a diagonal behind f2.
  TwoBoardPosition p = Pieces("Ke1 Nd2 bb4 ke8 pf7 Qh5 Rc1 qa1 Bf1 Ng1 rh1 Pe2 ne4 Pf2 rh4");
  game.ComputePins(p, 1);
  EXPECT_EQ(p.pinsA[Sq("d2")], 11);
  EXPECT_EQ(p.pinsA[Sq("f7")], 11);
  EXPECT_EQ(p.pinsA[Sq("c1")], 1);
  EXPECT_EQ(CountNonZero(p.pinsA), 3);

  p = Pieces("", "Ke1 Pe2 re8 Bf2 bh4");
  game.ComputePins(p, 2);
  EXPECT_EQ(p.pinsB[Sq("e2")], 12);
  EXPECT_EQ(p.pinsB[Sq("f2")], 13);
  EXPECT_EQ(CountNonZero(p.pinsB), 2);

  for (int king : {0, -40, 25, 118, 1 << 30}) {  // no usable king: nothing pinned, old entries gone
    p.kingSquare[2] = p.kingSquare[3] = king;
    game.ComputePins(p, 2);
    EXPECT_EQ(CountNonZero(p.pinsB), 0) << king;
  }
}

// The pin of one square, as the move player reads it while loading, is what
// the whole pin map gives, on crowded random boards and with kings on the
// border or off the board.
TEST(PinTest, OneSquareAgreesWithTheWholeMap) {
  CKestroGame game;
  std::mt19937 rng(7);
  const int kings[] = {0, 25, 36, 47, 118, 143};  // odd king squares now and then
  for (int round = 0; round < 4000; ++round) {
    TwoBoardPosition p = Pieces("");
    const int density = 2 + static_cast<int>(rng() % 6);
    for (int s = 0; s < kSquares; ++s)
      if (IsPlayingSquare(s) && rng() % density == 0) p.boardA[s] = pcWPawn + static_cast<int>(rng() % 10);
    for (int colour = 0; colour < 2; ++colour) {
      int king = SquareOf(static_cast<int>(rng() % 8), static_cast<int>(rng() % 8));
      if (rng() % 10 == 0) king = kings[rng() % std::size(kings)];
      else p.boardA[king] = pcWKing + colour;
      p.kingSquare[colour] = king;
    }
    game.ComputePins(p, 1);
    for (int s = 0; s < kSquares; ++s) {
      const int code = p.boardA[s];
      if (!IsPiece(code)) continue;
      ASSERT_EQ(game.PinOf(p.boardA, p.kingSquare, s, ColourOf(code)), p.pinsA[s])
          << "round " << round << " square " << s << " " << Diagram(p.boardA);
    }
  }
}

TEST(AttackMapTest, PinnedPiecesAttackOnlyAlongTheirLine) {
  CKestroGame game;
  TwoBoardPosition p = Pieces("Ke1 Re4 re8 Ra4", "Ke1 Nd2 bb4 Pf2 bh4");
  game.ComputeAttackMaps(p, 1);
  const int32_t* w = p.whiteAttackersA;
  for (const char* s : {"e5", "e6", "e7", "e8", "e3", "e2", "e1"}) EXPECT_EQ(w[Sq(s)], 1) << s;
  EXPECT_EQ(w[Sq("e4")], 2);  // itself and the a4 rook
  EXPECT_EQ(w[Sq("f4")], 0);  // neither the pinned rook nor the a4 rook through it
  EXPECT_EQ(w[Sq("d4")], 1);
  EXPECT_EQ(p.blackAttackersA[Sq("e4")], 1);
  EXPECT_EQ(p.blackAttackersA[Sq("e3")], 0);

  game.ComputeAttackMaps(p, 2);
  w = p.whiteAttackersB;
  for (const char* s : {"b1", "b3", "c4", "e4", "f3", "f1"}) EXPECT_EQ(w[Sq(s)], 0) << s;  // pinned knight
  EXPECT_EQ(w[Sq("g3")], 1);  // diagonally pinned pawn: only along its pin
  EXPECT_EQ(w[Sq("e3")], 0);
}

TEST(AttackMapTest, RaysRunThroughBackingPieces) {
  CKestroGame game;
  TwoBoardPosition p = Pieces("Qd1 Be2 Bc1 Pd2 Bh6 Pg5 bf8 pe7");
  game.ComputeAttackMaps(p, 1);
  const int32_t* w = p.whiteAttackersA;
  const int32_t* b = p.blackAttackersA;
  for (const char* s : {"f3", "g4", "h5"}) EXPECT_EQ(w[Sq(s)], 2) << s;  // bishop and queen behind it
  EXPECT_EQ(w[Sq("e3")], 2);  // pawn, and the bishop just past it
  EXPECT_EQ(w[Sq("f4")], 0);  // one square past d2 only, and nothing past g5 going down
  EXPECT_EQ(b[Sq("d6")], 2);
  EXPECT_EQ(b[Sq("c5")], 0);
  EXPECT_EQ(w[Sq("d2")], 3);  // the pawn itself, bishop c1 and queen d1
}

TEST(AttackMapTest, KingsCountNeighboursOnlyOutsideBughouse) {
  CKestroGame game;
  TwoBoardPosition p = Pieces("Ke1 ke8 ng3");
  std::fill_n(p.attackBalanceA, kSquares, 9);
  game.ComputeAttackMaps(p, 1);
  EXPECT_EQ(p.whiteAttackersA[Sq("e2")], 0);
  EXPECT_EQ(p.whiteAttackersA[Sq("e1")], 0);
  EXPECT_EQ(p.blackAttackersA[Sq("e8")], 0);
  EXPECT_EQ(p.attackBalanceA[Sq("e2")], -1);
  EXPECT_EQ(p.attackBalanceA[0], 0);

  game.GameKind = gkCoin;
  game.ComputeAttackMaps(p, 1);
  EXPECT_EQ(p.whiteAttackersA[Sq("e2")], 1);
  EXPECT_EQ(p.whiteAttackersA[Sq("e1")], 1);
  EXPECT_EQ(p.blackAttackersA[Sq("d7")], 1);
  EXPECT_EQ(p.attackBalanceA[Sq("e2")], 0);
  EXPECT_EQ(p.attackBalanceA[Sq("d7")], -1);
}

TEST(AttackMapTest, OddCodesEndRaysWhereTheyStand) {
  CKestroGame game;
  TwoBoardPosition p = Pieces("Ke1 Ra1 Bc1 ke8 bc5");
  p.boardA[Sq("a4")] = -1;        // on the rook's file
  p.boardA[Sq("e3")] = 99;        // on the white bishop's diagonal
  p.boardA[Sq("d6")] = -1;        // on the black bishop's, upward: not a way it backs up a pawn
  p.boardA[Sq("b1")] = pcBorder;  // on the rook's rank
  game.ComputeAttackMaps(p, 1);
  const int32_t* w = p.whiteAttackersA;
  const int32_t* b = p.blackAttackersA;
  EXPECT_EQ(w[Sq("a4")], 1);  // counted, and nothing past it
  EXPECT_EQ(w[Sq("a5")], 0);
  EXPECT_EQ(w[Sq("e3")], 1);
  EXPECT_EQ(w[Sq("f4")], 0);
  EXPECT_EQ(w[Sq("b1")], 0) << "the border code is not counted";
  EXPECT_EQ(b[Sq("d6")], 1);
  EXPECT_EQ(b[Sq("e7")], 0);
}

TEST(AttackedSquareTest, CountsEachAttackerByItsRule) {
  CKestroGame game;
  TwoBoardPosition p = Pieces("Ke2 re8");
  EXPECT_GT(game.IsSquareAttacked(p.boardA, Sq("e1"), 0), 0);  // own king is transparent
  EXPECT_EQ(game.IsSquareAttacked(p.boardA, Sq("d1"), 0), 0);

  p = Pieces("pf2 Pd2 Ke4");
  EXPECT_EQ(game.IsSquareAttacked(p.boardA, Sq("e1"), 0), 1);  // black pawn takes downwards
  EXPECT_EQ(game.IsSquareAttacked(p.boardA, Sq("e1"), 1), 0);  // white pawn does not
  EXPECT_EQ(game.IsSquareAttacked(p.boardA, Sq("e3"), 1), 2);  // pawn d2 and the king

  p = Pieces("Kd5 nc6 ne6 rd8 ba7 pb6 qh4");
  // knights, rook through the king, queen; bishop a7 blocked by its pawn
  EXPECT_EQ(game.IsSquareAttacked(p.boardA, Sq("d4"), 0), 4);

  for (int square : {-5, 0, 34, 144, 1000}) EXPECT_EQ(game.IsSquareAttacked(p.boardA, square, 0), 0) << square;
}

namespace {

std::vector<int> Sorted(std::span<const uint8_t> squares) {
  std::vector<int> v(squares.begin(), squares.end());
  std::sort(v.begin(), v.end());
  return v;
}

void ExpectSameLists(const PieceLists& a, const PieceLists& b) {
  for (int code = pcWPawn; code <= pcBKing; ++code) EXPECT_EQ(Sorted(a.Of(code)), Sorted(b.Of(code))) << code;
}

}  // namespace

// The lists the replay keeps follow moves as a fresh gathering would, and say
// so when a change does not fit them.
TEST(PieceListsTest, ChangesMatchAFreshGathering) {
  TwoBoardPosition p = Pieces("Ke1 Ra1 Pe2 Pd5 pe7 ke8 qd8 Nb1");
  PieceLists kept(p.boardA);
  EXPECT_EQ(Sorted(kept.Of(pcWPawn)), (std::vector<int>{Sq("e2"), Sq("d5")}));
  EXPECT_TRUE(kept.Move(pcWPawn, Sq("e2"), Sq("e4")));
  EXPECT_TRUE(kept.Remove(pcBQueen, Sq("d8")));
  EXPECT_TRUE(kept.Add(pcWQueen, Sq("d8")));
  EXPECT_TRUE(kept.Remove(pcWPawn, Sq("d5")));
  p.boardA[Sq("e2")] = pcEmpty;
  p.boardA[Sq("e4")] = pcWPawn;
  p.boardA[Sq("d8")] = pcWQueen;
  p.boardA[Sq("d5")] = pcEmpty;
  ExpectSameLists(kept, PieceLists(p.boardA));

  EXPECT_FALSE(kept.Move(pcWPawn, Sq("e2"), Sq("e3"))) << "no pawn there any more";
  EXPECT_FALSE(kept.Remove(pcBKnight, Sq("b8")));
  EXPECT_FALSE(kept.Add(pcEmpty, Sq("b8")));
  EXPECT_FALSE(kept.Add(pcWKnight, 0)) << "not a playing square";
  EXPECT_FALSE(kept.Move(pcWKnight, Sq("b1"), 140));
  ExpectSameLists(kept, PieceLists(p.boardA));
}
