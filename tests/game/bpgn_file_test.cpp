#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "game/bpgn_file.h"

namespace {

const std::string kThree =
    "junk before\r\n"
    "[Event \"one\"]\r\n[EventDate \"2026.01.01\"]\r\n1A.e4{180}1B.d4{180}\r\n\r\n"
    "[Event \"two\"]\r\n1A.e4{180}\r\n\r\n"
    "[Event \"three\"]\r\n1B.e4{180}1A.d4{180}\r\n";

}  // namespace

TEST(BpgnFile, CutsGamesAtEventTagsOnly) {
  CBpgn f = CBpgn::FromText(kThree, "games.bpgn");
  EXPECT_EQ(f.GameCount(), 3) << "[EventDate does not start a game";
  EXPECT_EQ(f.GetGame(1), "[Event \"one\"]\r\n[EventDate \"2026.01.01\"]\r\n1A.e4{180}1B.d4{180}\r\n\r\n");
  EXPECT_EQ(f.GameNumber, 1);
  EXPECT_EQ(f.GetGame(3), "[Event \"three\"]\r\n1B.e4{180}1A.d4{180}\r\n");
  EXPECT_EQ(f.GameNumber, 3);
  EXPECT_EQ(f.Log(), "BPGN1.Length: 146 Bytes.\r\n\r\nNot founded first moves on both chessborads (1A. and 1B. ), "
                   "skipping game. |Game:2 Successfully processed BPGN1, length 146 Bytes, games 3");
  EXPECT_EQ(f.GetGame(5), f.GetGame(1)) << "past the end gives game 1";
  EXPECT_EQ(f.GameNumber, 1);
  EXPECT_EQ(f.Log(), "BPGN1.Length: 146 Bytes.\r\nSuccessfully processed BPGN1, length 146 Bytes, games 1");
  EXPECT_EQ(f.GetGame(0), f.GetGame(1));
  EXPECT_EQ(f.GetGame(2).substr(0, 14), "[Event \"two\"]\r");
  f.GetGame(3);
  f.GetGame(2);
  EXPECT_EQ(f.Log(), "BPGN1.Length: 146 Bytes.\r\n\r\nNot founded first moves on both chessborads (1A. and 1B. ), "
                     "skipping game. |Game:2 Successfully processed BPGN1, length 146 Bytes, games 2")
      << "the notes of the last cut only";

  CBpgn none = CBpgn::FromText("no games here at all", "x.bpgn");
  EXPECT_EQ(none.GetGame(1), "");
  CBpgn tiny = CBpgn::FromText("[Event]", "x.bpgn");
  EXPECT_EQ(tiny.GetGame(1), "");
}

TEST(BpgnFile, LoadsFilesWithAnyLineEnds) {
  const std::string path = ::testing::TempDir() + "kv_lines.bpgn";
  {
    std::ofstream out(path, std::ios::binary);
    out << "[Event \"e\"]\n[WhiteA \"J\xF6rg\"]\r\n1A.e4{180}\r1a.e5{180}";
  }
  CBpgn f(path);
  EXPECT_EQ(f.Text, "[Event \"e\"]\r\n[WhiteA \"J\xF6rg\"]\r\n1A.e4{180}\r\n1a.e5{180}\r\n");
  EXPECT_EQ(f.Log(), "BPGN : (54B) " + path);
  EXPECT_EQ(f.TextLength, 54);
  std::remove(path.c_str());
  EXPECT_THROW(CBpgn("/nonexistent/dir/none.bpgn"), BpgnFileError);
}

TEST(BpgnFile, AFolderIsAFileErrorToo) {
  // The folder opens as a stream; reading it fails.
  EXPECT_THROW(CBpgn{::testing::TempDir()}, BpgnFileError);
  EXPECT_THROW(CBpgn("."), BpgnFileError);
}

