#include "engines/core/engine_seats.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engines/core/engine_text.h"
#include "game/kestro_game.h"

namespace {

// A game at the start of a three-minute bughouse game.
struct StartedGame {
  CKestroGame game{"[WhiteA \"a\"][BlackA \"b\"][WhiteB \"c\"][BlackB \"d\"][TimeControl \"180+0\"]\r\n\r\n{*} *", 1};
};

TEST(EngineSeats, SpeedLivesAtCharacter32OfEverySeatsHint) {
  for (int seat = 0; seat < 4; ++seat)
    for (int speed = 1; speed <= 9; ++speed) EXPECT_EQ(EngineSpeedOfHint(EngineSpeedHint(seat, speed)), speed);
  EXPECT_EQ(EngineSpeedHint(2, 7), "Winboard Engine WhiteB speed : 7");
  EXPECT_EQ(EngineSpeedOfHint("Winboard Engine WhiteB speed : x"), 1);
  EXPECT_EQ(ReadEngineSpeed("0"), 0);
  EXPECT_EQ(ReadEngineSpeed("10"), 0);
  EXPECT_EQ(ReadEngineSpeed("9"), 9);
}

TEST(EngineSeats, GreetingIsFoundWhereverItStands) {
  EXPECT_EQ(FindEngineGreeting("Allocated ...\ntellics set f5 1=1\ntellics set 1 Sjeng 11.2\n"), 33u);
  EXPECT_EQ(FindEngineGreeting("tellics kibitz Hello from Sunsetter 9"), 0u);
  EXPECT_EQ(FindEngineGreeting("tellics set 1 Sjen"), std::string::npos);
}

TEST(EngineSeats, EngineMovesAreCheckedOnTheScratchPositionOnly) {
  StartedGame s;
  CKestroGame& g = s.game;
  const TwoBoardPosition before = g.Position;
  const std::string errors = g.ErrorLog;
  // WhiteB opens; BlackA's engine can not move before WhiteA has.
  EXPECT_EQ(CheckedEngineMove(g, 2, "e2e4", 1500), "1B.e4{178}{C:[T:1500][L:0]}");
  EXPECT_EQ(CheckedEngineMove(g, 1, "e7e5", 0), "");
  // A drop of a piece nobody holds, and a move for the wrong seat, are refused.
  EXPECT_EQ(CheckedEngineMove(g, 0, "P@e4", 0), "");
  EXPECT_EQ(CheckedEngineMove(g, 3, "e2e4", 0), "");
  EXPECT_EQ(std::memcmp(before.boardA, g.Position.boardA, sizeof before.boardA), 0);
  EXPECT_EQ(std::memcmp(before.boardB, g.Position.boardB, sizeof before.boardB), 0);
  EXPECT_EQ(g.ErrorLog, errors);
  // A pawn's double step reads back for the opponent's engine.
  EXPECT_EQ(BpgnToEngineText("1B.e4{178}", ExtraPawnSteps(sq::e4 - 24, sq::e4)), "e2e4");
  EXPECT_EQ(BpgnToEngineText("1B.e3{178}", ExtraPawnSteps(sq::e4 - 24, sq::e4 - 12)), "e2e3");
}

}  // namespace
