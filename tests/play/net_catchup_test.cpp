// A window that logs in during a game, or comes back after a drop, over
// loopback: it is caught up silently, records the game with the header names
// and moves the others record, and a game it held before is logged first.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "play/game_log.h"
#include "play/net_session.h"
#include "play/play_window.h"
#include "play/sounds_menu.h"
#include "game/kestro_game.h"
#include "platform/file_io.h"
#include "tests/display/display_fixture.h"
#include "tests/play/net_fixture.h"

namespace {

using nettest::Lcg;
using nettest::NetWindowsTest;
using nettest::Session;
using nettest::Wait;
using nettest::WholeDrawing;

// Counts the move sounds a window plays.
class MoveSounds : public sound::SoundOutput {
 public:
  void PlayFileAsync(const std::string&) override {}
  void PlayImageAndWait(const std::string&) override { ++played; }
  void PlayImageAsync(const std::string&) override {}
  int played = 0;
};

game_log::LocalTime LogDay() { return {2026, 12, 9, 12, 0, 0}; }

class NetCatchUpTest : public NetWindowsTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    testdisplay::WriteFileWithFolders(program_ + "/Sounds/MOVE.WAV", "move-image");
    game_log::Now = LogDay;
    NetWindowsTest::SetUp();
  }
  void TearDown() override {
    NetWindowsTest::TearDown();
    game_log::Now = game_log::SystemNow;
  }

  // A window joins and logs in as `name`; the server may name it otherwise.
  // Returns when the login's catch-up is over (its arrival has been told).
  void LogIn(TfrmKestrovane& w, const std::string& name) {
    w.reNetGameLog->clear();
    Session(w).JoinServer("127.0.0.1", Port());
    ASSERT_TRUE(Wait([&] { return w.reNetGameLog->toPlainText().startsWith("Connected to KVX NetGame Server"); }));
    w.edName->setText(QString::fromStdString(name));
    w.btnLogin->click();
    ASSERT_TRUE(Wait([&] {
      return !w.OwnPlayer.name.empty() &&
             w.reNetGameLog->toPlainText().contains(QString::fromStdString(w.OwnPlayer.name + " arrived."));
    })) << Describe();
  }
  TfrmKestrovane& NewClient(const std::string& name) {
    clients_.push_back(NewWindow());
    TfrmKestrovane& w = *clients_.back();
    sounds_[&w] = std::make_unique<MoveSounds>();
    w.Sounds().SetOutput(sounds_[&w].get());
    EXPECT_NO_FATAL_FAILURE(LogIn(w, name));
    return w;
  }
  int MoveSoundsOf(TfrmKestrovane& w) { return sounds_[&w]->played; }

  // The window's connection closes as a failing network would close it.
  void Drop(TfrmKestrovane& w) {
    const std::string name = w.OwnPlayer.name;
    Session(Server()).DropConnection(Session(Server()).Table().FindClientByName(name));
    ASSERT_TRUE(Wait([&] { return w.NetworkMode == 0; })) << Describe();
  }

  // How many times `record` stands whole in the day's game log.
  int TimesLogged(const std::string& record) {
    std::string text;
    file_io::ReadFile(program_ + "/Bpgn/KVXGames/" + game_log::DailyLogName(LogDay()), text);
    const std::string entry = record + "\r\n\r\n";
    int n = 0;
    for (size_t at = text.find(entry); at != std::string::npos; at = text.find(entry, at + 1)) ++n;
    return n;
  }

  // The record as the window saves it with "Save BPGN Now".
  std::string Saved(TfrmKestrovane& w, const std::string& file) {
    const std::string path = program_ + "/" + file;
    dialogs_.files.push_back(QString::fromStdString(path));
    w.btnSaveXPGN->click();
    std::string text;
    EXPECT_TRUE(file_io::ReadFile(path, text)) << path;
    return text;
  }

  std::map<TfrmKestrovane*, std::unique_ptr<MoveSounds>> sounds_;
};

