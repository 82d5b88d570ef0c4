// The server's command processor driven as the window drives it: frames from
// connections and from the server's own user, a fake clock, a fake window and
// a real game.
#include "net/core/server_processor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/kestro_game.h"
#include "net/core/debug_log.h"
#include "net/core/frame.h"

namespace {

const std::string M = "\xA4";

std::string Talk(const std::string& text) {
  return M + "cmd" + M + "2000000001" + M + "Talk                " + M + text + M + "endcmd" + M;
}
std::string Relayed(const std::string& move) {
  return M + "cmd" + M + "2000000001" + M + "PlayMove            " + M + move + M + "endcmd" + M;
}
// A new game as a late window is sent it, with the game's lag-compensator switch.
std::string NewGameFrame(const std::string& command20, bool lagCompensator) {
  return M + "cmd" + M + "0000000000" + M + command20 + M + "[LagCompensatorSetOn:" + (lagCompensator ? "1" : "0") +
         "]" + M + "endcmd" + M;
}
std::string TurnStarts(const std::string& payload) {
  return M + "cmd" + M + "2000000001" + M + "TurnStarts          " + M + payload + M + "endcmd" + M;
}
std::string Bare(const std::string& command20) { return M + "cmd" + M + "2000000001" + M + command20 + M + "endcmd" + M; }

struct FakeWindow : net::ServerHost {
  std::unique_ptr<CKestroGame> game = std::make_unique<CKestroGame>();
  net::DebugLog log;
  net::ServerChecks checks;
  net::ServerProcessor* processor = nullptr;
  std::vector<int64_t> live;

  // Everything the processor sent or showed, in order, one line per effect.
  std::vector<std::string> out;
  std::vector<std::string> recordPane;
  std::vector<int> startedKinds;
  int redraws = 0;
  int64_t turnStart[4] = {};

  CKestroGame& Game() override { return *game; }
  net::DebugLog& Log() override { return log; }
  net::ServerChecks Checks() const override { return checks; }
  void ServerSendtoAll(const std::string& frame) override { out.push_back("all " + frame); }
  void ServerSendtoAllBS(const std::string& frame) override { out.push_back("bs " + frame); }
  void ServerSendtoCli(std::string_view handle, const std::string& frame) override {
    out.push_back("cli " + std::string(handle) + " " + frame);
  }
  void ServerSendtoConnection(int64_t connection, const std::string& frame) override {
    out.push_back("conn " + std::to_string(connection) + " " + frame);
  }
  void AddChatLine(const std::string& line) override { out.push_back("pane " + line); }
  void StartGameOfKind(int kind) override {
    startedKinds.push_back(kind);
    auto next = std::make_unique<CKestroGame>();
    for (int s = 0; s < 4; ++s) next->PlayerNames[s] = game->PlayerNames[s];
    game = std::move(next);
    processor->GameStarted(kind);
  }
  std::vector<int64_t> LiveConnections() const override { return live; }
  void Redraw() override { ++redraws; }
  void ShowServerMove(int, const std::string& moveText, const std::string& legalMoves) override {
    recordPane.push_back(moveText);
    EXPECT_FALSE(legalMoves.empty());
    // The players have the move (or the shout) before the window shows it.
    EXPECT_TRUE(!out.empty() && out.back().starts_with("all ")) << moveText;
  }
  void SetTurnStart(int seat, int64_t tick) override { turnStart[seat & 3] = tick; }
  void PlayMoveSound() override { out.push_back("sound"); }
  void PlayCallAdminSound() override { out.push_back("admin sound"); }

