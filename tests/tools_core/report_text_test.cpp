// The report: diagrams, move tables, the export of a file and flipping boards.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/core/report_text.h"

namespace {

// Records what a report writes, one entry per call.
class RecordingSink : public ReportSink {
 public:
  std::vector<std::string> ops;
  void SetFont(const std::string& family, int points) override {
    ops.push_back("<font " + family + " " + std::to_string(points) + ">");
  }
  void SetSize(int points) override { ops.push_back("<size " + std::to_string(points) + ">"); }
  void ResetAttributes() override { ops.push_back("<reset>"); }
  void AddLine(const std::string& text) override { ops.push_back(text); }
};

std::string Cell(const std::string& token, size_t width = 17) {
  std::string cell = token;
  if (cell.size() < width) cell.resize(width, ' ');
  return cell + " ";
}

const std::string F = "................. ";
const std::string kTags = "[Event \"T\"]\r\n[WhiteA \"a\"][BlackA \"b\"][WhiteB \"c\"][BlackB \"d\"]";

std::string Join(const std::vector<std::string>& lines) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
  return out;
}

int Square(const char* name) { return CKestroGame::SquareFromName(name[0], name[1]); }

TEST(DiagramText, StartPositionShowsBothBoardsFacingTheirPartners) {
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  const std::string empty = " , , , , ,";
  EXPECT_EQ(PositionToDiagramText(game, p), Join({"  " + empty + " , " + empty,
                                                  " !\"\"\"\"\"\"\"\"#!\"\"\"\"\"\"\"\"#<",
                                                  " $tMvWlVmT%$rNbKqBnR%",
                                                  " $OoOoOoOo%$PpPpPpPp%",
                                                  " $ + + + +%$ + + + +%",
                                                  " $+ + + + %$+ + + + %",
                                                  " $ + + + +%$ + + + +%",
                                                  " $+ + + + %$+ + + + %",
                                                  " $pPpPpPpP%$oOoOoOoO%",
                                                  " $RnBqKbNr%$TmVlWvMt%",
                                                  ">/(((((((()/(((((((() ",
                                                  "  " + empty + " , " + empty}));
}

TEST(DiagramText, OneBoardGameHandsCountsMarksAndCoin) {
  CKestroGame game;
  game.BoardsFound = 1;
  game.GameKind = gkCoin;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  p.sideToMoveA = 1;
  p.holdingsA[0] = 12;  // white pawns
  p.holdingsA[9] = 1;   // a black queen
  p.holdingsA[8] = 2;   // two black rooks
  p.coinSquare[0] = Square("e4");
  const std::string text = PositionToDiagramText(game, p);
  EXPECT_EQ(text, Join({"  w,2t , , ,",
                        ">!\"\"\"\"\"\"\"\"#",
                        " $tMvWlVmT%",
                        " $OoOoOoOo%",
                        " $ + + + +%",
                        " $+ + + + %",
                        " $ + +x+ +%",
                        " $+ + + + %",
                        " $pPpPpPpP%",
                        " $RnBqKbNr%",
                        " /(((((((()",
                        "   , , , ,12p"}));
  // Without the Coin variant the coin square is drawn as what stands there.
  game.GameKind = gkBughouse;
  EXPECT_EQ(PositionToDiagramText(game, p).find('x'), std::string::npos);
}

TEST(DiagramText, BlackToMoveOnBoardBIsMarkedBelowIt) {
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  p.sideToMoveB = 1;
  p.holdingsB[1] = 1;  // a white bishop on B, shown in B's top hand
  const std::string text = PositionToDiagramText(game, p);
  EXPECT_NE(text.find("   , , , , , ,  , , ,b, ,\n"), std::string::npos) << text;
  EXPECT_NE(text.find("#!\"\"\"\"\"\"\"\"#\n"), std::string::npos);
  EXPECT_NE(text.find(">/(((((((()/(((((((()<\n"), std::string::npos);
}

