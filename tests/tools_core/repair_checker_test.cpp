#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tools/core/repair_checker.h"

using repair::BpgnMove;
using repair::CheckAndPlayMove;
using repair::CompactPosition;

namespace {

CompactPosition Start() {
  CompactPosition p;
  p.Reset();
  return p;
}

// Plays the tokens in order; returns how many were played before a refusal.
int Play(CompactPosition& p, std::initializer_list<const char*> tokens, std::string& log) {
  int played = 0;
  for (const char* t : tokens) {
    BpgnMove m;
    m.text = t;
    if (!CheckAndPlayMove(p, m, log)) break;
    ++played;
  }
  return played;
}

BpgnMove PlayOne(CompactPosition& p, const char* token, std::string& log, int expected = 1) {
  BpgnMove m;
  m.text = token;
  EXPECT_EQ(CheckAndPlayMove(p, m, log), expected) << token << log;
  return m;
}

// The refusal line for `token` on `p`, and a check that nothing but pins moved.
std::string Refusal(CompactPosition p, const char* token) {
  std::string log = "L";
  CompactPosition before = p;
  BpgnMove m;
  m.text = token;
  EXPECT_EQ(CheckAndPlayMove(p, m, log), 0) << token;
  EXPECT_EQ(p.Dump(), before.Dump()) << token;
  return log.substr(1);
}

}  // namespace

TEST(RepairPosition, ResetDumpShowsBothBoardsAsThePartnersSeeThem) {
  EXPECT_EQ(Start().Dump(),
            " ----------------------\n"
            "  T:300.0s  T:300.0s\n"
            " p0b0n0r0q0 P0B0N0R0Q0\n"
            "  +--------++--------+ \n"
            " 8|rnbqkbnr||RNBKQBNR|1\n"
            " 7|pppppppp||PPPPPPPP|2\n"
            " 6|........||........|3\n"
            " 5|........||........|4\n"
            " 4|........||........|5\n"
            " 3|........||........|6\n"
            " 2|PPPPPPPP||pppppppp|7\n"
            " 1|RNBQKBNR||rnbkqbnr|8\n"
            "  +--------++--------+ \n"
            "   abcdefgh  hgfedcba\n\n"
            " P0B0N0R0Q0 p0b0n0r0q0\n"
            "  T:300.0s  T:300.0s \n"
            " ----------------------\n"
            "Aenpassant:No Benpassant:No");
}

TEST(RepairPosition, DumpShowsHandsClocksAndEnPassantOfEachSeat) {
  CompactPosition p = Start();
  std::string log;
  EXPECT_EQ(Play(p, {"1A.e4{175}", "1a.d5{174}", "2A.exd5{170}", "1b.Q@e4{3}", "2B.P@h3{2}", "1B.d4{179}"}, log), 6);
  EXPECT_EQ(log, "");
  // White A's capture feeds board B's black hand; drops from empty hands go below 0.
  EXPECT_EQ(p.Dump(),
            " ----------------------\n"
            "  T:174.0s  T:179.0s\n"
            " p0b0n0r0q0 P-1B0N0R0Q0\n"
            "  +--------++--------+ \n"
            " 8|rnbqkbnr||RNBKQBNR|1\n"
            " 7|ppp.pppp||PPPP.PPP|2\n"
            " 6|........||P.......|3\n"
            " 5|...P....||...qP...|4\n"
            " 4|........||........|5\n"
            " 3|........||........|6\n"
            " 2|PPPP.PPP||pppppppp|7\n"
            " 1|RNBQKBNR||rnbkqbnr|8\n"
            "  +--------++--------+ \n"
            "   abcdefgh  hgfedcba\n\n"
            " P0B0N0R0Q0 p1b0n0r0q-1\n"
            "  T:170.0s  T:3.0s \n"
            " ----------------------\n"
            "Aenpassant:No Benpassant:d3");
  p.epSquareA = 117;
  p.clock[1] = -25;
  EXPECT_EQ(p.Dump().substr(24, 20), "  T:-2.-5s  T:179.0s");
  EXPECT_EQ(p.Dump().substr(p.Dump().size() - 27), "Aenpassant:h8 Benpassant:d3");
}

