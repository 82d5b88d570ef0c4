// The computer players in a real window: a server with no clients whose four
// seats are played by the built-in player and Debian's sjeng.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include "engines/xboard_engine_agent.h"
#include "platform/file_io.h"
#include "play/engine_control.h"
#include "tests/play/net_fixture.h"

namespace {

using nettest::Wait;

constexpr const char* kSjeng = "/usr/games/sjeng";

class EnginePlayTest : public nettest::NetWindowsTest {
 protected:
  EngineControl& Control() { return dynamic_cast<EngineControl&>(Server().Engines()); }

  // Engines run on a new account: an empty home, which the preloaded
  // fake_home also makes the home of the password entry.
  void GiveEnginesANewHome() {
    ASSERT_TRUE(home_.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home_.path());
    environment.insert("LD_PRELOAD", KESTRO_BIN_DIR "/libfake_home.so");
    const QString asan = environment.value("ASAN_OPTIONS");
    environment.insert("ASAN_OPTIONS", (asan.isEmpty() ? "" : asan + ":") + "verify_asan_link_order=0");
    Control().SetEngineEnvironment(environment);
  }

  // Ann logs in on the server and takes the training as WhiteA, answering
  // yes to every question.
  void StartTrainingAsWhiteAAgainstThreeSjengs() {
    StartServerAndLogIn("Ann");
    GiveEnginesANewHome();
    using Answer = Dialogs::Answer;
    dialogs_.messages = {Answer::Ok, Answer::Yes, Answer::Yes, Answer::Yes, Answer::Yes};
    Server().mnuiHotseat2Click();
  }

  void ServeAllFourSeats() {
    StartServerAndLogIn("Ann");
    // The administrator has no take items; the hotseat trainings take seats this way.
    for (int seat = 0; seat < 4; ++seat) Server().Net().TakeRole(seat);
    ASSERT_TRUE(Wait([&] { return (Server().OwnRoles & 120) == 120; })) << Describe();
  }

  std::string Pane(int seat) { return Server().reXBoardEngine[seat]->toPlainText().toStdString(); }
  std::string Chat() { return Server().reNetGameLog->toPlainText().toStdString(); }