TEST(BpgnFile, EventInsideATagValueStartsNoGame) {
  const std::string one = "[Event \"x\"]\n[WhiteA \"my [Event z\"]\n1A.e4{1} 1B.d4{1}";
  CBpgn f = CBpgn::FromText(one, "x.bpgn");
  EXPECT_EQ(f.GameCount(), 1);
  EXPECT_EQ(f.GetGame(1), one);

  // Games start at line starts (after blanks) and right after another tag.
  CBpgn g = CBpgn::FromText(
      "[Event \"a\"]\r\n1A.e4{1} 1B.d4{1}\r\n[Site \"s\"][Event \"b\"]\r\n1A.d4{1} 1B.e4{1}\r\n"
      "  \t[Event \"c\"]\r\n1B.e4{1} 1A.d4{1}\r\n[Round \"1 [Event\"][EventDate \"d\"]",
      "y.bpgn");
  ASSERT_EQ(g.GameCount(), 3);
  EXPECT_EQ(g.GetGame(2).substr(0, 13), "[Event \"b\"]\r\n");
  EXPECT_EQ(g.GetGame(3), "[Event \"c\"]\r\n1B.e4{1} 1A.d4{1}\r\n[Round \"1 [Event\"][EventDate \"d\"]");
}

TEST(PgnConversion, TagsAndMovesBecomeBoardA) {
  const std::string pgn =
      "[Event \"Casual\"]\r\n[White \"Ann\"]\r\n[Black \"Bob\"]\r\n\r\n1. e4 e5 2. Nf3 Nc6 1-0\r\n";
  EXPECT_EQ(CBpgn::ConvertPgnToBpgn(pgn),
            "[Event \"Casual\"]\r\n[WhiteA \"Ann\"]\r\n[BlackA \"Bob\"]\r\n[WhiteB \"NoPlayer\"]\r\n"
            "[BlackB \"NoPlayer\"]\r\n\r\n1A.e4{0} 1a.e5{0} 2A.Nf3{0} 2a.Nc6{0} 1-0\r\n");

  const std::string rated = "[White \"A\"]\n[Black \"B\"]\n[WhiteElo \"1500\"]\n[BlackElo \"1600\"]\n";
  EXPECT_EQ(CBpgn::ConvertPgnToBpgn(rated),
            "[WhiteA \"A\"]\n[BlackA \"B\"]\r\n[WhiteB \"NoPlayer\"]\r\n[BlackB \"NoPlayer\"]\n"
            "[WhiteAElo \"1500\"]\n[BlackAElo \"1600\"]\r\n[WhiteBElo \"0\"]\r\n[BlackBElo \"0\"]\n");
}

TEST(PgnConversion, CommentsResultsAndTheLastMove) {
  EXPECT_EQ(CBpgn::ConvertPgnToBpgn("1. e4 {best} e5 {reply} 2. d4 1-0"),
            "1A.e4{best} 1a.e5 {reply} 2A.d4{0} 1-0");
  EXPECT_EQ(CBpgn::ConvertPgnToBpgn("1. e4 e5 2. Qh5 *"), "1A.e4{0} 1a.e5{0} 2A.Qh5{0} *");
  // No white space at the end: the last move is still closed.
  EXPECT_EQ(CBpgn::ConvertPgnToBpgn("1. e4 e5"), "1A.e4{0} 1a.e5{0}");
  EXPECT_EQ(CBpgn::ConvertPgnToBpgn("1. e4 {w} 1... e5 2. d4"), "1A.e4{w} 1a.e5{0} 2A.d4{0} ");
  EXPECT_EQ(CBpgn::ConvertPgnToBpgn("1. e4 e5 2. O-O 0-0"), "1A.e4{0} 1a.e5{0} 2A.O-O{0} 2a.0-0{0}");
  // Truncated text: an unclosed comment or tag ends with the text.
  EXPECT_EQ(CBpgn::ConvertPgnToBpgn("1. e4 {never closed"), "1A.e4{never closed ");
  EXPECT_EQ(CBpgn::ConvertPgnToBpgn("[White \"x"), "[WhiteA \"x ");
}

TEST(PgnConversion, PgnFileIsConvertedOnLoad) {
  CBpgn f = CBpgn::FromText("[Event \"c\"]\r\n[White \"W\"]\r\n[Black \"B\"]\r\n1. d4 d5 0-1\r\n", "old.Pgn");
  ASSERT_EQ(f.GameCount(), 1);
  EXPECT_NE(f.GetGame(1).find("1A.d4{0} 1a.d5{0} 0-1"), std::string::npos);
  EXPECT_NE(f.Log().find("Not founded first moves"), std::string::npos) << "one-board games lack 1B.";
}
