#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <iterator>
#include <random>
#include <string>

#include "game/kestro_game.h"
#include "tests/game/boards.h"

namespace {

constexpr const char* kStart = nullptr;


bool SameButPins(TwoBoardPosition before, const TwoBoardPosition& after) {
  std::memcpy(before.pinsA, after.pinsA, sizeof before.pinsA);
  std::memcpy(before.pinsB, after.pinsB, sizeof before.pinsB);
  return std::memcmp(&before, &after, sizeof before) == 0;
}

class MovePlayer : public ::testing::Test {
 protected:
  void SetUp() override { game.SetupStandardPosition(p); }
  void Start(int kind, const char* boardA, int sideA = 0) {
    game.GameKind = kind;
    if (kind == gkCoin) game.SetupCoinPosition(p);
    else game.SetupStandardPosition(p);
    if (boardA) Fill(p, 1, boardA);
    p.sideToMoveA = sideA;
  }
  int Play(const std::string& token, int checkNumber = 0, HandCheck hand = HandCheck::Strict) {
    game.ErrorLog.clear();
    move = BpgnMove{};
    move.token = token;
    return game.PlayBpgnMove(move, p, checkNumber, hand);
  }
  void ExpectRefused(const std::string& token, const std::string& error) {
    SCOPED_TRACE(token);
    const TwoBoardPosition before = p;
    EXPECT_EQ(Play(token), 0);
    EXPECT_EQ(game.ErrorLog, "\r\nErr: " + error);
    EXPECT_TRUE(SameButPins(before, p));
  }
  CKestroGame game;
  TwoBoardPosition p;
  BpgnMove move;
};

const char* const kPawns = ".....r../.....PP./...ppk.R/....P.../.p....../......../......../....K...";
const char* const kIngols = "k......./......P./......../......../...P..../....P.../......../K.......";
const char* const kCastle = "r...k..r/......../......../......../......../......../......../R..K...R";

}  // namespace

TEST_F(MovePlayer, RefusesBeforeChangingAnything) {
  struct Row {
    int kind;
    const char* board;
    int side;
    const char* token;
    const char* error;
  };
  const Row rows[] = {
      {gkBughouse, kStart, 0, "1A.e4", "No clock comment in move."},
      {gkBughouse, kStart, 0, "1Ae4{1}", "No board in move."},
      {gkBughouse, kStart, 0, ".e4{1}", "No board in move."},
      {gkBughouse, kStart, 0, "1A.{1}", "Move too short."},
      {gkBughouse, kStart, 0, "1A.e{1}", "Move too short."},
      {gkBughouse, kStart, 0, "1A.e9{1}", "Bad square in move."},
      {gkBughouse, kStart, 0, "1A.Ni1f3{1}", "Bad square in move."},
      {gkBughouse, kStart, 0, "1A.N9f3{1}", "Bad square in move."},
      {gkBughouse, kStart, 0, "1A.ixf3{1}", "Bad square in move."},
      {gkBughouse, kStart, 0, "1A.Pe4{1}", "Bad drop in move."},
      {gkBughouse, kStart, 0, "3a.e5{170}", "Bad side on BoardA trying move."},
      {gkBughouse, kStart, 0, "1b.e5{1}", "Bad side on BoardB trying move."},
      {gkBughouse, kStart, 0, "1A.Nd2{1}", "Own piece on target square."},
      {gkBughouse, kStart, 0, "1A.P@e2{1}", "Square not empty for drop."},
      {gkBughouse, kStart, 0, "1A.N@e4{1}", "Piece not in hand for drop."},
      {gkBughouse, kStart, 1, "7a.K@e5{90}", "'K@' King cannot be dropped!"},
      {gkCoin, kStart, 0, "1A.P@e4{1}", "No drops in Coin game."},
      {gkBughouse, kStart, 0, "5A.O-O{160}", "Not empty squares for O-O"},
      {gkBughouse, kStart, 0, "5A.O-O-O{160}", "Not empty squares for O-O-O"},
      {gkBughouse, kCastle, 0, "5A.O-O{160}", "K not on e1 for O-O"},
      {gkBughouse, "....k..r/......../......../......../......../......../......../R...K..R", 1, "5a.O-O-O{160}",
       "R not on a8 for O-O-O"},
      {gkBughouse, kPawns, 0, "1A.b5{1}", "No pawn founded to make move."},  // a black pawn
      {gkBughouse, kPawns, 0, "1A.e6{1}", "Square not empty for pawn move."},
      {gkBughouse, kPawns, 0, "1A.axd6{1}", "Bad pawn capture."},
      {gkBughouse, kPawns, 0, "1A.exe6{1}", "Bad pawn capture."},
      {gkBughouse, kPawns, 0, "1A.cxd6{1}", "No pawn founded to make move."},
      {gkBughouse, kPawns, 0, "1A.exf6{1}", "King cannot be captured."},
      {gkBughouse, kPawns, 0, "1A.Rxf6{1}", "King cannot be captured."},
      {gkBughouse, kPawns, 0, "1A.g8=K{1}", "Bad promotion."},
      {gkBughouse, kPawns, 0, "1A.g8=P{1}", "Bad promotion."},
      {gkBughouse, kPawns, 0, "1A.e6=Q{1}", "Bad promotion."},
      {gkBughouse, kPawns, 0, "1A.gxh8=Q{1}", "Bad pawn capture."},
      {gkBughouse, kPawns, 0, "1A.f8=Q{1}", "Square not empty for pawn move."},
      {gkIngols, kIngols, 0, "1A.e4{1}", "More than 1 possible SquareFrom founded"},
      {gkIngols, kIngols, 0, "1A.g7g8=K{1}", "Second king not allowed."},
      {gkIngols, kIngols, 0, "1A.g8=X{1}", "Bad promotion."},
      {gkIngols, kIngols, 0, "1A.z4e4{1}", "Bad square in move."},
  };
  for (const Row& row : rows) {
    Start(row.kind, row.board, row.side);
    p.holdingsA[SlotOf(pcWPawn)] = 1;
    ExpectRefused(row.token, row.error);
  }
}

