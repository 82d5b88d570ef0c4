#include "engines/xboard_engine_agent.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engines/core/engine_text.h"
#include "game/bytes.h"
#include "game/kestro_game.h"

namespace {

// Long enough for a loaded machine; a healthy run needs milliseconds.
constexpr int kWaitMs = 30000;
// A grace period no wait of a test outlasts: the engine alone decides how it ends.
constexpr int kNoGraceEnds = 600000;

// Reads the agent until `done` holds for the output gathered, or the time is up.
bool ReadUntil(CXBoardEngineAgent& agent, std::string& all, const std::function<bool(const std::string&)>& done,
               int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < timeoutMs) {
    std::string text;
    if (agent.Read(text) > 0) all += text;
    if (done(all)) return true;
    QCoreApplication::processEvents();
    QThread::msleep(2);
  }
  return done(all);
}

EngineEnd WaitForEnd(const std::shared_ptr<EngineEnd>& outcome, int timeoutMs = kWaitMs) {
  QElapsedTimer timer;
  timer.start();
  while (outcome && *outcome == EngineEnd::Pending && timer.elapsed() < timeoutMs) {
    QCoreApplication::processEvents();
    QThread::msleep(5);
  }
  return outcome ? *outcome : EngineEnd::Pending;
}

// Gone, or a zombie nobody has reaped yet.
bool ProcessEnded(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return true;
  const QByteArray line = stat.readAll();
  const qsizetype close = line.lastIndexOf(')');
  return close >= 0 && close + 2 < line.size() && (line[close + 2] == 'Z' || line[close + 2] == 'X');
}

// Waits, without running the event loop (so the agent notices nothing), until
// the process has ended: its pidfd becomes readable then.
bool WaitUntilEnded(qint64 pid) {
  const int fd = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
  if (fd < 0) return ProcessEnded(pid);  // already gone
  pollfd ended{fd, POLLIN, 0};
  poll(&ended, 1, kWaitMs);
  close(fd);
  return ProcessEnded(pid);
}

// Waits, without running the event loop, until `file` is made in its folder.
bool WaitForFile(const QString& file) {
  const int fd = inotify_init1(IN_CLOEXEC);
  if (fd < 0) return QFile::exists(file);
  inotify_add_watch(fd, QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                    IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE);
  QElapsedTimer timer;
  timer.start();
  for (qint64 left = kWaitMs; !QFile::exists(file) && left > 0; left = kWaitMs - timer.elapsed()) {
    pollfd changed{fd, POLLIN, 0};
    if (poll(&changed, 1, static_cast<int>(left)) > 0) {
      char events[4096];
      [[maybe_unused]] const ssize_t got = read(fd, events, sizeof events);
    }
  }
  close(fd);
  return QFile::exists(file);
}

// Every engine a test starts runs on a new account: an empty $HOME of its own,
// which the preloaded fake_home also makes the home of the password entry.
struct NewAccount {
  QTemporaryDir home;

  void Give(CXBoardEngineAgent& agent) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.insert("LD_PRELOAD", KESTRO_BIN_DIR "/libfake_home.so");
    // Our own engines may be built with AddressSanitizer, which wants to be loaded first.
    const QString asan = environment.value("ASAN_OPTIONS");
    environment.insert("ASAN_OPTIONS", (asan.isEmpty() ? "" : asan + ":") + "verify_asan_link_order=0");
    agent.Environment = environment;
  }

  // How many times fake_sunsetter has started on this account.
  int FakeStarts() const {
    QFile file(home.filePath("fake_sunsetter.starts"));
    return file.open(QIODevice::ReadOnly) ? static_cast<int>(file.readAll().count('\n')) : 0;
  }
};

struct EngineLog {
  std::string text;  // what ReadMove hands back for the engine's pane
  std::string move;  // the first move read
};

// Reads with ReadMove until a move comes, `done` holds for the text or the time is up.
EngineLog LogUntil(CXBoardEngineAgent& agent, const std::function<bool(const std::string&)>& done,
                   int timeoutMs) {
  EngineLog log;
  QElapsedTimer timer;
  timer.start();
  while (log.move.empty() && !done(log.text) && timer.elapsed() < timeoutMs) {
    std::string text;
    log.move = agent.ReadMove(text);
    if (text != "\r\nEngine don't run.") log.text += text;
    QCoreApplication::processEvents();
    QThread::msleep(2);
  }
  return log;
}

