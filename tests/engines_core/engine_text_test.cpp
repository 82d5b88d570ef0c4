#include "engines/core/engine_text.h"

#include <gtest/gtest.h>

#include "game/kestro_game.h"
#include "tests/game/boards.h"

namespace {

TwoBoardPosition Start() {
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  return p;
}

TEST(EngineMoveToBpgn, MovesCapturesCastlingAndDrops) {
  TwoBoardPosition p = Start();
  EXPECT_EQ(EngineMoveToBpgn(p, 1, "e2e4"), "e4");
  EXPECT_EQ(EngineMoveToBpgn(p, 1, "g1f3"), "Ng1f3");
  EXPECT_EQ(EngineMoveToBpgn(p, 2, "P@e4"), "P@e4");
  EXPECT_EQ(EngineMoveToBpgn(p, 2, "n@f6"), "N@f6");

  p = Pieces("Ke1 Rh1 ke8 Pe5 pd7", "Re1 Ke2 ke8 Pd7 Nf3 pe5 Pb7 nc8");
  EXPECT_EQ(EngineMoveToBpgn(p, 1, "e1g1"), "O-O");
  EXPECT_EQ(EngineMoveToBpgn(p, 1, "e1c1"), "O-O-O");
  EXPECT_EQ(EngineMoveToBpgn(p, 1, "e8g8"), "O-O");
  EXPECT_EQ(EngineMoveToBpgn(p, 1, "e8c8"), "O-O-O");
  EXPECT_EQ(EngineMoveToBpgn(p, 1, "e5d6"), "exd6");  // en passant: to-square empty
  EXPECT_EQ(EngineMoveToBpgn(p, 1, "e1e2"), "Ke1e2");
  EXPECT_EQ(EngineMoveToBpgn(p, 2, "e1g1"), "Re1g1");  // a rook, not a king, on e1
  EXPECT_EQ(EngineMoveToBpgn(p, 2, "d7d8q"), "d8=Q");
  EXPECT_EQ(EngineMoveToBpgn(p, 2, "b7c8n"), "bxc8=N");
  EXPECT_EQ(EngineMoveToBpgn(p, 2, "f3e5"), "Nf3xe5");
  EXPECT_EQ(EngineMoveToBpgn(p, 2, "e5f4"), "exf4");
}

TEST(BpgnToEngineText, TokensOfBothColours) {
  EXPECT_EQ(BpgnToEngineText("7b.exd3{175}", 0), "e4d3");
  EXPECT_EQ(BpgnToEngineText("7b. exd3{175}{C:[T:100][L:0]}", 0), "e4d3");
  EXPECT_EQ(BpgnToEngineText("12A. O-O{100}", 0), "e1g1");
  EXPECT_EQ(BpgnToEngineText("12a.O-O{100}", 0), "e8g8");
  EXPECT_EQ(BpgnToEngineText("12B.O-O-O{100}", 0), "e1c1");
  EXPECT_EQ(BpgnToEngineText("12b.O-O-O{100}", 0), "e8c8");
  EXPECT_EQ(BpgnToEngineText("1A.e4{180}", 1), "e2e4");
  EXPECT_EQ(BpgnToEngineText("1a.e5{180}", 1), "e7e5");
  EXPECT_EQ(BpgnToEngineText("3A.e5{180}", 0), "e4e5");
  EXPECT_EQ(BpgnToEngineText("9A.e8=Q{180}", 0), "e7e8q");
  EXPECT_EQ(BpgnToEngineText("9b.dxe1=N{180}", 0), "d2e1n");
  EXPECT_EQ(BpgnToEngineText("2B.Ng1f3{180}", 0), "g1f3");
  EXPECT_EQ(BpgnToEngineText("2b.Ng8xf6{180}", 0), "g8f6");
  EXPECT_EQ(BpgnToEngineText("10B.N@f6{170}", 0), "n@f6");
  // No comment: the body runs to the end of the token.
  EXPECT_EQ(BpgnToEngineText("2a.Nb8c6", 0), "b8c6");
  EXPECT_EQ(BpgnToEngineText("4A.d4", 1), "d2d4");
}

TEST(EngineCommands, HoldingCoinAndSetboard) {
  TwoBoardPosition p = Start();
  EXPECT_EQ(HoldingsToXBoard(p, 1), "holding [] []");
  p.holdingsB[SlotOf(pcWPawn)] = 2;
  p.holdingsB[SlotOf(pcWKnight)] = 1;
  p.holdingsB[SlotOf(pcBQueen)] = 1;
  EXPECT_EQ(HoldingsToXBoard(p, 2), "holding [PPN] [q]");
  EXPECT_EQ(HoldingsToXBoard(p, 1), "holding [] []");

  CKestroGame game;
  game.SetupCoinPosition(p);
  EXPECT_EQ(CoinToXBoard(p, 1), "coin $e4");
  p.coinSquare[1] = Sq("d5");
  EXPECT_EQ(CoinToXBoard(p, 2), "coin $d5");

  p = Start();
  EXPECT_EQ(PositionToSetboard(p), "setboard rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq");
  p = Pieces("Kh2 Qa8 pa7 kh8", "Ke1 ke8");
  p.marksA[Sq("a8")] = 1;
  p.sideToMoveA = 1;
  EXPECT_EQ(PositionToSetboard(p), "setboard Q~6k/p7/8/8/8/8/7K/8 b  - ");
  p.castlingB[2] = 1;
  EXPECT_EQ(BoardToSetboard(p, 2, false), "setboard 4k3/8/8/8/8/8/8/4K3 w k");
  // An engine joining a game is told the en-passant square; the analysis is not.
  p.epSquareB = Sq("d6");
  EXPECT_EQ(BoardToSetboard(p, 2, true), "setboard 4k3/8/8/8/8/8/8/4K3 w k d6");
  p.castlingB[2] = 0;
  EXPECT_EQ(BoardToSetboard(p, 2, true), "setboard 4k3/8/8/8/8/8/8/4K3 w - d6");
  p.epSquareA = Sq("e3");
  EXPECT_EQ(PositionToSetboard(p), "setboard Q~6k/p7/8/8/8/8/7K/8 b  - ");
}

TEST(ParseXBoardMove, AcceptsOnlyCoordinateMovesAndDrops) {
  XBoardMove m;
  ASSERT_TRUE(ParseXBoardMove("e2e4", m));
  EXPECT_EQ(m.from, Sq("e2"));
  EXPECT_EQ(m.to, Sq("e4"));
  EXPECT_FALSE(m.drop);
  ASSERT_TRUE(ParseXBoardMove("a7a8n", m));
  EXPECT_EQ(m.promotion, 'n');
  ASSERT_TRUE(ParseXBoardMove("Q@h8", m));
  EXPECT_TRUE(m.drop);
  EXPECT_EQ(m.piece, 'Q');
  EXPECT_EQ(m.to, Sq("h8"));
  for (const char* bad : {"", "e2", "e2e", "e2e9", "i2e4", "e2e2", "e7e8k", "e7e8Q", "K@e4", "p@e4", "P@e9",
                          "Nf3", "O-O", "e2-e4", "e2e4 ", "e2e4qq", "@@e4"})
    EXPECT_FALSE(ParseXBoardMove(bad, m)) << bad;
}

TEST(EngineLineBuffer, WholeLinesFromSplitAndMergedChunks) {
  EngineLineBuffer buffer;
  EXPECT_TRUE(buffer.Feed("Hash : 558705D2\nmo").size() == 1);
  EXPECT_EQ(buffer.Pending(), "mo");
  std::vector<std::string> lines = buffer.Feed("ve e2");
  EXPECT_TRUE(lines.empty());
  lines = buffer.Feed("e4\r\nNodes: 0\nmove g1f3\nmove b");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "move e2e4");
  EXPECT_EQ(EngineLineBuffer::MoveOfLine(lines[0]), "e2e4");
  EXPECT_EQ(EngineLineBuffer::MoveOfLine(lines[1]), "");
  EXPECT_EQ(EngineLineBuffer::MoveOfLine(lines[2]), "g1f3");
  EXPECT_EQ(buffer.Pending(), "move b");

  // Lines that only contain the word are not moves.
  for (const char* line : {"Illegal move: P@f5", " move e2e4", "moves e2e4", "move", "move  ", "tellics set 1 Sjeng"})
    EXPECT_EQ(EngineLineBuffer::MoveOfLine(line), "") << line;
  EXPECT_EQ(EngineLineBuffer::MoveOfLine("move  e7e8q \t"), "e7e8q");
}

}  // namespace