TEST(GameTable, FourColumnsWithFillersForSkippedColumns) {
  CKestroGame game(kTags + "\r\n\r\n1A.e4{180} 1a.e5{180} 1B.d4{180} 1b.d5{179} 2A.Nf3{178} 2B.c4{177}\r\n{Over} *",
                   1);
  ASSERT_EQ(game.MoveCount, 6) << game.ErrorLog;
  RecordingSink sink;
  WriteGameRtf(sink, game, 0);
  EXPECT_EQ(sink.ops, (std::vector<std::string>{
                          game.TagPart,
                          Cell("1A.e4{180}") + Cell("1a.e5{180}") + Cell("1B.d4{180}") + Cell("1b.d5{179}"),
                          Cell("2A.Nf3{178}") + F + Cell("2B.c4{177}"),
                          game.TailPart}));
  EXPECT_EQ(game.ReplayIndex, 5);  // left before the last move, as the table's last replay
}

TEST(GameTable, GameOpeningOnBoardBStartsWithTwoFillers) {
  CKestroGame game(kTags + "\r\n\r\n1B.d4{180} 1A.e4{180} 1b.d5{179}\r\n", 1);
  ASSERT_EQ(game.MoveCount, 3) << game.ErrorLog;
  RecordingSink sink;
  WriteGameRtf(sink, game, 0);
  ASSERT_EQ(sink.ops.size(), 4u);
  EXPECT_EQ(sink.ops[1], F + F + Cell("1B.d4{180}"));
  EXPECT_EQ(sink.ops[2], Cell("1A.e4{180}") + F + F + Cell("1b.d5{179}"));
}

// Ten knight moves each way on board A: one table line per full move.
std::string ShuffleGame() {
  std::string moves;
  for (int m = 1; m <= 10; ++m) {
    const bool out = m % 2 == 1;
    moves += std::to_string(m) + (out ? "A.Nf3{170} " : "A.Ng1{170} ");
    moves += std::to_string(m) + (out ? "a.Nf6{170} " : "a.Ng8{170} ");
  }
  return kTags + "\r\n\r\n" + moves + "\r\n";
}

TEST(GameTable, DiagramEveryNLinesShowsThePositionTheNextLineStartsFrom) {
  CKestroGame game(ShuffleGame(), 1);
  ASSERT_EQ(game.MoveCount, 20) << game.ErrorLog;
  RecordingSink sink;
  WriteGameRtf(sink, game, 8);
  // Lines: tags + ten moves; the diagram after the eighth line written.
  ASSERT_EQ(sink.ops.size(), 12u + 4u);
  EXPECT_EQ(sink.ops[8], "<font Chess Bughouse 16>");
  EXPECT_EQ(sink.ops[10], "<reset>");
  EXPECT_EQ(sink.ops[11], "<size 8>");
  EXPECT_EQ(sink.ops[12], Cell("8A.Ng1{170}") + Cell("8a.Ng8{170}"));
  // Before white's eighth move the knights stand out on f3 and f6.
  CKestroGame probe(ShuffleGame(), 1);
  TwoBoardPosition before8;
  probe.GetPositionAtMove(before8, 14);
  EXPECT_EQ(before8.boardA[Square("f3")], pcWKnight);
  EXPECT_EQ(sink.ops[9], PositionToDiagramText(probe, before8));

  // N = 1: a diagram before every line but the tags' own continuation.
  CKestroGame every(ShuffleGame(), 1);
  RecordingSink each;
  WriteGameRtf(each, every, 1);
  int diagrams = 0;
  for (const std::string& op : each.ops) diagrams += op == "<font Chess Bughouse 16>";
  EXPECT_EQ(diagrams, 10);
}

TEST(GameTable, SecondLayoutIsLargerWithNarrowerCellsAndABlankLineAfterDiagrams) {
  CKestroGame game(kTags + "\r\n\r\n1A.e4{180} 1B.d4{180} 1b.d5{179} 1a.e5{179} 2A.Nf3{178}\r\n", 1);
  ASSERT_EQ(game.MoveCount, 5) << game.ErrorLog;
  RecordingSink sink;
  WriteGameRtf2(sink, game, 2);
  const std::string f15 = "............... ";
  ASSERT_EQ(sink.ops.size(), 11u);
  EXPECT_EQ(sink.ops, (std::vector<std::string>{"<size 11>", game.TagPart,
                                                Cell("1A.e4{180}", 15) + f15 + Cell("1B.d4{180}", 15) + Cell("1b.d5{179}", 15),
                                                "<font Chess Bughouse 17>", sink.ops[4], "<reset>", "<size 11>", " ",
                                                f15 + Cell("1a.e5{179}", 15), Cell("2A.Nf3{178}", 15), game.TailPart}));
}