  QTemporaryDir home_;
};

bool BoardHasMove(CKestroGame& g, int board) {
  g.GenerateLegalMoves(g.Position);
  for (int i = 0; i < g.LegalMoveCount; ++i)
    if (nettest::BoardOfKind(g.LegalMoves[static_cast<size_t>(i)].kind) == board) return true;
  return false;
}

TEST_F(EnginePlayTest, BuiltInPlayerAndSjengPlayABughouseGameWithoutStalling) {
  if (!QFile::exists(kSjeng)) GTEST_SKIP() << "sjeng is not installed";
  ServeAllFourSeats();
  GiveEnginesANewHome();
  EngineControl& c = Control();
  c.GiveSeatBuiltIn(0, 700);
  c.GiveSeatBuiltIn(3, 700);
  c.GiveSeatEngine(1, EngineControl::kSjeng, kSjeng);
  c.GiveSeatEngine(2, EngineControl::kSjeng, kSjeng);
  ASSERT_TRUE(Server().mnuiBughouseKestroEngine->isChecked());
  ASSERT_TRUE(Server().mnuiXBoardChessEngine->isChecked());
  Server().StartGameMenuClick(0);
  ASSERT_EQ(Server().Game()->GameKind, gkBughouse);
  EXPECT_TRUE(Server().chbTestAutoMove->isChecked());
  EXPECT_NE(Chat().find("Tolvo bughouse engine are ON :WhiteA,BlackB"), std::string::npos) << Chat();

  // Until a board has no move left, 150 plies, or the time bound; a board
  // without a move for half a minute has stalled.
  constexpr int kPlies = 150;
  constexpr int kStallMs = 30000;
  constexpr int kBoundMs = 90000;
  QElapsedTimer total, sinceMove[3];
  total.start();
  sinceMove[1].start();
  sinceMove[2].start();
  int plies[3] = {0, 0, 0};
  bool over = false;
  while (!over && plies[1] + plies[2] < kPlies && total.elapsed() < kBoundMs) {
    QTest::qWait(20);
    CKestroGame& g = *Server().Game();
    for (int board = 1; board <= 2; ++board) {
      const int now = board == 1 ? g.PliesA : g.PliesB;
      if (now != plies[board]) {
        plies[board] = now;
        sinceMove[board].restart();
      }
      if (!BoardHasMove(g, board)) over = true;
    }
    // The built-in player says when a board is mate (also one a drop could mend).
    if (Chat().find("Checkmate !") != std::string::npos) over = true;
    for (int board = 1; board <= 2 && !over; ++board) {
      const int side = board == 1 ? g.Position.sideToMoveA : g.Position.sideToMoveB;
      ASSERT_LT(sinceMove[board].elapsed(), kStallMs)
          << kSeatWords[SeatOf(board, side)] << " stalled after " << plies[1] << "+" << plies[2] << " plies\n"
          << Pane(SeatOf(board, side)) << "\n--- chat\n" << Chat();
    }
  }
  std::printf("bughouse game: %d plies on A, %d on B in %lld ms%s\n", plies[1], plies[2],
              static_cast<long long>(total.elapsed()), over ? ", a board ended" : "");
  // Every seat has moved (a quick mate is a fine end).
  EXPECT_GE(plies[1], 2);
  EXPECT_GE(plies[2], 2);

  // The record replays in the game model, move for move.
  const std::string record = Server().RecordPane().Text();
  const std::vector<std::string> lines = nettest::MoveLines(record);
  CKestroGame replay(record, 1);
  EXPECT_FALSE(replay.LoadFailed) << replay.ErrorLog;
  EXPECT_EQ(replay.MoveCount, static_cast<int>(lines.size()));
  EXPECT_EQ(replay.MoveCount, Server().Game()->MoveCount);
  EXPECT_EQ(std::memcmp(replay.Position.boardA, Server().Game()->Position.boardA, sizeof replay.Position.boardA), 0);

  // Both sjeng panes: the greeting, then moves sent; no refused move left a seat stuck.
  for (int seat : {1, 2}) {
    EXPECT_NE(Pane(seat).find("tellics set 1 Sjeng"), std::string::npos) << Pane(seat);
    EXPECT_NE(Pane(seat).find("KVXN <-- "), std::string::npos) << Pane(seat);
    EXPECT_EQ(Pane(seat).find("is stuck"), std::string::npos) << Pane(seat);
    std::printf("%s: %d moves sent, %d refused\n", kSeatWords[seat], c.MovesSent[seat], c.RefusedMoves[seat]);
  }
}

// Four sjengs play a game to its end: the chat says how it ended, and no
// team of two sjengs waits on itself (a sitting sjeng is told to go). Two
// games, run side by side.
class FourSjengsTest : public EnginePlayTest, public ::testing::WithParamInterface<int> {};

TEST_P(FourSjengsTest, PlayAGameToItsEndAndTheChatSaysHowItEnded) {
  if (!QFile::exists(kSjeng)) GTEST_SKIP() << "sjeng is not installed";
  ServeAllFourSeats();
  GiveEnginesANewHome();
  for (int seat = 0; seat < 4; ++seat) Control().GiveSeatEngine(seat, EngineControl::kSjeng, kSjeng);
  const QRegularExpression ended(QStringLiteral("The (White|Black)[AB] engine sjeng (says the game on board [AB] is "
                                                "over: (1-0|0-1|1/2-1/2) \\{|resigns the game on board [AB]: )"));
  auto endings = [&] { return static_cast<int>(QString::fromStdString(Chat()).count(ended)); };
  constexpr int kStallMs = 45000;
  Server().StartGameMenuClick(0);
  auto plies = [&] { return Server().Game()->PliesA + Server().Game()->PliesB; };
  // Each move (or the end) within the stall limit: a game over without a word would stop here too.
  for (int seen = plies(); endings() == 0; seen = plies()) {
    if (Wait([&] { return endings() > 0 || plies() != seen; }, kStallMs)) continue;
    std::string panes;
    for (int seat = 0; seat < 4; ++seat) panes += std::string("\n--- ") + kSeatWords[seat] + "\n" + Pane(seat);
    FAIL() << "nothing moved after " << Server().Game()->PliesA << "+" << Server().Game()->PliesB
           << " plies\n--- chat\n" << Chat() << panes;
  }
  std::printf("game %d: %d plies on A, %d on B\n", GetParam(), Server().Game()->PliesA, Server().Game()->PliesB);
  // Said once per board (both boards may end in the same moment).
  for (const char* board : {"board A", "board B"})
    EXPECT_LE(QString::fromStdString(Chat()).count(QString::fromLatin1(board)), 1) << Chat();
}

INSTANTIATE_TEST_SUITE_P(Games, FourSjengsTest, ::testing::Values(1, 2));

// Five times a new game starts right after an engine's move, while the engine
// told of it thinks: every seat moves in every game and no move of an earlier
// game is tried.
TEST_F(EnginePlayTest, NewGamesStartedWhileSjengsThinkArePlayedByEverySeat) {
  if (!QFile::exists(kSjeng)) GTEST_SKIP() << "sjeng is not installed";
  ServeAllFourSeats();
  GiveEnginesANewHome();
  EngineControl& c = Control();
  for (int seat = 0; seat < 4; ++seat) c.GiveSeatEngine(seat, EngineControl::kSjeng, kSjeng);
  Server().timerXBoardEngine->setInterval(50);
  Server().mnuiXBoardChessEngineTimer->setData(50);
  auto panes = [&] {
    std::string all;
    for (int seat = 0; seat < 4; ++seat) all += std::string("--- ") + kSeatWords[seat] + "\n" + Pane(seat);
    return all + "--- chat\n" + Chat();
  };
  auto sent = [&] { return c.MovesSent[0] + c.MovesSent[1] + c.MovesSent[2] + c.MovesSent[3]; };
  for (int game = 0; game <= 5; ++game) {
    Server().StartGameMenuClick(0);
    ASSERT_TRUE(Wait([&] { return *std::min_element(c.MovesSent, c.MovesSent + 4) >= 1; }, 30000))
        << "game " << game << "\n" << panes();
    for (int seat = 0; seat < 4; ++seat) EXPECT_EQ(c.RefusedMoves[seat], 0) << "game " << game << "\n" << panes();
    if (game == 5) break;
    // The next move: its receiver thinks when the next game starts.
    const int before = sent();
    ASSERT_TRUE(Wait([&] { return sent() > before; }, 30000)) << panes();
  }
  EXPECT_EQ(Chat().find("is stuck"), std::string::npos) << Chat();
  EXPECT_GE(Server().Game()->PliesA, 2);
  EXPECT_GE(Server().Game()->PliesB, 2);
}

// Running child processes of this program started from `path`.
int ChildProcesses(const std::string& path) {
  int n = 0;
  for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const size_t name = line.rfind(')');
    if (name == std::string::npos) continue;
    std::istringstream fields(line.substr(name + 1));
    char state = 0;
    long parent = 0;
    fields >> state >> parent;
    std::error_code error;
    // An ended process not yet reaped has no program any more.
    if (parent == static_cast<long>(getpid()) && std::filesystem::read_symlink(entry.path() / "exe", error) == path)
      ++n;
  }
  return n;
}

// A client whose sjeng plays BlackA and thinks about WhiteA's e4 leaves the
// network game, by its own Disconnect or by the server's: no engine is left.
TEST_F(EnginePlayTest, LeavingTheNetworkGameEndsTheClientsEngines) {
  if (!QFile::exists(kSjeng)) GTEST_SKIP() << "sjeng is not installed";
  StartServerAndLogIn("Ann");
  Server().Net().TakeRole(0);
  for (const char* name : {"Bob", "Cid"}) {
    ASSERT_NO_FATAL_FAILURE(JoinAndLogIn(name));
    TfrmKestrovane& client = *clients_.back();
    auto& control = dynamic_cast<EngineControl&>(client.Engines());
    client.mnuiTakeRoles[1]->trigger();
    ASSERT_TRUE(Wait([&] { return (client.OwnRoles & 16) != 0 && (Server().OwnRoles & 8) != 0; })) << Describe();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home_.path());
    environment.insert("LD_PRELOAD", KESTRO_BIN_DIR "/libfake_home.so");
    control.SetEngineEnvironment(environment);
    control.GiveSeatEngine(1, EngineControl::kSjeng, kSjeng);
    Server().StartGameMenuClick(0);
    ASSERT_TRUE(Wait([&] { return control.Agent(1) && ChildProcesses(kSjeng) == 1; })) << ChildProcesses(kSjeng);
    ClickSquare(Server(), 1, sq::e4 - 24);
    ClickSquare(Server(), 1, sq::e4);
    const auto pane = [&] { return client.reXBoardEngine[1]->toPlainText().toStdString(); };
    ASSERT_TRUE(Wait([&] { return pane().find("e2e4 --> sjeng") != std::string::npos; })) << pane();
    if (name == std::string("Bob")) {
      client.mnuiDisconnect->trigger();
    } else {
      // Sjeng answers; its talk shows in the BlackA tab, above the line
      // that sends to it. Then it thinks about WhiteA's next move.
      ASSERT_TRUE(Wait([&] { return client.Game()->PliesA == 2; }, 20000)) << pane();
      client.pcXBEngines->setCurrentIndex(1);
      QPlainTextEdit* talk = client.reXBoardEngine[1];
      ASSERT_TRUE(talk->isVisible());
      EXPECT_TRUE(talk->toPlainText().contains(QStringLiteral("tellics set 1 Sjeng")));
      EXPECT_TRUE(talk->toPlainText().contains(QStringLiteral("KVXN <-- 1a.")));
      EXPECT_TRUE(control.SendEdits[1]->isVisible());
      EXPECT_GT(talk->height(), 4 * control.SendEdits[1]->height());
      EXPECT_LT(talk->geometry().bottom(), control.SendEdits[1]->geometry().top());
      nettest::Lcg random(3);
      LegalMoveEntry move;
      ASSERT_TRUE(nettest::PickMove(*Server().Game(), random, move, 1));
      ClickSquare(Server(), move.kind, move.from);
      ClickSquare(Server(), 1, move.to);
      ASSERT_TRUE(Wait([&] { return client.Game()->PliesA == 3; })) << pane();
      Server().mnuiDisconnect->trigger();
      ASSERT_TRUE(Wait([&] { return client.NetworkMode == 0; })) << Describe();
    }
    EXPECT_EQ(control.Agent(1), nullptr) << name;
    EXPECT_FALSE(client.mnuiAI->isEnabled());
    EXPECT_TRUE(Wait([&] { return ChildProcesses(kSjeng) == 0; })) << name << " " << ChildProcesses(kSjeng);
  }
}

