// The network game over loopback with real sockets: one server window and
// three client windows log in, take the four seats and play a game with the
// mouse, each move made by the window whose seat moves.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QLineEdit>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTest>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "display/board_display.h"
#include "play/net_session.h"
#include "play/play_window.h"
#include "tests/display/display_fixture.h"
#include "tests/play/net_fixture.h"

namespace {

using nettest::BoardOfKind;
using nettest::IsDrop;
using nettest::Lcg;
using nettest::NetWindowsTest;
using nettest::PickMove;
using nettest::Session;
using nettest::Wait;
using nettest::WholeDrawing;

class NetGameTest : public NetWindowsTest {};

// What the screen shows of `widget` is what the widget draws afresh (it may
// have drawn only its changed lines).
bool ShownAsDrawn(QWidget* widget) {
  QApplication::processEvents();
  if (widget->visibleRegion().boundingRect() != widget->rect()) return false;
  const QPoint at = widget->mapTo(widget->window(), QPoint(0, 0));
  const QImage shown =
      widget->screen()->grabWindow(widget->window()->winId(), at.x(), at.y(), widget->width(), widget->height()).toImage();
  return shown.convertToFormat(QImage::Format_RGB32) == widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST_F(NetGameTest, FourWindowsPlayAGameWithTheMouseAndKeepTheSameRecord) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  const std::array<std::string, 3> names = {"Ann", "Bob", "Cid"};
  for (const std::string& name : names) ASSERT_NO_FATAL_FAILURE(JoinAndLogIn(name));
  ASSERT_EQ(Session(Server()).Table().Count(), 4);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Client(i).OwnPlayer.name, names[static_cast<size_t>(i)]);

  // Seats by the menu (the administrator has no take items): Ann WhiteA,
  // Bob BlackA, Cid both seats of board B.
  std::array<TfrmKestrovane*, 4> bySeat = {&Client(0), &Client(1), &Client(2), &Client(2)};
  for (int seat = 0; seat < 4; ++seat) bySeat[static_cast<size_t>(seat)]->mnuiTakeRoles[seat]->trigger();
  ASSERT_TRUE(AllShowSeats({"Ann", "Bob", "Cid", "Cid"})) << Describe();
  ASSERT_TRUE(Wait([&] { return Client(0).OwnRoles == 6 + 8 && Client(1).OwnRoles == 6 + 16 &&
                               Client(2).OwnRoles == 6 + 32 + 64; }))
      << Describe();

