// The game record leaves the window: the daily log on the network's
// new-game road (across midnight, and into a folder that cannot be written),
// "Save BPGN Now" that fails, "Save ClientLog", and the running clocks.
#include <signal.h>
#include <sys/resource.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTimer>

#include "net/core/clock.h"
#include "net/core/frame.h"
#include "play/core/running_clock.h"
#include "play/game_log.h"
#include "platform/file_io.h"
#include "tests/play/net_fixture.h"

namespace {

using Kind = AskedDialog::Kind;

game_log::LocalTime clockNow{2026, 12, 8, 23, 59, 58};
game_log::LocalTime FakeNow() { return clockNow; }

std::string FileText(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(file_io::ReadFile(path, bytes)) << path;
  return bytes;
}

class GameLogTest : public nettest::NetWindowsTest {
 protected:
  void SetUp() override {
    NetWindowsTest::SetUp();
    clockNow = {2026, 12, 8, 23, 59, 58};
    game_log::Now = FakeNow;
  }
  void TearDown() override {
    game_log::Now = game_log::SystemNow;
    NetWindowsTest::TearDown();
  }
  std::string LogFolder() { return program_ + "/Bpgn/KVXGames/"; }

  // The server starts a game of `kind`; returns when the client shows it.
  void StartGame(int kind) {
    Server().StartGameMenuClick(kind);
    const std::string header = Server().RecordPane().Text();
    ASSERT_TRUE(nettest::Wait([&] { return Client(0).RecordPane().Text() == header; }))
        << Client(0).RecordPane().Text();
  }
};

TEST_F(GameLogTest, GamesOfADayShareItsFileAndAfterMidnightANewFileBegins) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Srv"));
  ASSERT_NO_FATAL_FAILURE(JoinAndLogIn("Cli"));
  TfrmKestrovane& client = Client(0);
  ASSERT_TRUE(client.mnuiLogGameBeforeStartingNew->isChecked());  // the client logs, the server does not
  ASSERT_FALSE(Server().mnuiLogGameBeforeStartingNew->isChecked());

  const std::string before = client.RecordPane().Text();
  ASSERT_NO_FATAL_FAILURE(StartGame(0));
  const std::string first = client.RecordPane().Text();
  ASSERT_NO_FATAL_FAILURE(StartGame(101));
  const std::string second = client.RecordPane().Text();
  ASSERT_NE(first, second);
  EXPECT_EQ(FileText(LogFolder() + "KVXN20261208.BPGN"), before + "\r\n\r\n" + first + "\r\n\r\n");

  clockNow = {2026, 12, 9, 0, 0, 1};
  client.mnuiMakeLogs->setChecked(true);
  ASSERT_NO_FATAL_FAILURE(StartGame(0));
  EXPECT_EQ(FileText(LogFolder() + "KVXN20261209.BPGN"), second + "\r\n\r\n");
  EXPECT_EQ(FileText(LogFolder() + "KVXN20261208.BPGN").size(), before.size() + first.size() + 8);
  EXPECT_EQ(QDir(QString::fromStdString(LogFolder())).entryList(QDir::Files).size(), 2);

  // "Save ClientLog": the frames since this game began, then both panes.
  Server().Net().SendToAll(net::BuildFrame(net::kServerHandle, "Talk", "after the start"));
  ASSERT_TRUE(nettest::Wait([&] { return client.reNetGameLog->toPlainText().contains("after the start"); }));
  const QString debugFile = QString::fromStdString(program_ + "/debug.LOG");
  dialogs_.files = {debugFile};
  client.findChild<QAction*>(QStringLiteral("mnuiShowsClientLog"))->trigger();
  ASSERT_EQ(dialogs_.Asked(Kind::SaveFile).back().value, "KVXNDebug20261209_000001.LOG");
  const std::string saved = FileText(debugFile.toStdString());
  const std::string chat = game_log::AsCrLfLines(client.reNetGameLog->toPlainText().toStdString());
  EXPECT_EQ(saved.rfind("<sClientLog>\r\n", 0), 0u);
  EXPECT_NE(saved.find("<ClientReceived>"), std::string::npos) << saved;
  EXPECT_NE(saved.find("after the start"), std::string::npos);
  EXPECT_NE(saved.find("\r\n<reBPGNGames>\r\n" + client.RecordPane().Text() + "\r\n<reNetGameLog>\r\n"),
            std::string::npos)
      << saved;
  EXPECT_EQ(saved.substr(saved.size() - chat.size() - 18), "\r\n<reNetGameLog>\r\n" + chat);
}

TEST_F(GameLogTest, AGameThatCannotBeLoggedStaysInThePaneAndTheChatSaysSo) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Srv"));
  ASSERT_NO_FATAL_FAILURE(JoinAndLogIn("Cli"));
  ASSERT_NO_FATAL_FAILURE(StartGame(0));
  // A file where the folder should be: neither can create it.
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(program_ + "/Bpgn")));
  ASSERT_TRUE(file_io::WriteFileAtomic(program_ + "/Bpgn/KVXGames", "not a folder"));
  Server().mnuiLogGameBeforeStartingNew->setChecked(true);
  const std::string serverGame = Server().RecordPane().Text();
  const std::string clientGame = Client(0).RecordPane().Text();

  Server().StartGameMenuClick(101);
  ASSERT_TRUE(WaitAll([](TfrmKestrovane& w) {
    return w.reNetGameLog->toPlainText().contains("Game not logged, the game record stays in its pane");
  })) << Describe();
  for (auto [w, old] : {std::pair{&Server(), serverGame}, std::pair{&Client(0), clientGame}}) {
    const std::string pane = w->RecordPane().Text();
    EXPECT_EQ(pane.rfind(old, 0), 0u) << pane;                       // the old game is kept
    EXPECT_NE(pane.find("[Event", old.size()), std::string::npos);  // the new one follows it
  }
}