TEST_F(MovePlayer, ReadsTokenAndRecordsTheMover) {
  ASSERT_EQ(Play("1A.e4{175}"), 1);
  EXPECT_EQ(move.board, 1);
  EXPECT_EQ(move.side, 0);
  EXPECT_EQ(move.moveNumber, 1);
  EXPECT_EQ(move.bracePosition, 6);
  EXPECT_EQ(move.from, Sq("e2"));
  EXPECT_EQ(move.to, Sq("e4"));
  EXPECT_EQ(p.clock[0], 175000);
  EXPECT_EQ(p.sideToMoveA, 1);
  EXPECT_EQ(p.epSquareA, Sq("e3"));

  p.sideToMoveB = 1;
  ASSERT_EQ(Play("zb.d5{175.9}"), 1);
  EXPECT_EQ(move.moveNumber, 999);
  EXPECT_EQ(move.clockSeconds, 175);
  EXPECT_EQ(p.clock[3], 175000);
  EXPECT_EQ(p.lastMoverSeat, 3);
  EXPECT_EQ(move.nextSeat, 2);
  EXPECT_EQ(p.sideToMoveB, 0);

  ASSERT_EQ(Play("1a.Nf6{170}{C:[T:1530][L:40][LagCompensatorSetOn:1]}"), 1);
  EXPECT_EQ(move.thinkingTime, 1530);
  EXPECT_EQ(game.LagCompensatorRead, 1);
  EXPECT_EQ(p.clock[1], 180000 - 1530);
  EXPECT_EQ(p.lag[1], 40);
  EXPECT_EQ(p.lagSum[1], 40);
  EXPECT_EQ(p.epSquareA, 0);  // any move clears the en-passant square

  EXPECT_EQ(Play("2A.d4{170}", 1), 0);
  EXPECT_EQ(game.ErrorLog, "\r\nErr: Bad move number.");
  game.PliesA = 2;
  EXPECT_EQ(Play("2A.d4{170}", 1), 1);
}

TEST_F(MovePlayer, FindsTheMovingPiece) {
  Start(gkBughouse, "....k.../......../......../......../......../.....N../......../.N..K...");
  ExpectRefused("1A.Nd2{180}", "More than 1 possible SquareFrom founded");
  EXPECT_EQ(move.candidateCount, 2);
  EXPECT_EQ(move.candidates[0], Sq("f3"));
  EXPECT_EQ(move.candidates[1], Sq("b1"));
  ASSERT_EQ(Play("1A.Nbd2{180}"), 1);
  EXPECT_EQ(move.from, Sq("b1"));
  EXPECT_EQ(move.candidateCount, 1);

  Start(gkBughouse, "....k.../......../......../......../......../.....N../......../.N..K...");
  ASSERT_EQ(Play("1A.N3d2{180}"), 1);
  EXPECT_EQ(move.from, Sq("f3"));

  // A pinned knight never moves; a pinned bishop moves along its pin.
  Start(gkBughouse, "....k.../......../......../......../.b....../......../...N..../....K...");
  ExpectRefused("1A.Nf3{180}", "More than 1 possible SquareFrom founded");
  EXPECT_EQ(move.candidateCount, 0);
  Start(gkBughouse, "....k.../......../......../......../.b....../......../...B..../....K...");
  ExpectRefused("1A.Be3{180}", "More than 1 possible SquareFrom founded");
  ASSERT_EQ(Play("1A.Bc3{180}"), 1);
  EXPECT_EQ(move.from, Sq("d2"));
}