// A shell script in `dir` as an engine program.
std::string Script(const QTemporaryDir& dir, const char* name, const char* body) {
  const QString path = dir.filePath(name);
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(QByteArray("#!/bin/sh\n") + body);
  file.close();
  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  return path.toStdString();
}

TEST(XBoardEngineAgent, TranscriptsAndTheLinesSent) {
  NewAccount account;
  CXBoardEngineAgent agent(1000, "/bin/", "cat");
  account.Give(agent);
  agent.QuitGraceMs = kNoGraceEnds;
  ASSERT_EQ(agent.Start(), 0);
  agent.Analysis.holdingCommand = "holding [PPN] [q]";
  const std::string game = agent.InitGame();
  EXPECT_EQ(game,
            "xboard mode: starting engine: cat\r\ncat<- post\r\ncat<- easy\r\ncat<- new\r\n"
            "cat<- variant bughouse\r\ncat<- holding [PPN] [q]\r\ncat<- level 0 1 0\r\ncat<- white\r\ncat<- go\r\n");
  const std::string sent =
      "xboard\npost\neasy\nnew\nvariant bughouse\nholding [PPN] [q]\nlevel 0 1 0\nwhite\ngo\n";
  std::string echoed;
  EXPECT_TRUE(ReadUntil(agent, echoed, [&](const std::string& s) { return s.size() >= sent.size(); }, kWaitMs));
  EXPECT_EQ(echoed, sent);

  agent.Variant = 5;
  agent.Side = 1;
  agent.Post = 0;
  agent.Easy = 0;
  agent.LevelA = 40;
  agent.LevelB = 5;
  agent.LevelC = 2;
  EXPECT_EQ(agent.InitGame(),
            "xboard mode: starting engine: cat\r\ncat<- nopost\r\ncat<- hard\r\ncat<- new\r\n"
            "cat<- variant coin\r\ncat<- coin $e4\r\ncat<- level 40 5 2\r\ncat<- white\r\n");
  agent.Variant = 0;
  EXPECT_EQ(bytes::Pos("cat<- variant chess\r\ncat<- level", agent.InitGame()) > 0, true);

  agent.Analysis.variant = 0;
  agent.Analysis.side = 0;
  EXPECT_EQ(agent.InitAnalysis(),
            "xboard mode: starting engine: cat\r\ncat<- new\r\ncat<- analyze\r\ncat<- variant chess\r\n"
            "cat<- post\r\ncat<- white\r\ncat<- setboard rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR\r\n"
            "cat<- analyze\r\n");
  agent.Analysis.variant = 1;
  agent.Analysis.side = 15;
  EXPECT_EQ(agent.InitAnalysis(),
            "xboard mode: starting engine: cat\r\ncat<- new\r\ncat<- analyze\r\ncat<- variant bughouse\r\n"
            "cat<- post\r\ncat<- holding [PPN] [q]\r\ncat<- black\r\n"
            "cat<- setboard rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR\r\ncat<- analyze\r\n");

  // cat ends when its input closes: no force is needed. Stop returns before
  // it has ended.
  EXPECT_EQ(agent.Stop(), 1);
  EXPECT_EQ(agent.Running, 0);
  ASSERT_TRUE(agent.StopOutcome());
  EXPECT_EQ(*agent.StopOutcome(), EngineEnd::Pending);
  EXPECT_EQ(WaitForEnd(agent.StopOutcome()), EngineEnd::Quit);
}

TEST(XBoardEngineAgent, ReadSendAndStopWithoutAProcess) {
  CXBoardEngineAgent agent(2000, "/no/such/folder/", "engine");
  EXPECT_EQ(agent.Path, "/no/such/folder/engine");
  EXPECT_EQ(agent.Start(), -1);
  EXPECT_EQ(agent.Running, 0);
  EXPECT_EQ(agent.Send("new"), 0);
  std::string text;
  EXPECT_EQ(agent.Read(text), 0);
  EXPECT_EQ(text, "\r\nEngine don't run.");
  EXPECT_EQ(agent.Stop(), 1);
  ASSERT_TRUE(agent.StopOutcome());
  EXPECT_EQ(*agent.StopOutcome(), EngineEnd::HadEnded);

  NewAccount account;
  CXBoardEngineAgent quiet(1000, "/bin/", "cat");
  account.Give(quiet);
  ASSERT_EQ(quiet.Start(), 0);
  EXPECT_EQ(quiet.Read(text), 0);
  EXPECT_EQ(text, "\r\nNo new data received.");
}

