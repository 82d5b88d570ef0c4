// The computer players in a real window: a server with no clients whose four
// seats are played by the built-in player and Debian's sjeng.
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "engines/xboard_engine_agent.h"
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

  // Until a board has no move left, 150 plies, or the time bound.
  constexpr int kPlies = 150;
  constexpr int kStallMs = 10000;
  constexpr int kBoundMs = 60000;
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
  EXPECT_GE(plies[1] + plies[2], 20);

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

}  // namespace
