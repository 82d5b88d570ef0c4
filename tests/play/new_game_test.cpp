// New games of every kind: the 27 start-game items on a client and on the
// server, the start of a game of a kind, the announcement frames, and the
// items enabled by the own roles.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "play/play_window.h"
#include "tests/display/display_fixture.h"

namespace {

std::string FixedDate() { return "2026-12-08 20:00:00"; }

struct Log {
  std::vector<std::string> frames;  // "server:", "all:" or "bs:" + frame
  std::vector<std::string> calls;
};

class RecordingNet : public NetSeam {
 public:
  explicit RecordingNet(Log& log) : log_(log) {}
  void SendToServer(const std::string& frame) override { log_.frames.push_back("server:" + frame); }
  void SendToAll(const std::string& frame) override { log_.frames.push_back("all:" + frame); }
  void SendToAllBS(const std::string& frame) override { log_.frames.push_back("bs:" + frame); }
  void ClearDebugLog() override { log_.calls.push_back("clear log"); }

 private:
  Log& log_;
};

class RecordingEngines : public EngineSeam {
 public:
  RecordingEngines(Log& log, const std::string (&names)[4]) : log_(log), names_(names) {}
  std::string SeatEngineName(int seat) const override { return names_[seat]; }
  void StartEngines(int kind) override { log_.calls.push_back("engines " + std::to_string(kind)); }

 private:
  Log& log_;
  const std::string (&names_)[4];
};

// Frames as they read in the golden file: the marker byte written as "¤".
std::string Shown(std::string text) {
  std::string out;
  for (char c : text) out += c == '\xA4' ? std::string("\xC2\xA4") : std::string(1, c);
  return out;
}

std::string WithoutCr(std::string text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

class NewGameTest : public testdisplay::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    TfrmKestrovane::DateText = FixedDate;
    w_ = std::make_unique<TfrmKestrovane>();
    w_->SetNetSeam(std::make_unique<RecordingNet>(log_));
    w_->SetEngineSeam(std::make_unique<RecordingEngines>(log_, engineNames_));
    w_->resize(1300, 800);
    w_->show();
  }

  void BeServer() {
    w_->NetworkMode = 1;
    w_->ActsAsServer = 1;
  }
  void BeClient(const std::string& handle) {
    w_->NetworkMode = 2;
    w_->ActsAsServer = 0;
    w_->OwnHandle = handle;
  }
  QAction* Item(const char* name) { return w_->findChild<QAction*>(QString::fromLatin1(name)); }
  const std::string& Pane() { return w_->RecordPane().Text(); }
  CKestroGame& G() { return *w_->Game(); }

  std::string engineNames_[4];
  Log log_;
  std::unique_ptr<TfrmKestrovane> w_;
};