TEST(XBoardEngineAgent, ADeadEngineIsSaidOnceAndNotUsedAgain) {
  NewAccount account;
  QTemporaryDir dir;
  // An engine that has answered is past its start-up: its end is final.
  Script(dir, "short", "echo 'feature done=1'\nexit 3\n");
  CXBoardEngineAgent agent(1000, dir.path().toStdString() + "/", "short");
  account.Give(agent);
  ASSERT_EQ(agent.Start(), 0);
  ASSERT_TRUE(WaitUntilEnded(agent.ProcessId()));
  EXPECT_EQ(agent.Send("new"), 0);  // into a closed pipe: harmless
  std::string all;
  EXPECT_TRUE(ReadUntil(agent, all, [&](const std::string&) { return agent.Running == 0; }, kWaitMs));
  EXPECT_EQ(all, "feature done=1\n");
  std::string text;
  EXPECT_EQ(agent.Read(text), 0);
  EXPECT_EQ(text, "\r\nEngine don't run.");

  // Stopping an engine that has ended, noticed or not, says so at once.
  CXBoardEngineAgent unnoticed(1000, dir.path().toStdString() + "/", "short");
  account.Give(unnoticed);
  ASSERT_EQ(unnoticed.Start(), 0);
  ASSERT_TRUE(WaitUntilEnded(unnoticed.ProcessId()));
  for (CXBoardEngineAgent* ended : {&agent, &unnoticed}) {
    EXPECT_EQ(ended->Stop(), 1);
    ASSERT_TRUE(ended->StopOutcome());
    EXPECT_EQ(*ended->StopOutcome(), EngineEnd::HadEnded);
  }
}

// In the copy of this program that the test below starts: an engine, which
// writes its process id, and then the program is killed outright.
static void StartEngineAndDie(const QString& engine) {
  CXBoardEngineAgent agent(1000, "", engine.toStdString());
  if (agent.Start() != 0) std::exit(3);
  WaitForFile(engine + ".pid");
  std::raise(SIGKILL);
}

TEST(XBoardEngineAgent, AnEngineEndsWithAProgramKilledOutright) {
#ifndef Q_OS_LINUX
  GTEST_SKIP() << "Linux only";
#endif
  const QString childEngine = qEnvironmentVariable("KESTRO_ENGINE_OF_KILLED_PROGRAM");
  if (!childEngine.isEmpty()) return StartEngineAndDie(childEngine);
  QTemporaryDir dir;
  const QString engine = dir.filePath("engine.sh");
  QFile script(engine);
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write("#!/bin/sh\necho $$ > \"$0.pid.new\"\nmv \"$0.pid.new\" \"$0.pid\"\nexec sleep 60\n");
  script.close();
  script.setPermissions(script.permissions() | QFileDevice::ExeOwner);

  QProcess program;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("KESTRO_ENGINE_OF_KILLED_PROGRAM", engine);
  program.setProcessEnvironment(environment);
  program.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=XBoardEngineAgent.AnEngineEndsWithAProgramKilledOutright"});
  ASSERT_TRUE(program.waitForFinished(2 * kWaitMs));
  EXPECT_EQ(QProcess::CrashExit, program.exitStatus());
  QFile pidFile(engine + ".pid");
  ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly)) << "the engine did not start";
  const int pid = pidFile.readAll().trimmed().toInt();
  ASSERT_GT(pid, 0);

  const bool gone = WaitUntilEnded(pid);
  if (!gone) ::kill(pid, SIGKILL);
  EXPECT_TRUE(gone) << "the engine outlived the program that started it";
}