TEST_F(EnginePlayTest, TrainingAsWhiteALetsSjengPlayTheOtherThreeSeatsWhileTheHumanSeatWaitsForTheMouse) {
  if (!QFile::exists(kSjeng)) GTEST_SKIP() << "sjeng is not installed";
  StartTrainingAsWhiteAAgainstThreeSjengs();
  std::vector<std::string> questions;
  for (const AskedDialog& a : dialogs_.asked) {
    EXPECT_EQ(a.title, QStringLiteral("Hotseat bughouse training"));
    questions.push_back(a.text.toStdString());
  }
  EXPECT_EQ(questions, (std::vector<std::string>{"You will play as white on A board. ", "Sjeng as Black on A board ? ",
                                                 "Sjeng as White on B board ? ", "Sjeng as Black on B board ? ",
                                                 "Start new game now ?"}));
  EXPECT_EQ(Server().OwnRoles & 120, 120);
  EXPECT_TRUE(Server().mnuiXBoardChessEngine->isChecked());
  EXPECT_FALSE(Server().mnuiBughouseKestroEngine->isChecked());
  EXPECT_NE(Server().Game()->SourceText.find("[TimeControl \"bronstein 60+3\"]"), std::string::npos)
      << Server().Game()->SourceText;
  EXPECT_EQ(Server().Game()->PlayerNames[1], "Ann");
  EXPECT_NE(Server().Game()->SourceText.find("[BlackA \"sjeng\"]"), std::string::npos);
  EngineControl& c = Control();
  EXPECT_EQ(c.Agent(0), nullptr);
  for (int seat = 1; seat < 4; ++seat) ASSERT_NE(c.Agent(seat), nullptr) << seat;

  // Board B plays on its own; board A waits for WhiteA's mouse, then BlackA answers.
  ASSERT_TRUE(Wait([&] { return Server().Game()->PliesB >= 4; }, 60000)) << Pane(2) << Pane(3);
  EXPECT_EQ(Server().Game()->PliesA, 0);
  ClickSquare(Server(), 1, sq::e4 - 24);
  ClickSquare(Server(), 1, sq::e4);
  ASSERT_TRUE(Wait([&] { return Server().Game()->PliesA >= 2; }, 60000)) << Pane(1) << Chat();
  EXPECT_NE(Pane(1).find("e2e4 --> "), std::string::npos) << Pane(1);
  EXPECT_NE(Pane(1).find("KVXN <-- 1a."), std::string::npos) << Pane(1);
  // A server's window shows its engines' talk too: it is where one trains.
  Server().pcXBEngines->setCurrentIndex(1);
  EXPECT_TRUE(Server().reXBoardEngine[1]->isVisible());
}

// The Sunsetter trainings start the program's own Engines/Sunsetter/Sunsetter.exe:
// without it they say so and leave the window as it was.
TEST_F(EnginePlayTest, ATrainingWhoseEnginesCannotStartSaysWhyAndStartsNoGame) {
  StartServerAndLogIn("Ann");
  const CKestroGame* before = Server().Game();
  const std::string exe = program_ + "/Engines/Sunsetter/Sunsetter.exe";
  auto trainingSays = [&](const std::string& why) {
    dialogs_.asked.clear();
    dialogs_.messages = {Dialogs::Answer::Ok};
    Server().mnuiHotseat3Click();
    ASSERT_EQ(dialogs_.asked.size(), 1u);
    EXPECT_EQ(dialogs_.asked[0].title, QStringLiteral("Hotseat bughouse training"));
    EXPECT_EQ(dialogs_.asked[0].text.toStdString(), "The training can not start its engine: the file " + exe + why);
    EXPECT_EQ(Server().Game(), before);
    EXPECT_EQ(Server().OwnRoles & 120, 0);
    for (int seat = 0; seat < 4; ++seat) EXPECT_TRUE(Control().SeatItems[seat][EngineControl::kNone]->isChecked());
    EXPECT_FALSE(Server().mnuiXBoardChessEngine->isChecked());
  };
  trainingSays(" is missing.");
  // A Sjeng training finds its engine missing when a seat is given it: the
  // seats it took are given back.
  Control().SeatEnginePath[1] = program_ + "/Engines/Sjeng85/Sjeng85.Exe";
  dialogs_.asked.clear();
  dialogs_.messages = {Dialogs::Answer::Ok, Dialogs::Answer::Yes, Dialogs::Answer::Ok};
  Server().mnuiHotseat2Click();
  ASSERT_EQ(dialogs_.asked.size(), 3u);
  EXPECT_EQ(dialogs_.asked[2].text.toStdString(),
            "The training can not start its engine: the file " + Control().SeatEnginePath[1] + " is missing.");
  EXPECT_TRUE(Wait([&] { return (Server().OwnRoles & 120) == 0; })) << Server().OwnRoles;
  EXPECT_TRUE(Control().SeatItems[1][EngineControl::kNone]->isChecked());
  EXPECT_FALSE(Server().mnuiXBoardChessEngine->isChecked());
  EXPECT_EQ(Server().Game(), before);
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(program_ + "/Engines/Sunsetter")));
  QFile file(QString::fromStdString(exe));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  trainingSays(" is not executable.");

  // Chosen for a seat anyway, the engine that cannot start is said to, with why.
  for (int seat = 0; seat < 4; ++seat) Server().Net().TakeRole(seat);
  ASSERT_TRUE(Wait([&] { return (Server().OwnRoles & 120) == 120; })) << Describe();
  Control().GiveSeatEngine(2, EngineControl::kSunsetter, exe);
  Server().StartGameMenuClick(101);
  Server().Engines().PollEngines();
  const std::string notExecutable =
      "The WhiteB engine Sunsetter.exe could not be started: the file " + exe + " is not executable.";
  ASSERT_TRUE(Wait([&] { return Chat().find(notExecutable) != std::string::npos; })) << Chat();
  EXPECT_NE(Pane(2).find(notExecutable), std::string::npos) << Pane(2);
  EXPECT_EQ(Chat().find("has ended"), std::string::npos) << Chat();
}

