// A client's road over loopback, from join to a lost server: nothing leaves a
// window before its Login, a name made to look like a seat word reads back
// from the seat list as the server gave it, a new game keeps the partner, a
// relayed move keeps a half-made move framed, and a dropped client is told
// where the user looks.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <array>
#include <string>
#include <vector>

#include "net/core/client_processor.h"
#include "net/core/frame.h"
#include "play/net_session.h"
#include "play/play_window.h"
#include "platform/canvas.h"
#include "tests/play/net_fixture.h"

namespace {

using nettest::NetWindowsTest;
using nettest::Session;
using nettest::Wait;

// What the debug log holds between the tags of one kind, joined.
std::string Tagged(const std::string& log, const std::string& tag) {
  const std::string open = "<" + tag + ">", close = "</" + tag + ">";
  std::string out;
  for (size_t at = log.find(open); at != std::string::npos; at = log.find(open, at + 1)) {
    const size_t from = at + open.size();
    out += log.substr(from, log.find(close, from) - from);
  }
  return out;
}

// The four hotseat training items of the ComputerPlayer menu, 1 for each one enabled.
std::string Hotseats(TfrmKestrovane& w) {
  std::string out;
  for (int i = 1; i <= 4; ++i)
    out += w.findChild<QAction*>(QStringLiteral("mnuiHotseat") + QString::number(i))->isEnabled() ? '1' : '0';
  return out;
}

class NetClientTest : public NetWindowsTest {};

TEST_F(NetClientTest, NothingBeforeLoginColonNamesKeepTheSeatsAndADroppedClientIsTold) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  NetSession& server = Session(Server());
  Server().mnuiMakeLogs->setChecked(true);
  EXPECT_EQ(Hotseats(Server()), "0000");
  ASSERT_NO_FATAL_FAILURE(JoinAndLogIn("Ann"));
  TfrmKestrovane& ann = Client(0);
  EXPECT_EQ(Hotseats(ann), "1111");

  // Eve joins; before her Login her chat, a communicator click and her
  // Disconnect send nothing.
  clients_.push_back(NewWindow());
  TfrmKestrovane& eve = Client(1);
  EXPECT_TRUE(eve.OwnHandle.empty());
  auto joinEve = [&] {
    eve.reNetGameLog->clear();
    Session(eve).JoinServer("127.0.0.1", Port());
    return Wait([&] { return eve.reNetGameLog->toPlainText().startsWith("Connected to KVX NetGame Server"); });
  };
  ASSERT_TRUE(joinEve());
  EXPECT_EQ(Hotseats(eve), "0000");
  server.ClearDebugLog();
  Session(eve).SendTalk("before login");
  eve.CommunicatorClick(9);
  eve.mnuiDisconnect->trigger();
  EXPECT_EQ(eve.NetworkMode, 0);
  EXPECT_EQ(Hotseats(eve), "0000");