TEST(RepairChecker, PlaysPawnStepsDropsAndClocks) {
  CompactPosition p = Start();
  std::string log;
  BpgnMove m = PlayOne(p, "1A.e4{180}", log);
  EXPECT_EQ(p.epSquareA, 54);
  EXPECT_EQ(p.clock[0], 1800);
  EXPECT_EQ(p.sideToMoveA, 1);
  EXPECT_EQ(m.from, 42);
  EXPECT_EQ(m.to, 66);
  EXPECT_EQ(m.board, 1);
  EXPECT_EQ(m.side, 0);
  EXPECT_EQ(m.moveNumber, 1);
  EXPECT_EQ(m.clockSeconds, 180);
  EXPECT_EQ(m.bracePos, 6);

  // Drops are played with an empty hand, whoever is to move.
  m = PlayOne(p, "5A.N@g5{170}", log);
  EXPECT_EQ(p.holdingsA[2], -1);
  EXPECT_EQ(m.dropped, 6);
  EXPECT_EQ(m.from, 0);
  EXPECT_EQ(p.epSquareA, 0);
  m = PlayOne(p, "x7b.P@e5{12}", log);
  EXPECT_EQ(m.moveNumber, 999);
  EXPECT_EQ(p.holdingsB[5], -1);
  EXPECT_EQ(p.clock[3], 120);
  EXPECT_EQ(p.sideToMoveB, 0);

  // A clock comment that is no whole number.
  m = PlayOne(p, "2B.d3{175.5}", log);
  EXPECT_EQ(m.clockSeconds, 999);
  EXPECT_EQ(p.clock[2], 9990);
  EXPECT_EQ(p.epSquareB, 0);
  EXPECT_EQ(log, "");
}

TEST(RepairChecker, RefusesWithItsOwnWords) {
  const CompactPosition start = Start();
  EXPECT_EQ(Refusal(start, "3A.K@e4{170}"), "\r\nErr: 'K@' King cannot be dropped!");
  EXPECT_EQ(Refusal(start, "3A.Ne5{170}"), "\r\nErr: More than 1 possible SquareFrom founded");
  EXPECT_EQ(Refusal(start, "3A.e5{170}"), "\r\nErr: No pawn founded to make move.");
  EXPECT_EQ(Refusal(start, "3a.e4{170}"), "\r\nErr: No pawn founded to make move.");
  EXPECT_EQ(Refusal(start, "3A.O-O{170}"), "\r\nErr: Not empty squares for O-O");
  EXPECT_EQ(Refusal(start, "3b.O-O-O{170}"), "\r\nErr: Not empty squares for O-O-O");

  CompactPosition p = Start();
  std::string log;
  // Empty f1 and g1 on board A; move the king out and back, which marks nothing
  // but puts it on e1 again. Then mark it as castled.
  ASSERT_EQ(Play(p, {"1A.e4{1}", "2A.Nf3{1}", "3A.Be2{1}"}, log), 3);
  CompactPosition moved = p;
  moved.marksA[30] = 2;
  EXPECT_EQ(Refusal(moved, "9A.O-O{100}"), "\r\nErr: Not possible O-O because of K or R already moved.");
  CompactPosition noRook = p;
  noRook.boardA[33] = 1;
  EXPECT_EQ(Refusal(noRook, "9A.O-O{100}"), "\r\nErr: R not on h1 for O-O");
  CompactPosition noKing = p;
  noKing.boardA[30] = 1;
  EXPECT_EQ(Refusal(noKing, "9A.0-0{100}"), "\r\nErr: K not on e1 for O-O");
  EXPECT_EQ(Refusal(start, "9a.O-O{100}"), "\r\nErr: Not empty squares for O-O");
  CompactPosition black = start;
  black.boardB[114] = 1;
  EXPECT_EQ(Refusal(black, "9b.O-O-O{100}"), "\r\nErr: K not on e8 for O-O-O");
  EXPECT_EQ(Refusal(black, "9b.O-O{100}"), "\r\nErr: K not on e8 for O-O");
  EXPECT_EQ(Refusal(noKing, "9A.O-O-O{100}"), "\r\nErr: K not on e1 for O-O-O");
  CompactPosition rooks = start;
  rooks.boardA[117] = rooks.boardA[110] = rooks.boardA[26] = 1;
  EXPECT_EQ(Refusal(rooks, "9a.O-O{100}"), "\r\nErr: R not on h8 for O-O");
  EXPECT_EQ(Refusal(rooks, "9a.O-O-O{100}"), "\r\nErr: R not on a8 for O-O-O");
  EXPECT_EQ(Refusal(rooks, "9A.o-o-o{100}"), "\r\nErr: R not on a1 for O-O-O");
  CompactPosition queenSide = start;
  for (int s : {111, 112, 113}) queenSide.boardA[s] = 1;
  queenSide.marksA[110] = 2;
  EXPECT_EQ(Refusal(queenSide, "9a.O-O-O{100}"), "\r\nErr: Not possible O-O-O because of K or R already moved.");
}

