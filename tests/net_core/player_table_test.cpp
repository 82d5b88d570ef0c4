#include "net/core/player_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "net/core/frame.h"

namespace {

const std::array<std::string, 4> kFreeSeats = {"WhiteA", "BlackA", "WhiteB", "BlackB"};

std::string Talk(const std::string& text) { return net::BuildFrame("2000000001", "Talk", text); }

std::string Handle(int n) {
  std::string h = std::to_string(n);
  return std::string(10 - h.size(), ' ') + h;
}

}  // namespace

TEST(NetPlayerTable, LoginsOfSeveralClients) {
  net::PlayerTable table;
  EXPECT_EQ(table.ServerLogin("  Supervisor "), "Supervisor");
  EXPECT_EQ(table.RolesSummaryText(),
            "On this server is online 1 active chess players:\nSupervisor            Roles 11100000 [  1]");

  // The first guest: the replies to it, the pane line and the shout, byte for byte.
  std::array<std::string, 4> seats = {"Supervisor", "BlackA", "WhiteB", "BlackB"};
  net::LoginOutcome out = table.Login(11, net::BuildLoginFrame(Handle(123), "Guest"), seats);
  ASSERT_TRUE(out.accepted);
  EXPECT_EQ(out.index, 1);
  EXPECT_EQ(out.toRequester,
            (std::vector<std::string>{
                "\xA4" "cmd\xA4" "2000000001\xA4SetPlayerName       \xA4Guest\xA4" "endcmd\xA4",
                "\xA4" "cmd\xA4" "2000000001\xA4SetPlayers          \xA4WhiteA:SupervisorBlackA:BlackAWhiteB:WhiteBBlackB:BlackB\xA4" "endcmd\xA4"}));
  EXPECT_EQ(out.paneLines, std::vector<std::string>{"Server info --> Guest arrived."});
  EXPECT_EQ(out.toAll, std::vector<std::string>{
                           "\xA4" "cmd\xA4" "2000000001\xA4Talk                \xA4Server shouts --> Guest arrived. Welcome !!!\xA4" "endcmd\xA4"});
  EXPECT_EQ(table.At(1).handle, Handle(123));
  EXPECT_EQ(table.At(1).socket, 11);
  EXPECT_EQ(table.At(1).roles, 6);

  // Names given by the server, one connection each.
  const std::vector<std::pair<std::string, std::string>> asked = {
      {"Guest", "Guest2"},
      {"Unknown", "Guest3"},
      {"Supervisor", "Supervisor2"},
      {" Wh\x01ite\xA4" "A ", "WhiteA2"},  // a seat word is never a name
      {"Unknown", "Guest4"},
      {"   ", "Guest5"},
      {"Eve>Bob", "EveBob"},
      {"BlackA:Evil", "BlackAEvil"},  // SetPlayers cuts names at the seat words' ':'
      {"endcmd", "endcmd2"},
      {"Abcdefghijklmnopqrstuvwxyz", "Abcdefghijklmnopqrst"},
      {"Abcdefghijklmnopqrstuvwxyz", "Abcdefghijklmnopqrs2"},
  };
  int64_t connection = 12;
  for (const auto& [name, given] : asked) {
    out = table.Login(connection, net::BuildLoginFrame(Handle(static_cast<int>(connection) * 1000), name), kFreeSeats);
    ASSERT_TRUE(out.accepted) << name;
    EXPECT_EQ(out.toRequester.front(), net::BuildFrame("2000000001", "SetPlayerName", given));
    EXPECT_EQ(table.At(out.index).name, given);
    ++connection;
  }
  const int count = table.Count();
  EXPECT_EQ(count, 13);

  // Refusals: nothing enters the table, and the requester (or everybody, for
  // an old version) is told.
  out = table.Login(90, net::BuildLoginFrame(Handle(9), "Old", "99"), kFreeSeats);
  EXPECT_FALSE(out.accepted);
  EXPECT_TRUE(out.toRequester.empty());
  EXPECT_EQ(out.toAll, std::vector<std::string>{
                           Talk("Server info -> Refused login from old (99) client version, actual version is 100")});
  for (const char* version : {"100x", " 100", "+100", "", "0100000000100"})
    EXPECT_FALSE(table.Login(90, net::BuildLoginFrame(Handle(9), "V", version), kFreeSeats).accepted) << version;
  const std::vector<std::pair<std::string, std::string>> refused = {
      {net::BuildLoginFrame(Handle(123), "Thief"), "handle already in use"},
      {net::BuildLoginFrame("2000000001", "Thief"), "reserved handle"},
      {net::BuildLoginFrame("0000000000", "Thief"), "reserved handle"},
      {net::BuildLoginFrame("12", "Thief"), "malformed login"},
      {"\xA4" "cmd\xA4KVX&UNetGameClient\xA4" "100\xA4" "\xA4" "endcmd\xA4", "malformed login"},
  };
  for (const auto& [frame, reason] : refused) {
    out = table.Login(91, frame, kFreeSeats);
    EXPECT_FALSE(out.accepted) << reason;
    EXPECT_EQ(out.toRequester, std::vector<std::string>{Talk("Server info -> Refused login: " + reason)});
    EXPECT_TRUE(out.toAll.empty());
  }
  out = table.Login(11, net::BuildLoginFrame(Handle(4), "Again"), kFreeSeats);
  EXPECT_EQ(out.toRequester, std::vector<std::string>{
                                 Talk("Server info -> Refused login: this connection is already logged in as Guest")});
  EXPECT_EQ(table.Count(), count);

  // Lookups: by handle and name the last entry, by connection only a client's.
  EXPECT_EQ(table.FindClientByHandle("2000000001"), 0);
  EXPECT_EQ(table.FindClientByHandle("123"), -1);  // handles compare with their blanks
  EXPECT_EQ(table.FindClientByName("Guest3"), 3);
  EXPECT_EQ(table.FindByConnection(13), 3);
  EXPECT_EQ(table.FindByConnection(0), -1);
  table.At(5).name = "Guest3";
  EXPECT_EQ(table.FindClientByName("Guest3"), 5);
  table.At(5).name = "WhiteA2";

  // Two clients gone: they keep their entries and names; the summary lists the others.
  table.RefreshClientsConnected({11, 12, 14, 15, 16, 17, 18, 19, 20, 21});
  EXPECT_EQ(table.At(3).inUse, 0);
  EXPECT_EQ(table.At(12).inUse, 0);
  table.At(1).roles = 6 | 8 | 64;
  out = table.Login(30, net::BuildLoginFrame(Handle(3030), "Guest3"), kFreeSeats);
  EXPECT_EQ(table.At(out.index).name, "Guest32");  // the gone client's name stays taken: base + 2
  EXPECT_EQ(table.RolesSummaryText(),
            "On this server is online 12 active chess players:"
            "\nSupervisor            Roles 11100000 [  1]"
            "\nGuest                 Roles 01110010 [  2]"
            "\nGuest2                Roles 01100000 [  3]"
            "\nSupervisor2           Roles 01100000 [  4]"
            "\nWhiteA2               Roles 01100000 [  5]"
            "\nGuest4                Roles 01100000 [  6]"
            "\nGuest5                Roles 01100000 [  7]"
            "\nEveBob                Roles 01100000 [  8]"
            "\nBlackAEvil            Roles 01100000 [  9]"
            "\nendcmd2               Roles 01100000 [ 10]"
            "\nAbcdefghijklmnopqrst  Roles 01100000 [ 11]"
            "\nGuest32               Roles 01100000 [ 12]");
}

