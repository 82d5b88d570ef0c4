#include "net/core/commands.h"

#include <gtest/gtest.h>

#include <string>

#include "net/core/clock.h"
#include "net/core/debug_log.h"

TEST(NetCommands, BothTables) {
  // Client to server: exact names, both spellings of Who, the new-game gap and aliases.
  EXPECT_EQ(net::ServerCommandCode("Who"), 10001);
  EXPECT_EQ(net::ServerCommandCode("who"), 10001);
  EXPECT_EQ(net::ServerCommandCode("WHO"), 0);
  EXPECT_EQ(net::ServerCommandCode("Who "), 0);
  EXPECT_EQ(net::ServerCommandCode("KVXNDeparting"), 9002);
  EXPECT_EQ(net::ServerCommandCode("CallServerAdmin"), 9900);
  EXPECT_EQ(net::ServerCommandCode("AbandonRoleBlackB"), 10017);
  EXPECT_EQ(net::ServerCommandCode("New Game 1"), 30000);
  EXPECT_EQ(net::ServerCommandCode("New Game 20"), 30019);
  EXPECT_EQ(net::ServerCommandCode("New Game 21"), 30021);
  EXPECT_EQ(net::ServerCommandCode("New Game 27"), 30027);
  EXPECT_EQ(net::ServerCommandCode("New Game 28"), 0);
  EXPECT_EQ(net::ServerCommandCode("New Game 0"), 0);
  for (const char* alias : {"Start new game", "New game", "new game", "Spust novou hru"})
    EXPECT_EQ(net::ServerCommandCode(alias), 30004) << alias;
  EXPECT_EQ(net::ServerCommandName(30020), "");
  int serverNames = 0;
  for (int code = 1; code < 40000; ++code) {
    const std::string_view name = net::ServerCommandName(code);
    if (name.empty()) continue;
    ++serverNames;
    EXPECT_EQ(net::ServerCommandCode(name), code) << name;
  }
  EXPECT_EQ(serverNames, 6 + 8 + 27);

  // Server to client: every name maps back; the NewGame kinds.
  int clientNames = 0, newGames = 0;
  for (int code = 1; code < 40000; ++code) {
    const std::string_view name = net::ClientCommandName(code);
    if (name.empty()) continue;
    ++clientNames;
    EXPECT_EQ(net::ClientCommandCode(name), code) << name;
    const int kind = net::NewGameKindOfClientCode(code);
    if (kind >= 0) {
      ++newGames;
      EXPECT_EQ(name.substr(0, 7), "NewGame");
      EXPECT_EQ(net::ClientCodeOfNewGameKind(kind), code);
    }
  }
  EXPECT_EQ(clientNames, 2 + 27 + 2 + 8 + 1);
  EXPECT_EQ(newGames, 27);
  EXPECT_EQ(net::NewGameKindOfClientCode(net::ClientCommandCode("NewGameClasics")), 0);
  EXPECT_EQ(net::NewGameKindOfClientCode(net::ClientCommandCode("NewGamePhalanx")), 3);
  EXPECT_EQ(net::NewGameKindOfClientCode(net::ClientCommandCode("NewGameIngolsSB1m3s")), 607);
  EXPECT_EQ(net::NewGameKindOfClientCode(net::ClientCommandCode("SetPlayers")), -1);
  EXPECT_EQ(net::ClientCommandCode("AbandonRoleWhiteA"), 20014);
  EXPECT_EQ(net::ClientCommandCode("Who"), 0);
}

TEST(NetClockAndLog, ClockRoundsDownAndLogIsBounded) {
  net::FakeClock fake;
  fake.ms = 123459;
  EXPECT_EQ(fake.TickCount10ms(), 123450);
  fake.Advance(int64_t{1} << 40);  // far past 32 bits
  EXPECT_EQ(fake.TickCount10ms(), ((int64_t{1} << 40) + 123459) / 10 * 10);
  const int64_t a = net::SystemClock().TickCount10ms();
  const int64_t b = net::SystemClock().TickCount10ms();
  EXPECT_EQ(a % 10, 0);
  EXPECT_LE(a, b);

  net::DebugLog log;
  log.Add("<A>", "off", "</A>\r\n");
  EXPECT_EQ(log.Text(), "");
  log.on = true;
  log.Add("<A>", "x", "</A>\r\n");
  EXPECT_EQ(log.Text(), "<A>x</A>\r\n");
  const std::string chunk(1000, 'y');
  while (!log.Full()) log.Add("<B>", chunk, "</B>\r\n");
  const std::string full = log.Text();
  EXPECT_LE(full.size(), net::DebugLog::kMaxBytes + net::DebugLog::kFullNote.size());
  EXPECT_EQ(full.substr(full.size() - net::DebugLog::kFullNote.size()), net::DebugLog::kFullNote);
  log.Add("<C>", "z", "</C>\r\n");
  EXPECT_EQ(log.Text(), full);  // stopped
  log.Clear();
  log.Add("<C>", "z", "</C>\r\n");
  EXPECT_EQ(log.Text(), "<C>z</C>\r\n");
}
