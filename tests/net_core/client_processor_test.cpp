// The client processor on a real game object behind a fake window.
#include "net/core/client_processor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/kestro_game.h"
#include "net/core/frame.h"

namespace {

using net::BuildFrame;
using net::kServerHandle;

std::string Header(const std::string (&names)[5]) {
  std::string seats[4] = {names[0], names[1], names[2], names[3]};
  return "[Event \"Kestrovane bughouse chess game\"]\r\n[Site \"Kestrovane\"]\r\n[Date \"2026.01.02 10:00:00\"]\r\n" +
         BpgnPlayerTags(seats) + "[TimeControl \"180+0\"]\r\n[Result \"*\"]\r\n\r\n{*} *";
}

// The window as far as the processor sees it: a game object, the record and
// chat panes and the partner line as texts, and a note of every other call.
class FakeWindow : public net::ClientHost {
 public:
  std::unique_ptr<CKestroGame> game = std::make_unique<CKestroGame>();
  std::string record, partnerLine;
  std::vector<std::string> chat;
  std::vector<std::string> calls;
  int64_t turnStart[4] = {};

  CKestroGame* Game() override { return game.get(); }
  void AddChatLine(const std::string& line) override { chat.push_back(line); }
  std::string PartnerTellsText() override { return partnerLine; }
  int PartnerTellsLimit() override { return 80; }
  void SetPartnerTellsText(const std::string& text) override { partnerLine = text; }
  void SetTurnStart(int seat, int64_t tick) override { turnStart[seat] = tick; }
  void ShowMovePlayed() override {}
  void AddMoveToRecord(const std::string& moveText) override { net::AddNetworkMoveToRecord(record, moveText); }
  void ShowLegalMoves() override {}
  void TellComputerPlayers(const net::RelayedMove& move) override { relayed.push_back(move.text); }
  void LogGameBeforeNewGame() override { calls.push_back("log"); }
  void ClearRecord() override {
    record.clear();
    calls.push_back("clear");
  }
  bool RecordHoldsMove() override { return HoldsMoveAfterTags(record); }
  void StartNewGame(int kind, bool withSound) override {
    calls.push_back("start " + std::to_string(kind));
    moveSounds += withSound ? 1 : 0;
    const std::string header = Header(game->PlayerNames);
    auto next = std::make_unique<CKestroGame>(header, 1);
    for (int seat = 0; seat < 4; ++seat) next->PlayerNames[seat] = game->PlayerNames[seat];
    game = std::move(next);
    record += "\r\n\r\n" + header;
  }
  void ShowRunningClocks() override { calls.push_back("clocks"); }
  void SetLagCompensator(bool on) override { calls.push_back(on ? "lag on" : "lag off"); }
  void ShowOwnName(const std::string& name) override { calls.push_back("name " + name); }
  void ShowPlayers() override { calls.push_back("players"); }
  void EnableNewGameMenus(int code) override { calls.push_back("menus " + std::to_string(code)); }

  std::vector<std::string> relayed;
  int moveSounds = 0;
  void PlayMoveSoundAndWait() override { ++moveSounds; }
};

struct Client {
  FakeWindow window;
  net::NetGamePlayer own;
  net::DebugLog log;
  net::FakeClock clock;
  net::ClientProcessor processor{window, own, log, clock};

  void Receive(std::string_view command, std::string_view payload = {}) {
    processor.NetGameClientProcessingMessage(BuildFrame(kServerHandle, command, payload));
  }
};

// The server's side of a game, for making real relayed moves: it picks legal
// moves (captures and drops first, by a fixed sequence) and stamps each with
// the mover's clock and a thinking time and lag as the server writes them.
class MoveMaker {
 public:
  MoveMaker() : game_(Header(CKestroGame().PlayerNames), 1) {}