// The server user's own mouse move is timed by the server as a client's is:
// its clock comes from the one-minute game, the first move carries the note,
// and the answering engine's turn starts with that move, so the human's
// thinking time is not charged to the engine, as thinking time or as lag.
TEST_F(EnginePlayTest, TheTrainingHumansMoveIsTimedByTheServerLikeEveryMove) {
  if (!QFile::exists(kSjeng)) GTEST_SKIP() << "sjeng is not installed";
  StartTrainingAsWhiteAAgainstThreeSjengs();
  ASSERT_NE(Server().Game()->SourceText.find("[TimeControl \"bronstein 60+3\"]"), std::string::npos);
  ticks_.clock.Advance(1500);  // the human thinks; no time passes while the engine does
  ClickSquare(Server(), 1, sq::e4 - 24);
  ClickSquare(Server(), 1, sq::e4);
  ASSERT_TRUE(Wait([&] { return Server().Game()->PliesA >= 2; }, 60000)) << Pane(1) << Chat();

  const QRegularExpression stamp(QStringLiteral(R"(^1([Aa])\.[^{]+\{(\d+)\}\{C:\[T:(\d+)\]\[L:(\d+)\](.*)\}$)"));
  int humanT = -1, humanL = -1, engineT = -1, engineL = -1;
  for (const std::string& line : nettest::MoveLines(Server().RecordPane().Text())) {
    const QRegularExpressionMatch m = stamp.match(QString::fromStdString(line));
    if (!m.hasMatch()) continue;
    if (m.captured(1) == QStringLiteral("A")) {
      EXPECT_EQ(line.substr(0, 6), "1A.e4{");
      EXPECT_LE(m.captured(2).toInt(), 60) << line;
      EXPECT_GE(m.captured(2).toInt(), 50) << line;
      EXPECT_EQ(m.captured(5).toStdString(), " T=Thinking time per move in miliseconds L=lag per move in ms") << line;
      humanT = m.captured(3).toInt();
      humanL = m.captured(4).toInt();
    } else {
      engineT = m.captured(3).toInt();
      engineL = m.captured(4).toInt();
    }
  }
  EXPECT_EQ(humanT, 1500) << Server().RecordPane().Text();
  EXPECT_EQ(humanL, 0) << Server().RecordPane().Text();
  EXPECT_EQ(engineT, 0) << Server().RecordPane().Text();
  EXPECT_EQ(engineL, 0) << Server().RecordPane().Text();
}

// BlackA's sjeng is switched off while it thinks about e4 and plays no move.
// Sjengs chosen for seats during the game take its position and play on:
// BlackB before its turn, BlackA in its turn, WhiteA after its turn.
TEST_F(EnginePlayTest, SjengsSwitchedOffOrOnDuringAGameStopOrPlayOnFromThePosition) {
  if (!QFile::exists(kSjeng)) GTEST_SKIP() << "sjeng is not installed";
  ServeAllFourSeats();
  GiveEnginesANewHome();
  EngineControl& c = Control();
  c.GiveSeatEngine(1, EngineControl::kSjeng, kSjeng, 9);  // thinks long
  Server().StartGameMenuClick(0);
  CKestroGame* game = Server().Game();
  ASSERT_NE(c.Agent(1), nullptr);
  ClickSquare(Server(), 1, sq::e4 - 24);
  ClickSquare(Server(), 1, sq::e4);
  ASSERT_NE(Pane(1).find("e2e4 --> sjeng"), std::string::npos) << Pane(1);
  c.SeatItems[1][EngineControl::kNone]->trigger();
  EXPECT_EQ(c.Agent(1), nullptr);
  EXPECT_NE(Pane(1).find("sjeng is switched off: it plays no more moves for BlackA."), std::string::npos) << Pane(1);
  ASSERT_TRUE(Wait([&] { return ChildProcesses(kSjeng) == 0; })) << ChildProcesses(kSjeng);
  EXPECT_EQ(game->PliesA, 1);

  dialogs_.inputs = {QStringLiteral("1")};
  c.SpeedItems[1]->trigger();
  dialogs_.files = {QString::fromLatin1(kSjeng), QString::fromLatin1(kSjeng), QString::fromLatin1(kSjeng)};
  c.SeatItems[3][EngineControl::kSjeng]->trigger();
  EXPECT_NE(Pane(3).find("sjeng<- force\nsjeng<- setboard rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq\n"),
            std::string::npos)
      << Pane(3);
  ClickSquare(Server(), 2, sq::d1 + 12);  // d2-d4
  ClickSquare(Server(), 2, sq::d1 + 36);
  ASSERT_TRUE(Wait([&] { return game->PliesB == 2; }, 20000)) << Pane(3) << Chat();
  // It waited for White's move without a side; then its turn and its hands.
  EXPECT_NE(Pane(3).find("d2d4 --> sjeng\nsjeng<- go\nsjeng<- holding [] []\n"), std::string::npos) << Pane(3);
  // No hands before its turn: some engines misread them while they play no side.
  const size_t setUp = Pane(3).find("sjeng<- setboard");
  EXPECT_EQ(Pane(3).substr(setUp, Pane(3).find("sjeng<- go", setUp) - setUp).find("holding"), std::string::npos)
      << Pane(3);

  // In its turn after e4: the position with its en-passant square, then go.
  c.SeatItems[1][EngineControl::kSjeng]->trigger();
  EXPECT_NE(Pane(1).find("sjeng<- setboard rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3\nsjeng<- go\n"),
            std::string::npos)
      << Pane(1);
  ASSERT_TRUE(Wait([&] { return game->PliesA == 2; }, 20000)) << Pane(1) << Chat();
  nettest::Lcg random(7);
  LegalMoveEntry move;
  ASSERT_TRUE(nettest::PickMove(*game, random, move, 1));
  ClickSquare(Server(), move.kind, move.from);
  ClickSquare(Server(), 1, move.to);
  ASSERT_EQ(game->PliesA, 3);
  c.SeatItems[0][EngineControl::kSjeng]->trigger();
  ASSERT_TRUE(Wait([&] { return game->PliesA >= 6; }, 30000)) << Pane(0) << Pane(1) << Chat();
  for (int seat : {0, 1, 3}) EXPECT_EQ(c.RefusedMoves[seat], 0) << Pane(seat);
  EXPECT_EQ(Server().Game(), game);

  // "No computer players" stops every engine at once.
  Server().mnuiNoEnginesClick();
  for (int seat = 0; seat < 4; ++seat) EXPECT_EQ(c.Agent(seat), nullptr) << seat;
  ASSERT_TRUE(Wait([&] { return ChildProcesses(kSjeng) == 0; })) << ChildProcesses(kSjeng);
  // The built-in player chosen now plays the seat to move at once, and its next turns.
  const int plies = game->PliesA;
  const int seat = game->Position.sideToMoveA == 0 ? 0 : 1;
  Server().mnuiBugEngineRoles[seat]->trigger();
  ASSERT_TRUE(Wait([&] { return game->PliesA == plies + 1; })) << Chat();
  ASSERT_TRUE(nettest::PickMove(*game, random, move, 1));
  ClickSquare(Server(), move.kind, move.from);
  ClickSquare(Server(), 1, move.to);
  ASSERT_TRUE(Wait([&] { return game->PliesA == plies + 3; })) << Chat();
  EXPECT_EQ(Server().Game(), game);
}

