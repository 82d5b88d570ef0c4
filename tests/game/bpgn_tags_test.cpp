#include <gtest/gtest.h>

#include "game/kestro_game.h"

TEST(BpgnTags, ReadsNamesRatingsAndTitle) {
  CKestroGame g;
  const std::string tags =
      "[Event \"bughouse game\"]\r\n[Site \"Home\"]\r\n[Date \"2026-12-01\"]\r\n"
      "[WhiteAElo \"1750\"][WhiteA \"Anna\"]\r\n[BlackA \"  Bo\t\"][BlackAElo \"0\"]\r\n"
      "[WhiteB \"Cy\"]\r\n[BlackB \"\"][BlackBElo \"2001\"]\r\n[Result \"1-0\"]\r\n[TimeControl \"180+0\"]";
  EXPECT_EQ(g.ReadBpgnTags(tags), "Anna(1750)+BlackB(2001) x Bo+Cy,2026-12-01,Home, 1-0");
  EXPECT_EQ(g.Title, "Anna(1750)+BlackB(2001) x Bo+Cy,2026-12-01,Home, 1-0");
  EXPECT_EQ(g.PlayerNames[0], "Anna") << "the rating pair standing first is not the name";
  EXPECT_EQ(g.PlayerNames[1], "Bo");
  EXPECT_EQ(g.PlayerNames[3], "BlackB");
  EXPECT_EQ(g.PlayerElos[2], "0") << "an absent rating reads 0";
  EXPECT_EQ(g.TagEvent, "bughouse game");
  EXPECT_EQ(g.TagTimeControl, "180+0");
  EXPECT_EQ(g.TagSetup, "");
}

TEST(BpgnTags, TagNamesMustEndWhereTheyAreSearched) {
  CKestroGame g;
  g.ReadBpgnTags("[EventDate \"2026.01.01\"][Event \"Club\"]\r\n[WhiteAElo \"5\"]\r\n[SiteX \"no\"]");
  EXPECT_EQ(g.TagEvent, "Club");
  EXPECT_EQ(g.PlayerNames[0], "WhiteA");
  EXPECT_EQ(g.TagSite, "");
  EXPECT_EQ(FindBpgnTag("[EventDate \"x\"]", "Event"), 0);
  EXPECT_EQ(FindBpgnTag("[EventDate \"x\"][Event \"y\"]", "Event"), 16);
  std::string v;
  EXPECT_TRUE(BpgnTagValue("[Site \"open end", "Site", v));
  EXPECT_EQ(v, "open end") << "a missing closing quote gives the rest";
}

TEST(BpgnTags, TitlesWithNoPlayersAndBlankTags) {
  CKestroGame g;
  g.ReadBpgnTags("[WhiteA \"NoPlayer\"][BlackA \"NoPlayer\"][WhiteB \"NoPlayer\"][BlackB \"NoPlayer\"][Date \"d\"]");
  EXPECT_EQ(g.Title, " NoPlayer x ,d,, ");
  CKestroGame fresh;
  EXPECT_EQ(fresh.ReadBpgnTags(" \r\n"), "WhiteA()+BlackB() x BlackA()+WhiteB(),,, ");
}

TEST(BpgnTags, DefaultBlockAndSetupText) {
  CKestroGame g;
  g.PlayerNames[2] = "Eve \"the\" [best]";
  const std::string block = g.DefaultBpgnTags();
  const std::string date = CurrentDateTimeText().substr(0, 10);
  EXPECT_EQ(block.substr(0, 58), "[Event \"bughouse game\"]\r\n[Site \"KVX&U:NetGame by Tolvo\"]\r\n");
  EXPECT_NE(block.find("[Date \"" + date), std::string::npos);
  EXPECT_NE(block.find("\"]\r\n[WhiteA \"WhiteA\"][WhiteAElo \"0\"]\r\n[BlackA \"BlackA\"][BlackAElo \"0\"]\r\n"
                       "[WhiteB \"Eve \\\"the\\\" [best]\"][WhiteBElo \"0\"]\r\n[BlackB \"BlackB\"][BlackBElo \"0\"]\r\n"
                       "[TimeControl \"180+0\"]\r\n[Result \"*\"]"),
            std::string::npos);
  EXPECT_EQ(block.substr(block.size() - 12), "[Result \"*\"]") << "no line end after the last tag";

  // A name written by the default block reads back whole.
  CKestroGame reader;
  reader.ReadBpgnTags(block);
  EXPECT_EQ(reader.PlayerNames[2], "Eve \"the\" [best]");

  TwoBoardPosition p;
  g.SetupStandardPosition(p);
  const std::string fen = CKestroGame::PositionToBfen(p);
  g.TagPart = "[Event \"x\"]";  // shorter than 40: the default block is used
  std::string text = g.BpgnSetupText(p);
  EXPECT_EQ(text.substr(0, 24), "[Event \"bughouse game\"]\r");
  EXPECT_EQ(text.substr(text.find("\r\n[Setup") + 2), "[Setup \"1\"]\r\n[FEN \"" + fen + "\"]\r\n\r\n{*} *");

  g.TagPart = "[Event \"long enough event name for tags\"]\r\n[Setup \"1\"]\r\n[FEN \"old | old\"]\r\n[Site \"s\"]";
  text = g.BpgnSetupText(p);
  EXPECT_EQ(text, "[Event \"long enough event name for tags\"]\r\n[Site \"s\"]\r\n[Setup \"1\"]\r\n[FEN \"" + fen +
                      "\"]\r\n\r\n{*} *");
}

TEST(BpgnTags, SmallTextOperations) {
  EXPECT_EQ(CKestroGame::StripLeadingText("/opt/kv/Sounds/a.wav", "/opt/kv"), "/Sounds/a.wav");
  EXPECT_EQ(CKestroGame::StripLeadingText("x/opt/kv", "/opt/kv"), "x/opt/kv");
  EXPECT_EQ(CKestroGame::StripLeadingText("abc", ""), "abc");
  EXPECT_EQ(CKestroGame::ReplaceChar("why? now:", '?', '_'), "why_ now:");
}