// Every item once on a client (it asks and starts nothing) and once on the
// server (it starts the game and announces it); what each did is compared
// with tests/data/new_game_kinds.txt.
TEST_F(NewGameTest, EveryKindAskedByAClientAndStartedByTheServer) {
  const std::string names[4] = {"Ann \"Ace\"", "Bob", "Cy", "Di"};
  for (int seat = 0; seat < 4; ++seat) G().PlayerNames[seat] = names[seat];
  ASSERT_EQ(w_->StartGameItems.size(), 27u);

  std::string golden;
  for (QAction* item : w_->StartGameItems) {
    item->setEnabled(true);
    golden += "== " + item->objectName().toStdString() + " \"" + item->text().toStdString() + "\"\n";

    BeClient("    123456");
    const CKestroGame* before = w_->Game();
    const std::string pane = Pane();
    log_ = Log{};
    item->trigger();
    EXPECT_EQ(w_->Game(), before);
    EXPECT_EQ(Pane(), pane);
    EXPECT_TRUE(log_.calls.empty());
    for (const std::string& f : log_.frames) golden += "client " + Shown(f) + "\n";

    BeServer();
    w_->mnuiBughouseLagcompensator->setChecked(true);
    w_->TeamNewGameRequest[0] = 30004;
    w_->TeamNewGameRequest[1] = 30005;
    const int tick = TfrmKestrovane::TickCount10ms();
    log_ = Log{};
    item->trigger();
    for (const std::string& f : log_.frames) golden += "server " + Shown(f) + "\n";
    for (const std::string& c : log_.calls) golden += "then " + c + "\n";

    // The server's pane holds just the new game.
    const std::string header = Pane().substr(4);
    EXPECT_EQ(Pane().substr(0, 4), "\r\n\r\n");
    EXPECT_EQ(std::count(header.begin(), header.end(), '\n'), std::count(header.begin(), header.end(), '\r'));
    golden += WithoutCr(header) + "\n";

    const CKestroGame& g = G();
    const TwoBoardPosition& p = g.Position;
    golden += "GameKind " + std::to_string(g.GameKind) + ", delay " + std::to_string(g.LagCompensatorSeconds) +
              ", lag compensator " + (w_->mnuiBughouseLagcompensator->isChecked() ? "checked" : "unchecked") +
              ", read " + std::to_string(g.LagCompensatorRead) + "\n";
    golden += "clocks";
    for (int seat = 0; seat < 4; ++seat) golden += " " + std::to_string(p.clock[seat]);
    golden += ", coins";
    for (int board = 0; board < 2; ++board)
      golden += " " + (p.coinSquare[board] ? CKestroGame::SquareName(p.coinSquare[board]) : std::string("none"));
    golden += "\n" + CKestroGame::PositionToBfen(p) + "\n";

    // The record, once it has a move, loads with the start it was written for.
    const std::string closing = "\r\n{*} *";
    CKestroGame loaded(header.substr(0, header.size() - closing.size()) + " 1A.e4{180}" + closing, 1);
    golden += "loads with start " + std::to_string(static_cast<int>(loaded.StartKind)) + ", GameKind " +
              std::to_string(loaded.GameKind) + "\n";

    for (int seat = 0; seat < 4; ++seat) {
      EXPECT_EQ(g.PlayerNames[seat], names[seat]);
      EXPECT_GE(w_->TurnStartTick[seat], tick);
      EXPECT_EQ(w_->ServerTurnStart[seat], w_->TurnStartTick[seat]);
    }
    EXPECT_EQ(w_->TeamNewGameRequest[0], 0);
    EXPECT_EQ(w_->TeamNewGameRequest[1], 0);
    EXPECT_EQ(w_->SetupMode, 0);
    EXPECT_EQ(g.PliesA + g.PliesB, 0);
    EXPECT_FALSE(w_->btnOnMove->isEnabled());
    EXPECT_FALSE(w_->txtAllMoves->toPlainText().isEmpty());
  }

  const std::string file = std::string(KESTRO_SOURCE_DIR) + "/tests/data/new_game_kinds.txt";
  QFile f(QString::fromStdString(file));
  if (qEnvironmentVariableIsSet("KESTRO_UPDATE_GOLDEN")) {
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(golden.data(), static_cast<qint64>(golden.size()));
    f.close();
  }
  ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file;
  EXPECT_EQ(golden, f.readAll().toStdString())
      << "The new games differ from tests/data/new_game_kinds.txt. When the change is meant, rewrite that file with\n"
         "  KESTRO_UPDATE_GOLDEN=1 build/bin/play_tests --gtest_filter='*EveryKindAsked*'\n"
         "and review its diff before committing.";
}

TEST_F(NewGameTest, ServerAnnouncesToClientsOnlyThenTalksToAllWithCleanNames) {
  BeServer();
  w_->RecordPane().SetText("old game");
  Item("mnuiStartBughouseChessGameClasics")->setEnabled(true);
  Item("mnuiStartBughouseChessGameClasics")->trigger();
  EXPECT_EQ(log_.frames, (std::vector<std::string>{
                             "bs:\xA4"
                             "cmd\xA4"
                             "0000000000\xA4NewGameClasics      \xA4[LagCompensatorSetOn:1]\xA4"
                             "endcmd\xA4",
                             "all:\xA4"
                             "cmd\xA4"
                             "2000000001\xA4Talk                \xA4!!! Bughouse game (Clasics "
                             "3minutes,BughouseLagCompensator:On) started now: WhiteA + BlackB vs BlackA + "
                             "WhiteB\xA4"
                             "endcmd\xA4"}));
  EXPECT_EQ(Pane().find("old game"), std::string::npos);
  EXPECT_EQ(log_.calls, (std::vector<std::string>{"clear log", "engines 0"}));

  // A name carrying a frame marker or a line break cannot split the chat frame.
  G().PlayerNames[seatBlackB] = "Eve\xA4" "endcmd\xA4\r\n";
  log_ = Log{};
  w_->StartNewGame(501);
  ASSERT_EQ(log_.frames.size(), 2u);
  EXPECT_TRUE(log_.frames[1].ends_with("Off) started now: WhiteA + Eveendcmd vs BlackA + WhiteB\xA4"
                                       "endcmd\xA4"))
      << log_.frames[1];
  EXPECT_EQ(G().PlayerNames[seatBlackB], "Eve\xA4" "endcmd\xA4\r\n");
}