TEST(RepairChecker, RefusesUnreadableTokensAndSquaresOffTheBoard) {
  const CompactPosition start = Start();
  EXPECT_EQ(Refusal(start, ""), "\r\nErr: Move text too short.");
  EXPECT_EQ(Refusal(start, "{Game drawn.}"), "\r\nErr: Move text too short.");
  EXPECT_EQ(Refusal(start, ".e4{1}"), "\r\nErr: Move text too short.");
  EXPECT_EQ(Refusal(start, "1A.{1}"), "\r\nErr: Move text too short.");
  for (const char* t : {"1A.i4{1}", "1A.e9{1}", "1A.e0{1}", "1A.Nz3{1}", "1A.N@k9{1}", "1A.P@a0{1}", "1A.e{1}",
                        "1A.ixd5{1}", "1A.xd5{1}", "1A.e1=Q{1}", "1a.e8=Q{1}", "1A.e9=Q{1}", "1A.ixd8=Q{1}"})
    EXPECT_EQ(Refusal(start, t), "\r\nErr: Square outside the chessboard.") << t;
}

TEST(RepairChecker, FindsTheOnePieceThatCanMove) {
  CompactPosition p = Start();
  // Board B: white rooks on a1 and h1, nothing else on rank 1 but the king on e2.
  for (int s = 27; s <= 32; ++s) p.boardB[s] = 1;
  p.boardB[42] = 1;
  p.boardB[42] = 12;
  p.kingSquare[2] = 42;
  std::string log;
  EXPECT_EQ(Refusal(p, "7B.Rd1{90}"), "\r\nErr: More than 1 possible SquareFrom founded");
  BpgnMove m = PlayOne(p, "7B.Rad1{90}", log);
  EXPECT_EQ(m.from, 26);
  EXPECT_EQ(m.candidateCount, 1);
  EXPECT_EQ(p.boardB[29], 8);
  EXPECT_EQ(Refusal(p, "8B.R1f1{80}"), "\r\nErr: More than 1 possible SquareFrom founded");
  // Rooks on d1 and d3 of an open d file: a rank, or a whole square, picks one.
  p.boardB[41] = 1;
  p.boardB[53] = 8;
  m = PlayOne(p, "8B.R1d2{80}", log);
  EXPECT_EQ(m.from, 29);
  // Only the mover's own pieces count: black has no rook there.
  EXPECT_EQ(Refusal(p, "8b.R3xd2{80}"), "\r\nErr: More than 1 possible SquareFrom founded");
  // The d3 rook stands behind the d2 rook: it cannot reach d1.
  EXPECT_EQ(Refusal(p, "9B.Rd3d1{70}"), "\r\nErr: More than 1 possible SquareFrom founded");
  m = PlayOne(p, "9B.Ke1{60}", log);
  EXPECT_EQ(p.kingSquare[2], 30);

  // A knight pinned to its king does not count; the other knight moves.
  CompactPosition q = Start();
  q.boardA[41] = 6;  // a white knight on d2
  q.boardA[27] = 1;  // b1 empty
  q.boardA[63] = 5;  // a black bishop on b4 pins d2 against e1
  m = PlayOne(q, "5A.Nf3{100}", log);
  EXPECT_EQ(m.from, 32);
  EXPECT_EQ(m.candidateCount, 1);
  EXPECT_EQ(q.pinsA[41], 11);
  // A pinned slider moves along its pin ray only.
  CompactPosition r = Start();
  r.boardA[42] = 10;   // a white queen on e2
  r.boardA[29] = 1;    // d1 empty
  r.boardA[102] = 1;   // e7 empty
  r.boardA[114] = 9;   // a black rook on e8, with no black king
  r.kingSquare[1] = 0;
  EXPECT_EQ(Refusal(r, "5A.Qd3{1}"), "\r\nErr: More than 1 possible SquareFrom founded");
  m = PlayOne(r, "5A.Qe6{1}", log);
  EXPECT_EQ(m.from, 42);
  EXPECT_EQ(r.pinsA[42], 12);
  EXPECT_EQ(log, "");
}