// "Save position and play" replaces the record pane: a game with moves is
// logged first, and one that cannot be logged stays, the set-up after it.
TEST_F(GameLogTest, ASetUpThatReplacesAPlayedGameLogsItFirst) {
  TfrmKestrovane& w = Server();
  ASSERT_TRUE(w.mnuiLogGameBeforeStartingNew->isChecked());
  const std::string dayFile = LogFolder() + "KVXN20261208.BPGN";
  auto saveSetup = [&] {
    w.btnSetupPosition->click();
    w.btnBFEN->click();
    return w.Game()->BpgnSetupText(w.Game()->Position);
  };
  auto move = [&](int board, const char* from, const char* to) {
    ClickSquare(w, board, CKestroGame::SquareFromName(from[0], from[1]));
    ClickSquare(w, board, CKestroGame::SquareFromName(to[0], to[1]));
  };

  w.btnNewGame->click();
  saveSetup();  // no move yet: nothing to log
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dayFile)));
  move(1, "e2", "e4");
  const std::string played = w.RecordPane().Text();
  ASSERT_NE(played.find("1A.e4{"), std::string::npos) << played;
  const std::string setup = saveSetup();
  EXPECT_EQ(FileText(dayFile), played + "\r\n\r\n");
  EXPECT_EQ(w.RecordPane().Text(), setup);

  // The next day's file cannot be made: the record stays and the chat says so.
  move(2, "d2", "d4");
  const std::string second = w.RecordPane().Text();
  clockNow = {2026, 12, 9, 8, 0, 0};
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(LogFolder() + "KVXN20261209.BPGN")));
  const std::string next = saveSetup();
  EXPECT_TRUE(w.reNetGameLog->toPlainText().contains("Game not logged, the game record stays in its pane"));
  EXPECT_EQ(w.RecordPane().Text(), second + "\r\n\r\n" + next);
  EXPECT_EQ(FileText(dayFile), played + "\r\n\r\n");
}

TEST_F(GameLogTest, SaveBpgnNowThatFailsKeepsTheOldFile) {
  Server().btnNewGame->click();
  ASSERT_GT(Server().RecordPane().Text().size(), 100u);
  const std::string path = program_ + "/kept.BPGN";
  ASSERT_TRUE(file_io::WriteFileAtomic(path, "old"));
  dialogs_.files = {QString::fromStdString(path)};
  // Files may not grow beyond 4 bytes for the save: the write fails.
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 4;
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  Server().btnSaveXPGN->click();
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);

  ASSERT_EQ(dialogs_.Asked(Kind::SaveFile).size(), 1u);
  EXPECT_EQ(dialogs_.Asked(Kind::SaveFile)[0].value, "KVXN20261208_235958.BPGN");
  ASSERT_EQ(dialogs_.Asked(Kind::Error).size(), 1u);
  EXPECT_EQ(FileText(path), "old");
  EXPECT_EQ(QDir(QString::fromStdString(program_)).entryList({"kept*"}, QDir::Files).size(), 1);

  dialogs_.files = {QString::fromStdString(path)};
  Server().btnSaveXPGN->click();
  EXPECT_EQ(FileText(path), game_log::AsCrLfLines(Server().RecordPane().Text()));
}

TEST_F(GameLogTest, RunningClocksCountDownFromTheTurnStartWithTheLagCredit) {
  EXPECT_EQ(RunningClock(60000, 112340, 100000, 200), 47860);
  EXPECT_EQ(RunningClock(1000, 5000, 0, 0), -4000);

  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Srv"));
  net::FakeClock& fake = ticks_.clock;
  Server().StartGameMenuClick(0);
  TfrmKestrovane& w = Server();
  EXPECT_TRUE(w.chbShowPresumptiveTimes->isVisible());
  TwoBoardPosition& p = w.Game()->Position;
  ASSERT_EQ(p.sideToMoveA, 0);
  ASSERT_EQ(p.sideToMoveB, 0);
  p.clock[0] = 60000;
  p.lagCredit[0] = 200;
  p.runningClock[1] = p.runningClock[3] = 777;
  fake.Advance(12340);
  const QImage before = w.imgBoard->Canvas().copy();
  w.btnShowPresumtiveTimes->click();
  EXPECT_EQ(p.runningClock[0], 47860);
  EXPECT_EQ(p.runningClock[2], p.clock[2] - 12340 + p.lagCredit[2]);
  EXPECT_EQ(p.runningClock[1], 777);  // not to move: kept
  EXPECT_EQ(p.runningClock[3], 777);
  EXPECT_NE(w.imgBoard->Canvas(), before);

  // The box starts the once-a-second tick; each tick counts on, below zero too.
  w.chbShowPresumptiveTimes->click();
  EXPECT_TRUE(w.TimerNetGame1->isActive());
  EXPECT_EQ(w.TimerNetGame1->interval(), 1000);
  fake.Advance(60000);
  w.TimerNetGame1Timer();
  EXPECT_EQ(p.runningClock[0], 60000 - 72340 + 200);
  w.chbShowPresumptiveTimes->click();
  EXPECT_FALSE(w.TimerNetGame1->isActive());
}

}  // namespace