  // The next relayed move text; empty when no move is left.
  std::string Next(int i) {
    CKestroGame& g = game_;
    g.GenerateLegalMoves(g.Position);
    if (g.LegalMoveCount == 0) return {};
    std::vector<int> drops, captures, all;
    for (int k = 0; k < g.LegalMoveCount; ++k) {
      const LegalMoveEntry& m = g.LegalMoves[static_cast<size_t>(k)];
      all.push_back(k);
      if (m.kind >= mkWhiteDropA)
        drops.push_back(k);
      else if (m.capture)
        captures.push_back(k);
    }
    seed_ = seed_ * 1103515245u + 12345u;
    const unsigned r = seed_ >> 8;
    const std::vector<int>& pool = !drops.empty() && r % 3 == 0      ? drops
                                   : !captures.empty() && r % 3 != 2 ? captures
                                                                     : all;
    const LegalMoveEntry& m = g.LegalMoves[static_cast<size_t>(pool[r / 3 % pool.size()])];
    const std::string token = g.MoveToBpgn(g.Position, m.kind, m.from, m.to, m.promotion, g.PliesA, g.PliesB);

    const int t = 1000 * (1 + i % 5), l = 10 * (i % 7);
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "{0}{C:[T:%d][L:%d]}", t, l);
    BpgnMove move;
    move.token = token + stamp;
    if (!g.PlayMove(move, g.Position)) return {};
    (move.board == 1 ? g.PliesA : g.PliesB) += 1;
    if (move.dropped) ++drops_[move.board - 1];
    if (move.captured) ++captures_[move.board - 1];
    const bool first = move.board == 1 && move.moveNumber == 1 && move.side == 0;
    const char* note = first ? " T=Thinking time per move in miliseconds L=lag per move in ms" : "";
    std::snprintf(stamp, sizeof stamp, "{%d}{C:[T:%d][L:%d]%s}", g.Position.clock[move.moverSeat] / 1000, t, l, note);
    return token + stamp;
  }

  int drops_[2] = {}, captures_[2] = {};

 private:
  CKestroGame game_;
  unsigned seed_ = 20260102u;
};

// The record text without its "{C:...}" comments, which the game loader does not take.
std::string WithoutTimeComments(std::string text) {
  for (size_t at; (at = text.find("{C:")) != std::string::npos;) text.erase(at, text.find('}', at) + 1 - at);
  return text;
}

void ExpectSamePosition(const TwoBoardPosition& a, const TwoBoardPosition& b) {
  EXPECT_EQ(0, std::memcmp(a.boardA, b.boardA, sizeof a.boardA));
  EXPECT_EQ(0, std::memcmp(a.boardB, b.boardB, sizeof a.boardB));
  EXPECT_EQ(0, std::memcmp(a.marksA, b.marksA, sizeof a.marksA));
  EXPECT_EQ(0, std::memcmp(a.marksB, b.marksB, sizeof a.marksB));
  EXPECT_EQ(0, std::memcmp(a.holdingsA, b.holdingsA, sizeof a.holdingsA));
  EXPECT_EQ(0, std::memcmp(a.holdingsB, b.holdingsB, sizeof a.holdingsB));
  EXPECT_EQ(0, std::memcmp(a.clock, b.clock, sizeof a.clock));
  EXPECT_EQ(0, std::memcmp(a.castlingA, b.castlingA, sizeof a.castlingA));
  EXPECT_EQ(0, std::memcmp(a.castlingB, b.castlingB, sizeof a.castlingB));
  EXPECT_EQ(a.sideToMoveA, b.sideToMoveA);
  EXPECT_EQ(a.sideToMoveB, b.sideToMoveB);
  EXPECT_EQ(a.epSquareA, b.epSquareA);
  EXPECT_EQ(a.epSquareB, b.epSquareB);
}