// An engine that joined before its turn learns the hands a drop comes from.
TEST_F(EnginePlayTest, AnEngineThatJoinedBeforeItsTurnAnswersADrop) {
  if (!QFile::exists(kSjeng)) GTEST_SKIP() << "sjeng is not installed";
  ServeAllFourSeats();
  GiveEnginesANewHome();
  EngineControl& c = Control();
  Server().StartGameMenuClick(0);
  CKestroGame* game = Server().Game();
  // Board B: 1. e4 d5 2. a3 dxe4 hands WhiteA a pawn.
  const int d1 = sq::d1, a1 = sq::d1 - 3;
  for (const auto& [from, to] : std::initializer_list<std::pair<int, int>>{
           {d1 + 13, d1 + 37}, {d1 + 72, d1 + 48}, {a1 + 12, a1 + 24}, {d1 + 48, d1 + 37}}) {
    ClickSquare(Server(), 2, from);
    ClickSquare(Server(), 2, to);
  }
  ASSERT_EQ(game->PliesB, 4);
  ASSERT_EQ(game->Position.holdingsA[SlotOf(pcWPawn)], 1);
  dialogs_.files = {QString::fromLatin1(kSjeng)};
  c.SeatItems[1][EngineControl::kSjeng]->trigger();
  const LegalMoveEntry* drop = nullptr;
  for (int i = 0; i < game->LegalMoveCount; ++i) {
    const LegalMoveEntry& e = game->LegalMoves[static_cast<size_t>(i)];
    if (nettest::IsDrop(e.kind) && nettest::BoardOfKind(e.kind) == 1 && e.to == sq::e4) drop = &e;
  }
  ASSERT_NE(drop, nullptr);
  const LegalMoveEntry pawnDrop = *drop;
  ClickSquare(Server(), pawnDrop.kind, pawnDrop.from);
  ClickSquare(Server(), 1, pawnDrop.to);
  ASSERT_EQ(game->PliesA, 1);
  ASSERT_TRUE(Wait([&] { return game->PliesA == 2; }, 60000)) << Pane(1);
  EXPECT_NE(Pane(1).find("holding [P] [] --> sjeng\np@e4 --> sjeng\nsjeng<- go\n"), std::string::npos) << Pane(1);
  EXPECT_EQ(c.RefusedMoves[1], 0) << Pane(1);
}

TEST_F(EnginePlayTest, AnalysisOfBoardAShowsSjengsLinesInTheWhiteAPane) {
  if (!QFile::exists(kSjeng)) GTEST_SKIP() << "sjeng is not installed";
  GiveEnginesANewHome();
  EngineControl& c = Control();
  c.DefaultEnginePath = kSjeng;
  // A set-up board A: white to move can win the queen.
  CKestroGame& g = *Server().Game();
  g.Position.boardA[sq::d1] = pcEmpty;
  g.Position.boardA[sq::d1 + 12 * 4] = pcWQueen;  // d5
  Server().cbo_ChessVariant->setCurrentText(QStringLiteral("standard"));
  EXPECT_EQ(Server().btnAnalyzePositionA->toolTip(), QStringLiteral("Analyse Position on A board"));
  Server().btnAnalyzePositionAClick();
  EXPECT_EQ(Server().timerXBoardEngine->interval(), 500);
  EXPECT_NE(Pane(0).find("variant chess"), std::string::npos) << Pane(0);
  EXPECT_EQ(Pane(0).find("holding"), std::string::npos) << Pane(0);
  EXPECT_NE(Pane(0).find("setboard rnbqkbnr/pppppppp/8/3Q4/8/8/PPPPPPPP/RNB1KBNR"), std::string::npos) << Pane(0);
  // Sjeng's thinking lines: depth, score, time, nodes and the line of moves.
  const QRegularExpression line(QStringLiteral("\\n\\s*\\d+\\s+-?\\d+\\s+\\d+\\s+\\d+\\s+[A-Za-z]"));
  EXPECT_TRUE(Wait([&] { return line.match(Server().reXBoardEngine[0]->toPlainText()).hasMatch(); }, 60000))
      << Pane(0);
  EXPECT_NE(Pane(0).find("tellics set 1 Sjeng"), std::string::npos);
}