TEST(XBoardEngineAgent, StopEndsEnginesThatIgnoreQuitWithoutBlocking) {
  NewAccount account;
  QTemporaryDir dir;
  // Each says it is ready once it ignores what it is to ignore.
  Script(dir, "deaf", "echo ready\nexec sleep 600\n");
  Script(dir, "stubborn", "trap '' TERM\necho ready\nwhile :; do sleep 1; done\n");
  CXBoardEngineAgent deaf(1000, dir.path().toStdString() + "/", "deaf");
  CXBoardEngineAgent stubborn(1000, dir.path().toStdString() + "/", "stubborn");
  for (CXBoardEngineAgent* agent : {&deaf, &stubborn}) {
    account.Give(*agent);
    ASSERT_EQ(agent->Start(), 0);
    std::string said;
    ASSERT_TRUE(ReadUntil(*agent, said, [](const std::string& s) { return s == "ready\n"; }, kWaitMs)) << said;
  }
  // Stop returns before either has ended.
  deaf.Stop();
  stubborn.Stop();
  EXPECT_EQ(*deaf.StopOutcome(), EngineEnd::Pending);
  EXPECT_EQ(*stubborn.StopOutcome(), EngineEnd::Pending);
  EXPECT_EQ(WaitForEnd(deaf.StopOutcome()), EngineEnd::Terminated);
  EXPECT_EQ(WaitForEnd(stubborn.StopOutcome()), EngineEnd::Killed);
}

// --- games against real and stand-in engines ---

struct Seat {
  std::unique_ptr<CXBoardEngineAgent> agent;
  bool stale = false;  // the engine no longer knows the position
  std::string log;
};

bool KingSafe(const CKestroGame& game, const TwoBoardPosition& p, int board, int side) {
  ConstBoardRef b = BoardOf(p, board);
  return !game.IsSquareAttacked(b.squares, b.kingSquare[side], side);
}

std::string Prefix(const TwoBoardPosition& p, int board, int plies) {
  char text[16];
  const int side = *BoardOf(p, board).sideToMove;
  std::snprintf(text, sizeof text, "%d%c.", (plies + 2) / 2, (board == 1 ? 'A' : 'B') + (side ? 32 : 0));
  return text;
}

// Plays a BPGN body on `board`; the played token, or empty when refused.
std::string PlayBody(CKestroGame& game, TwoBoardPosition& p, int board, int& plies, const std::string& body,
                     BpgnMove& move) {
  move = BpgnMove();
  move.token = Prefix(p, board, plies) + body + "{180}";
  TwoBoardPosition next = p;
  const int side = *BoardOf(p, board).sideToMove;
  if (!game.PlayMove(move, next, HandCheck::Strict) || !KingSafe(game, next, board, side)) return {};
  p = next;
  ++plies;
  return move.token;
}

// A random move of the side to move on `board` that the rules accept; false when there is none.
bool PlayRandom(CKestroGame& game, TwoBoardPosition& p, int board, int& plies, std::mt19937& random,
                BpgnMove& move) {
  TwoBoardPosition work = p;
  game.GenerateLegalMoves(work);
  std::vector<LegalMoveEntry> list = game.LegalMoves;
  std::shuffle(list.begin(), list.end(), random);
  for (const LegalMoveEntry& e : list) {
    const bool onBoard = board == 1 ? (e.kind == mkMoveA || e.kind == mkWhiteDropA || e.kind == mkBlackDropA)
                                    : (e.kind == mkMoveB || e.kind == mkWhiteDropB || e.kind == mkBlackDropB);
    if (!onBoard) continue;
    const int pliesA = board == 1 ? plies : 0, pliesB = board == 2 ? plies : 0;
    const std::string token = game.MoveToBpgn(p, e.kind, e.from, e.to, e.promotion, pliesA, pliesB);
    const std::string body = token.substr(token.find('.') + 1);
    if (!PlayBody(game, p, board, plies, body, move).empty()) return true;
  }
  return false;
}

int ExtraPawnSteps(const BpgnMove& m) {
  if (m.from == 0) return 0;
  const int steps = RankOf(m.from) - RankOf(m.to);
  return (steps < 0 ? -steps : steps) - 1;
}

struct GameResult {
  int enginePlies = 0;
  int fallbackPlies = 0;
  int refused = 0;
  int pliesB = 0;
  bool ended = false;
  bool greeted[2] = {false, false};
  qint64 ms = 0;
};