TEST(RepairChecker, CapturesFeedThePartnerBoard) {
  CompactPosition p = Start();
  std::string log;
  // En passant on A: the black pawn taken goes to board B's black holding.
  ASSERT_EQ(Play(p, {"1A.e4{1}", "1a.a6{1}", "2A.e5{1}", "2a.d5{1}"}, log), 4);
  EXPECT_EQ(p.epSquareA, 89);
  BpgnMove m = PlayOne(p, "3A.exd6{1}", log);
  EXPECT_EQ(m.captured, 3);
  EXPECT_EQ(m.from, 78);
  EXPECT_EQ(p.boardA[77], 1);
  EXPECT_EQ(p.boardA[89], 2);
  EXPECT_EQ(p.holdingsB[5], 1);
  EXPECT_EQ(p.epSquareA, 0);

  // Promotion: "=R" gives a queen, "=N" a knight; taken later, it is a pawn.
  CompactPosition q = Start();
  q.boardA[101] = 2;  // a white pawn on d7
  q.boardA[103] = 2;  // and on f7
  m = PlayOne(q, "12A.dxc8=R{30}", log);
  EXPECT_EQ(m.promotion, 1);
  EXPECT_EQ(m.piece, 10);
  EXPECT_EQ(m.from, 101);
  EXPECT_EQ(m.captured, 5);
  EXPECT_EQ(q.holdingsB[6], 1);
  EXPECT_EQ(q.boardA[112], 10);
  EXPECT_EQ(q.marksA[112], 1);
  EXPECT_EQ(q.boardA[101], 1);
  m = PlayOne(q, "12a.Qxc8{30}", log);  // the d8 queen, pinned along rank 8
  EXPECT_EQ(m.captured, 2);
  EXPECT_EQ(q.holdingsB[0], 1);
  EXPECT_EQ(q.marksA[112], 0);
  m = PlayOne(q, "13A.fxg8=N{29}", log);
  EXPECT_EQ(q.boardA[116], 6);
  EXPECT_EQ(m.captured, 7);
  EXPECT_EQ(q.holdingsB[7], 1);
  EXPECT_EQ(q.boardA[103], 1);
  m = PlayOne(q, "13a.Rxg8{28}", log);
  EXPECT_EQ(m.captured, 2);
  EXPECT_EQ(q.holdingsB[0], 2);
  EXPECT_EQ(log, "");
}