// A client is named, seated, sees a new game start and then follows a game
// of both boards with captures and drops; its position and record are those
// of a replay of its own record, every move keeps its T and L, and a repeated
// or misnumbered move changes nothing.
TEST(NetClientProcessor, FollowsARelayedGameToTheSamePositionAndRecordAsAReplay) {
  Client c;
  c.own.roles = 6;
  c.log.on = true;
  c.Receive("SetPlayerName", "Ann");
  EXPECT_EQ("Ann", c.own.name);
  c.Receive("Talk", "Server shouts --> Ann arrived. Welcome !!!");
  c.Receive("SetPlayers", "WhiteA:WhiteABlackA:BobWhiteB:CidBlackB:WhiteB");
  EXPECT_EQ("WhiteA", c.window.game->PlayerNames[0]);
  EXPECT_EQ("WhiteB", c.window.game->PlayerNames[3]);
  EXPECT_EQ(5, c.own.ownSeat);
  c.Receive("TakeRoleBlackB");
  EXPECT_EQ(6 | 64, c.own.roles);
  EXPECT_EQ(0, c.own.partnerSeat);
  c.Receive("SetPlayers", "WhiteA:DeeBlackA:BobWhiteB:CidBlackB:Ann");
  EXPECT_EQ((std::vector<int>{3, 0, 2, 1}),
            (std::vector<int>{c.own.ownSeat, c.own.partnerSeat, c.own.opponentSeat, c.own.partnersOpponentSeat}));
  EXPECT_EQ("Dee", c.window.game->PlayerNames[0]);
  EXPECT_NE(
      std::string::npos,
      c.log.Text().find("   <NetGameClientProcessingMessage20001> G1->Players[player_A]:Dee G1->Players[player_a]:"
                        "Bob G1->Players[player_B]:Cid G1->Players[player_b]:Ann"
                        "</NetGameClientProcessingMessage20001>\r\n"));

  c.window.calls.clear();
  c.Receive("NewGameClasics");
  EXPECT_EQ((std::vector<std::string>{"log", "clear", "start 0", "clocks"}), c.window.calls);
  EXPECT_EQ("Ann", c.window.game->PlayerNames[3]);

  MoveMaker server;
  std::vector<std::string> sent;
  for (int i = 0; i < 70; ++i) {
    const std::string move = server.Next(i);
    if (move.empty()) break;
    c.clock.Advance(1230);
    c.Receive("PlayMove", move);
    sent.push_back(move);
  }
  ASSERT_GE(sent.size(), 60u);
  for (int board = 0; board < 2; ++board) {
    EXPECT_GE(server.captures_[board], 3) << "board " << board;
    EXPECT_GE(server.drops_[board], 2) << "board " << board;
  }

  CKestroGame& g = *c.window.game;
  ASSERT_EQ(static_cast<int>(sent.size()), g.MoveCount) << g.ErrorLog;
  EXPECT_EQ(g.MoveCount, g.PliesA + g.PliesB);
  for (size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i], g.Moves[i].token);
    EXPECT_EQ(static_cast<int>(1000 * (1 + i % 5)), g.Moves[i].thinkingTime);
    EXPECT_EQ(static_cast<int>(10 * (i % 7)), g.Moves[i].lag);
  }
  EXPECT_EQ(sent.size(), c.window.relayed.size());
  const int nextSeat = g.Moves.back().nextSeat;
  EXPECT_EQ(c.clock.TickCount10ms(), c.window.turnStart[nextSeat]);

  // The record pane: the header, then one line per move, the open result last.
  std::string lines;
  for (const std::string& move : sent) lines += "\r\n " + move;
  EXPECT_EQ(0u, c.window.record.find("\r\n\r\n[Event \"Kestrovane bughouse chess game\"]"));
  EXPECT_NE(std::string::npos, c.window.record.find("[Result \"*\"]\r\n" + lines + "\r\n{*} *"));
  EXPECT_EQ(c.window.record.size() - 7, c.window.record.rfind("\r\n{*} *"));

  CKestroGame replay(WithoutTimeComments(c.window.record), 1);
  ASSERT_EQ(0, replay.LoadFailed) << replay.ErrorLog;
  ASSERT_EQ(g.MoveCount, replay.MoveCount);
  ExpectSamePosition(g.Position, replay.Position);

  // A repeated frame and a misnumbered move are refused by the move-number test.
  const TwoBoardPosition before = g.Position;
  const std::string recordBefore = c.window.record;
  c.Receive("PlayMove", sent.back());
  std::string misnumbered = server.Next(1);
  ASSERT_FALSE(misnumbered.empty());
  misnumbered.insert(0, "1");
  c.Receive("PlayMove", misnumbered);
  EXPECT_EQ(static_cast<int>(sent.size()), g.MoveCount);
  EXPECT_EQ(0, std::memcmp(&before, &g.Position, sizeof before));
  EXPECT_EQ(recordBefore, c.window.record);
  EXPECT_NE(std::string::npos, g.ErrorLog.find("Bad move number."));

  c.Receive("AbandonRoleBlackB");
  EXPECT_EQ(6, c.own.roles);
  EXPECT_EQ(-3, c.own.partnerSeat);
  EXPECT_EQ("menus 30000", c.window.calls.back());
}