// Board A: one engine per colour through the agent; board B: random legal moves.
GameResult PlayEngineGame(const std::string& folder, const std::string& name, const std::string& greeting,
                          int wantedPlies, int timeoutMs, const char* setting = nullptr) {
  GameResult result;
  NewAccount account;  // both engines start on it at once
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  std::mt19937 random(7);
  Seat seats[2];
  for (int side = 0; side < 2; ++side) {
    seats[side].agent = std::make_unique<CXBoardEngineAgent>(1000, folder, name);
    CXBoardEngineAgent& agent = *seats[side].agent;
    agent.Side = side == 0 ? 15 : 1;
    agent.LevelB = 0;  // a second per move: quick answers
    agent.LevelC = 1;
    account.Give(agent);
    if (setting) agent.Environment->insert(setting, "1");
    EXPECT_EQ(agent.Start(), 0) << folder << name;
    if (!agent.Running) return result;
    seats[side].log = agent.InitGame();
  }
  QElapsedTimer timer;
  timer.start();
  int pliesA = 0, pliesB = 0;
  while (result.enginePlies < wantedPlies && timer.elapsed() < timeoutMs) {
    const int side = p.sideToMoveA;
    Seat& seat = seats[side];
    CXBoardEngineAgent& agent = *seat.agent;
    if (seat.stale) {
      seat.log += agent.Resync(p, 1);
      seat.stale = false;
    }
    std::string move;
    QElapsedTimer wait;
    wait.start();
    while (move.empty() && wait.elapsed() < kWaitMs && agent.Running) {
      std::string text;
      move = agent.ReadMove(text);
      seat.log += text;
      if (bytes::Pos(greeting, seat.log)) result.greeted[side] = true;
      // sjeng waits when it sees itself mated, and stops at a result it sees.
      if (bytes::Pos("Tell me 'go'", text)) agent.Send("go");
      if (bytes::Pos("1-0 {", text) || bytes::Pos("0-1 {", text) || bytes::Pos("1/2-1/2 {", text)) break;
      if (move.empty()) QThread::msleep(2);
    }
    BpgnMove played;
    std::string token;
    if (!move.empty()) token = PlayBody(game, p, 1, pliesA, EngineMoveToBpgn(p, 1, move), played);
    if (!token.empty()) {
      agent.MoveAccepted();
      ++result.enginePlies;
    } else {
      if (!move.empty()) ++result.refused;
      if (!move.empty() && agent.ResyncsLeft() > 0) {
        seat.log += agent.RefuseMove(move, p, 1);
        continue;
      }
      // Retries used up or no answer: a legal move for the seat, and the
      // engine is set up afresh on its next turn.
      if (!move.empty()) seat.log += agent.RefuseMove(move, p, 1);
      if (!PlayRandom(game, p, 1, pliesA, random, played)) {
        result.ended = true;
        break;
      }
      token = played.token;
      agent.MoveAccepted();
      seat.stale = true;
      ++result.fallbackPlies;
    }
    Seat& other = seats[1 - side];
    if (!other.stale) other.agent->Send(BpgnToEngineText(token, ExtraPawnSteps(played)));

    // A move on board B for its side to move; its captures reach board A's hands.
    BpgnMove onB;
    if (PlayRandom(game, p, 2, pliesB, random, onB))
      for (Seat& s : seats) s.agent->Send(HoldingsToXBoard(p, 1));

    // The game on A is over when the side to move has no accepted move.
    TwoBoardPosition probe = p;
    int probePlies = pliesA;
    BpgnMove unused;
    std::mt19937 probeRandom(1);
    if (!PlayRandom(game, probe, 1, probePlies, probeRandom, unused)) {
      result.ended = true;
      break;
    }
  }
  result.pliesB = pliesB;
  result.ms = timer.elapsed();
  for (Seat& s : seats) {
    s.agent->Stop();
    EXPECT_NE(WaitForEnd(s.agent->StopOutcome()), EngineEnd::Pending);
  }
  // KESTRO_ENGINE_LOG=1 shows the engines' logs of every game.
  if (::testing::Test::HasFailure() || result.enginePlies < wantedPlies || qEnvironmentVariableIsSet("KESTRO_ENGINE_LOG"))
    for (Seat& s : seats) std::printf("%s\n", (qEnvironmentVariableIsSet("KESTRO_ENGINE_LOG") ? s.log : s.log.substr(s.log.size() > 4000 ? s.log.size() - 4000 : 0)).c_str());
  return result;
}