TEST_F(MovePlayer, Castles) {
  Start(gkBughouse, "r...k..r/......../......../......../......../......../.....r../R...K..R");
  ASSERT_EQ(Play("5A.O-O{160}"), 1);  // through the attacked f1: no attack test
  ASSERT_EQ(Play("5a.0-0-0{160}"), 1);
  EXPECT_EQ(Diagram(p.boardA), "..kr...r/......../......../......../......../......../.....r../R....RK.");
  EXPECT_EQ(p.marksA[Sq("g1")] + p.marksA[Sq("f1")] + p.marksA[Sq("c8")] + p.marksA[Sq("d8")], 8);
  EXPECT_EQ(p.kingSquare[0], Sq("g1"));
  EXPECT_EQ(p.kingSquare[1], Sq("c8"));
  EXPECT_EQ(p.castlingA[0] + p.castlingA[1] + p.castlingA[2] + p.castlingA[3], 0);
  EXPECT_EQ(move.castlingKind, 4);
  EXPECT_EQ(move.landingPiece, pcBRook);

  Start(gkBughouse, "r...k..r/......../......../......../......../......../......../R...K..R");
  p.marksA[Sq("a1")] = 2;
  ExpectRefused("5A.O-O-O{160}", "Not possible O-O-O because of K or R already moved.");
  ASSERT_EQ(Play("5A.o-o{160}"), 1);
  EXPECT_EQ(move.castlingKind, 1);
}

TEST_F(MovePlayer, CapturesAndDropsPassThroughTheHands) {
  Start(gkBughouse, "....k.../......../......../...n..../..B...../......../......../....K...");
  p.marksA[Sq("c4")] = 1;
  ASSERT_EQ(Play("1A.Bxd5{170}"), 1);
  EXPECT_EQ(move.captured, pcBKnight);
  EXPECT_EQ(p.holdingsB[SlotOf(pcBKnight)], 1);
  EXPECT_EQ(p.marksA[Sq("d5")], 1);
  EXPECT_EQ(p.marksA[Sq("c4")], 0);

  // A promoted queen taken on B goes to A's hand as a white pawn.
  Fill(p, 2, "...rk.../......../......../......../...Q..../......../......../....K...");
  p.marksB[Sq("d4")] = 1;
  p.sideToMoveB = 1;
  ASSERT_EQ(Play("1b.Rxd4{170}"), 1);
  EXPECT_EQ(move.captured, pcWPawn);
  EXPECT_EQ(p.holdingsA[SlotOf(pcWPawn)], 1);
  EXPECT_EQ(p.marksB[Sq("d4")], 0);

  // Drops take from the board's own hand; lenient play lets a count go below 0.
  p.epSquareA = Sq("e3");
  ASSERT_EQ(Play("1a.N@e5{170}", 0, HandCheck::Lenient), 1);
  EXPECT_EQ(p.holdingsA[SlotOf(pcBKnight)], -1);
  EXPECT_EQ(move.dropped, pcBKnight);
  EXPECT_EQ(move.from, 0);
  EXPECT_EQ(p.epSquareA, 0);
  ASSERT_EQ(Play("2A.P@e3{170}"), 1);
  EXPECT_EQ(p.holdingsA[SlotOf(pcWPawn)], 0);
  EXPECT_EQ(p.boardA[Sq("e3")], pcWPawn);

  // En passant on B: the pawn behind is removed and goes to A's hand.
  Fill(p, 2, "....k.../...p..../......../....P.../......../......../......../....K...");
  p.sideToMoveB = 1;
  ASSERT_EQ(Play("1b.d5{170}"), 1);
  EXPECT_EQ(p.epSquareB, Sq("d6"));
  ASSERT_EQ(Play("2B.exd6{170}"), 1);
  EXPECT_EQ(move.captured, pcBPawn);
  EXPECT_EQ(Diagram(p.boardB), "....k.../......../...P..../......../......../......../......../....K...");
  EXPECT_EQ(p.holdingsA[SlotOf(pcBPawn)], 1);
  EXPECT_EQ(p.epSquareB, 0);

  // An en-passant square with no enemy pawn behind it takes nothing.
  Fill(p, 2, "....k.../......../......../....P.../......../......../......../....K...");
  p.epSquareB = Sq("d6");
  p.sideToMoveB = 0;
  ExpectRefused("3B.exd6{170}", "Bad pawn capture.");
}

