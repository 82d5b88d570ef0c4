#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>
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

TEST(Probe, RepairsAFileIntoGoodAndBadGames) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(::testing::TempDir()) / ("kestroprobe_repair_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string in = (dir / "in.bpgn").string(), good = (dir / "good.bpgn").string(),
                    bad = (dir / "bad.bpgn").string();
  const std::string refused = "[Event \"b\"]\r\n[Site \"\xA4\xF6\"]\r\n1A.e4{180} 1a.e5{179} *\r\n";
  const std::string input = "[Event \"a\"]\r\n1A.e4{180} 1B.d4{180} {White A resigns} 0-1\r\n" + refused +
                            "[Event \"c\"]\r\n1A.e4{180} 1B.d4{180} *";
  std::ofstream(in, std::ios::binary) << input;
  std::ostringstream out, err;
  ASSERT_EQ(RunProbe({"repair", in, good, bad}, out, err), 0) << err.str();
  EXPECT_EQ(out.str(),
            "Successfully processed BPGN1, length " + std::to_string(input.size()) +
                " Bytes, games 3, repaired 2, Errors founded in 1 -> BPGN3, duplicity founded 1, Out -> BPGN2 games 1.\n"
                "games=3 repaired=2 duplicates=1 written=1 errors=1 skipped=0\n");
  auto read = [](const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  };
  EXPECT_EQ(read(good), "\r\n[Event \"a\"]\r\n1A.e4 {180}1B.d4 {180}\r\n\r\n{White A resigns}0-1\r\n");
  EXPECT_EQ(read(bad), refused);

  // The input and the two outputs must be three files.
  out.str("");
  EXPECT_EQ(RunProbe({"repair", in, in, bad}, out, err), 2);
  EXPECT_EQ(RunProbe({"repair", in, good, (dir / "." / "good.bpgn").string()}, out, err), 2);
  EXPECT_EQ(RunProbe({"repair", (dir / "none.bpgn").string(), good, bad}, out, err), 2);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(read(in), input);
  fs::remove_all(dir);
}