TEST_F(EnginePlayTest, ComputerPlayerMenuSetsSeatsSpeedsAndTimerAndAnnouncesOnce) {
  // Computer players play in network games: before one, the menu is not offered.
  EXPECT_FALSE(Server().mnuiAI->isEnabled());
  // Each seat's engine items and speed sit under a heading naming the seat.
  std::string menu;
  for (QAction* item : Server().mnuiAI->menu()->actions())
    menu += item->isSeparator() ? std::string("-\n")
                                : item->text().toStdString() + (item->isEnabled() ? "" : " (disabled)") + "\n";
  const std::string golden = std::string(KESTRO_SOURCE_DIR) + "/tests/data/computer_player_menu.txt";
  std::string expected;
  EXPECT_TRUE(file_io::ReadFile(golden, expected)) << golden;
  EXPECT_EQ(menu, expected) << "The ComputerPlayer menu differs from tests/data/computer_player_menu.txt";
  StartServerAndLogIn("Ann");
  EXPECT_TRUE(Server().mnuiAI->isEnabled());
  EngineControl& c = Control();
  auto chatLines = [&](const std::string& text) {
    int n = 0;
    for (size_t at = Chat().find(text); at != std::string::npos; at = Chat().find(text, at + 1)) ++n;
    return n;
  };
  // Without the program's own Sjeng the packaged one is offered.
  if (QFile::exists(kSjeng)) {
    EXPECT_EQ(c.DefaultEnginePath, kSjeng);
  }

  Server().mnuiBugEngineRoles[0]->trigger();
  // The administrator holds no seat: the choice says when it will play.
  EXPECT_TRUE(Wait([&] {
    return chatLines("WhiteA is not your seat: its computer player plays once you have taken it and a new game "
                     "starts.") == 1;
  })) << Chat();
  EXPECT_TRUE(Server().mnuiBughouseKestroEngine->isChecked());
  EXPECT_EQ(c.EngineRolesMask, 8);
  dialogs_.files = {QStringLiteral("/opt/engines/MySjeng")};
  c.SeatItems[0][EngineControl::kSjeng]->trigger();
  EXPECT_EQ(dialogs_.asked.back().filter, QStringLiteral("Chess engine (*)"));
  EXPECT_EQ(c.SeatEnginePath[0], "/opt/engines/MySjeng");
  EXPECT_EQ(c.SeatEngineName(0), "MySjeng");
  EXPECT_FALSE(Server().mnuiBugEngineRoles[0]->isChecked());
  EXPECT_FALSE(Server().mnuiBughouseKestroEngine->isChecked());
  EXPECT_TRUE(Server().mnuiXBoardChessEngine->isChecked());

  // Speed: the hint keeps the number at character 32; anything but 1-9 changes nothing.
  dialogs_.inputs = {QStringLiteral("7"), QStringLiteral("12")};
  c.SpeedItems[2]->trigger();
  c.SpeedItems[2]->trigger();
  EXPECT_EQ(c.SpeedItems[2]->text(), QStringLiteral("Speed : 7"));
  EXPECT_EQ(c.SpeedItems[2]->statusTip(), QStringLiteral("Winboard Engine WhiteB speed : 7"));
  EXPECT_EQ(dialogs_.asked.back().value, QStringLiteral("7"));

  // The engine timer refuses what would make it spin; a non-number is the class library's error.
  QAction* timer = Server().mnuiXBoardChessEngineTimer;
  EXPECT_EQ(timer->text(), QStringLiteral("Read engine messages timer : 300ms"));
  dialogs_.inputs = {QStringLiteral("0"), QStringLiteral("abc"), QStringLiteral("250")};
  for (int i = 0; i < 3; ++i) timer->trigger();
  EXPECT_EQ(timer->data().toInt(), 250);
  EXPECT_EQ(timer->text(), QStringLiteral("Read engine messages timer :250"));
  int errors = 0, messages = 0;
  for (const AskedDialog& a : dialogs_.asked) {
    errors += a.kind == AskedDialog::Kind::Error && a.text == QStringLiteral("'abc' is not a valid integer value");
    messages += a.kind == AskedDialog::Kind::Message && a.title == QStringLiteral("Read engine messages timer");
  }
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(messages, 1);

  Server().mnuiNoEnginesClick();
  EXPECT_FALSE(Server().mnuiXBoardChessEngine->isChecked());
  EXPECT_TRUE(c.SeatItems[0][EngineControl::kNone]->isChecked());
  ASSERT_TRUE(Wait([&] { return chatLines("All computer chess engines are OFF now.") == 1; })) << Chat();
  EXPECT_EQ(chatLines("KVX chess engines are ON now."), 1);
  EXPECT_EQ(chatLines("KVX chess engines are OFF now."), 1);
  EXPECT_EQ(chatLines("Winboard chess engines are ON now."), 1);
  EXPECT_EQ(chatLines("Winboard chess engines are OFF now."), 0);
}

// A shell script standing in for an engine.
std::string WriteEngine(const QTemporaryDir& dir, const char* name, const char* body) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray("#!/bin/sh\n") + body);
  file.close();
  file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
  return path.toStdString();
}

TEST_F(EnginePlayTest, StuckSilentAndDeadEnginesAreSaidOnceAndTheirSeatsLeftAlone) {
  ServeAllFourSeats();
  GiveEnginesANewHome();
  QTemporaryDir engines;
  // Drops a queen it does not hold whenever it is told to go.
  const std::string stuck = WriteEngine(engines, "stuck", "echo 'tellics set 1 Sjeng stuck'\n"
                                                          "while read line; do [ \"$line\" = go ] && echo 'move Q@e5'; done\n");
  // Never greets; notes when it has answered WhiteA's e4.
  const std::string silent = WriteEngine(engines, "silent",
                                         "while read line; do echo 'move e7e5'; [ \"$line\" = e2e4 ] && touch heard-e4; done\n");
  // Greets and ends.
  const std::string dead = WriteEngine(engines, "dead", "echo 'tellics set 1 Sjeng dead'\nsleep 1\nexit 3\n");
  EngineControl& c = Control();
  c.GiveSeatEngine(1, EngineControl::kSjeng, silent);
  c.GiveSeatEngine(2, EngineControl::kSjeng, stuck);
  c.GiveSeatEngine(3, EngineControl::kSjeng, dead);
  // As after an earlier disconnect: a new game's engines are polled again.
  Server().EnginesStopped = 1;
  Server().StartGameMenuClick(0);

  ASSERT_TRUE(Wait([&] { return Pane(2).find("is stuck") != std::string::npos; })) << Pane(2);
  EXPECT_EQ(c.RefusedMoves[2], 4);
  EXPECT_EQ(c.Resyncs[2], 3);
  EXPECT_NE(Pane(2).find("Setting the engine up again (3 of 3)"), std::string::npos) << Pane(2);
  ASSERT_TRUE(Wait([&] { return Pane(3).find("has ended") != std::string::npos; })) << Pane(3);
  // An engine chosen during the game that refuses the position waits for the next game, and says so.
  const std::string refuser = WriteEngine(engines, "refuser", R"(echo 'tellics set 1 Sjeng refuser'
while read line; do case "$line" in setboard*) echo 'Error (unknown command): setboard' ;; esac; done
)");
  dialogs_.files = {QString::fromStdString(refuser)};
  c.SeatItems[0][EngineControl::kSjeng]->trigger();
  ASSERT_TRUE(Wait([&] {
    return Pane(0).find("refuser can not take the position of this game: it waits for the next game.") !=
           std::string::npos;
  })) << Pane(0);
  EXPECT_EQ(c.Agent(0), nullptr);
  // The silent engine's start-up time runs out.
  EXPECT_EQ(Pane(1).find("No greeting line"), std::string::npos) << Pane(1);
  ticks_.clock.Advance(10000);
  ASSERT_TRUE(Wait([&] { return Pane(1).find("No greeting line came from silent") != std::string::npos; }))
      << Pane(1);
  // WhiteA plays e4: the silent engine's answer is never read, nothing else moves.
  ClickSquare(Server(), 1, sq::e4 - 24);
  ClickSquare(Server(), 1, sq::e4);
  ASSERT_TRUE(Wait([&] { return QFile::exists(engines.filePath("heard-e4")); }));
  Server().timerXBoardEngineTimer();  // its answer is read now, if not already
  EXPECT_EQ(c.MovesSent[1], 0);
  EXPECT_EQ(c.RefusedMoves[1], 0);
  EXPECT_EQ(Server().Game()->PliesA, 1);
  EXPECT_EQ(Server().Game()->PliesB, 0);
  for (const char* note : {"is stuck", "has ended"}) {
    const std::string chat = Chat();
    const size_t first = chat.find(note);
    EXPECT_NE(first, std::string::npos) << chat;
    EXPECT_EQ(chat.find(note, first + 1), std::string::npos) << chat;
  }
  EXPECT_EQ(Pane(1).find("move e7e5"), std::string::npos) << Pane(1);
}