  std::vector<std::string> Take() { return std::exchange(out, {}); }
};

struct Client {
  int64_t connection;
  std::string handle;
  std::string name;
};

class ServerRoad : public ::testing::Test {
 protected:
  ServerRoad() {
    window.processor = &processor;
    window.log.on = true;
    window.game->SetupStandardPosition(window.game->Position);
    window.game->LagCompensatorRead = 1;
  }
  void Send(const Client& c, const std::string& command, const std::string& payload = {}) {
    processor.NetGameServerProcessingMessage(c.connection, net::BuildFrame(c.handle, command, payload));
  }
  void ServerUser(const std::string& command, const std::string& payload = {}) {
    processor.NetGameServerProcessingMessage(std::nullopt, net::BuildFrame(net::kServerHandle, command, payload));
  }
  // A client's move at fake time `at`, with the thinking time it claims.
  void Move(const Client& c, int64_t at, const std::string& token, const std::string& claim) {
    clock.ms = at;
    Send(c, "PlayMove", token + "{170}{C:[T:" + claim + "][L:0]}");
  }

  net::FakeClock clock;
  net::PlayerTable table;
  FakeWindow window;
  net::ServerProcessor processor{window, table, clock};
};

TEST_F(ServerRoad, FourPlayersSitDownPlayAGameAndAgreeOnTheNext) {
  const Client ann{11, "      1001", "Ann"}, bob{12, "      1002", "Bob"}, cid{13, "      1003", "Cid"},
      dee{14, "      1004", "Dee"}, eve{15, "      1005", "Eve"};
  table.ServerLogin("Boss");

  // Logins: the requester is answered by its new handle and sent the game,
  // even one without a move; everybody hears of it.
  for (const Client& c : {ann, bob, cid, dee, eve})
    processor.NetGameServerProcessingMessage(c.connection, net::BuildLoginFrame(c.handle, c.name));
  std::vector<std::string> got = window.Take();
  ASSERT_EQ(got.size(), 30u);
  EXPECT_EQ(got[0], "cli       1001 " + M + "cmd" + M + "2000000001" + M + "SetPlayerName       " + M + "Ann" + M + "endcmd" + M);
  EXPECT_EQ(got[1], "cli       1001 " + M + "cmd" + M + "2000000001" + M + "SetPlayers          " + M +
                        "WhiteA:WhiteABlackA:BlackAWhiteB:WhiteBBlackB:BlackB" + M + "endcmd" + M);
  EXPECT_EQ(got[2], "cli       1001 " + NewGameFrame("NewGameClasics      ", true));
  EXPECT_EQ(got[3], "cli       1001 " + TurnStarts("0 0 0 0 0000"));
  EXPECT_EQ(got[4], "pane Server info --> Ann arrived.");
  EXPECT_EQ(got[5], "all " + Talk("Server shouts --> Ann arrived. Welcome !!!"));

  // A player without a seat may not move for a free seat.
  Send(eve, "PlayMove", "1A.e4{180}{C:[T:10][L:0]}");
  EXPECT_EQ(window.Take(), std::vector<std::string>{"cli       1005 " + Talk("You cannot play where WhiteA is sitting !")});

  // Seats: confirmation to the taker, SetPlayers to the clients only, the news to all.
  Send(ann, "TakeRoleWhiteA");
  got = window.Take();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], "cli       1001 " + Bare("TakeRoleWhiteA      "));
  EXPECT_EQ(got[1], "bs " + M + "cmd" + M + "2000000001" + M + "SetPlayers          " + M +
                        "WhiteA:AnnBlackA:BlackAWhiteB:WhiteBBlackB:BlackB" + M + "endcmd" + M);
  EXPECT_EQ(got[2], "all " + Talk("Ann is now WhiteA."));
  Send(bob, "TakeRoleWhiteA");
  EXPECT_EQ(window.Take(), std::vector<std::string>{"cli       1002 " +
                                                    Talk("You cannot take role as WhiteA, because on this place "
                                                         "is already sitting Ann")});
  Send(bob, "TakeRoleBlackA");
  Send(cid, "TakeRoleWhiteB");
  Send(dee, "TakeRoleBlackB");
  EXPECT_EQ(window.Take().size(), 9u);
  EXPECT_EQ(window.game->PlayerNames[3], "Dee");
  EXPECT_EQ(window.redraws, 4);
  EXPECT_EQ(table.At(table.FindClientByName("Dee")).roles, 6 | 64);

  clock.ms = 100000;
  processor.GameStarted();

  // 14 moves, captures and drops on both boards. Claims above the measured
  // time are lowered to it; lower claims leave the rest as lag.
  struct Step {
    const Client* who;
    int64_t at;
    const char* token;
    const char* claim;
    const char* relayed;
  };
  const std::string legend = " T=Thinking time per move in miliseconds L=lag per move in ms";
  const Step game[] = {
      {&ann, 103000, "1A.e4", "5000", ""},
      {&cid, 104500, "1B.d4", "4500", "1B.d4{176}{C:[T:4500][L:0]}"},
      {&bob, 106000, "1a.d5", "1000", "1a.d5{179}{C:[T:1000][L:2000]}"},
      // BlackB's clock gains the lag credit of the move on board A.
      {&dee, 108000, "1b.e5", "9000", "1b.e5{179}{C:[T:3500][L:0]}"},
      {&ann, 110000, "2A.exd5", "4000", "2A.exd5{173}{C:[T:4000][L:0]}"},
      {&cid, 111000, "2B.dxe5", "3000", "2B.dxe5{173}{C:[T:3000][L:0]}"},
      {&bob, 113000, "2a.Qd8xd5", "2500", "2a.Qd8xd5{177}{C:[T:2500][L:500]}"},
      {&dee, 114000, "2b.P@d6", "3000", "2b.P@d6{176}{C:[T:3000][L:0]}"},
      {&cid, 116000, "3B.exd6", "2000", "3B.exd6{170}{C:[T:2000][L:0]}"},
      {&ann, 117000, "3A.Nb1c3", "4000", "3A.Nb1c3{169}{C:[T:4000][L:0]}"},
      // A claim that is no number counts as 0.
      {&bob, 118000, "3a.P@e6", "1e3", "3a.P@e6{177}{C:[T:0][L:1000]}"},
      {&dee, 119000, "3b.cxd6", "3000", "3b.cxd6{174}{C:[T:3000][L:0]}"},
      {&cid, 120000, "4B.P@e5", "1000", "4B.P@e5{169}{C:[T:1000][L:0]}"},
      {&ann, 121000, "4A.P@d4", "3000", "4A.P@d4{166}{C:[T:3000][L:0]}"},
  };
  int played = 0;
  for (const Step& s : game) {
    SCOPED_TRACE(s.token);
    Move(*s.who, s.at, s.token, s.claim);
    const std::string relayed =
        played == 0 ? "1A.e4{177}{C:[T:3000][L:0][LagCompensatorSetOn:1]" + legend + "}" : std::string(s.relayed);
    EXPECT_EQ(window.Take(), std::vector<std::string>{"all " + Relayed(relayed)});
    ASSERT_EQ(window.recordPane.size(), static_cast<size_t>(++played));
    EXPECT_EQ(window.recordPane.back(), relayed);

    if (played == 2) {
      // Refused while BlackA is to move: none of these touches the game,
      // the stamps or anybody's screen but the sender's.
      clock.ms = 105000;
      Send({12, ann.handle, ""}, "PlayMove", "1a.d5{179}{C:[T:1][L:0]}");  // Ann's handle on Bob's line
      Send({12, ann.handle, ""}, "TakeRoleBlackB");
      Send({12, "2000000001", ""}, "AbandonRoleWhiteA");
      Send(cid, "PlayMove", "1a.d5{179}{C:[T:1][L:0]}");   // WhiteB plays BlackA's move
      Send(bob, "PlayMove", "1a.Ke8e6{179}{C:[T:1][L:0]}");  // illegal
      Send(bob, "PlayMove", "1a.d5{179}junk");               // not a token
      Send(bob, "PlayMove", "2a.d5{179}");                   // wrong move number
      Send(bob, "PlayMove", "1a.d");                         // too short
      Send({12, ann.handle, ""}, "Talk", "hi");
      got = window.Take();
      ASSERT_EQ(got.size(), 3u);
      EXPECT_EQ(got[0], "pane SrvProMsg Refused a client's frame with the server's handle");
      EXPECT_EQ(got[1], "cli       1003 " + Talk("You cannot play where Bob is sitting !"));
      EXPECT_EQ(got[2], "all " + Talk("Unknown>hi"));
      EXPECT_EQ(window.game->MoveCount, 2);
      EXPECT_EQ(window.game->PlayerNames[0], "Ann");
      const std::string& debug = window.log.Text();
      EXPECT_NE(debug.find(" <SPMPlayMove>Illegal Play Move Request:Bob:1a.Ke8e6{179}{C:[T:1][L:0]}</SPMPlayMove>\r\n"),
                std::string::npos);
      EXPECT_NE(debug.find(" <SPMPlayMove>Illegal Play Move Request:Bob:1a.d5{179}junk</SPMPlayMove>\r\n"),
                std::string::npos);
      EXPECT_NE(debug.find(" <SPMPlayMove>Illegal Play Move Request:Bob:2a.d5{179}</SPMPlayMove>\r\n"),
                std::string::npos);
      EXPECT_NE(debug.find(" <SPMPlayMove>Invalid Play Move Request:Bob:1a.d</SPMPlayMove>\r\n"), std::string::npos);
      EXPECT_NE(debug.find("<ServerNSPMMove>Cid:1a.d5{179}{C:[T:1][L:0]}</ServerNSPMMove>\r\n"), std::string::npos);
    }
  }
  // Somebody who logs in now is sent the game alone: its new-game command and
  // every move as it was relayed, then how long each seat's turn has run
  // (the last moves came at 118, 121, 119 and 120 s), before everybody hears
  // of the arrival.
  const Client fay{16, "      1006", "Fay"};
  processor.NetGameServerProcessingMessage(fay.connection, net::BuildLoginFrame(fay.handle, fay.name));
  got = window.Take();
  ASSERT_EQ(got.size(), 2u + 1u + 14u + 1u + 2u);
  EXPECT_EQ(got[2], "cli       1006 " + NewGameFrame("NewGameClasics      ", true));
  for (size_t i = 0; i < 14; ++i) EXPECT_EQ(got[3 + i], "cli       1006 " + Relayed(window.recordPane[i])) << i;
  EXPECT_EQ(got[17], "cli       1006 " + TurnStarts("3000 0 2000 1000 0000"));
  EXPECT_EQ(got[18], "pane Server info --> Fay arrived.");
  EXPECT_EQ(got[19], "all " + Talk("Server shouts --> Fay arrived. Welcome !!!"));

  CKestroGame& g = *window.game;
  EXPECT_EQ(g.MoveCount, 14);
  EXPECT_EQ(g.PliesA, 7);
  EXPECT_EQ(g.PliesB, 7);
  EXPECT_EQ(g.Position.boardA[SquareOf(3, 4)], pcBQueen);  // d5
  EXPECT_EQ(g.Position.boardA[SquareOf(4, 5)], pcBPawn);   // e6, dropped
  EXPECT_EQ(g.Position.boardA[SquareOf(3, 3)], pcWPawn);   // d4, dropped
  EXPECT_EQ(g.Position.boardB[SquareOf(3, 5)], pcBPawn);   // d6
  EXPECT_EQ(g.Position.boardB[SquareOf(4, 4)], pcWPawn);   // e5, dropped
  // Two black pawns came to board A, one was dropped; the rest were dropped too.
  EXPECT_EQ(g.Position.holdingsA[SlotOf(pcBPawn)], 1);
  EXPECT_EQ(g.Position.holdingsA[SlotOf(pcWPawn)] + g.Position.holdingsB[SlotOf(pcWPawn)] +
                g.Position.holdingsB[SlotOf(pcBPawn)],
            0);

  // Chat is relayed without the bytes that would cut or bend a frame.
  Send(bob, "Talk", "a" + M + "endcmd" + M + M + "cmd" + M + "2000000001" + M + "AbandonRoleWhiteA\x01");
  EXPECT_EQ(window.Take(), std::vector<std::string>{"all " + Talk("Bob>aendcmdcmd2000000001AbandonRoleWhiteA")});

  // The administrator frees a seat it does not hold; its own rights stay,
  // and the unseated player's moves there are refused.
  ServerUser("AbandonRoleBlackA");
  got = window.Take();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], "cli 2000000001 " + Bare("AbandonRoleBlackA   "));
  EXPECT_EQ(got[2], "all " + Talk("Boss abandon BlackA."));
  EXPECT_EQ(table.At(0).roles, 7);
  Move(bob, 122000, "4a.Nb8c6", "100");
  EXPECT_EQ(window.Take(), std::vector<std::string>{"cli       1002 " + Talk("You cannot play where BlackA is sitting !")});

  // A new game needs both teams' latest command to be the same request.
  Send(ann, "New Game 5");
  Send(ann, "Talk", "ok?");
  Send(cid, "New Game 5");
  Send(eve, "New Game 1");  // no seat: ignored
  got = window.Take();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0], "all " + Talk("Ann issuing new game (Clasics 2m 3s Bronstein)"));
  EXPECT_EQ(got[1], "all " + Talk("Ann>ok?"));
  EXPECT_EQ(got[2], "all " + Talk("Cid issuing new game (Clasics 2m 3s Bronstein)"));
  EXPECT_TRUE(window.startedKinds.empty());
  Send(ann, "Spust novou hru");
  EXPECT_EQ(window.startedKinds, std::vector<int>{104});
  EXPECT_EQ(processor.TeamRequest(1), 0);
  EXPECT_EQ(processor.TeamRequest(2), 0);
  EXPECT_TRUE(window.Take().empty());
  // A login in the new game before its first move: its command, no move.
  processor.NetGameServerProcessingMessage(17, net::BuildLoginFrame("      1007", "Gus"));
  got = window.Take();
  ASSERT_EQ(got.size(), 6u);
  EXPECT_EQ(got[2], "cli       1007 " + NewGameFrame("NewGameClasicsB2m3s ", false));

  // Dee's connection drops: her seat is left as if she had left it, so that
  // she can take it back when she returns under her new name.
  window.live = {11, 12, 13, 15, 16, 17};
  processor.ConnectionsChanged();
  got = window.Take();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[1], "bs " + M + "cmd" + M + "2000000001" + M + "SetPlayers          " + M +
                        "WhiteA:AnnBlackA:BlackAWhiteB:CidBlackB:BlackB" + M + "endcmd" + M);
  EXPECT_EQ(got[2], "all " + Talk("Dee abandon BlackB."));
  processor.ConnectionsChanged();
  EXPECT_TRUE(window.Take().empty());
  // She comes back: the game is sent between the seats it started with and
  // the seats as they are, so that her header names whom the others' name.
  const Client dee2{18, "      1008", "Dee2"};
  processor.NetGameServerProcessingMessage(dee2.connection, net::BuildLoginFrame(dee2.handle, "Dee"));
  window.live.push_back(18);
  got = window.Take();
  ASSERT_EQ(got.size(), 8u);
  const std::string toDee2 = "cli       1008 " + M + "cmd" + M;
  EXPECT_EQ(got[1], toDee2 + "2000000001" + M + "SetPlayers          " + M +
                        "WhiteA:AnnBlackA:BlackAWhiteB:CidBlackB:BlackB" + M + "endcmd" + M);
  EXPECT_EQ(got[2], toDee2 + "2000000001" + M + "SetPlayers          " + M +
                        "WhiteA:AnnBlackA:BlackAWhiteB:CidBlackB:Dee" + M + "endcmd" + M);
  EXPECT_EQ(got[3], "cli       1008 " + NewGameFrame("NewGameClasicsB2m3s ", false));
  EXPECT_EQ(got[4], got[1]);
  // BlackA has been free since the game started: its turn starts when taken.
  EXPECT_EQ(got[5], "cli       1008 " + TurnStarts("0 0 0 0 0100"));
  Send(dee2, "TakeRoleBlackB");
  EXPECT_EQ(window.Take().back(), "all " + Talk("Dee2 is now BlackB."));
}

