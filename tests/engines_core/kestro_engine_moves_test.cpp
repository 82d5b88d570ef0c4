// The built-in player's own move machinery: attackers, pins, generation,
// check filtering, making moves and the thinking-log move text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "engines/core/kestro_engine.h"
#include "tests/game/boards.h"

namespace {

std::unique_ptr<CKestroEngine> Engine(const TwoBoardPosition& p) {
  return std::make_unique<CKestroEngine>(p, 1, 1, 1, 1);
}

std::vector<EngineMove> Moves(CKestroEngine& e, TwoBoardPosition& p, int board) {
  e.GenerateMoves(p);
  const EngineMoveList& l = e.LegalList;
  const int begin = board == 1 ? 0 : l.countA, end = board == 1 ? l.countA : l.count;
  return std::vector<EngineMove>(l.entries + begin, l.entries + end);
}

int CountFrom(const std::vector<EngineMove>& moves, int from) {
  return static_cast<int>(std::count_if(moves.begin(), moves.end(), [&](const EngineMove& m) {
    return m.kind <= mkMoveB && m.from == from;
  }));
}

int Drops(const std::vector<EngineMove>& moves) {
  return static_cast<int>(std::count_if(moves.begin(), moves.end(), [](const EngineMove& m) {
    return m.kind > mkMoveB;
  }));
}

TEST(KestroEngineMoves, AttackersListKingFirstCheapestAndKnights) {
  TwoBoardPosition p = Pieces("Ke1 Nc2 kd5 ra4 nd3 nf3 pf5");
  auto e = Engine(p);
  // The king one step up ends the orthogonal group: the rook on the rank is not seen.
  EXPECT_EQ(e->Attackers(p.boardA, Sq("d4"), 0), 2);
  EXPECT_EQ(e->AttackerList[0], Sq("d5"));
  EXPECT_EQ(e->AttackerList[1], Sq("f3"));
  EXPECT_EQ(e->KnightAttackerCount, 1);
  EXPECT_EQ(e->CheapestAttacker, pcBKnight);
  EXPECT_EQ(e->Attackers(p.boardA, Sq("e1"), 0), 2);
  EXPECT_EQ(e->KnightAttackerCount, 2);
  // Rook along the rank and a pawn from its capturing side.
  EXPECT_EQ(e->Attackers(p.boardA, Sq("g4"), 0), 2);
  EXPECT_EQ(e->CheapestAttacker, pcBPawn);
  // An odd side asks for White's attackers; a border square has none.
  EXPECT_EQ(e->Attackers(p.boardA, Sq("e3"), 1), 1);
  EXPECT_EQ(e->AttackerList[0], Sq("c2"));
  EXPECT_EQ(e->Attackers(p.boardA, 0, 0), 0);
  EXPECT_EQ(e->CheapestAttacker, 13);
}

TEST(KestroEngineMoves, PinsLimitPiecesToTheirLine) {
  TwoBoardPosition p = Pieces("Ke1 Nd2 bb4 Bf2 bh4 ke8");
  auto e = Engine(p);
  const auto moves = Moves(*e, p, 1);
  EXPECT_EQ(CountFrom(moves, Sq("d2")), 0);  // pinned knight
  for (const EngineMove& m : moves)
    if (m.from == Sq("f2")) {
      EXPECT_TRUE(m.to == Sq("g3") || m.to == Sq("h4")) << m.to;
    }
  EXPECT_EQ(CountFrom(moves, Sq("f2")), 2);
}

TEST(KestroEngineMoves, PromotionsListQueenThenKnight) {
  TwoBoardPosition p = Pieces("Ke1 Pg7 ke8 rh8");
  auto e = Engine(p);
  std::vector<int> promotions;
  for (const EngineMove& m : Moves(*e, p, 1))
    if (m.from == Sq("g7")) promotions.push_back(m.promotion * 10 + m.capture + (m.to == Sq("h8") ? 100 : 0));
  EXPECT_EQ(promotions, (std::vector<int>{201, 161, 100, 60}));  // xh8=Q, xh8=N, g8=Q, g8=N
}

TEST(KestroEngineMoves, DropsRespectBackRanksAndCheckLines) {
  TwoBoardPosition p = Pieces("Ke1 ke8");
  p.holdingsA[0] = 1;  // white pawn
  auto e = Engine(p);
  const auto pawnOnly = Moves(*e, p, 1);
  EXPECT_EQ(Drops(pawnOnly), 48);  // 62 empty squares less the 14 on ranks 1 and 8
  p.holdingsA[0] = 0;
  p.holdingsA[3] = 1;  // white rook
  EXPECT_EQ(Drops(Moves(*e, p, 1)), 62);

  // In check from a rook on e5: drops only on e2..e4.
  TwoBoardPosition c = Pieces("Ke1 re5 ke8");
  c.holdingsA[1] = 1;
  std::vector<int> squares;
  for (const EngineMove& m : Moves(*e, c, 1))
    if (m.kind == mkWhiteDropA) squares.push_back(m.to);
  EXPECT_EQ(squares, (std::vector<int>{Sq("e2"), Sq("e3"), Sq("e4")}));
  EXPECT_EQ(c.filledSlots[0], 1);  // written on the in-check path

  // A knight check leaves no blocking drop; double check leaves only king moves.
  TwoBoardPosition n = Pieces("Ke1 nd3 ke8");
  n.holdingsA[4] = 1;
  EXPECT_EQ(Drops(Moves(*e, n, 1)), 0);
  TwoBoardPosition d = Pieces("Ke1 Ra1 nd3 re5 ke8");
  d.holdingsA[4] = 1;
  const auto only = Moves(*e, d, 1);
  EXPECT_FALSE(only.empty());
  for (const EngineMove& m : only) EXPECT_EQ(m.from, Sq("e1"));
}

TEST(KestroEngineMoves, EnPassantSeesTheRankAndMayTakeTheChecker) {
  auto enPassant = [](TwoBoardPosition p, const char* ep) {
    p.epSquareA = Sq(ep);
    auto e = Engine(p);
    int n = 0;
    for (const EngineMove& m : Moves(*e, p, 1)) n += m.epSquare != 0;
    return n;
  };
  EXPECT_EQ(enPassant(Pieces("Ka5 Pb5 pc5 ke8"), "c6"), 1);
  EXPECT_EQ(enPassant(Pieces("Ka5 Pb5 pc5 rh5 ke8"), "c6"), 0);  // both pawns leave the rank
  EXPECT_EQ(enPassant(Pieces("Kd4 Pf5 pe5 ke8"), "e6"), 1);      // takes the pawn that checks
}

TEST(KestroEngineMoves, CastlingNeedsSafeKingPath) {
  auto castles = [](TwoBoardPosition p) {
    p.castlingA[0] = p.castlingA[1] = 1;
    auto e = Engine(p);
    std::vector<int> found;
    e->GenerateMoves(p);
    for (int i = 0; i < e->LegalList.countA; ++i)
      if (e->LegalList.entries[i].castling) found.push_back(e->LegalList.entries[i].castling);
    return found;
  };
  EXPECT_EQ(castles(Pieces("Ra1 Ke1 Rh1 ke8")), (std::vector<int>{1, 2}));
  EXPECT_EQ(castles(Pieces("Ra1 Ke1 Rh1 ke8 rb8")), (std::vector<int>{1, 2}));  // b1 attacked is fine
  EXPECT_EQ(castles(Pieces("Ra1 Ke1 Rh1 ke8 rf8")), (std::vector<int>{2}));     // f1 attacked
  EXPECT_EQ(castles(Pieces("Ra1 Ke1 Rh1 ke8 rd8")), (std::vector<int>{1}));     // d1 attacked
  EXPECT_TRUE(castles(Pieces("Ra1 Ke1 Rh1 ke8 re8")).empty());                  // in check
}

EngineMoveRecord Record(int kind, int from, int to, int promotion = 0, int piece = 0, int ep = 0, int castling = 0) {
  EngineMoveRecord r;
  r.kind = kind;
  r.from = from;
  r.to = to;
  r.promotion = promotion;
  r.piece = piece;
  r.epSquare = ep;
  r.castling = castling;
  r.thinkingTime = 700;
  return r;
}

TEST(KestroEngineMoves, MakeMoveHandsCapturesAndDropsAcrossBoards) {
  TwoBoardPosition p = Pieces("Ke1 ke8 Nd4 be5", "Ke1 ke8");
  p.sideToMoveA = 1;
  p.clock[1] = 10000;
  p.lagSum[1] = 55;
  auto e = Engine(p);
  ASSERT_EQ(e->MakeMove(p, Record(mkMoveA, Sq("e5"), Sq("d4"))), 1);
  EXPECT_EQ(p.boardA[Sq("d4")], pcBBishop);
  EXPECT_EQ(p.boardA[Sq("e5")], pcEmpty);
  EXPECT_EQ(p.holdingsB[SlotOf(pcWKnight)], 1);  // to the partner board, white's slot
  EXPECT_EQ(p.sideToMoveA, 0);
  EXPECT_EQ(p.lastMoverSeat, seatBlackA);
  EXPECT_EQ(p.clock[1], 9300);
  EXPECT_EQ(p.lagSum[1], 0);

  ASSERT_EQ(e->MakeMove(p, Record(mkWhiteDropB, SlotOf(pcWKnight), Sq("f3"))), 1);
  EXPECT_EQ(p.boardB[Sq("f3")], pcWKnight);
  EXPECT_EQ(p.holdingsB[SlotOf(pcWKnight)], 0);
  EXPECT_EQ(p.lastMoverSeat, seatWhiteB);

  // A drop the hand does not hold, and a drop written with the piece code but no count, change nothing.
  const TwoBoardPosition before = p;
  EXPECT_EQ(e->MakeMove(p, Record(mkBlackDropB, SlotOf(pcBQueen), Sq("d5"))), 0);
  EXPECT_EQ(e->MakeMove(p, Record(mkMoveB, pcBQueen, Sq("d5"), 0, pcBQueen)), 0);
  EXPECT_EQ(e->MakeMove(p, Record(mkWhiteDropA, 12, Sq("d5"))), 0);  // no such slot
  EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
  p.holdingsB[SlotOf(pcBQueen)] = 1;
  ASSERT_EQ(e->MakeMove(p, Record(mkMoveB, pcBQueen, Sq("d5"), 0, pcBQueen)), 1);
  EXPECT_EQ(p.boardB[Sq("d5")], pcBQueen);
  EXPECT_EQ(p.holdingsB[SlotOf(pcBQueen)], 0);
}

TEST(KestroEngineMoves, MakeMoveKingsPromotedPiecesEnPassantAndCastling) {
  // Taking a king (a position the rules never reach) writes no hand slot beyond the ten.
  TwoBoardPosition k = Pieces("Ke1 ke2");
  auto e = Engine(k);
  ASSERT_EQ(e->MakeMove(k, Record(mkMoveA, Sq("e1"), Sq("e2"))), 1);
  for (int slot = 0; slot < kSlots; ++slot) EXPECT_EQ(k.holdingsB[slot], 0);
  EXPECT_EQ(k.filledSlots[0], 0);
  EXPECT_EQ(k.kingSquare[0], Sq("e2"));

  // A promoted piece goes back to hand as a pawn.
  TwoBoardPosition q = Pieces("Ke1 ke8 Qd4 bc5");
  q.marksA[Sq("d4")] = 1;
  q.sideToMoveA = 1;
  ASSERT_EQ(e->MakeMove(q, Record(mkMoveA, Sq("c5"), Sq("d4"))), 1);
  EXPECT_EQ(q.holdingsB[SlotOf(pcWPawn)], 1);
  EXPECT_EQ(q.holdingsB[SlotOf(pcWQueen)], 0);

  // En passant removes the pawn taken and hands it to the partner.
  TwoBoardPosition p = Pieces("Ke1 ke8 Pe5 pd5");
  p.epSquareA = Sq("d6");
  e->GenerateMoves(p);
  const EngineMove* ep = nullptr;
  for (int i = 0; i < e->LegalList.countA; ++i)
    if (e->LegalList.entries[i].to == Sq("d6")) ep = &e->LegalList.entries[i];
  ASSERT_NE(ep, nullptr);
  EXPECT_EQ(ep->capture, 0);
  EXPECT_EQ(ep->epSquare, Sq("d5"));
  ASSERT_EQ(e->MakeMove(p, CKestroEngine::GetMove(e->LegalList, static_cast<int>(ep - e->LegalList.entries))), 1);
  EXPECT_EQ(p.boardA[Sq("d5")], pcEmpty);
  EXPECT_EQ(p.boardA[Sq("d6")], pcWPawn);
  EXPECT_EQ(p.holdingsB[SlotOf(pcBPawn)], 1);

  // Double step sets the square passed over; castling places king and rook, marks them and clears rights.
  TwoBoardPosition c = Pieces("Ke1 Rh1 Pa2 ke8 ra8", "Ke1 ke8 ra8");
  c.castlingA[0] = c.castlingA[1] = c.castlingB[2] = c.castlingB[3] = 1;
  ASSERT_EQ(e->MakeMove(c, Record(mkMoveA, Sq("a2"), Sq("a4"))), 1);
  EXPECT_EQ(c.epSquareA, Sq("a3"));
  c.sideToMoveA = 0;
  ASSERT_EQ(e->MakeMove(c, Record(mkMoveA, Sq("e1"), Sq("g1"), 0, pcWKing, 0, 1)), 1);
  EXPECT_EQ(c.boardA[Sq("g1")], pcWKing);
  EXPECT_EQ(c.boardA[Sq("f1")], pcWRook);
  EXPECT_EQ(c.boardA[Sq("h1")], pcEmpty);
  EXPECT_EQ(c.marksA[Sq("g1")], 2);
  EXPECT_EQ(c.epSquareA, 0);
  EXPECT_EQ(c.castlingA[0] + c.castlingA[1], 0);
  EXPECT_EQ(c.kingSquare[0], Sq("g1"));
  c.sideToMoveB = 1;
  ASSERT_EQ(e->MakeMove(c, Record(mkMoveB, Sq("e8"), Sq("c8"), 0, pcBKing, 0, 4)), 1);
  EXPECT_EQ(c.boardB[Sq("c8")], pcBKing);
  EXPECT_EQ(c.boardB[Sq("d8")], pcBRook);
  EXPECT_EQ(c.kingSquare[3], Sq("c8"));
}

TEST(KestroEngineMoves, MoveTextForTheThinkingLog) {
  TwoBoardPosition p = Pieces("Ke1 Rh1 Nb1 Pe5 pd5 Pg7 ke8 rh8", "Ke1 ke8");
  p.epSquareA = Sq("d6");
  auto e = Engine(p);
  EXPECT_EQ(e->MoveText(p, mkMoveA, Sq("e5"), Sq("d6"), 0, 0, 0), "1A.exd6\n");
  EXPECT_EQ(e->MoveText(p, mkMoveA, Sq("e5"), Sq("e6"), 0, 4, 0), "3A.e6\n");
  EXPECT_EQ(e->MoveText(p, mkMoveA, Sq("g7"), Sq("h8"), pcWKnight, 0, 0), "1A.gxh8=N\n");
  EXPECT_EQ(e->MoveText(p, mkMoveA, Sq("e1"), Sq("g1"), 0, 0, 0), "1A.O-O\n");
  EXPECT_EQ(e->MoveText(p, mkMoveA, Sq("e1"), Sq("d2"), 0, 0, 0), "1A.Kd2\n");
  EXPECT_EQ(e->MoveText(p, mkMoveA, Sq("b1"), Sq("c3"), 0, 0, 0), "1A.Nb1c3\n");
  EXPECT_EQ(e->MoveText(p, mkMoveB, Sq("e8"), Sq("c8"), 0, 0, 3), "2b.O-O-O\n");
  EXPECT_EQ(e->MoveText(p, mkBlackDropB, 7, Sq("f6"), 0, 0, 1), "1b.N@f6\n");
  EXPECT_EQ(e->MoveText(p, mkWhiteDropA, 4, Sq("d4"), 0, 2, 0), "2A.Q@d4\n");
}

}  // namespace