// Partner tells: an engine's tell reaches an engine partner as "ptell", and
// one asking to be told "go" is answered for it; two engines that answer each
// other's tells do so once. A player partner reads the tell in the chat and
// the partner line, and what the player says goes to the engine. Each board's
// end is said once in the chat.
TEST_F(EnginePlayTest, PartnerTellsReachThePartnerAndNoTeamOfEnginesWaitsOnItself) {
  ServeAllFourSeats();
  GiveEnginesANewHome();
  QTemporaryDir engines;
  // Sits after the opponent's first move until told to go; answers any other tell with a complaint.
  const std::string sitter = WriteEngine(engines, "sitter", R"(echo 'tellics set 1 Sjeng sitter'
reply=''
while read line; do
  case "$line" in
    e2e4) reply=e7e5; echo "tellics ptell I am forcedly mated (dead). Tell me 'go' to start moving into it." ;;
    d2d4) reply=d7d5; echo "tellics ptell I am forcedly mated (dead). Tell me 'go' to start moving into it." ;;
    'ptell go') echo "move $reply"; if [ $reply = e7e5 ]; then echo 'tellics resign'; else echo '0-1 {Black mates}'; fi ;;
    ptell*) echo "tellics ptell Sorry, but I don't understand that command." ;;
  esac
done
)");
  const std::string listener = WriteEngine(engines, "listener", R"(echo 'tellics set 1 Sjeng listener'
while read line; do
  case "$line" in
    ptell*) echo "tellics ptell Sorry, but I don't understand that command." ;;
    d7d5) echo '0-1 {Black mates}' ;;
  esac
done
)");
  EngineControl& c = Control();
  c.GiveSeatEngine(1, EngineControl::kSjeng, sitter);
  c.GiveSeatEngine(2, EngineControl::kSjeng, listener);
  c.GiveSeatEngine(3, EngineControl::kSjeng, sitter);
  Server().StartGameMenuClick(0);
  const CKestroGame* game = Server().Game();
  auto count = [](const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  };
  const std::string sits = "I am forcedly mated (dead). Tell me 'go' to start moving into it.";
  const std::string sorry = "ptell Sorry, but I don't understand that command.";

  // Board A: BlackA sits; its partner engine hears it, and the program tells it to go.
  ClickSquare(Server(), 1, sq::e4 - 24);
  ClickSquare(Server(), 1, sq::e4);
  ASSERT_TRUE(Wait([&] { return game->PliesA == 2; })) << Pane(1) << Pane(2);
  EXPECT_NE(Pane(2).find("ptell " + sits + " --> listener"), std::string::npos) << Pane(2);
  EXPECT_NE(Pane(1).find("ptell go --> sitter"), std::string::npos) << Pane(1);
  // The listener complains twice (to the sit and to the sitter's complaint); the second goes nowhere.
  ASSERT_TRUE(Wait([&] { return count(Pane(2), "tellics " + sorry) == 2; })) << Pane(2);
  Server().timerXBoardEngineTimer();
  EXPECT_EQ(count(Pane(1), sorry + " --> sitter"), 1) << Pane(1);
  EXPECT_EQ(count(Pane(2), sorry + " --> listener"), 1) << Pane(2);
  EXPECT_EQ(Chat().find("sitter (BlackA)"), std::string::npos) << Chat();
  ASSERT_TRUE(Wait([&] { return Chat().find("The BlackA engine sitter resigns the game on board A: 1-0") !=
                                 std::string::npos; }))
      << Chat();

  // Board B: BlackB sits; its partner is the player, who reads it and says go.
  ClickSquare(Server(), 2, sq::d1 + 12);
  ClickSquare(Server(), 2, sq::d1 + 36);
  const std::string said = "sitter (BlackB): " + sits;
  ASSERT_TRUE(Wait([&] { return Chat().find(said) != std::string::npos; })) << Chat() << Pane(3);
  // The partner line keeps the end of what the partner says.
  EXPECT_TRUE(Server().edPartnerTells->text().endsWith(QStringLiteral("Tell me 'go' to start moving into it.")))
      << Server().edPartnerTells->text().toStdString();
  EXPECT_EQ(Pane(3).find("ptell go"), std::string::npos) << Pane(3);
  EXPECT_EQ(game->PliesB, 1);
  Server().edNetGameMessage->setText(QStringLiteral("go"));
  QTest::keyClick(Server().edNetGameMessage, Qt::Key_Return);
  EXPECT_NE(Pane(3).find("ptell go --> sitter"), std::string::npos) << Pane(3);
  ASSERT_TRUE(Wait([&] { return game->PliesB == 2; })) << Pane(3);
  // Both board B engines say the game is over; the chat says it once.
  ASSERT_TRUE(Wait([&] { return count(Pane(2) + Pane(3), "0-1 {Black mates}") >= 2; })) << Pane(2) << Pane(3);
  Server().timerXBoardEngineTimer();
  ASSERT_TRUE(Wait([&] { return count(Chat(), "says the game on board B is over: 0-1 {Black mates}") == 1; }))
      << Chat();
  EXPECT_EQ(count(Chat(), "is over"), 1) << Chat();
  EXPECT_EQ(count(Chat(), "resigns"), 1) << Chat();
}