TEST(DiagramInsert, FramedByAnEmptyLineAndABlankLine) {
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  RecordingSink sink;
  InsertDiagramRtf(sink, game, p);
  EXPECT_EQ(sink.ops, (std::vector<std::string>{"", "<font Chess Bughouse 16>", PositionToDiagramText(game, p),
                                                "<reset>", "<size 8>", " "}));
}

std::string FileOf(int games) {
  std::string text;
  for (int g = 1; g <= games; ++g)
    text += "[Event \"G" + std::to_string(g) + "\"]\r\n\r\n1A.e4{180} 1a.e5{179}\r\n\r\n";
  return text;
}

std::vector<std::string> Headings(const RecordingSink& sink) {
  std::vector<std::string> out;
  for (const std::string& op : sink.ops)
    if (op.rfind("Kestrovane RTF Export", 0) == 0) out.push_back(op);
  return out;
}

TEST(ExportAllGames, FromTheCurrentGameRoundToTheOneBefore) {
  CBpgn file = CBpgn::FromText(FileOf(3), "three.bpgn");
  file.GetGame(2);
  RecordingSink sink;
  const ExportSummary summary = WriteAllGamesRtf(sink, file, 0);
  EXPECT_EQ(summary.games, 3);
  EXPECT_EQ(Headings(sink), (std::vector<std::string>{"Kestrovane RTF Export [game:2]", "Kestrovane RTF Export [game:3]",
                                                      "Kestrovane RTF Export [game:1]"}));
  EXPECT_EQ(file.GameNumber, 2);
  // Each game is the same table as written on its own.
  EXPECT_EQ(sink.ops[1], "[Event \"G2\"]");

  CBpgn one = CBpgn::FromText(FileOf(1), "one.bpgn");
  one.GetGame(1);
  RecordingSink single;
  EXPECT_EQ(WriteAllGamesRtf(single, one, 0).games, 1);
  EXPECT_EQ(Headings(single).size(), 1u);

  CBpgn none = CBpgn::FromText("no games here\r\n", "none.bpgn");
  RecordingSink nothing;
  EXPECT_EQ(WriteAllGamesRtf(nothing, none, 0).games, 0);
  EXPECT_TRUE(nothing.ops.empty());
}

TEST(ExportAllGames, DurationWordGrowsWithTheFile) {
  EXPECT_EQ(ExportDurationWord(10000), "");
  EXPECT_EQ(ExportDurationWord(10001), " few minutes ");
  EXPECT_EQ(ExportDurationWord(100001), " several minutes ");
  EXPECT_EQ(ExportDurationWord(200001), " tens of minutes ");
  EXPECT_EQ(ExportDurationWord(300001), " few hours ");
  EXPECT_EQ(ExportDurationWord(500001), " hours ");
}

// A club game as it is saved: comments with board letters before points, a
// time-stamp comment, a nested comment, tag values with "A." and "B.".
const std::string kClubGame =
    "[Event \"Club night: team A. vs team B.\"]\r\n[Site \"bughousedb.com\"]\r\n[Date \"2026.03.14\"]\r\n"
    "[WhiteA \"Ann B. Ray\"][WhiteAElo \"1810\"]\r\n[BlackA \"Bob \\\"A.\\\" Lee\"][BlackAElo \"1765\"]\r\n"
    "[WhiteB \"Cy\"][WhiteBElo \"1902\"]\r\n[BlackB \"Di [b.]\"][BlackBElo \"1688\"]\r\n"
    "[whitea \"x\"][BLACKB \"y\"][Round \"3a.\"][TimeControl \"180+0\"]\r\n[Result \"1-0\"]\r\n"
    "1A.e4{180} 1B.d4{180} 1a.d5{179} 1b.Nf6{179} {Board a. opens; B. waits}\r\n"
    "2A.exd5{178} 2B.c4{178} 2a.Qxd5{177} 2b.e6{176} 3A.Nc3{176}{C:[T:1200] see bughousedb.com}\r\n"
    "3B.Nc3{175} 3a.Qa5{175} 3b.Bb4{174} 4B.P@e5{172} 4A.d4{173} {see {2b.} and 12A.}\r\n"
    "4b.P@d5{171} 4a.Nf6{172} 5B.exf6{170} 5A.Bd2{171} 5b.Qxf6{168} 5a.N@e4{168} 6A.Nxe4{169}\r\n"
    "{Black A. resigns, a. and b. agree} 1-0";

