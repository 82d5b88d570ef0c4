// How the built-in player chooses: board statuses and tell texts, the four
// strengths, reproducible random choices, and moves the rules accept.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "engines/core/kestro_engine.h"
#include "tests/game/boards.h"

namespace {

struct Choice {
  EngineResultMove move;
  EngineStatus status;
  std::string tell;
};

Choice Choose(CKestroEngine& e, TwoBoardPosition& p) {
  Choice c;
  c.tell = "old text";
  e.ChooseMove(c.move, p, c.status, c.tell);
  return c;
}

// Attack maps as the game model keeps them.
TwoBoardPosition WithMaps(TwoBoardPosition p) {
  CKestroGame g;
  g.ComputeAttackMaps(p, 1);
  g.ComputeAttackMaps(p, 2);
  return p;
}

TwoBoardPosition Start() {
  CKestroGame g;
  TwoBoardPosition p;
  g.SetupStandardPosition(p);
  p.lastMoverSeat = seatBlackA;
  return WithMaps(p);
}

bool IsOnA(int kind) { return kind == mkMoveA || kind == mkWhiteDropA || kind == mkBlackDropA; }

TEST(KestroEngineChoice, EveryLevelMovesFromTheStart) {
  for (int level : {elRandom, elRules, elKingSafety, elSearch}) {
    TwoBoardPosition p = Start();
    CKestroEngine e(p, 1, 0, 0, 0);
    e.Level = level;
    const Choice c = Choose(e, p);
    EXPECT_EQ(c.status.any, 0) << level;
    EXPECT_EQ(c.tell, "");
    EXPECT_EQ(c.move.kind, mkMoveA) << level;
  }
}

TEST(KestroEngineChoice, BoardStatusesAndTellTexts) {
  // White on A is checked along rank 1 with no move; a dropped queen would block.
  TwoBoardPosition blocker = WithMaps(Pieces("Ka1 Pa2 Pb2 rh1 ke8", "Ke1 ke8"));
  CKestroEngine onlyA(blocker, 1, 0, 0, 0);
  Choice c = Choose(onlyA, blocker);
  EXPECT_EQ(c.tell, " + Blocker needed on ABoard!");
  EXPECT_EQ(c.status.any + c.status.boardA + c.status.boardB, 0);
  EXPECT_EQ(c.move.kind, 0);
  CKestroEngine bothWhites(blocker, 1, 0, 1, 0);
  c = Choose(bothWhites, blocker);
  EXPECT_EQ(c.move.kind, mkMoveB);  // it still moves on the other board
  CKestroEngine otherSeat(blocker, 0, 1, 0, 0);
  EXPECT_EQ(Choose(otherSeat, blocker).tell, "");

  // Smothered: not even a queen helps, so board A is mate and nobody moves.
  TwoBoardPosition mate = WithMaps(Pieces("kh8 rg8 pg7 ph7 Nf7 Kc1", "Ke1 ke8"));
  mate.sideToMoveA = 1;
  CKestroEngine e(mate, 1, 1, 1, 1);
  c = Choose(e, mate);
  EXPECT_EQ(c.status.any, 1);
  EXPECT_EQ(c.status.boardA, 1);
  EXPECT_EQ(c.move.kind, 0);
  EXPECT_EQ(c.tell, "");

  // No move and no check on B.
  TwoBoardPosition stalemate = WithMaps(Pieces("Ke1 ke8", "ke8 Ka1 Pa2 pa3 qc2"));
  CKestroEngine whiteB(stalemate, 0, 0, 1, 0);
  c = Choose(whiteB, stalemate);
  EXPECT_EQ(c.tell, " + I need something to drop I am in stalemate");
  EXPECT_EQ(c.status.any, 0);

  // The side to move on B can take the black king: status 2, no move anywhere.
  TwoBoardPosition capturable = WithMaps(Pieces("Ke1 ke8", "Ke1 Re2 ke8"));
  c = Choose(e, capturable);
  EXPECT_EQ(c.status.any, 1);
  EXPECT_EQ(c.status.boardB, 2);
  EXPECT_EQ(c.status.boardA, 0);
  EXPECT_EQ(c.move.kind, 0);
}

TEST(KestroEngineChoice, RandomLevelIsSeededAndKeepsToItsSeats) {
  TwoBoardPosition p = Start();
  CKestroEngine onlyB(p, 0, 0, 1, 0);
  int kinds[7] = {};
  for (int i = 0; i < 50; ++i) ++kinds[Choose(onlyB, p).move.kind];
  EXPECT_EQ(kinds[mkMoveB], 50);

  CKestroEngine a(p, 1, 0, 1, 0), b(p, 1, 0, 1, 0);
  a.Seed(42);
  b.Seed(42);
  int onA = 0;
  for (int i = 0; i < 100; ++i) {
    const Choice x = Choose(a, p), y = Choose(b, p);
    EXPECT_EQ(x.move.kind, y.move.kind);
    EXPECT_EQ(x.move.from, y.move.from);
    EXPECT_EQ(x.move.to, y.move.to);
    onA += IsOnA(x.move.kind);
  }
  EXPECT_GT(onA, 20);  // both seats get moves
  EXPECT_LT(onA, 80);
}

TEST(KestroEngineChoice, RuleScoresPreferTheBestBoardAndLogEveryMove) {
  TwoBoardPosition p = WithMaps(Pieces("Ke1 Pa2 ke8 pa7", "Ke1 Rd1 qd5 ke8"));
  CKestroEngine e(p, 1, 0, 1, 0);
  e.Level = elRules;
  const Choice c = Choose(e, p);
  EXPECT_EQ(c.move.kind, mkMoveB);
  EXPECT_EQ(c.move.from, Sq("d1"));
  EXPECT_EQ(c.move.to, Sq("d5"));
  EXPECT_EQ(e.CandidateList.countA, 0);  // the tied moves of A were discarded
  EXPECT_NE(e.Log[0].find("1A.a3\n <"), std::string::npos);
  EXPECT_NE(e.Log[0].find("1B.Rd1xd5\n < 0 "), std::string::npos);
  for (int i = 0; i < e.CandidateList.count; ++i) EXPECT_EQ(e.CandidateList.entries[i].spare, e.CandidateList.entries[0].spare);

  e.Level = elKingSafety;
  EXPECT_EQ(Choose(e, p).move.to, Sq("d5"));
  e.Level = 300;  // not a strength
  EXPECT_EQ(Choose(e, p).move.kind, 0);
}

TEST(KestroEngineChoice, SearchMatesAndFollowsTheSeatRotation) {
  TwoBoardPosition p = WithMaps(Pieces("kh8 rg8 pg7 ph7 Ng5 Kc1", "Ke1 Pa2 ke8 pa7"));
  p.lastMoverSeat = seatBlackA;  // WhiteA is next
  CKestroEngine e(p, 1, 0, 0, 0);
  e.Level = elSearch;
  Choice c = Choose(e, p);
  EXPECT_EQ(c.move.kind, mkMoveA);
  EXPECT_EQ(c.move.from, Sq("g5"));
  EXPECT_EQ(c.move.to, Sq("f7"));
  EXPECT_GT(e.NodeCounter, 0);
  TwoBoardPosition copy = p;
  EXPECT_EQ(e.Search(copy, 0, 0, -30000, 30000), 20000);
  EXPECT_EQ(e.BestRootMove.to, Sq("f7"));
  e.DebugFlag = 1;
  Choose(e, p);
  EXPECT_EQ(e.Log[0].rfind(" Player0 \r\n1A.Kc2\n <  Player2 \r\n  2B.Ke2\n <  Player3 ", 0), 0u)
      << e.Log[0].substr(0, 80);
  EXPECT_NE(e.Log[0].find("\r\n        5A.Kc3\n < 2> "), std::string::npos);

  p.lastMoverSeat = seatWhiteA;  // WhiteB is next: not played
  EXPECT_EQ(Choose(e, p).move.kind, 0);
  CKestroEngine whiteB(p, 0, 0, 1, 0);
  whiteB.Level = elSearch;
  p.sideToMoveB = 1;  // the rotation names WhiteB, but Black is to move on B
  EXPECT_EQ(Choose(whiteB, p).move.kind, 0);
}

TEST(KestroEngineChoice, MateScoreAndEvaluate) {
  TwoBoardPosition p = Pieces("kh8 rg8 pg7 ph7 Nf7 Kc1", "kh8 rg8 pg7 ph7 Nf7 Kc1");
  p.sideToMoveA = p.sideToMoveB = 1;
  CKestroEngine e(p, 1, 1, 1, 1);
  EXPECT_EQ(e.MateScore(p), -40000);
  p.sideToMoveB = 0;
  EXPECT_EQ(e.MateScore(p), -20000);
  // Only board A's kings count: c1 is rank 1, h8 rank 8.
  EXPECT_EQ(CKestroEngine::Evaluate(p), (9 - 8) - 1);
  p.sideToMoveA = 0;
  EXPECT_EQ(CKestroEngine::Evaluate(p), 1 - (9 - 8));
}

// Plays seeded games, one engine per seat at mixed strengths, from the
// standard start and from kings with full hands. Every chosen move must be
// played by the game model with the strict hand check, be in its legal-move
// list and leave the mover's king safe.
TEST(KestroEngineChoice, ChosenMovesArePlayedByTheRules) {
  int moves = 0;
  for (uint32_t game = 0; game < 24; ++game) {
    SCOPED_TRACE(game);
    CKestroGame rules;
    auto p = std::make_unique<TwoBoardPosition>();
    if (game % 3 == 2) rules.SetupKingsOnly(*p);
    else rules.SetupStandardPosition(*p);
    *p = WithMaps(*p);
    p->lastMoverSeat = seatBlackA;
    std::mt19937 pick(game);
    std::unique_ptr<CKestroEngine> seats[4];
    const int levels[4] = {elRandom, elRules, elKingSafety, elSearch};
    for (int s = 0; s < 4; ++s) {
      seats[s] = std::make_unique<CKestroEngine>(*p, s == 0, s == 1, s == 2, s == 3);
      seats[s]->Level = levels[(s + game) % 4];
      seats[s]->NodeLimit = 3000;
      seats[s]->Seed(game * 4 + static_cast<uint32_t>(s));
    }
    int plies[2] = {0, 0};
    for (int ply = 0; ply < 120; ++ply) {
      // Any seat to move, so the search also meets seats the rotation does not name.
      const int board = 1 + static_cast<int>(pick() % 2);
      const int seat = SeatOf(board, board == 1 ? p->sideToMoveA : p->sideToMoveB);
      if (pick() % 2) p->lastMoverSeat = seat == 0 ? 1 : seat == 2 ? 0 : seat == 3 ? 2 : 3;
      Choice c = Choose(*seats[seat], *p);
      ASSERT_NE(c.status.boardA, 2);
      ASSERT_NE(c.status.boardB, 2);
      if (c.status.any) break;
      if (c.move.kind == 0) continue;
      const int moved = IsOnA(c.move.kind) ? 1 : 2;
      ASSERT_EQ(moved, board);
      rules.GenerateLegalMoves(*p);
      bool listed = false;
      for (int i = 0; i < rules.LegalMoveCount; ++i) {
        const LegalMoveEntry& l = rules.LegalMoves[static_cast<size_t>(i)];
        listed = listed || (l.kind == c.move.kind && l.from == c.move.from && l.to == c.move.to &&
                            l.promotion == c.move.promotion);
      }
      BpgnMove m;
      m.token = rules.MoveToBpgn(*p, c.move.kind, c.move.from, c.move.to, c.move.promotion, plies[0], plies[1]) + "{1}";
      SCOPED_TRACE(m.token + " in " + CKestroGame::PositionToBfen(*p));
      EXPECT_TRUE(listed);
      const int side = board == 1 ? p->sideToMoveA : p->sideToMoveB;
      ASSERT_EQ(rules.PlayMove(m, *p, HandCheck::Strict), 1) << rules.ErrorLog;
      ConstBoardRef b = BoardOf(std::as_const(*p), board);
      ASSERT_EQ(rules.IsSquareAttacked(b.squares, b.kingSquare[side], side), 0);
      rules.ComputeAttackMaps(*p, board);
      ++plies[board - 1];
      ++moves;
    }
  }
  EXPECT_GT(moves, 1500);
}

}  // namespace