// Partners whose engines run in two windows: the tells go through the chat,
// and the window of the engine asked to tell "go" says it for its engine.
TEST_F(EnginePlayTest, EnginePartnersInTwoWindowsTellEachOtherThroughTheChat) {
  StartServerAndLogIn("Ann");
  GiveEnginesANewHome();
  QTemporaryDir engines;
  const std::string sitter = WriteEngine(engines, "sitter", R"(echo 'tellics set 1 Sjeng sitter'
while read line; do
  case "$line" in
    e2e4) echo "tellics ptell I am forcedly mated (dead). Tell me 'go' to start moving into it." ;;
    'ptell go') echo 'move e7e5' ;;
  esac
done
)");
  const std::string listener = WriteEngine(engines, "listener", "echo 'tellics set 1 Sjeng listener'\ncat > /dev/null\n");
  Server().Net().TakeRole(0);
  Server().Net().TakeRole(2);
  ASSERT_NO_FATAL_FAILURE(JoinAndLogIn("Bob"));
  TfrmKestrovane& bob = *clients_.back();
  bob.mnuiTakeRoles[1]->trigger();
  ASSERT_TRUE(Wait([&] { return (bob.OwnRoles & 16) != 0 && (Server().OwnRoles & 40) == 40; })) << Describe();
  auto& bobs = dynamic_cast<EngineControl&>(bob.Engines());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("HOME", home_.path());
  bobs.SetEngineEnvironment(environment);
  bobs.GiveSeatEngine(1, EngineControl::kSjeng, sitter);
  Control().GiveSeatEngine(2, EngineControl::kSjeng, listener);
  Server().StartGameMenuClick(0);
  ASSERT_TRUE(Wait([&] { return bobs.Agent(1) != nullptr && Control().Agent(2) != nullptr; })) << Describe();
  ClickSquare(Server(), 1, sq::e4 - 24);
  ClickSquare(Server(), 1, sq::e4);
  const auto bobsPane = [&] { return bob.reXBoardEngine[1]->toPlainText().toStdString(); };
  ASSERT_TRUE(Wait([&] { return bob.Game()->PliesA == 2; })) << bobsPane() << "\n--- chat\n" << Chat();
  EXPECT_NE(Pane(2).find("ptell sitter (BlackA): I am forcedly mated (dead). Tell me 'go' to start moving into it. "
                         "--> listener"),
            std::string::npos)
      << Pane(2);
  EXPECT_NE(bobsPane().find("ptell go --> sitter"), std::string::npos) << bobsPane();
  EXPECT_NE(Chat().find("Ann>go"), std::string::npos) << Chat();
}

TEST_F(EnginePlayTest, BoardAEnginesHearBoardBsCapturesButNotItsQuietMoves) {
  ServeAllFourSeats();
  GiveEnginesANewHome();
  QTemporaryDir engines;
  const std::string listener =
      WriteEngine(engines, "listener", "echo 'tellics set 1 Sjeng listener'\ncat > /dev/null\n");
  EngineControl& c = Control();
  c.GiveSeatEngine(0, EngineControl::kSjeng, listener);
  c.GiveSeatEngine(1, EngineControl::kSjeng, listener);
  // The marks follow the seats: a click changes neither, nor stops the engines.
  Server().mnuiXBoardChessEngine->trigger();
  Server().mnuiBughouseKestroEngine->trigger();
  EXPECT_TRUE(Server().mnuiXBoardChessEngine->isChecked());
  EXPECT_FALSE(Server().mnuiBughouseKestroEngine->isChecked());
  Server().StartGameMenuClick(0);
  ASSERT_NE(c.Agent(0), nullptr);
  ASSERT_NE(c.Agent(1), nullptr);
  auto holdings = [&](int seat) {
    int n = 0;
    const std::string pane = Pane(seat);
    for (size_t at = pane.find("holding ["); at != std::string::npos; at = pane.find("holding [", at + 1))
      if (pane.substr(at, pane.find('\n', at) - at).find(" --> ") != std::string::npos) ++n;
    return n;
  };
  const int before[2] = {holdings(0), holdings(1)};
  const int e2 = sq::e4 - 24, d7 = sq::d1 + 72, d5 = sq::d1 + 48;
  for (auto [from, to] : {std::pair{e2, sq::e4}, std::pair{d7, d5}}) {
    ClickSquare(Server(), 2, from);
    ClickSquare(Server(), 2, to);
  }
  ASSERT_TRUE(Wait([&] { return Server().Game()->PliesB == 2; })) << Chat();
  EXPECT_EQ(holdings(0), before[0]);
  EXPECT_EQ(holdings(1), before[1]);
  ClickSquare(Server(), 2, sq::e4);
  ClickSquare(Server(), 2, d5);
  ASSERT_TRUE(Wait([&] { return Server().Game()->PliesB == 3; })) << Chat();
  // White took a pawn on B: its partner, BlackA, holds it now.
  for (int seat : {0, 1}) EXPECT_NE(Pane(seat).find("holding [] [p] --> listener"), std::string::npos) << Pane(seat);
  // A line typed under an engine's pane goes to that engine.
  c.SendEdits[1]->setText(QStringLiteral("hint"));
  c.SendButtons[1]->click();
  EXPECT_NE(Pane(1).find("Engine<--hint"), std::string::npos) << Pane(1);
  EXPECT_EQ(Pane(0).find("Engine<--hint"), std::string::npos) << Pane(0);
}

TEST_F(EnginePlayTest, AChattyEnginesPaneKeepsItsLastMegabyte) {
  ServeAllFourSeats();
  GiveEnginesANewHome();
  QTemporaryDir engines;
  const std::string chatty =
      WriteEngine(engines, "chatty", "echo 'tellics set 1 Sjeng chatty'\nexec yes 'thinking very hard about it'\n");
  Control().GiveSeatEngine(1, EngineControl::kSjeng, chatty);
  Server().StartGameMenuClick(0);
  QPlainTextEdit* pane = Server().reXBoardEngine[1];
  constexpr int kMegabyte = 1 << 20;
  // Once full, the oldest output goes and the newest stays.
  ASSERT_TRUE(Wait(
      [&] {
        return pane->document()->characterCount() >= kMegabyte &&
               !pane->toPlainText().contains(QStringLiteral("tellics set 1 Sjeng chatty"));
      },
      60000))
      << pane->document()->characterCount();
  EXPECT_LE(pane->document()->characterCount(), kMegabyte);
  EXPECT_TRUE(pane->toPlainText().right(200).contains(QStringLiteral("thinking very hard about it")));
}

}  // namespace