TEST(SwapBoards, MoveNumbersAndSeatTagsChangeBoardsCommentsAndValuesStay) {
  const std::string flipped = SwapBoardsInBpgn(kClubGame);
  EXPECT_EQ(flipped,
            "[Event \"Club night: team A. vs team B.\"]\r\n[Site \"bughousedb.com\"]\r\n[Date \"2026.03.14\"]\r\n"
            "[WhiteB \"Ann B. Ray\"][WhiteBElo \"1810\"]\r\n[BlackB \"Bob \\\"A.\\\" Lee\"][BlackBElo \"1765\"]\r\n"
            "[WhiteA \"Cy\"][WhiteAElo \"1902\"]\r\n[BlackA \"Di [b.]\"][BlackAElo \"1688\"]\r\n"
            "[whitea \"x\"][BLACKA \"y\"][Round \"3a.\"][TimeControl \"180+0\"]\r\n[Result \"1-0\"]\r\n"
            "1B.e4{180} 1A.d4{180} 1b.d5{179} 1a.Nf6{179} {Board a. opens; B. waits}\r\n"
            "2B.exd5{178} 2A.c4{178} 2b.Qxd5{177} 2a.e6{176} 3B.Nc3{176}{C:[T:1200] see bughousedb.com}\r\n"
            "3A.Nc3{175} 3b.Qa5{175} 3a.Bb4{174} 4A.P@e5{172} 4B.d4{173} {see {2b.} and 12A.}\r\n"
            "4a.P@d5{171} 4b.Nf6{172} 5A.exf6{170} 5B.Bd2{171} 5a.Qxf6{168} 5b.N@e4{168} 6B.Nxe4{169}\r\n"
            "{Black A. resigns, a. and b. agree} 1-0");
  EXPECT_EQ(SwapBoardsInBpgn(flipped), kClubGame);

  // The flipped game plays the same moves with the boards and seats exchanged.
  CKestroGame game(kClubGame, 1), other(flipped, 1);
  ASSERT_EQ(game.LoadFailed, 0) << game.ErrorLog;
  ASSERT_EQ(other.LoadFailed, 0) << other.ErrorLog;
  ASSERT_EQ(game.MoveCount, 21);
  ASSERT_EQ(other.MoveCount, game.MoveCount);
  EXPECT_EQ(other.PlayerNames[0], game.PlayerNames[2]);
  EXPECT_EQ(other.PlayerNames[3], "Bob \"A.\" Lee");
  TwoBoardPosition p, q;
  game.GetPositionAtMove(p, game.MoveCount);
  other.GetPositionAtMove(q, other.MoveCount);
  EXPECT_TRUE(std::equal(std::begin(p.boardA), std::end(p.boardA), std::begin(q.boardB)));
  EXPECT_TRUE(std::equal(std::begin(p.boardB), std::end(p.boardB), std::begin(q.boardA)));
  EXPECT_TRUE(std::equal(std::begin(p.holdingsA), std::end(p.holdingsA), std::begin(q.holdingsB)));
  EXPECT_TRUE(std::equal(std::begin(p.holdingsB), std::end(p.holdingsB), std::begin(q.holdingsA)));
  EXPECT_EQ(p.holdingsB[SlotOf(pcBKnight)], 1) << "the knight taken on board A went to board B";
  EXPECT_EQ(p.sideToMoveA, q.sideToMoveB);
  EXPECT_EQ(p.sideToMoveB, q.sideToMoveA);
  EXPECT_EQ((std::vector<int>{p.clock[0], p.clock[1], p.clock[2], p.clock[3]}),
            (std::vector<int>{q.clock[2], q.clock[3], q.clock[0], q.clock[1]}));
}

}  // namespace