// A seat's clock pays for its turns whoever sits in it: a seat taken after
// the game started starts its turn then, and a player who drops during his
// turn and comes back pays for the whole turn with his first move, though his
// window counted only from its return.
TEST_F(ServerRoad, ASeatPaysForItsWholeTurnAcrossADropAndAComeback) {
  const Client ann{31, "        31", "Ann"}, bob{32, "        32", "Bob"}, bob2{33, "        33", "Bob2"};
  for (const Client& c : {ann, bob})
    processor.NetGameServerProcessingMessage(c.connection, net::BuildLoginFrame(c.handle, c.name));
  window.live = {31, 32};
  clock.ms = 10000;
  processor.GameStarted();
  clock.ms = 70000;
  Send(ann, "TakeRoleWhiteA");
  Send(bob, "TakeRoleBlackA");
  window.Take();
  EXPECT_EQ(window.turnStart[seatWhiteA], 70000);  // the window's running clock too
  Move(ann, 72000, "1A.e4", "2000");
  const std::string legend = "[LagCompensatorSetOn:1] T=Thinking time per move in miliseconds L=lag per move in ms";
  EXPECT_EQ(window.Take(), std::vector<std::string>{"all " + Relayed("1A.e4{178}{C:[T:2000][L:0]" + legend + "}")});

  // Bob's connection drops 3 s into his turn; 4 s later he is back and sits.
  clock.ms = 75000;
  window.live = {31};
  processor.ConnectionsChanged();
  clock.ms = 78000;
  processor.NetGameServerProcessingMessage(bob2.connection, net::BuildLoginFrame(bob2.handle, "Bob"));
  window.live = {31, 33};
  clock.ms = 79000;
  Send(bob2, "TakeRoleBlackA");
  EXPECT_EQ(window.Take().back(), "all " + Talk("Bob2 is now BlackA."));
  Move(bob2, 80000, "1a.e5", "1000");
  EXPECT_EQ(window.Take(), std::vector<std::string>{"all " + Relayed("1a.e5{172}{C:[T:8000][L:0]}")});
  const TwoBoardPosition& p = window.game->Position;
  EXPECT_EQ(p.clock[seatBlackA], 172000);
  EXPECT_EQ(p.lagCredit[seatWhiteB] + p.lagCredit[seatBlackB], 0);

  // From then on his claims count again.
  Move(ann, 81000, "2A.d4", "1000");
  Move(bob2, 84000, "2a.d6", "1000");
  EXPECT_EQ(window.Take(), (std::vector<std::string>{"all " + Relayed("2A.d4{177}{C:[T:1000][L:0]}"),
                                                     "all " + Relayed("2a.d6{171}{C:[T:1000][L:2000]}")}));
}