  // The administrator starts a 3-minute game; every window shows it.
  Server().StartGameMenuClick(0);
  const std::string header = Server().RecordPane().Text();
  ASSERT_NE(header.find("[WhiteA \"Ann\"]"), std::string::npos) << header;
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return w.RecordPane().Text() == header; }));

  Lcg random(20261208);
  int captures[3] = {}, drops[3] = {};
  constexpr int kMoves = 64;
  std::vector<std::string> heads;
  for (int n = 0; n < kMoves; ++n) {
    LegalMoveEntry move;
    std::string head;
    ASSERT_NO_FATAL_FAILURE(PlayOneMove(random, bySeat, move, head));
    heads.push_back(head);
    const int board = BoardOfKind(move.kind);
    (IsDrop(move.kind) ? drops : captures)[board] += IsDrop(move.kind) || move.capture ? 1 : 0;
  }
  EXPECT_GE(captures[1], 3);
  EXPECT_GE(captures[2], 3);
  EXPECT_GE(drops[1], 2);
  EXPECT_GE(drops[2], 2);

  // The same record, positions and clocks everywhere; every window shows its
  // record, and its position as a whole drawing would, though it drew only
  // what each move changed.
  const std::string record = Server().RecordPane().Text();
  const TwoBoardPosition& sp = Server().Game()->Position;
  QString shown = QString::fromLatin1(record);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  for (TfrmKestrovane* w : {&Server(), &Client(0), &Client(1), &Client(2)}) {
    EXPECT_EQ(w->reBPGNGames->toPlainText(), shown);
    EXPECT_EQ(w->txtAllMoves->toPlainText(),
              QString::fromLatin1(w->Game()->LegalMoveText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_TRUE(ShownAsDrawn(w->reBPGNGames)) << w->OwnPlayer.name;
    EXPECT_TRUE(ShownAsDrawn(w->txtAllMoves)) << w->OwnPlayer.name;
    w->DrawBoard();  // the running clocks stay on the picture
    EXPECT_TRUE(w->imgBoard->Canvas() == WholeDrawing(*w)) << w->OwnPlayer.name;
  }
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(names[static_cast<size_t>(i)]);
    CKestroGame& g = *Client(i).Game();
    EXPECT_EQ(Client(i).RecordPane().Text(), record);
    EXPECT_EQ(CKestroGame::PositionToBfen(g.Position), CKestroGame::PositionToBfen(sp));
    for (int seat = 0; seat < 4; ++seat) {
      EXPECT_EQ(g.Position.clock[seat], sp.clock[seat]) << seat;
      EXPECT_EQ(g.Position.lagCredit[seat], sp.lagCredit[seat]) << seat;
    }
    EXPECT_EQ(g.PliesA, Server().Game()->PliesA);
    EXPECT_EQ(g.PliesB, Server().Game()->PliesB);
  }
  // Every move of the record is the one made, with the server's T and L.
  const std::vector<std::string> lines = nettest::MoveLines(record);
  ASSERT_EQ(lines.size(), heads.size()) << record;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    EXPECT_EQ(nettest::HeadOf(line), heads[i]);
    const size_t c = line.find("{C:[T:"), l = line.find("][L:");
    EXPECT_TRUE(c != std::string::npos && l != std::string::npos && c < l && line.back() == '}') << line;
  }
  // The first move of White on board A carries the legend, no other does.
  for (const std::string& line : lines)
    EXPECT_EQ(line.find(" T=Thinking time per move in miliseconds L=lag per move in ms") != std::string::npos,
              line.starts_with("1A.")) << line;

  // Ann leaves: her seat is free everywhere and her window is local again.
  Client(0).mnuiDisconnect->trigger();
  EXPECT_EQ(Client(0).NetworkMode, 0);
  EXPECT_TRUE(Client(0).mnuiJoinToServer->isEnabled());
  ASSERT_TRUE(Wait([&] {
    return Server().Game()->PlayerNames[0] == "WhiteA" && Client(1).Game()->PlayerNames[0] == "WhiteA" &&
           Client(1).reNetGameLog->toPlainText().contains("Ann departed.");
  })) << Describe();
  // The server stops: the clients say so and may join again.
  Server().mnuiDisconnect->trigger();
  ASSERT_TRUE(Wait([&] { return Client(1).NetworkMode == 0 && Client(2).NetworkMode == 0; })) << Describe();
  EXPECT_TRUE(Client(1).reNetGameLog->toPlainText().contains("Connection to the server lost"));
  EXPECT_TRUE(Client(2).mnuiJoinToServer->isEnabled());
  EXPECT_EQ(Client(2).RecordPane().Text(), record);
}