// At login a server sends the game so far between SetPlayerName and the
// arrival's Talk: those moves are played without a sound each, later ones
// with one.
TEST(NetClientProcessor, TheGameSentAtLoginIsPlayedSilently) {
  Client c;
  MoveMaker server;
  c.Receive("SetPlayerName", "Ann2");
  c.Receive("SetPlayers", "WhiteA:WhiteABlackA:BobWhiteB:CidBlackB:Dee");
  c.Receive("NewGameClasics");
  for (int i = 0; i < 6; ++i) c.Receive("PlayMove", server.Next(i));
  EXPECT_EQ(6, c.window.game->MoveCount) << c.window.game->ErrorLog;
  EXPECT_EQ(0, c.window.moveSounds);
  // The empty game the login started is not logged.
  EXPECT_EQ(0, std::count(c.window.calls.begin(), c.window.calls.end(), "log"));
  c.Receive("Talk", "Server shouts --> Ann2 arrived. Welcome !!!");
  c.Receive("PlayMove", server.Next(6));
  EXPECT_EQ(7, c.window.game->MoveCount);
  EXPECT_EQ(1, c.window.moveSounds);
  // A game started later logs the one played, with its sound.
  c.Receive("NewGameClasics");
  EXPECT_EQ(1, std::count(c.window.calls.begin(), c.window.calls.end(), "log"));
  EXPECT_EQ(2, c.window.moveSounds);
  // A login whose pane still holds a game played (its window could not log
  // it before): the game sent replaces it only after logging it, silently.
  MoveMaker next;
  c.Receive("PlayMove", next.Next(0));
  ASSERT_EQ(1, c.window.game->MoveCount);
  c.Receive("SetPlayerName", "Ann3");
  c.Receive("NewGameClasics");
  EXPECT_EQ(2, std::count(c.window.calls.begin(), c.window.calls.end(), "log"));
  EXPECT_EQ(3, c.window.moveSounds);
}

// Chat: the partner's lines fill the partner line, which keeps its prefix and
// the tail of what was said; every line goes to the chat pane whole.
TEST(NetClientProcessor, ChatFromThePartnerFillsThePartnerLine) {
  Client c;
  c.Receive("SetPlayerName", "Ann");
  c.Receive("TakeRoleBlackB");
  c.Receive("SetPlayers", "WhiteA:DeeBlackA:BobWhiteB:CidBlackB:Ann");

  c.Receive("Talk", "Dee>go");
  EXPECT_EQ("Your partner says:  go", c.window.partnerLine);
  c.Receive("Talk", "Bob>mate in 2");
  EXPECT_EQ("Your partner says:  go", c.window.partnerLine) << "an opponent's line leaves it";
  std::string said = " go";
  for (int i = 0; i < 12; ++i) {
    const std::string text = "sit " + std::to_string(i) + " and wait";
    c.Receive("Talk", "Dee>" + text);
    said += " " + text;
  }
  EXPECT_EQ("Your partner says: " + said.substr(said.size() - 61), c.window.partnerLine);
  EXPECT_EQ(80u, c.window.partnerLine.size());

  c.Receive("Talk", "On this server is online 2 active chess players:");
  EXPECT_EQ("On this server is online 2 active chess players:", c.window.chat.back());
  EXPECT_EQ("Bob>mate in 2", c.window.chat[1]);
  EXPECT_EQ(15u, c.window.chat.size());

  // Frames that are not whole, and a move too short to be one, are reported.
  const std::string cut = BuildFrame(kServerHandle, "Talk", "Dee>lost").substr(0, 30);
  c.processor.NetGameClientProcessingMessage(cut);
  EXPECT_EQ("CliProMsg Bad command:" + cut, c.window.chat.back());
  c.Receive("PlayMove", "e2e4");
  EXPECT_EQ("Invalid Play Move Request (move shorter than 4 characters):\"e2e4\"", c.window.chat.back());
  c.Receive("Takeroleblackb");
  EXPECT_EQ(17u, c.window.chat.size());
  EXPECT_EQ(64, c.own.roles) << "a confirmation is the only way to a seat bit";
}