TEST(XBoardEngineGame, SjengPlaysBoardAThroughTheAgent) {
  if (!QFileInfo::exists("/usr/games/sjeng")) GTEST_SKIP() << "sjeng is not installed (apt-get install sjeng)";
  // KESTRO_SJENG_PLIES asks for a longer game.
  const int plies = std::max(30, qEnvironmentVariableIntValue("KESTRO_SJENG_PLIES"));
  const GameResult r = PlayEngineGame("/usr/games/", "sjeng", "tellics set 1 Sjeng", plies, 240000);
  std::printf("sjeng: %d engine plies, %d refused, %d fallback, %d plies on B, %lld ms\n", r.enginePlies, r.refused,
              r.fallbackPlies, r.pliesB, static_cast<long long>(r.ms));
  EXPECT_TRUE(r.greeted[0] && r.greeted[1]);
  EXPECT_TRUE(r.enginePlies >= plies || r.ended) << r.enginePlies;
}

// Two sjeng engines started together on a new account race to create their
// folder there; the loser ends at once and is started once more.
TEST(XBoardEngineGame, TwoSjengsOnANewAccountBothAnswer) {
  if (!QFileInfo::exists("/usr/games/sjeng")) GTEST_SKIP() << "sjeng is not installed (apt-get install sjeng)";
  int restarts = 0;
  for (int round = 0; round < 8; ++round) {
    NewAccount account;
    CXBoardEngineAgent engines[2] = {{1000, "/usr/games/", "sjeng"}, {1000, "/usr/games/", "sjeng"}};
    for (CXBoardEngineAgent& engine : engines) {
      engine.Side = 1;
      engine.QuitGraceMs = kNoGraceEnds;
      account.Give(engine);
      ASSERT_EQ(engine.Start(), 0);
    }
    for (CXBoardEngineAgent& engine : engines) engine.InitGame();
    for (CXBoardEngineAgent& engine : engines) {
      const std::string log =
          LogUntil(engine, [](const std::string& s) { return bytes::Pos("tellics set 1 Sjeng", s) > 0; }, kWaitMs).text;
      EXPECT_NE(bytes::Pos("tellics set 1 Sjeng", log), 0) << log;
      if (bytes::Pos("sjeng ended during start-up; starting it once more.", log)) ++restarts;
    }
    EXPECT_TRUE(QFileInfo::exists(account.home.filePath(".sjeng"))) << "sjeng did not start in the fresh home";
    for (CXBoardEngineAgent& engine : engines) {
      engine.Stop();
      EXPECT_EQ(WaitForEnd(engine.StopOutcome()), EngineEnd::Quit);
    }
  }
  std::printf("sjeng pairs: %d of 16 engines started once more\n", restarts);
}

TEST(XBoardEngineGame, FakeSunsetterPlaysBoardAThroughTheAgent) {
  const std::string folder = std::string(KESTRO_BIN_DIR) + "/";
  const GameResult r = PlayEngineGame(folder, "fake_sunsetter", "tellics kibitz Hello from Sunsetter", 40, 120000);
  EXPECT_TRUE(r.greeted[0] && r.greeted[1]);
  EXPECT_TRUE(r.enginePlies >= 40 || r.ended) << r.enginePlies;
  EXPECT_EQ(r.refused, 0);
  EXPECT_EQ(r.fallbackPlies, 0);
}

// What an engine wrote before a set-up was sent answers an earlier one, even
// when it was never read: its move is not tried.
TEST(XBoardEngineAgent, OutputWaitingWhenASetUpIsSentIsNotReadForMoves) {
  NewAccount account;
  QTemporaryDir dir;
  Script(dir, "counting",
         "n=0\nwhile read line; do case \"$line\" in\n"
         "  new) echo 'tellics set 1 Sjeng counting';;\n"
         "  go) n=$((n+1)); [ $n = 1 ] && echo 'move e2e4' || echo 'move d2d4'; touch answered$n;;\n"
         "esac; done\n");
  CXBoardEngineAgent agent(1000, dir.path().toStdString() + "/", "counting");
  account.Give(agent);
  ASSERT_EQ(agent.Start(), 0);
  agent.InitGame();
  // The first game's greeting and move wait unread.
  ASSERT_TRUE(WaitForFile(dir.filePath("answered1")));
  agent.InitGame();
  EXPECT_EQ(LogUntil(agent, [](const std::string&) { return false; }, kWaitMs).move, "d2d4");
}