// A seated player leaves during a game and comes back in the same window:
// at its login the server sends it the game so far, it takes its seat again
// and the game goes on with all four windows keeping the same moves.
TEST_F(NetGameTest, APlayerWhoComesBackJoinsTheGameInProgressAndPlaysOn) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  for (const char* name : {"Ann", "Bob", "Cid"}) ASSERT_NO_FATAL_FAILURE(JoinAndLogIn(name));
  TfrmKestrovane& bob = Client(1);
  std::array<TfrmKestrovane*, 4> bySeat = {&Client(0), &bob, &Client(2), &Client(2)};
  for (int seat = 0; seat < 4; ++seat) bySeat[static_cast<size_t>(seat)]->mnuiTakeRoles[seat]->trigger();
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return w.Game()->PlayerNames[3] == "Cid"; })) << Describe();
  ASSERT_TRUE(Wait([&] { return bob.OwnRoles == 6 + 16; })) << Describe();

  // A 5-minute game: a window that started a game of its own would show 3 minutes.
  Server().StartGameMenuClick(108);
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return w.RecordPane().Text() == Server().RecordPane().Text(); }));
  Lcg random(20261209);
  LegalMoveEntry move;
  std::string head;
  for (int n = 0; n < 12; ++n) ASSERT_NO_FATAL_FAILURE(PlayOneMove(random, bySeat, move, head));

  // Bob leaves; board B plays on without him.
  bob.mnuiDisconnect->trigger();
  ASSERT_TRUE(Wait([&] { return Server().Game()->PlayerNames[1] == "BlackA"; })) << Describe();
  auto othersHave = [&](int count) {
    return Wait([&] {
      for (TfrmKestrovane* w : {&Server(), &Client(0), &Client(2)})
        if (w->Game()->MoveCount != count) return false;
      return true;
    });
  };
  for (int n = 0; n < 4; ++n) {
    CKestroGame& g = *Server().Game();
    ASSERT_TRUE(nettest::PickMove(g, random, move, 2));
    const int count = g.MoveCount + 1;
    ClickSquare(Client(2), move.kind, move.from);
    ClickSquare(Client(2), 2, move.to);
    ASSERT_TRUE(othersHave(count)) << Describe();
  }
  const int played = Server().Game()->MoveCount;
  const std::string othersRecord = Server().RecordPane().Text();

  // He joins again in the same window and logs in: he sees the game as it stands.
  bob.reNetGameLog->clear();
  Session(bob).JoinServer("127.0.0.1", Port());
  ASSERT_TRUE(Wait([&] { return bob.reNetGameLog->toPlainText().startsWith("Connected to KVX NetGame Server"); }));
  bob.edName->setText(QStringLiteral("Bob"));
  bob.btnLogin->click();
  ASSERT_TRUE(Wait([&] { return bob.OwnPlayer.name == "Bob2" && bob.Game()->MoveCount == played; }))
      << bob.Game()->ErrorLog << Describe();
  auto expectSameGame = [&](TfrmKestrovane& w) {
    const CKestroGame& g = *w.Game();
    const TwoBoardPosition& sp = Server().Game()->Position;
    EXPECT_EQ(nettest::MoveLines(w.RecordPane().Text()), nettest::MoveLines(Server().RecordPane().Text()));
    EXPECT_EQ(CKestroGame::PositionToBfen(g.Position), CKestroGame::PositionToBfen(sp));
    for (int seat = 0; seat < 4; ++seat) EXPECT_EQ(g.Position.clock[seat], sp.clock[seat]) << seat;
    EXPECT_EQ(g.PliesA, Server().Game()->PliesA);
    EXPECT_EQ(g.PliesB, Server().Game()->PliesB);
  };
  {
    SCOPED_TRACE("back");
    expectSameGame(bob);
    EXPECT_GT(bob.Game()->Position.clock[1], 180000);
    EXPECT_TRUE(dialogs_.asked.empty());
  }
  // The others got nothing but the news of his arrival.
  ASSERT_TRUE(Wait([&] { return Client(0).reNetGameLog->toPlainText().contains("Bob2 arrived."); }));
  EXPECT_EQ(Client(0).RecordPane().Text(), othersRecord);
  EXPECT_EQ(Client(2).RecordPane().Text(), othersRecord);

  // He takes his seat back and the game goes on on both boards.
  bob.mnuiTakeRoles[1]->trigger();
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return w.Game()->PlayerNames[1] == "Bob2"; })) << Describe();
  ASSERT_TRUE(Wait([&] { return bob.OwnRoles == 6 + 16; })) << Describe();
  int blackAMoves = 0;
  for (int n = 0; n < 24; ++n) {
    ASSERT_NO_FATAL_FAILURE(PlayOneMove(random, bySeat, move, head));
    blackAMoves += head[head.find_first_not_of("0123456789")] == 'a' ? 1 : 0;
  }
  EXPECT_GE(blackAMoves, 2);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    expectSameGame(Client(i));
  }
  EXPECT_EQ(Client(0).RecordPane().Text(), Server().RecordPane().Text());
}