TEST(RepairChecker, CastlesBothWaysOnBothBoards) {
  CompactPosition p = Start();
  std::string log;
  for (int s : {27, 28, 29, 31, 32}) p.boardA[s] = p.boardB[s + 84] = 1;
  BpgnMove m = PlayOne(p, "9A.O-O{100}", log);
  EXPECT_EQ(m.castling, 1);
  EXPECT_EQ(m.piece, 8);
  EXPECT_EQ(m.from, 33);
  EXPECT_EQ(m.to, 31);
  EXPECT_EQ(p.boardA[32], 12);
  EXPECT_EQ(p.kingSquare[0], 32);
  EXPECT_EQ(p.marksA[32], 2);
  EXPECT_EQ(p.marksA[31], 2);
  m = PlayOne(p, "9b.O-O-O{90}", log);
  EXPECT_EQ(m.castling, 4);
  EXPECT_EQ(m.from, 110);
  EXPECT_EQ(m.to, 113);
  EXPECT_EQ(p.boardB[112], 13);
  EXPECT_EQ(p.kingSquare[3], 112);
  EXPECT_EQ(p.clock[3], 900);
  // The castled king and rook do not castle again, even when put back.
  p.boardA[32] = p.boardA[31] = 1;
  p.boardA[30] = 12;
  p.marksA[30] = 2;
  p.boardA[33] = 8;
  EXPECT_EQ(Refusal(p, "10A.O-O{1}"), "\r\nErr: Not possible O-O because of K or R already moved.");
}

TEST(RepairText, StripsBlanksLineEndsAndCheckSigns) {
  std::string t = "1A. e4 {1 7 5}\r\n1a.e5+ {179}\t2A.Qxf7# {C:[T:5300][L:120]}";
  repair::StripMoveText(t);
  EXPECT_EQ(t, "1A.e4{1 7 5}1a.e5{179}2A.Qxf7{C:[T:5300][L:120]}");
  t = "1A. e4 {1 7 5}\r\n1a.e5+ {179}{C:[T:5300][L:120]} 2A.Qh5{A:good idea} {170} {C:open";
  repair::StripMoveTextAndComments(t);
  EXPECT_EQ(t, "1A.e4{1 7 5}1a.e5{179}2A.Qh5{170}");
  t = "{a {b} c} d {+}";
  repair::StripMoveText(t);
  EXPECT_EQ(t, "{a {b} c}d{}");
}

TEST(RepairChecker, AnyTokenIsPlayedOrRefusedWithoutHarm) {
  std::mt19937 rng(99);
  const char alphabet[] = "12345678abcdefghijkABKQRNPxO0o-=@.{}+ 9";
  CompactPosition p = Start();
  for (int i = 0; i < 20000; ++i) {
    std::string token;
    for (int n = static_cast<int>(rng() % 12); n > 0; --n) token += alphabet[rng() % (sizeof alphabet - 1)];
    if (rng() % 2) token = std::to_string(rng() % 40) + (rng() % 2 ? "A." : "b.") + token;
    const CompactPosition before = p;
    std::string log;
    BpgnMove m;
    m.text = token;
    if (!CheckAndPlayMove(p, m, log)) {
      ASSERT_EQ(p.Dump(), before.Dump()) << token;
      ASSERT_EQ(log.rfind("\r\nErr: ", 0), 0u) << token;
    }
    for (int s = 0; s < kSquares; ++s) {
      ASSERT_EQ(p.boardA[s] == 0, !IsPlayingSquare(s)) << token << " square " << s;
      ASSERT_EQ(p.boardB[s] == 0, !IsPlayingSquare(s)) << token << " square " << s;
    }
    if (i % 500 == 0) p = Start();
  }
}