TEST_F(NewGameTest, LocalStartAppendsToThePaneSendsNothingAndNamesComputerSeats) {
  // This window plays BlackA with the built-in player and WhiteB with an
  // engine; BlackB's engine item is chosen but the seat is not this window's.
  w_->OwnRoles = 16 | 32;
  w_->mnuiBugEngineRoles[seatBlackA]->setChecked(true);
  engineNames_[seatBlackA] = engineNames_[seatWhiteB] = engineNames_[seatBlackB] = "sjeng";
  w_->RecordPane().SetText("old game\r\n{*} *");

  w_->StartNewGame(201);
  const std::string header =
      "[Event \"Kestrovane bughouse chess game\"]\r\n[Site \"Kestrovane\"]\r\n[Date \"2026-12-08 20:00:00\"]\r\n"
      "[WhiteA \"WhiteA\"][WhiteAElo \"0\"]\r\n[BlackA \"CompNewbie\"][BlackAElo \"0\"]\r\n"
      "[WhiteB \"sjeng\"][WhiteBElo \"0\"]\r\n[BlackB \"BlackB\"][BlackBElo \"0\"]\r\n"
      "[TimeControl \"bronstein 120+3\"]\r\n[Result \"*\"]\r\n[Setup \"1\"]\r\n"
      "[FEN \"rqbnkbnr/pppppppp/8/8/8/8/PPPPPPPP/RQBNKBNR w KQkq - 180 180 | "
      "rqbnkbnr/pppppppp/8/8/8/8/PPPPPPPP/RQBNKBNR w KQkq - 180 180\"]\r\n\r\n{*} *";
  EXPECT_EQ(Pane(), "old game\r\n{*} *\r\n\r\n" + header);
  EXPECT_TRUE(log_.frames.empty());
  EXPECT_EQ(G().DisplayNames[seatBlackA], "CompNewbie");
  EXPECT_EQ(G().DisplayNames[seatWhiteB], "sjeng");
  EXPECT_EQ(G().DisplayNames[seatBlackB], "");
  EXPECT_EQ(G().PlayerNames[seatBlackA], "BlackA");
  EXPECT_EQ(G().Position.clock[seatBlackB], 120000);
  EXPECT_FALSE(w_->mnuiBughouseLagcompensator->isChecked());

  // Ingols starts no engine; the plain kinds leave the lag compensator as the user set it.
  log_ = Log{};
  w_->StartNewGame(606);
  EXPECT_EQ(log_.calls, (std::vector<std::string>{"clear log"}));
  w_->mnuiBughouseLagcompensator->setChecked(true);
  w_->StartNewGame(2);
  EXPECT_TRUE(w_->mnuiBughouseLagcompensator->isChecked());
  EXPECT_EQ(G().LagCompensatorRead, 1);
  EXPECT_EQ(G().Position.clock[seatWhiteA], 300000);

  // "Start New Game" writes the classic header with the player names only.
  const std::string before = Pane();
  w_->btnNewGame->click();
  EXPECT_TRUE(Pane().starts_with(before + "\r\n\r\n[Event \"Kestrovane bughouse chess game\"]"));
  EXPECT_NE(Pane().find("[BlackA \"BlackA\"]", before.size()), std::string::npos);
  EXPECT_EQ(G().LagCompensatorRead, 0);
  EXPECT_EQ(G().LagCompensatorSeconds, 0);
}

TEST_F(NewGameTest, StartGameItemsFollowTheSeatsHeldOnlyForCode30000) {
  auto enabled = [this] {
    int n = 0;
    for (QAction* a : w_->StartGameItems) n += a->isEnabled();
    return n;
  };
  EXPECT_EQ(enabled(), 6);
  w_->OwnRoles = 64;
  w_->EnableNewGameMenus(29999);
  EXPECT_EQ(enabled(), 6);
  w_->EnableNewGameMenus(30000);
  EXPECT_EQ(enabled(), 27);
  w_->OwnRoles = 6;
  w_->EnableNewGameMenus(30000);
  EXPECT_EQ(enabled(), 0);
  w_->OwnRoles = 8;
  w_->EnableNewGameMenus(30000);
  EXPECT_EQ(enabled(), 27);

  // With no network the item only asks (nobody answers; before a Login the
  // own handle is empty).
  const CKestroGame* before = w_->Game();
  Item("mnuiStartChessIngolsGameClasics15m")->trigger();
  EXPECT_EQ(w_->Game(), before);
  EXPECT_EQ(log_.frames, (std::vector<std::string>{"server:\xA4"
                                                   "cmd\xA4"
                                                   "          \xA4New Game 21         \xA4"
                                                   "endcmd\xA4"}));
}

}  // namespace