  // She joins again. "Łódź" can not be written in Windows-1252, in which
  // names travel: her Login is refused with a message naming the letters,
  // and nothing is sent.
  ASSERT_TRUE(joinEve());
  eve.edName->setText(QStringLiteral("Łódź"));
  eve.btnLogin->click();
  const std::vector<AskedDialog> refused = dialogs_.Asked(AskedDialog::Kind::Message);
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].title, QStringLiteral("Login"));
  EXPECT_TRUE(refused[0].text.contains(QStringLiteral("these can not be sent: Łź\n"))) << refused[0].text.toStdString();
  EXPECT_TRUE(eve.OwnHandle.empty());
  EXPECT_TRUE(eve.btnLogin->isVisibleTo(&eve));
  EXPECT_EQ(eve.edName->text(), QStringLiteral("Łódź"));

  // As "BlackA:Evil": the server received her login alone,
  // answered it by her handle in its log, and named her without the colon.
  eve.edName->setText(QStringLiteral("BlackA:Evil"));
  eve.btnLogin->click();
  ASSERT_TRUE(Wait([&] { return server.Table().Count() == 3 && eve.OwnPlayer.name == server.Table().At(2).name; }))
      << Describe();
  const std::string evil = eve.OwnPlayer.name;
  EXPECT_EQ(evil, "BlackAEvil");
  EXPECT_EQ(Hotseats(eve), "1111");
  const std::string log = server.DebugLogText();
  EXPECT_EQ(Tagged(log, "ServerReceived"), net::LoginFrame(eve.OwnHandle, "BlackA:Evil")) << log;
  EXPECT_NE(log.find("<ServerSendtoCli>" + net::BuildFrame(net::kServerHandle, "SetPlayerName", evil) +
                     "</ServerSendtoCli>"),
            std::string::npos)
      << log;

  // Eve calls the administrator twice: both calls reach the server, and her
  // item keeps no check mark. The server's mark is its user's wish to hear calls.
  server.ClearDebugLog();
  for (int i = 0; i < 2; ++i) {
    eve.mnuiCallServerAdministrator->trigger();
    EXPECT_FALSE(eve.mnuiCallServerAdministrator->isChecked());
  }
  const std::string call = net::CallServerAdminFrame(eve.OwnHandle);
  EXPECT_TRUE(Wait([&] { return Tagged(server.DebugLogText(), "ServerReceived") == call + call; }))
      << server.DebugLogText();
  Server().mnuiCallServerAdministrator->trigger();
  EXPECT_TRUE(Server().mnuiCallServerAdministrator->isChecked());

  // Eve on WhiteA and WhiteB, the honest Ann on BlackA: every window reads
  // the seats as the server has them.
  for (int seat : {0, 2}) eve.mnuiTakeRoles[seat]->trigger();
  ann.mnuiTakeRoles[1]->trigger();
  const std::array<std::string, 4> seated = {evil, "Ann", evil, "BlackB"};
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) {
    for (int seat = 0; seat < 4; ++seat)
      if (w.Game()->PlayerNames[seat] != seated[static_cast<size_t>(seat)]) return false;
    return true;
  })) << Describe();
  EXPECT_EQ(ann.OwnPlayer.ownSeat, 1);
  EXPECT_EQ(eve.OwnPlayer.ownSeat, 0);

  // A new game records the names right and keeps Ann's partner (Eve on WhiteB).
  Server().StartGameMenuClick(0);
  const std::string header = Server().RecordPane().Text();
  EXPECT_NE(header.find("[WhiteA \"" + evil + "\"][WhiteAElo \"0\"]\r\n[BlackA \"Ann\"]"), std::string::npos) << header;
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return w.RecordPane().Text() == header; })) << Describe();
  EXPECT_EQ(ann.OwnPlayer.partnerSeat, 2);
  EXPECT_EQ(eve.OwnPlayer.partnerSeat, 3);

  // An empty chat line goes with its payload mark; the partner line shows Eve.
  eve.edNetGameMessage->clear();
  QTest::keyClick(eve.edNetGameMessage, Qt::Key_Return);
  eve.edNetGameMessage->setText(QStringLiteral("hold the knight"));
  QTest::keyClick(eve.edNetGameMessage, Qt::Key_Return);
  ASSERT_TRUE(Wait([&] { return ann.edPartnerTells->text().endsWith(QStringLiteral(" hold the knight")); }))
      << ann.edPartnerTells->text().toStdString() << Describe();
  // The chat pane shows its burst a little later than the partner line.
  EXPECT_TRUE(Wait([&] { return ann.reNetGameLog->toPlainText().split('\n').contains(QString::fromStdString(evil + ">")); }))
      << ann.reNetGameLog->toPlainText().toStdString();
  const std::string emptyLine = "\xA4" "cmd\xA4" + eve.OwnHandle + "\xA4Talk                \xA4\xA4" "endcmd\xA4";
  EXPECT_NE(Tagged(server.DebugLogText(), "ServerReceived").find(emptyLine), std::string::npos);

  // A line with letters that Windows-1252 lacks goes with "?" for them; Eve
  // alone is told which.
  eve.edNetGameMessage->setText(QStringLiteral("Łódź café"));
  QTest::keyClick(eve.edNetGameMessage, Qt::Key_Return);
  const QString sent = QString::fromStdString(evil) + QStringLiteral(">?ód? café");
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return w.reNetGameLog->toPlainText().split('\n').contains(sent); }))
      << Describe();
  const QString note = QStringLiteral("Your line went with \"?\" for Łź (chat carries only the letters of Windows-1252).");
  EXPECT_TRUE(eve.reNetGameLog->toPlainText().split('\n').contains(note)) << eve.reNetGameLog->toPlainText().toStdString();
  for (TfrmKestrovane* w : {&Server(), &ann}) EXPECT_FALSE(w->reNetGameLog->toPlainText().contains(QStringLiteral("Your line went")));

  // Eve picks a pawn on board B, then moves on board A: when her move comes
  // back, the pawn is framed in the highlight colour as before.
  const int e2 = sq::e1 + 12;
  ClickSquare(eve, 2, e2);
  ASSERT_EQ(eve.SelectionB.kind, 2);
  const QPoint pawn = CellPoint(eve, 2, e2);
  const int cell = eve.Visual().SquareSize + 4;
  const QRect around(pawn.x() - cell / 2, pawn.y() - cell / 2, cell, cell);
  const QImage marked = eve.imgBoard->Canvas().copy(around);
  const QRgb highlight = canvas::ToQColor(eve.Visual().HighlightSquareColor).rgb() & RGB_MASK;
  bool framed = false;
  for (int y = 0; y < marked.height() && !framed; ++y)
    for (int x = 0; x < marked.width() && !framed; ++x) framed = (marked.pixel(x, y) & RGB_MASK) == highlight;
  ASSERT_TRUE(framed);
  ClickSquare(eve, 1, e2);
  ClickSquare(eve, 1, e2 + 24);
  ASSERT_TRUE(WaitAll([](TfrmKestrovane& w) { return w.Game()->MoveCount == 1; })) << Describe();
  EXPECT_EQ(eve.SelectionB.kind, 2);
  EXPECT_EQ(eve.imgBoard->Canvas().copy(around), marked);

  // Nobody ever heard from a stranger.
  for (TfrmKestrovane* w : {&Server(), &ann, &eve})
    EXPECT_FALSE(w->reNetGameLog->toPlainText().contains(QStringLiteral("Unknown"))) << Describe();

  // The server stops: both clients are told in a message box, as the local
  // layout hides the chat pane.
  Server().mnuiDisconnect->trigger();
  ASSERT_TRUE(Wait([&] {
    int told = 0;
    for (const AskedDialog& a : dialogs_.Asked(AskedDialog::Kind::Message))
      told += a.title == QStringLiteral("Net Game Server") && a.text.startsWith("Connection to the server lost");
    return told == 2;
  })) << Describe();
  EXPECT_EQ(ann.NetworkMode, 0);
  EXPECT_FALSE(ann.reNetGameLog->isVisible());
  EXPECT_EQ(Hotseats(ann), "0000");
}

}  // namespace