// The server stops and starts again, as after its logins are used up: every
// seat is free, and the players of the last session log in under their own
// names, sit where they sat and play on.
TEST_F(NetGameTest, AServerStartedAgainHasEverySeatFreeForThePlayersOfTheLastSession) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  for (const char* name : {"Ann", "Bob"}) ASSERT_NO_FATAL_FAILURE(JoinAndLogIn(name));
  TfrmKestrovane& ann = Client(0);
  TfrmKestrovane& bob = Client(1);
  const std::array<TfrmKestrovane*, 4> bySeat = {&ann, &bob, &Server(), &Server()};
  Lcg random(20261210);
  const auto sitAndPlay = [&] {
    ann.mnuiTakeRoles[0]->trigger();
    bob.mnuiTakeRoles[1]->trigger();
    Session(Server()).TakeRole(2);
    Session(Server()).TakeRole(3);
    ASSERT_TRUE(Wait([&] {
      return ann.OwnRoles == 6 + 8 && bob.OwnRoles == 6 + 16 && Server().OwnRoles == 7 + 32 + 64;
    })) << Describe();
    ASSERT_TRUE(AllShowSeats({"Ann", "Bob", "Admin", "Admin"})) << Describe();
    LegalMoveEntry move;
    std::string head;
    for (int n = 0; n < 8; ++n) ASSERT_NO_FATAL_FAILURE(PlayOneMove(random, bySeat, move, head));
    for (TfrmKestrovane* w : {&ann, &bob})
      EXPECT_EQ(nettest::MoveLines(w->RecordPane().Text()), nettest::MoveLines(Server().RecordPane().Text()));
  };
  ASSERT_NO_FATAL_FAILURE(sitAndPlay());

  Server().mnuiDisconnect->trigger();
  ASSERT_TRUE(Wait([&] { return ann.NetworkMode == 0 && bob.NetworkMode == 0; })) << Describe();
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  for (int seat = 0; seat < 4; ++seat) EXPECT_EQ(Server().Game()->PlayerNames[seat], kSeatWords[seat]);
  ASSERT_NO_FATAL_FAILURE(JoinAndLogIn(ann, "Ann"));
  ASSERT_NO_FATAL_FAILURE(JoinAndLogIn(bob, "Bob"));
  ASSERT_NO_FATAL_FAILURE(sitAndPlay());
  EXPECT_EQ(Server().Game()->MoveCount, 8);
}

}  // namespace

// The server's user plays all four seats; its moves and a new game in the
// middle of them reach the watching clients in bursts, which they show once
// the burst is read. Every window then shows its game as a whole drawing of
// it would, and its panes as setting their whole texts would.
TEST_F(NetGameTest, BurstsOfMovesAndANewGameAmongThemAreShownWhole) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  for (const std::string name : {"Ann", "Bob", "Cid"}) ASSERT_NO_FATAL_FAILURE(JoinAndLogIn(name));
  Session(Server()).TakeAllRoles();
  ASSERT_TRUE(WaitAll([](TfrmKestrovane& w) {
    for (int seat = 0; seat < 4; ++seat)
      if (w.Game()->PlayerNames[seat] != "Admin") return false;
    return true;
  })) << Describe();
  const auto expectWhole = [&](const std::string& step) {
    for (TfrmKestrovane* w : {&Server(), &Client(0), &Client(1), &Client(2)}) {
      SCOPED_TRACE(step + " " + w->OwnPlayer.name);
      EXPECT_EQ(w->RecordPane().Text(), Server().RecordPane().Text());
      EXPECT_EQ(CKestroGame::PositionToBfen(w->Game()->Position), CKestroGame::PositionToBfen(Server().Game()->Position));
      EXPECT_EQ(w->reBPGNGames->toPlainText(),
                QString::fromLatin1(w->RecordPane().Text()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
      EXPECT_EQ(w->txtAllMoves->toPlainText(),
                QString::fromLatin1(w->Game()->LegalMoveText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
      EXPECT_TRUE(ShownAsDrawn(w->reBPGNGames));
      EXPECT_TRUE(ShownAsDrawn(w->txtAllMoves));
      EXPECT_TRUE(ShownAsDrawn(w->imgBoard));
      w->DrawBoard();  // the running clocks stay on the picture
      EXPECT_TRUE(w->imgBoard->Canvas() == WholeDrawing(*w));
    }
  };

  Lcg random(20261209);
  const auto burst = [&](int moves) {
    for (int n = 0; n < moves; ++n) {
      LegalMoveEntry move;
      CKestroGame& g = *Server().Game();
      ASSERT_TRUE(PickMove(g, random, move));
      const int count = g.MoveCount + 1;
      ClickSquare(Server(), move.kind, move.from);
      ClickSquare(Server(), BoardOfKind(move.kind), move.to);
      ASSERT_EQ(Server().Game()->MoveCount, count) << Server().Game()->ErrorLog;
    }
  };
  for (int round = 0; round < 3; ++round) {
    Server().StartGameMenuClick(0);
    ASSERT_NO_FATAL_FAILURE(burst(9));
    Server().StartGameMenuClick(round == 1 ? 0 : 19);
    const std::string header = Server().RecordPane().Text();
    ASSERT_NO_FATAL_FAILURE(burst(5));
    const int count = Server().Game()->MoveCount;
    ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) {
      return w.Game()->MoveCount == count && w.RecordPane().Text().starts_with(header.substr(0, 40));
    })) << Describe();
    expectWhole("round " + std::to_string(round));
  }
}