TEST_F(MovePlayer, PawnStepsAndPromotions) {
  // The double step is taken whenever the square behind the target is empty.
  Start(gkBughouse, "....k.../......../......../......../......../....P.../......../....K...");
  ASSERT_EQ(Play("1A.e5{170}"), 1);
  EXPECT_EQ(move.from, Sq("e3"));
  EXPECT_EQ(p.epSquareA, Sq("e4"));

  Start(gkBughouse, kPawns);
  ASSERT_EQ(Play("1A.g8=Q{170}"), 1);
  EXPECT_EQ(Diagram(p.boardA), ".....rQ./.....P../...ppk.R/....P.../.p....../......../......../....K...");
  EXPECT_EQ(p.marksA[Sq("g8")], 1);
  EXPECT_EQ(move.promotion, 1);
  EXPECT_EQ(move.landingPiece, pcWQueen);

  Start(gkBughouse, kPawns);
  ASSERT_EQ(Play("1A.gxf8=N{170}"), 1);
  EXPECT_EQ(Diagram(p.boardA), ".....N../.....P../...ppk.R/....P.../.p....../......../......../....K...");
  EXPECT_EQ(p.holdingsB[SlotOf(pcBRook)], 1);

  Start(gkBughouse, "....k.../......../......../......../......../......../.p....../....K...", 1);
  ASSERT_EQ(Play("1a.b1=R{170}"), 1);
  EXPECT_EQ(p.boardA[Sq("b1")], pcBRook);
}

TEST_F(MovePlayer, IngolsPawns) {
  Start(gkIngols, kIngols);
  ASSERT_EQ(Play("1A.d4e4{290}"), 1);
  EXPECT_EQ(move.from, Sq("d4"));
  Start(gkIngols, kIngols);
  ASSERT_EQ(Play("1A.3e4{290}"), 1);
  EXPECT_EQ(move.from, Sq("e3"));
  Start(gkIngols, "...r...k/......../......../......../...P..../......../......../...K....");
  ExpectRefused("1A.d4e4{290}", "More than 1 possible SquareFrom founded");  // pinned on the file
  ASSERT_EQ(Play("1A.d5{290}"), 1);
  Start(gkIngols, kIngols);
  ASSERT_EQ(Play("1A.g7g8=R{290}"), 1);
  EXPECT_EQ(p.boardA[Sq("g8")], pcWRook);

  // Any rank may promote; a king only when the mover has none.
  Start(gkIngols, "k......./......../......P./......../......../......../......../........");
  ASSERT_EQ(Play("1A.g6g7=K{290}"), 1);
  EXPECT_EQ(p.kingSquare[0], Sq("g7"));
  EXPECT_EQ(p.marksA[Sq("g7")], 1);
}

TEST_F(MovePlayer, ChargesTheClock) {
  auto clockAfter = [&](int delay, const std::string& t, int32_t clock) {
    game.SetupStandardPosition(p);
    game.LagCompensatorSeconds = delay;
    p.clock[0] = clock;
    EXPECT_EQ(Play("1A.e4{1}{C:[T:" + t + "][L:40]}"), 1);
    return p.clock[0];
  };
  EXPECT_EQ(clockAfter(2, "1500", 180000), 180000);
  EXPECT_EQ(clockAfter(2, "5000", 180000), 177000);
  EXPECT_EQ(clockAfter(2, "200000", 180000), 0);
  EXPECT_EQ(clockAfter(0, "1500", 180000), 178500);
  EXPECT_EQ(clockAfter(0, "2147483647", INT_MIN + 5), INT_MIN);
  EXPECT_EQ(clockAfter(INT_MIN, "5000", 180000), INT_MIN);
  EXPECT_EQ(clockAfter(0, "bad", 7), 7);

  game.SetupStandardPosition(p);
  p.lagSum[0] = INT_MAX - 1;
  ASSERT_EQ(Play("1A.e4{1}{C:[T:0][L:2147483647]}"), 1);
  EXPECT_EQ(p.lagSum[0], INT_MAX);
  ASSERT_EQ(Play("1a.e5{2147483647}"), 1);
  EXPECT_EQ(p.clock[1], INT_MAX);
}