// A player whose connection drops takes his team's new-game request with
// him, as leaving the seats himself would: the other team alone starts none.
TEST_F(ServerRoad, ADroppedPlayersTeamNoLongerAsksForANewGame) {
  const Client ann{41, "        41", "Ann"}, bob{42, "        42", "Bob"}, cid{43, "        43", "Cid"},
      dee{44, "        44", "Dee"};
  const Client* bySeat[] = {&ann, &bob, &cid, &dee};
  for (int seat = 0; seat < 4; ++seat) {
    const Client& c = *bySeat[seat];
    processor.NetGameServerProcessingMessage(c.connection, net::BuildLoginFrame(c.handle, c.name));
    Send(c, std::string("TakeRole") + kSeatWords[seat]);
  }
  window.live = {41, 42, 43, 44};
  processor.GameStarted();
  Send(ann, "New Game 5");
  window.live = {42, 43, 44};
  processor.ConnectionsChanged();
  EXPECT_EQ(processor.TeamRequest(1), 0);
  window.Take();
  Send(cid, "New Game 5");
  EXPECT_EQ(window.Take(), std::vector<std::string>{"all " + Talk("Cid issuing new game (Clasics 2m 3s Bronstein)")});
  EXPECT_TRUE(window.startedKinds.empty());
  // Ann's partner still speaks for the team.
  Send(dee, "New Game 5");
  EXPECT_EQ(window.startedKinds, std::vector<int>{104});
}