TEST_F(NetCatchUpTest, LateAndReturningWindowsRecordTheGameAsTheOthersDoAndLoseNothing) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  const std::array<std::string, 4> players = {"Ann", "Bob", "Cid", "Dan"};
  std::array<TfrmKestrovane*, 4> bySeat{};
  for (int seat = 0; seat < 4; ++seat) {
    bySeat[static_cast<size_t>(seat)] = &NewClient(players[static_cast<size_t>(seat)]);
    bySeat[static_cast<size_t>(seat)]->mnuiTakeRoles[seat]->trigger();
  }
  TfrmKestrovane &ann = *bySeat[0], &bob = *bySeat[1], &cid = *bySeat[2], &dan = *bySeat[3];
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return w.Game()->PlayerNames[3] == "Dan"; })) << Describe();
  ASSERT_TRUE(Wait([&] { return bob.OwnRoles == 6 + 16 && dan.OwnRoles == 6 + 64; })) << Describe();

  // A 3-minute game without a move yet: Eve, watching, records its header as
  // the players do and has the running clocks they have; her login is silent.
  Server().StartGameMenuClick(0);
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return w.RecordPane().Text() == Server().RecordPane().Text(); }));
  ASSERT_TRUE(ann.chbShowPresumptiveTimes->isChecked());
  TfrmKestrovane& eve = NewClient("Eve");
  EXPECT_EQ(eve.RecordPane().Text(), Server().RecordPane().Text());
  EXPECT_NE(eve.RecordPane().Text().find("[BlackA \"Bob\"]"), std::string::npos) << eve.RecordPane().Text();
  EXPECT_TRUE(eve.chbShowPresumptiveTimes->isChecked());
  EXPECT_EQ(MoveSoundsOf(eve), 0);

  Lcg random(20261209);
  LegalMoveEntry move;
  std::string head;
  for (int n = 0; n < 10; ++n) ASSERT_NO_FATAL_FAILURE(PlayOneMove(random, bySeat, move, head));
  const std::string firstGame = Server().RecordPane().Text();
  ASSERT_EQ(eve.RecordPane().Text(), firstGame);
  ASSERT_GT(MoveSoundsOf(eve), 0);

  // Bob's connection drops; while he is away the others agree on a new game.
  ASSERT_NO_FATAL_FAILURE(Drop(bob));
  ASSERT_TRUE(Wait([&] { return Server().Game()->PlayerNames[1] == "BlackA"; })) << Describe();
  ann.StartGameMenuClick(101);
  cid.StartGameMenuClick(101);
  const std::vector<TfrmKestrovane*> others = {&Server(), &ann, &cid, &dan, &eve};
  ASSERT_TRUE(Wait([&] {
    for (TfrmKestrovane* w : others)
      if (w->RecordPane().Text().find("bronstein 60+3") == std::string::npos) return false;
    return true;
  })) << Describe();
  const int loggedBefore = TimesLogged(firstGame);
  EXPECT_EQ(loggedBefore, 4) << "the four clients logged the first game";
  EXPECT_EQ(bob.RecordPane().Text(), firstGame);

  // He comes back: his first game goes to the day's log before the new game
  // replaces it, and he is caught up silently.
  const int bobSounds = MoveSoundsOf(bob);
  ASSERT_NO_FATAL_FAILURE(LogIn(bob, "Bob"));
  EXPECT_EQ(bob.OwnPlayer.name, "Bob2");
  EXPECT_EQ(TimesLogged(firstGame), loggedBefore + 1);
  EXPECT_EQ(bob.RecordPane().Text(), Server().RecordPane().Text());
  EXPECT_EQ(MoveSoundsOf(bob), bobSounds);

  // He takes his seat again and the game goes on; then Dan's connection
  // drops, which frees the seat the header gives him.
  bob.mnuiTakeRoles[1]->trigger();
  ASSERT_TRUE(Wait([&] { return bob.OwnRoles == 6 + 16 && ann.Game()->PlayerNames[1] == "Bob2"; })) << Describe();
  for (int n = 0; n < 12; ++n) ASSERT_NO_FATAL_FAILURE(PlayOneMove(random, bySeat, move, head));
  ASSERT_NO_FATAL_FAILURE(Drop(dan));
  ASSERT_TRUE(Wait([&] { return eve.Game()->PlayerNames[3] == "BlackB"; })) << Describe();

  // Fay logs in now: her record names the players the game started with,
  // her seats are the current ones, and every window saves the same record.
  TfrmKestrovane& fay = NewClient("Fay");
  EXPECT_EQ(MoveSoundsOf(fay), 0);
  const std::string record = Saved(Server(), "server.BPGN");
  EXPECT_NE(record.find("[BlackA \"BlackA\"][BlackAElo \"0\"]\r\n[WhiteB \"Cid\"][WhiteBElo \"0\"]\r\n"
                        "[BlackB \"Dan\"]"),
            std::string::npos)
      << record;
  EXPECT_EQ(nettest::MoveLines(record).size(), 12u) << record;
  for (TfrmKestrovane* w : {&ann, &bob, &cid, &eve, &fay}) EXPECT_EQ(Saved(*w, w->OwnPlayer.name + ".BPGN"), record);
  const std::array<std::string, 4> seated = {"Ann", "Bob2", "Cid", "BlackB"};
  for (int seat = 0; seat < 4; ++seat)
    EXPECT_EQ(fay.Game()->PlayerNames[seat], seated[static_cast<size_t>(seat)]) << seat;
}