// A move line before the greeting answers nothing of this game: never tried.
TEST(XBoardEngineGame, AMoveSaidBeforeTheGreetingIsNeverTried) {
  const std::string folder = std::string(KESTRO_BIN_DIR) + "/";
  const GameResult r = PlayEngineGame(folder, "fake_sunsetter", "tellics kibitz Hello from Sunsetter", 30, 120000,
                                      "FAKE_SUNSETTER_EARLY_MOVE");
  EXPECT_TRUE(r.enginePlies >= 30 || r.ended) << r.enginePlies;
  EXPECT_EQ(r.refused, 0);
  EXPECT_EQ(r.fallbackPlies, 0);
}

TEST(XBoardEngineGame, ARefusedMoveResyncsTheEngineUpToTheLimit) {
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  NewAccount account;
  CXBoardEngineAgent agent(2000, std::string(KESTRO_BIN_DIR) + "/", "fake_sunsetter");
  account.Give(agent);
  ASSERT_EQ(agent.Start(), 0);
  agent.InitGame();
  std::string log;
  ASSERT_TRUE(ReadUntil(agent, log, [](const std::string& s) { return bytes::Pos("move ", s) > 0; }, kWaitMs));
  // Black to move on a board with only a king and a queen to drop: the engine
  // set up there must answer with a black king move or a queen drop.
  TwoBoardPosition q;
  game.SetupKingsOnly(q);
  for (int32_t& n : q.holdingsA) n = 0;
  q.holdingsA[SlotOf(pcBQueen)] = 1;
  q.sideToMoveA = 1;
  agent.MaxResyncs = 2;
  for (int attempt = 1; attempt <= 2; ++attempt) {
    const std::string text = agent.RefuseMove("Q@e4", q, 1);
    EXPECT_NE(bytes::Pos("Move refused by the rules: Q@e4", text), 0);
    EXPECT_NE(bytes::Pos("fake_sunsetter<- force\r\nfake_sunsetter<- setboard 4k3/8/8/8/8/8/8/4K3 b  - \r\n"
                         "fake_sunsetter<- go\r\nfake_sunsetter<- holding [] [q]\r\n",
                         text), 0)
        << text;
    std::string move;
    QElapsedTimer timer;
    timer.start();
    while (move.empty() && timer.elapsed() < kWaitMs) {
      std::string out;
      move = agent.ReadMove(out);
      QThread::msleep(2);
    }
    BpgnMove m;
    int plies = 0;
    TwoBoardPosition next = q;
    EXPECT_FALSE(PlayBody(game, next, 1, plies, EngineMoveToBpgn(q, 1, move), m).empty()) << move;
  }
  EXPECT_EQ(agent.ResyncsLeft(), 0);
  const std::string last = agent.RefuseMove("Q@e4", q, 1);
  EXPECT_NE(bytes::Pos("retry limit reached", last), 0);
  EXPECT_EQ(bytes::Pos("<- ", last), 0);  // nothing sent
  agent.MoveAccepted();
  EXPECT_EQ(agent.ResyncsLeft(), 2);
}