TEST(NetPlayerTable, FullTableRefusesWithoutGrowing) {
  net::PlayerTable table;
  for (int i = 1; i < net::PlayerTable::kCapacity; ++i)
    ASSERT_TRUE(table.Login(i, net::BuildLoginFrame(Handle(i), "Guest"), kFreeSeats).accepted);
  EXPECT_EQ(table.At(98).name, "Guest98");
  const net::LoginOutcome out = table.Login(500, net::BuildLoginFrame(Handle(500), "Late"), kFreeSeats);
  EXPECT_FALSE(out.accepted);
  EXPECT_EQ(out.toRequester, std::vector<std::string>{Talk("Server info -> Refused login: the server is full")});
  EXPECT_EQ(table.Count(), 99);
  EXPECT_EQ(table.FindClientByHandle(Handle(500)), -1);
}

TEST(NetPlayerTable, HandlesAndWhoText) {
  std::set<std::string> handles;
  for (int i = 0; i < 20; ++i) {
    const std::string h = net::NewClientHandle();
    ASSERT_EQ(h.size(), 10u);
    EXPECT_NE(h, "2000000001");
    const size_t digits = h.find_first_not_of(' ');
    ASSERT_NE(digits, std::string::npos);
    EXPECT_EQ(h.find_first_not_of("0123456789", digits), std::string::npos) << h;
    EXPECT_LT(std::stoll(h), 2000000000);
    handles.insert(h);
  }
  EXPECT_GT(handles.size(), 18u);  // drawn at once, yet not from one seed

  EXPECT_EQ(net::WhoIsConnectedText({}), "Online is 1 bughouse chess players:\nSupervisor");
  EXPECT_EQ(net::WhoIsConnectedText({{"anna-pc", "10.0.0.5"}, {"", "10.0.0.7"}}),
            "Online is 3 bughouse chess players:\nSupervisor\nanna-pc (10.0.0.5)\n (10.0.0.7)");
}
