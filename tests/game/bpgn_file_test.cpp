#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/bpgn_file.h"
#include "game/kestro_game.h"

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

TEST(PgnConversion, MarksNagsAndVariationsGoCommentsStay) {
  // Suffix marks and NAGs, glued or alone.
  EXPECT_EQ(CBpgn::ConvertPgnToBpgn("1. e4! e5?! 2. Nf3!! $1 Nc6??$4 3. Bb5!? a6? $2 1-0"),
            "1A.e4{0} 1a.e5{0} 2A.Nf3{0} 2a.Nc6{0} 3A.Bb5{0} 3a.a6{0} 1-0");
  // Nested variations after either move; a ")" in a comment closes nothing,
  // a "(" in a comment of the main line stays.
  EXPECT_EQ(CBpgn::ConvertPgnToBpgn("1. e4 (1. d4 d5 (1... Nf6 {a (b} 2. c4) 2. c4) 1... e5 {x (y)}\r\n"
                                    "(1... c5 {)} 2. Nf3 (2. c3)) 2. Nf3 *"),
            "1A.e4{0} 1a.e5 {x (y)}\r\n2A.Nf3{0} *");
  // A second comment after black's move, "2. ..." after white's comment, a
  // rest-of-line comment and a comment before white's move.
  EXPECT_EQ(CBpgn::ConvertPgnToBpgn("1. e4 e5 { x. } { [%eval 1.19] } 2. Nf3 {a.} {b} 2. ... Nc6 ; to {the} end\r\n"
                                    "3. {c.} Bb5 a6 1/2-1/2"),
            "1A.e4{0} 1a.e5 { x. } { [%eval 1.19] } 2A.Nf3{a.}{b} 2a.Nc6 { to the end}\r\n"
            "{c.} 3A.Bb5{0} 3a.a6{0} 1/2-1/2");
  // A game without a result still ends before the next game's tags.
  CBpgn f = CBpgn::FromText("[Event \"a\"]\n1. e4 e5\n\n[Event \"b\"]\n1. d4\n[Event \"c\"]\n1. c4 *", "x.pgn");
  ASSERT_EQ(f.GameCount(), 3);
  EXPECT_EQ(f.GetGame(1), "[Event \"a\"]\n1A.e4{0} 1a.e5{0}\r\n");
  EXPECT_EQ(f.GetGame(2), "[Event \"b\"]\n1A.d4{0}\r\n");
}

namespace {

// A game as an analysis site exports it: clock and eval comments, judgments,
// suffix marks, NAGs and nested variations, "N..." before every black move.
const char kAnalysed[] =
    "[Event \"Rated Blitz game\"]\n"
    "[Site \"https://analysis.example/Xq7TbP2d\"]\n"
    "[Date \"2025.11.02\"]\n"
    "[White \"J\xC3\xBCrgen Ma\xC3\x9F\"]\n"
    "[Black \"Isolde_R\"]\n"
    "[Result \"1-0\"]\n"
    "[UTCDate \"2025.11.02\"]\n"
    "[UTCTime \"20:14:07\"]\n"
    "[WhiteElo \"1874\"]\n"
    "[BlackElo \"1902\"]\n"
    "[WhiteRatingDiff \"+7\"]\n"
    "[BlackRatingDiff \"-7\"]\n"
    "[Variant \"Standard\"]\n"
    "[TimeControl \"180+2\"]\n"
    "[ECO \"C41\"]\n"
    "[Opening \"Philidor Defense\"]\n"
    "[Termination \"Normal\"]\n"
    "[Annotator \"analysis.example\"]\n"
    "\n"
    "1. e4 { [%eval 0.36] [%clk 0:03:00] } 1... e5 { [%eval 0.3] [%clk 0:03:00] } 2. Nf3 { [%eval 0.33] "
    "[%clk 0:03:01] } 2... d6 { [%eval 0.49] [%clk 0:03:01] } 3. d4 { [%eval 0.47] [%clk 0:03:02] }\n"
    "3... Bg4?! { (0.47 \xE2\x86\x92 1.13) Inaccuracy. exd4 was best. } { [%eval 1.13] [%clk 0:02:57] } "
    "(3... exd4 4. Nxd4 Nf6 5. Nc3 (5. Bd3 Be7) 5... Be7) 4. dxe5 { [%eval 1.05] [%clk 0:02:58] }\n"
    "4... Bxf3 { [%eval 1.21] [%clk 0:02:55] } 5. Qxf3 $1 { [%eval 1.2] [%clk 0:02:59] } 5... dxe5 "
    "{ [%eval 1.24] [%clk 0:02:54] } 6. Bc4 { [%eval 1.3] [%clk 0:02:58] } 6... Nf6?\n"
    "{ (1.30 \xE2\x86\x92 2.94) Mistake. Qf6 was best. } { [%eval 2.94] [%clk 0:02:50] } (6... Qf6 7. Qb3 "
    "{ (a) the usual try } 7... b6 (7... Nc6?! 8. Qxb7 $16)) 7. Qb3! { [%eval 2.88] [%clk 0:02:55] }\n"
    "7... Qe7 $6 { [%eval 3.02] [%clk 0:02:41] } 8. Nc3 { [%eval 2.97] [%clk 0:02:51] } 8... c6 "
    "{ [%eval 3.3] [%clk 0:02:30] } 9. Bg5 { [%eval 3.25] [%clk 0:02:47] } 9... b5?? { (3.25 \xE2\x86\x92 "
    "6.80) Blunder. Na6 was best. } { [%eval 6.8] [%clk 0:02:22] } (9... Na6 10. a3) 10. Nxb5!! $3\n"
    "{ [%eval 6.7] [%clk 0:02:40] } 10... cxb5 { [%eval 7.1] [%clk 0:02:20] } 11. Bxb5+ "
    "{ [%eval 7.05] [%clk 0:02:38] } 11... Nbd7 { [%eval 7.3] [%clk 0:02:18] } 12. O-O-O "
    "{ [%eval 7.2] [%clk 0:02:35] } 12... Rd8 { [%eval 8.1] [%clk 0:02:09] } 13. Rxd7! "
    "{ [%eval 8.0] [%clk 0:02:33] } 13... Rxd7 { [%eval 8.4] [%clk 0:02:08] } 14. Rd1 "
    "{ [%eval 8.3] [%clk 0:02:31] } 14... Qe6 { (8.30 \xE2\x86\x92 #3) Checkmate is now unavoidable. "
    "Qb4 was best. } { [%eval #3] [%clk 0:01:58] } (14... Qb4 15. Bxd7+ Nxd7 16. Qe3) 15. Bxd7+ "
    "{ [%eval #2] [%clk 0:02:27] } 15... Nxd7 { [%eval #2] [%clk 0:01:55] } 16. Qb8+!! "
    "{ [%eval #1] [%clk 0:02:24] } 16... Nxb8 { [%eval #1] [%clk 0:01:54] } 17. Rd8# "
    "{ [%clk 0:02:23] } { White wins by checkmate. } 1-0\n"
    "\n";

// The "{...}" comments of a text, in order, outside any "(...)".
std::vector<std::string> MainLineComments(const std::string& text) {
  std::vector<std::string> comments;
  int depth = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{') {
      const size_t close = text.find('}', i);
      if (depth == 0) comments.push_back(text.substr(i, close + 1 - i));
      i = close;
    } else {
      depth += text[i] == '(' ? 1 : text[i] == ')' ? -1 : 0;
    }
  }
  return comments;
}

}  // namespace