// Every window's running clocks are the server's: a seat free since the
// start counts from when it is taken in the windows present then and in a
// window that arrives later; that window compensates lag as the game does
// (not at all after a Bronstein game); and the server's own window shows the
// running clocks after every client's move.
TEST_F(NetCatchUpTest, EveryWindowsRunningClocksAndLagCompensationAreTheServers) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  TfrmKestrovane &ann = NewClient("Ann"), &bob = NewClient("Bob"), &cid = NewClient("Cid"), &dan = NewClient("Dan");
  ann.mnuiTakeRoles[seatWhiteA]->trigger();
  bob.mnuiTakeRoles[seatBlackA]->trigger();
  dan.mnuiTakeRoles[seatBlackB]->trigger();
  ASSERT_TRUE(AllShowSeats({"Ann", "Bob", "WhiteB", "Dan"})) << Describe();

  // A Bronstein game unticks the lag compensator everywhere; the 3-minute
  // game after it keeps it so, with WhiteB free since its start.
  Server().StartGameMenuClick(101);
  ASSERT_TRUE(WaitAll([](TfrmKestrovane& w) {
    return w.RecordPane().Text().find("bronstein 60+3") != std::string::npos;
  }));
  Server().StartGameMenuClick(0);
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return w.RecordPane().Text() == Server().RecordPane().Text(); }));
  ASSERT_FALSE(Server().mnuiBughouseLagcompensator->isChecked());
  // The server shows its running clocks; the test ticks them itself.
  if (!Server().chbShowPresumptiveTimes->isChecked()) Server().chbShowPresumptiveTimes->click();
  Server().TimerNetGame1->stop();

  // Cid sits down 40 s after the start: WhiteB's turn starts then, in every
  // window, and in Eve's, who arrives afterwards.
  ticks_.clock.Advance(40000);
  const int64_t takenAt = TfrmKestrovane::TickCount10ms();
  cid.mnuiTakeRoles[seatWhiteB]->trigger();
  ASSERT_TRUE(AllShowSeats({"Ann", "Bob", "Cid", "Dan"})) << Describe();
  ticks_.clock.Advance(5000);
  TfrmKestrovane& eve = NewClient("Eve");
  ASSERT_EQ(Server().TurnStartTick[seatWhiteB], takenAt);
  ticks_.clock.Advance(1000);
  for (TfrmKestrovane* w : {&Server(), &ann, &bob, &cid, &dan, &eve}) {
    SCOPED_TRACE(w->OwnPlayer.name);
    for (int seat = 0; seat < 4; ++seat) EXPECT_EQ(w->TurnStartTick[seat], Server().TurnStartTick[seat]) << seat;
    w->ShowPresumptiveTimes();
    EXPECT_EQ(w->Game()->Position.runningClock[seatWhiteB], 180000 - 6000);
  }
  EXPECT_FALSE(eve.mnuiBughouseLagcompensator->isChecked());

  // Ann's window learnt of her turn 3 s late: her move has 3 s of lag.
  ann.TurnStartTick[seatWhiteA] += 3000;
  ticks_.clock.Advance(6000);
  ClickSquare(ann, mkMoveA, CKestroGame::SquareFromName('e', '2'));
  ClickSquare(ann, mkMoveA, CKestroGame::SquareFromName('e', '4'));
  // The server's window shows the move with the running clocks over it.
  ASSERT_TRUE(Wait([&] { return Server().reBPGNGames->toPlainText().contains(QStringLiteral("1A.e4")); }))
      << Describe();
  QCoreApplication::processEvents();
  EXPECT_TRUE(Server().imgBoard->Canvas() == WholeDrawing(Server())) << "the server's picture after a client's move";
  ASSERT_TRUE(WaitAll([](TfrmKestrovane& w) { return w.Game()->MoveCount == 1; })) << Describe();
  EXPECT_NE(Server().RecordPane().Text().find("1A.e4{131}{C:[T:49000][L:3000]"), std::string::npos)
      << Server().RecordPane().Text();

  ticks_.clock.Advance(4000);
  ClickSquare(cid, mkMoveB, CKestroGame::SquareFromName('d', '2'));
  ClickSquare(cid, mkMoveB, CKestroGame::SquareFromName('d', '4'));
  ASSERT_TRUE(WaitAll([](TfrmKestrovane& w) { return w.Game()->MoveCount == 2; })) << Describe();
  EXPECT_NE(Server().RecordPane().Text().find("1B.d4{164}{C:[T:16000][L:0]}"), std::string::npos)
      << Server().RecordPane().Text();
  const TwoBoardPosition& sp = Server().Game()->Position;
  for (TfrmKestrovane* w : {&ann, &bob, &cid, &dan, &eve}) {
    SCOPED_TRACE(w->OwnPlayer.name);
    EXPECT_EQ(w->RecordPane().Text(), Server().RecordPane().Text());
    for (int seat = 0; seat < 4; ++seat) {
      EXPECT_EQ(w->Game()->Position.clock[seat], sp.clock[seat]) << seat;
      EXPECT_EQ(w->Game()->Position.lagCredit[seat], sp.lagCredit[seat]) << seat;
    }
    for (int seat : {seatBlackA, seatBlackB}) EXPECT_EQ(w->TurnStartTick[seat], Server().TurnStartTick[seat]) << seat;
  }
}

}  // namespace