// A game under way: the engine takes the position while it plays no side,
// then goes at once when its side is to move; it is told its hands after its
// "go". An engine that can not take a position is marked.
TEST(XBoardEngineAgent, AnEngineJoinsAGameUnderWayFromItsPosition) {
  QTemporaryDir dir;
  Script(dir, "blind",
         "echo 'tellics set 1 Sjeng blind'\n"
         "while read line; do case \"$line\" in setboard*) echo 'Error (unknown command): setboard';; esac; done\n");
  CXBoardEngineAgent agent(1000, dir.path().toStdString() + "/", "blind");
  ASSERT_EQ(agent.Start(), 0);
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  const std::string setUp =
      "xboard mode: starting engine: blind\r\nblind<- post\r\nblind<- easy\r\nblind<- new\r\n"
      "blind<- variant bughouse\r\nblind<- level 0 1 0\r\nblind<- force\r\n"
      "blind<- setboard rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq\r\n";
  EXPECT_EQ(agent.InitPosition(p, 1), setUp + "blind<- go\r\nblind<- holding [] []\r\n");
  EXPECT_FALSE(agent.GoAfterNextMove);
  const EngineLog log = LogUntil(agent, [&](const std::string&) { return agent.PositionRefused; }, kWaitMs);
  EXPECT_TRUE(agent.PositionRefused) << log.text;
  // As Black it waits for White's move; a new set-up forgets the refusal.
  agent.Side = 1;
  EXPECT_EQ(agent.InitPosition(p, 1), setUp);
  EXPECT_TRUE(agent.GoAfterNextMove);
  EXPECT_FALSE(agent.PositionRefused);
}

// --- engines that end during their start-up ---

TEST(XBoardEngineAgent, AnEngineThatEndsDuringStartUpIsStartedOnceMoreAndToldItAll) {
  NewAccount account;
  CXBoardEngineAgent agent(2000, std::string(KESTRO_BIN_DIR) + "/", "fake_sunsetter");
  account.Give(agent);
  agent.Environment->insert("FAKE_SUNSETTER_FAILED_STARTS", "1");
  agent.Side = 1;
  ASSERT_EQ(agent.Start(), 0);
  const std::string setUp = agent.InitGame();
  ASSERT_TRUE(WaitUntilEnded(agent.ProcessId()));  // it has ended, unnoticed
  EXPECT_EQ(agent.Send("e2e4"), 0);                // the opponent's move, relayed meanwhile
  const EngineLog read = LogUntil(agent, [](const std::string&) { return false; }, kWaitMs);
  const std::string& log = read.text;
  EXPECT_EQ(log.substr(0, log.find("\r\nfake_sunsetter ended")),
            "Fake Sunsetter, a stand-in for tests\nUnable to create directory: File exists\n");
  EXPECT_NE(bytes::Pos("\r\nfake_sunsetter ended during start-up; starting it once more.\r\n" + setUp +
                           "fake_sunsetter<- e2e4\r\n",
                       log),
            0)
      << log;
  // The new engine was told the game and the move: it answers as Black.
  ASSERT_FALSE(read.move.empty());
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  int plies = 0;
  BpgnMove played;
  ASSERT_FALSE(PlayBody(game, p, 1, plies, "e4", played).empty());
  EXPECT_FALSE(PlayBody(game, p, 1, plies, EngineMoveToBpgn(p, 1, read.move), played).empty()) << read.move;
  EXPECT_EQ(agent.Running, 1);
  EXPECT_EQ(account.FakeStarts(), 2);
  agent.Stop();
  EXPECT_NE(WaitForEnd(agent.StopOutcome()), EngineEnd::Pending);
}

TEST(XBoardEngineAgent, ASecondEndDuringStartUpIsFinal) {
  NewAccount account;
  CXBoardEngineAgent agent(2000, std::string(KESTRO_BIN_DIR) + "/", "fake_sunsetter");
  account.Give(agent);
  agent.Environment->insert("FAKE_SUNSETTER_FAILED_STARTS", "2");
  ASSERT_EQ(agent.Start(), 0);
  agent.InitGame();
  const std::string log = LogUntil(agent, [&](const std::string&) { return agent.Running == 0; }, kWaitMs).text;
  EXPECT_EQ(agent.Running, 0);
  const int restart = bytes::Pos("fake_sunsetter ended during start-up; starting it once more.", log);
  EXPECT_NE(restart, 0) << log;
  EXPECT_EQ(restart, bytes::LastPos("fake_sunsetter ended during start-up; starting it once more.", log)) << log;
  EXPECT_TRUE(log.ends_with("\r\nEngine has ended (exit code 1).")) << log;
  EXPECT_EQ(account.FakeStarts(), 2);
  agent.Stop();
  ASSERT_TRUE(agent.StopOutcome());
  EXPECT_EQ(*agent.StopOutcome(), EngineEnd::HadEnded);
}

}  // namespace