TEST_F(MovePlayer, MovesTheCoin) {
  Start(gkCoin, kStart);
  ASSERT_EQ(Play("1A.Nf3{290}"), 1);
  EXPECT_EQ(p.coinSquare[0], Sq("d6"));
  EXPECT_EQ(p.coinSquare[1], Sq("e4"));
  p.coinSquare[0] = Sq("e1");
  ExpectRefused("1a.e5{290}", "Coin would leave the board.");
  // A sideways shift must not wrap the coin round to the next rank.
  p.coinSquare[0] = Sq("a5");
  ExpectRefused("1a.Nb8a6{290}", "Coin would leave the board.");
  p.coinSquare[0] = Sq("b5");
  ASSERT_EQ(Play("1a.Nb8a6{290}"), 1);
  EXPECT_EQ(p.coinSquare[0], Sq("a3"));
}

TEST_F(MovePlayer, ArbitraryTokensKeepPositionsSound) {
  // Moves of every shape for the side to move on random squares, some of
  // them garbled, across all game kinds.
  const char alphabet[] = "abcdefghi0189xO-=@{}.[]:TLPNBRQKAB \xff";
  std::mt19937 random(7);
  auto pick = [&](const char* from) { return from[random() % std::strlen(from)]; };
  auto square = [&] { return std::string{pick("abcdefgh"), pick("12345678")}; };
  const int kinds[] = {gkBughouse, gkOther, gkCoin, gkIngols};
  for (int kind : kinds) {
    int playedCount = 0;
    Start(kind, kStart);
    if (kind == gkIngols) game.SetupIngolsPosition(p);
    for (int i = 0; i < kSlots; ++i) p.holdingsA[i] = p.holdingsB[i] = 1;
    for (int round = 0; round < 4000; ++round) {
      const int board = 1 + random() % 2;
      std::string token = "1";
      token += static_cast<char>((board == 1 ? 'A' : 'B') + 32 * *BoardOf(p, board).sideToMove);
      token += '.';
      switch (random() % 6) {
        case 0: token += (random() % 2 ? square() : "") + square(); break;
        case 1: token += std::string{pick("abcdefgh"), 'x'} + square(); break;
        case 2: token += pick("NBRQK") + (random() % 2 ? square() : "") + (random() % 2 ? "x" : "") + square(); break;
        case 3: token += std::string{pick("PNBRQK"), '@'} + square(); break;
        case 4: token += random() % 2 ? "O-O" : "O-O-O"; break;
        default: token += square() + '=' + pick("QRBNKP"); break;
      }
      token += random() % 4 ? "{1}" : "{1}{C:[T:-9][L:2147483647]}";
      for (int k = random() % 8 < 5 ? 0 : 1 + random() % 3; k > 0; --k) {
        const size_t at = random() % (token.size() + 1);
        const char c = pick(alphabet);
        if (random() % 2 && at < token.size()) token[at] = c;
        else token.insert(at, 1, c);
      }
      const TwoBoardPosition before = p;
      const int played = Play(token);
      playedCount += played;
      SCOPED_TRACE(token);
      size_t lines = 0;
      for (size_t at = game.ErrorLog.find("\r\nErr: "); at != std::string::npos;
           at = game.ErrorLog.find("\r\nErr: ", at + 1))
        ++lines;
      ASSERT_EQ(lines, played ? 0u : 1u);
      ASSERT_TRUE(played || SameButPins(before, p));
      for (int b = 1; b <= 2; ++b) {
        const BoardRef r = BoardOf(p, b);
        for (int s = 0; s < kSquares; ++s) ASSERT_TRUE(IsPlayingSquare(s) || r.squares[s] == pcBorder);
        ASSERT_TRUE(IsPlayingSquare(r.kingSquare[0]) && IsPlayingSquare(r.kingSquare[1]));
        ASSERT_EQ(r.squares[r.kingSquare[0]], pcWKing);
        ASSERT_EQ(r.squares[r.kingSquare[1]], pcBKing);
        for (int i = 0; i < kSlots; ++i) ASSERT_GE(r.holdings[i], 0);
      }
    }
    EXPECT_GT(playedCount, 40);
  }
}