// With the compensator switched on by the first move, the lag credit the
// other board's seat gained is added to its clock when it moves.
TEST(NetClientProcessor, LagCreditIsPaidIntoTheMoversClock) {
  Client c;
  c.Receive("NewGameClasics");
  CKestroGame& g = *c.window.game;
  c.Receive("PlayMove",
            "1A.e4{179}{C:[T:1000][L:200][LagCompensatorSetOn:1] T=Thinking time per move in miliseconds L=lag per "
            "move in ms}");
  EXPECT_EQ(1, g.LagCompensatorRead);
  EXPECT_EQ(179000, g.Position.clock[seatWhiteA]);
  EXPECT_EQ(200, g.Position.lagCredit[seatWhiteB]);
  c.Receive("PlayMove", "1B.d4{178}{C:[T:2000][L:0]}");
  EXPECT_EQ(180000 - 2000 + 200, g.Position.clock[seatWhiteB]);
  EXPECT_EQ(0, g.Position.lagCredit[seatWhiteB]);
}

// The frames of the client's own commands, byte for byte; the server reads
// each as the command it is, and nothing typed can make a second frame.
TEST(NetClientProcessor, ClientCommandFramesKeepTheirShape) {
  const std::string h = "       123";
  const std::string m = "\xA4";
  EXPECT_EQ(m + "cmd" + m + h + m + "Who                  " + m + "endcmd" + m, net::WhoFrame(h));
  EXPECT_EQ("Who", net::ServerFields(net::WhoFrame(h)).command);
  EXPECT_EQ("", net::ServerFields(net::WhoFrame(h)).payload);

  const std::string bye = m + "cmd" + m + h + m + "KVXNBye             " + m + "endcmd" + m;
  const std::string leaveWB = m + "cmd" + m + h + m + "AbandonRoleWhiteB   " + m + "endcmd" + m;
  const std::string leaveBA = m + "cmd" + m + h + m + "AbandonRoleBlackA   " + m + "endcmd" + m;
  const std::string departing = m + "cmd" + m + h + m + "KVXNDeparting       " + m + "endcmd" + m;
  const std::string talk = m + "cmd" + m + h + m + "Talk                " + m + " departing ... " + m + "endcmd" + m;
  EXPECT_EQ(bye + leaveWB + leaveBA + departing + talk, net::DisconnectText(h, 6 | 16 | 32));

  const std::vector<std::string> all = net::TakeAllRolesFrames(h);
  ASSERT_EQ(4u, all.size());
  EXPECT_EQ(m + "cmd" + m + h + m + "TakeRoleBlackB      " + m + "endcmd" + m, all[2]);
  const std::vector<std::string> test = net::TakeRoleTestFrames(h);
  ASSERT_EQ(8u, test.size());
  EXPECT_EQ("AbandonRoleWhiteB", net::ServerFields(test[5]).command);
  EXPECT_EQ(m + "cmd" + m + h + m + "CallServerAdmin     " + m + "endcmd" + m, net::CallServerAdminFrame(h));
  // An empty chat line keeps its payload mark: 45 bytes.
  EXPECT_EQ(m + "cmd" + m + h + m + "Talk                " + m + m + "endcmd" + m, net::ChatFrame(h, ""));
  EXPECT_EQ(45u, net::ChatFrame(h, "").size());
  EXPECT_EQ("", net::ServerFields(net::ChatFrame(h, "")).payload);

  const std::string injected =
      "hi" + m + "endcmd" + m + m + "cmd" + m + "2000000001" + m + "AbandonRoleWhiteA   " + m + "endcmd" + m + "\r\n";
  const std::string chat = net::ChatFrame(h, injected);
  EXPECT_EQ(1u, net::FrameReader().Feed(chat).frames.size());
  EXPECT_EQ(std::string::npos, chat.find('\r'));
  EXPECT_EQ(net::kFrameStart.size(), chat.find(h));
  EXPECT_EQ(chat.size() - net::kFrameEnd.size(), chat.find(m + "endcmd"));
  EXPECT_EQ(std::string::npos, net::LoginFrame(h, "A\xA4nn\x01").find("A\xA4"));
}

}  // namespace