TEST(PgnConversion, AnalysedGameReplaysToItsLastMoveWithItsComments) {
  const std::string pgn = CBpgn::JoinLines(kAnalysed);
  CBpgn file = CBpgn::FromText(pgn, "analysed.pgn");
  ASSERT_EQ(file.GameCount(), 1);
  const std::string bpgn = file.GetGame(1);
  EXPECT_EQ(MainLineComments(bpgn), MainLineComments(pgn)) << bpgn;

  CKestroGame game(bpgn, 1);
  ASSERT_EQ(game.LoadFailed, 0) << game.ErrorLog << "\n" << bpgn;
  const char* const moves[] = {"e4", "e5", "Nf3", "d6", "d4", "Bg4", "dxe5", "Bxf3", "Qxf3", "dxe5", "Bc4",
                               "Nf6", "Qb3", "Qe7", "Nc3", "c6", "Bg5", "b5", "Nxb5", "cxb5", "Bxb5", "Nbd7",
                               "O-O-O", "Rd8", "Rxd7", "Rxd7", "Rd1", "Qe6", "Bxd7", "Nxd7", "Qb8", "Nxb8", "Rd8"};
  ASSERT_EQ(game.MoveCount, static_cast<int>(std::size(moves)));
  // Each move keeps its number, its text and the comments after it; the
  // loader drops "#" and "+" even inside comments.
  std::vector<std::string> loaded;
  for (int k = 0; k < game.MoveCount; ++k) {
    const std::string& token = game.Moves[static_cast<size_t>(k)].token;
    const std::string number = std::to_string(k / 2 + 1) + (k % 2 ? "a." : "A.");
    EXPECT_EQ(token.substr(0, token.find('{')), number + moves[k]) << token;
    for (const std::string& c : MainLineComments(token)) loaded.push_back(c);
  }
  for (const std::string& c : MainLineComments(game.TailPart)) loaded.push_back(c);
  std::vector<std::string> expected = MainLineComments(pgn);
  for (std::string& c : expected) std::erase_if(c, [](char ch) { return ch == '#' || ch == '+'; });
  EXPECT_EQ(loaded, expected);

  TwoBoardPosition end;
  game.GetPositionAtMove(end, game.MoveCount);
  EXPECT_EQ(game.ReplayIndex, 33);
  const std::string bfen = CKestroGame::PositionToBfen(end);
  EXPECT_EQ(bfen.substr(0, bfen.find(" | ")), "1n1Rkb1r/p4ppp/4q3/4p1B1/4P3/8/PPP2PPP/2K5 b kq - 0 0")
      << "only king moves clear castling rights";
  EXPECT_EQ(game.PlayerNames[0], "J\xC3\xBCrgen Ma\xC3\x9F");
  EXPECT_EQ(game.PlayerElos[1], "1902");
  EXPECT_EQ(game.PlayerNames[2], "NoPlayer");
}