TEST_F(ServerRoad, MoveStampsNeverAddTimeAndTheRecordHasLimits) {
  const Client ann{21, "        42", "Ann"};
  processor.NetGameServerProcessingMessage(ann.connection, net::BuildLoginFrame(ann.handle, ann.name));
  for (const char* seat : {"TakeRoleWhiteA", "TakeRoleBlackA", "TakeRoleWhiteB", "TakeRoleBlackB"}) Send(ann, seat);
  window.game->LagCompensatorRead = 0;
  clock.ms = 5000;
  processor.GameStarted();
  window.Take();

  // Negative claim: 0, the whole measured time is lag; a move without any
  // comment gets the server's comment appended.
  clock.ms = 7000;
  Send(ann, "PlayMove", "1A.e4{180}{C:[T:-500][L:0]}");
  clock.ms = 7500;
  Send(ann, "PlayMove", "1a.e5");
  const std::string legend = " T=Thinking time per move in miliseconds L=lag per move in ms";
  EXPECT_EQ(window.Take(), (std::vector<std::string>{"all " + Relayed("1A.e4{180}{C:[T:0][L:2000]" + legend + "}"),
                                                     "all " + Relayed("1a.e5{180}{C:[T:0][L:500]}")}));
  // A claim larger than the measured time is lowered to it.
  clock.ms = 9990;
  Send(ann, "PlayMove", "1B.d4{180}{C:[T:99999999][L:0]}");
  clock.ms = 10990;
  Send(ann, "PlayMove", "1b.d5{180}{C:[T:600][L:0]}");
  EXPECT_EQ(window.Take(), (std::vector<std::string>{"all " + Relayed("1B.d4{175}{C:[T:4990][L:0]}"),
                                                     "all " + Relayed("1b.d5{179}{C:[T:600][L:400]}")}));

  // The server user's own move: no seat check (Ann sits there), timed as a
  // client's move from the turn's start; the next seat's turn starts now.
  clock.ms = 12990;
  processor.PlayOwnMove("2A.d4{170}{C:[T:1500][L:0]}");
  clock.ms = 13990;
  Send(ann, "PlayMove", "2a.d6{180}{C:[T:600][L:0]}");
  EXPECT_EQ(window.Take(), (std::vector<std::string>{"all " + Relayed("2A.d4{179}{C:[T:1500][L:3990]}"),
                                                     "all " + Relayed("2a.d6{179}{C:[T:600][L:400]}")}));

  // Past 999 plies on a board the move is played but shouted about instead.
  CKestroGame& g = *window.game;
  g.PliesA = 1000;
  g.Moves.resize(1000, g.Moves.front());
  g.MoveCount = 1000;
  Send(ann, "PlayMove", "501A.Nb1c3{170}");
  EXPECT_EQ(window.Take(), std::vector<std::string>{"all " + Talk("Server shouts -> limit 999 of maximum allowed moves "
                                                                  "in game reached. End of comedy, play new game rather!")});
  EXPECT_EQ(g.MoveCount, 1001);
  // A full record takes no more moves.
  g.Moves.resize(4000, g.Moves.front());
  g.MoveCount = 4000;
  Send(ann, "PlayMove", "501a.Nb8c6{170}");
  EXPECT_TRUE(window.Take().empty());
  EXPECT_EQ(g.MoveCount, 4000);
  EXPECT_EQ(g.Position.sideToMoveA, 1);
}

}  // namespace
