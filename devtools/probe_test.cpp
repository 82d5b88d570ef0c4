#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "devtools/probe.h"
#include "game/bpgn_file.h"
#include "game/kestro_game.h"

TEST(Probe, WritesEveryKindOfLegalMoveEntry) {
  auto text = [](int kind, int from, int to, int promotion = 0) {
    return LegalEntryText(LegalMoveEntry{kind, from, to, promotion, 0, 0});
  };
  EXPECT_EQ(text(mkMoveA, sq::e1, sq::g1), "Ae1g1");
  EXPECT_EQ(text(mkMoveB, sq::e8, sq::c8), "Be8c8");
  EXPECT_EQ(text(mkMoveA, SquareOf(0, 6), sq::b8, pcWQueen), "Aa7b8=Q");
  EXPECT_EQ(text(mkMoveB, SquareOf(7, 1), sq::h1, pcBKnight), "Bh2h1=N");
  // Ingols promotions: rook, bishop and king as well.
  EXPECT_EQ(text(mkMoveA, SquareOf(6, 6), sq::g8, pcWRook), "Ag7g8=R");
  EXPECT_EQ(text(mkMoveB, SquareOf(2, 1), SquareOf(2, 1) - 1, pcBBishop), "Bc2b2=B");
  EXPECT_EQ(text(mkMoveA, SquareOf(7, 6), sq::h8, pcWKing), "Ah7h8=K");
  // Drops: `from` is the holding slot, white P B N R Q then black.
  const char* kLetters = "PBNRQ";
  for (int slot = 0; slot < kSlots; ++slot) {
    const int kind = slot < 5 ? mkWhiteDropA : mkBlackDropB;
    const std::string expected = std::string(slot < 5 ? "A@" : "B@") + kLetters[slot % 5] + "e4";
    EXPECT_EQ(text(kind, slot, sq::e4), expected) << "slot " << slot;
  }
  EXPECT_EQ(text(mkBlackDropA, 9, sq::a1), "A@Qa1");
  EXPECT_EQ(text(mkWhiteDropB, 1, sq::h8), "B@Bh8");
}

TEST(Probe, EscapesOnlyLineEnds) {
  EXPECT_EQ(EscapeLineEnds("\r\nErr: x.\r|y\n\\"), "\\r\\nErr: x.\\r|y\\n\\");
  EXPECT_EQ(EscapeLineEnds("J\xF6rg\t"), "J\xF6rg\t");
  EXPECT_EQ(EscapeLineEnds(""), "");
}

TEST(Probe, ReportsFollowTheGamesOfTheFile) {
  CBpgn none = CBpgn::FromText("no games in this text\r\n", "none.bpgn");
  EXPECT_EQ(ReplayReport(none), "");
  EXPECT_EQ(LegalReport(none), "");

  // The legal report walks the moves that were played, up to a refused one.
  CBpgn refused = CBpgn::FromText("[Event \"e\"]\r\n1A.e4{179}1A.d4{178}\r\n", "refused.bpgn");
  EXPECT_EQ(ReplayReport(refused),
            "game 1 failed=1 moves=1 errors=\\r\\nErr: Bad side on BoardA trying move.\n"
            "final rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 179 180 | "
            "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 180 180\n");
  const std::string legal = LegalReport(refused);
  ASSERT_EQ(std::count(legal.begin(), legal.end(), '\n'), 2);
  const std::string ply1 = legal.substr(legal.find("ply 1 "));
  EXPECT_EQ(ply1.find("Ad2d4"), std::string::npos) << "white A is not to move after 1A.e4";
  EXPECT_NE(ply1.find(" Ae7e5 "), std::string::npos);
  EXPECT_NE(ply1.find(" Bd2d4 "), std::string::npos);
}

TEST(Probe, KeepsStandardOutputForTheReport) {
  std::ostringstream out, err;
  EXPECT_EQ(RunProbe({"replay"}, out, err), 2);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("usage"), std::string::npos);
  err.str("");
  EXPECT_EQ(RunProbe({"legal", "/nonexistent/dir/x.bpgn"}, out, err), 2);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find("x.bpgn"), std::string::npos);
}
