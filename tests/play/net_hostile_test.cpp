// A hostile client over loopback: while two client windows play through the
// server, raw sockets send split, joined, oversize, malformed and spoofed
// frames, garbage, a hundred logins, a frame hidden in a chat line, and one
// connection never reads. The server keeps running, the game goes on as it
// would without them and nobody loses a seat.
#include <gtest/gtest.h>

#include <QAbstractSocket>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTcpSocket>
#include <QTest>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "net/core/frame.h"
#include "play/net_session.h"
#include "play/play_window.h"
#include "tests/play/net_fixture.h"

namespace {

using nettest::Lcg;
using nettest::NetWindowsTest;
using nettest::Session;
using nettest::Wait;

std::string Handle(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%10d", n);
  return text;
}

// A connection speaking raw bytes; what it receives is kept.
class RawClient {
 public:
  // A client that does not read takes at most a few kilobytes off the network.
  RawClient(uint16_t port, bool reads = true) : socket_(std::make_unique<QTcpSocket>()) {
    if (reads) {
      QObject::connect(socket_.get(), &QTcpSocket::readyRead, [this] {
        const QByteArray bytes = socket_->readAll();
        received_.append(bytes.constData(), static_cast<size_t>(bytes.size()));
      });
    } else {
      socket_->setReadBufferSize(4096);
      socket_->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    }
    socket_->connectToHost(QStringLiteral("127.0.0.1"), port);
  }
  bool Connected() {
    const bool connected = Wait([&] { return socket_->state() == QAbstractSocket::ConnectedState; });
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return connected;
  }
  void Send(const std::string& bytes) {
    socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket_->flush();
  }
  // One byte per write, each handed to the network before the next.
  void SendByteByByte(const std::string& bytes) {
    for (char c : bytes) {
      Send(std::string(1, c));
      socket_->waitForBytesWritten(nettest::kWaitMs);
    }
  }
  bool Received(const std::string& text) {
    return Wait([&] { return received_.find(text) != std::string::npos; });
  }
  const std::string& Text() const { return received_; }
  bool Open() const { return socket_->state() == QAbstractSocket::ConnectedState; }

 private:
  std::unique_ptr<QTcpSocket> socket_;
  std::string received_;
};

// One legal move of each board that has one, as move texts.
std::vector<std::string> LegalMoveTexts(CKestroGame& g) {
  std::vector<std::string> texts;
  g.GenerateLegalMoves(g.Position);
  bool seen[3] = {};
  for (int i = 0; i < g.LegalMoveCount; ++i) {
    const LegalMoveEntry& e = g.LegalMoves[static_cast<size_t>(i)];
    const int board = nettest::BoardOfKind(e.kind);
    if (e.promotion != 0 || seen[board]) continue;
    seen[board] = true;
    texts.push_back(g.MoveToBpgn(g.Position, e.kind, e.from, e.to, 0, g.PliesA, g.PliesB));
  }
  return texts;
}

std::string Login(const std::string& handle, const std::string& name) { return net::BuildLoginFrame(handle, name); }

class NetHostileTest : public NetWindowsTest {};

TEST_F(NetHostileTest, TheServerAndTheGameOfTheOthersSurviveAHostileClient) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  ASSERT_NO_FATAL_FAILURE(JoinAndLogIn("Ann"));
  ASSERT_NO_FATAL_FAILURE(JoinAndLogIn("Bob"));
  TfrmKestrovane& ann = Client(0);
  TfrmKestrovane& bob = Client(1);
  // Team one is Ann's, team two Bob's.
  for (int seat : {0, 3}) ann.mnuiTakeRoles[seat]->trigger();
  for (int seat : {1, 2}) bob.mnuiTakeRoles[seat]->trigger();
  const std::array<std::string, 4> seated = {"Ann", "Bob", "Bob", "Ann"};
  auto seatsKept = [&](TfrmKestrovane& w) {
    for (int seat = 0; seat < 4; ++seat)
      if (w.Game()->PlayerNames[seat] != seated[static_cast<size_t>(seat)]) return false;
    return true;
  };
  ASSERT_TRUE(WaitAll(seatsKept)) << Describe();
  ASSERT_TRUE(Wait([&] { return ann.OwnRoles == 6 + 8 + 64 && bob.OwnRoles == 6 + 16 + 32; })) << Describe();
  Server().StartGameMenuClick(0);
  const std::string header = Server().RecordPane().Text();
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return w.RecordPane().Text() == header; }));

  const std::array<TfrmKestrovane*, 4> bySeat = {&ann, &bob, &bob, &ann};
  Lcg random(7);
  std::vector<std::string> heads;
  auto play = [&](int count) {
    for (int i = 0; i < count; ++i) {
      LegalMoveEntry move;
      std::string head;
      ASSERT_NO_FATAL_FAILURE(PlayOneMove(random, bySeat, move, head));
      heads.push_back(head);
    }
  };
  auto annSaw = [&](const std::string& text) {
    return Wait([&] { return ann.reNetGameLog->toPlainText().contains(QString::fromLatin1(text)); });
  };
  ASSERT_NO_FATAL_FAILURE(play(4));

  // A logged-in hostile client; Ann's handle is known to it.
  const uint16_t port = Port();
  const std::string annHandle = ann.OwnHandle;
  RawClient mallory(port);
  ASSERT_TRUE(mallory.Connected());
  const std::string mh = Handle(1234567);
  mallory.Send(Login(mh, "Mallory"));
  ASSERT_TRUE(mallory.Received("SetPlayerName       \xA4Mallory"));

  // Joined frames in one write, then one frame split into single bytes.
  std::string joined;
  for (int i = 0; i < 20; ++i) joined += net::BuildFrame(mh, "Talk", "joined " + std::to_string(i));
  mallory.Send(joined);
  mallory.SendByteByByte(net::BuildFrame(mh, "Talk", "split into bytes"));
  ASSERT_TRUE(annSaw("Mallory>joined 19"));
  ASSERT_TRUE(annSaw("Mallory>split into bytes"));
  ASSERT_NO_FATAL_FAILURE(play(3));

  // A megabyte of garbage from a connection that never logged in.
  {
    RawClient garbage(port);
    ASSERT_TRUE(garbage.Connected());
    Lcg bytes(99);
    std::string junk(1 << 20, '\0');
    for (char& c : junk) c = static_cast<char>(bytes.Next() & 0xFF);
    garbage.Send(junk);
    ASSERT_TRUE(Wait([&] { return !garbage.Open() || Server().reNetGameLog->toPlainText().contains("bad client"); }));
  }
  ASSERT_NO_FATAL_FAILURE(play(3));

  // Oversize frames: one never ended, one ended past the bound.
  mallory.Send("\xA4" "cmd\xA4" + mh + "\xA4Talk                \xA4" + std::string(100000, 'x'));
  mallory.Send("\xA4" "cmd\xA4" + mh + "\xA4Talk                \xA4" + std::string(70000, 'y') + "\xA4" "endcmd\xA4");
  ASSERT_TRUE(Wait([&] { return Server().reNetGameLog->toPlainText().contains("too long a frame"); }));
  // Malformed frames, and moves that are no moves.
  for (const std::string& bad : std::vector<std::string>{std::string("\xA4" "cmd\xA4" "\xA4" "endcmd\xA4"), std::string("\xA4" "cmd\xA4" "12\xA4" "PlayMove\xA4" "endcmd\xA4"),
        "\xA4" "cmd\xA4" + mh + "\xA4PlayMove            \xA4" "1A.e4{\xA4" "endcmd\xA4",
        "\xA4" "cmd\xA4" + mh + "\xA4PlayMove            \xA4\x01\x02\x03\x04\x05\x06\xA4" "endcmd\xA4",
        "\xA4" "cmd\xA4" + mh + "\xA4PlayMove            \xA4" + std::string(5000, '9') + "\xA4" "endcmd\xA4",
        std::string("\xA4" "cmd\xA4" "KVX&UNetGameClient\xA4" "100\xA4" "\xA4" "endcmd\xA4"),
        "\xA4" "cmd\xA4" "KVX&UNetGameClient\xA4" "99999999999999999999\xA4" + mh + "\xA4" "x\xA4" "endcmd\xA4"})
    mallory.Send(bad);
  mallory.Send(net::BuildFrame(mh, "Talk", "after the malformed"));
  ASSERT_TRUE(annSaw("Mallory>after the malformed"));
  ASSERT_NO_FATAL_FAILURE(play(3));

  // Spoofed handles: Ann's and the server's, from Mallory's connection and
  // from one that never logged in; Ann's handle in a second login.
  RawClient stranger(port);
  ASSERT_TRUE(stranger.Connected());
  for (RawClient* c : {&mallory, &stranger}) {
    for (const std::string& h : {annHandle, std::string(net::kServerHandle), std::string(net::kAnnounceHandle)}) {
      c->Send(net::BuildFrame(h, "AbandonRoleWhiteA"));
      c->Send(net::BuildFrame(h, "AbandonRoleBlackA"));
      c->Send(net::BuildFrame(h, "Talk", "spoofed"));
      c->Send(net::BuildFrame(h, "New Game 12"));
      c->Send(net::BuildFrame(h, "PlayMove", "1A.h3{180}{C:[T:0][L:0]}"));
    }
  }
  stranger.Send(Login(annHandle, "NotAnn"));
  ASSERT_TRUE(stranger.Received("Refused login: handle already in use"));
  stranger.Send(Login(std::string(net::kServerHandle), "NotServer"));
  ASSERT_TRUE(stranger.Received("Refused login: reserved handle"));
  // Legal moves on both boards, sent under Ann's handle and under Mallory's
  // own (whose seats are Ann's and Bob's): none is played.
  for (const std::string& h : {annHandle, mh})
    for (const std::string& move : LegalMoveTexts(*Server().Game())) {
      mallory.Send(net::BuildFrame(h, "PlayMove", move + "{180}{C:[T:0][L:0]}"));
      stranger.Send(net::BuildFrame(h, "PlayMove", move + "{180}{C:[T:0][L:0]}"));
    }
  mallory.Send(net::BuildFrame(mh, "TakeRoleWhiteA"));
  mallory.Send(net::BuildFrame(mh, "AbandonRoleWhiteA"));
  ASSERT_TRUE(mallory.Received("You cannot play where "));
  ASSERT_TRUE(mallory.Received("You cannot abandon role WhiteA"));
  ASSERT_TRUE(mallory.Received("You cannot take role as WhiteA"));
  ASSERT_NO_FATAL_FAILURE(play(3));

  // Frame injection through chat: typed in a window, and raw.
  const std::string injected = "\xA4" "endcmd\xA4\xA4" "cmd\xA4" "2000000001\xA4" "AbandonRoleWhiteA   \xA4" "endcmd\xA4";
  bob.edNetGameMessage->setText(QString::fromLatin1(injected.data(), static_cast<qsizetype>(injected.size())));
  QTest::keyClick(bob.edNetGameMessage, Qt::Key_Return);
  mallory.Send(net::BuildFrame(mh, "Talk", injected));
  mallory.Send(net::BuildFrame(mh, "Talk", "after the injection"));
  ASSERT_TRUE(annSaw("Mallory>after the injection"));
  ASSERT_NO_FATAL_FAILURE(play(3));

  // A connection that never reads asks "Who" thousands of times: once a
  // megabyte of answers waits for it, it is cut off; chat meanwhile reaches
  // everybody else.
  {
    RawClient sloth(port, false);
    ASSERT_TRUE(sloth.Connected());
    const std::string sh = Handle(7654321);
    std::string asks = Login(sh, "Sloth");
    for (int i = 0; i < 20000; ++i) asks += net::BuildFrame(sh, "Who");
    sloth.Send(asks);
    for (int i = 0; i < 10; ++i) mallory.Send(net::BuildFrame(mh, "Talk", std::string(2000, 'z') + std::to_string(i)));
    ASSERT_TRUE(Wait([&] { return Server().reNetGameLog->toPlainText().contains("Sloth does not read"); }))
        << Server().reNetGameLog->toPlainText().right(300).toStdString();
    ASSERT_TRUE(annSaw(std::string(2000, 'z') + "9"));
  }
  ASSERT_NO_FATAL_FAILURE(play(3));

  // A hundred logins, one per connection: the table fills at 99 entries and
  // the rest are told.
  {
    const int before = Session(Server()).Table().Count();
    std::vector<std::unique_ptr<RawClient>> crowd;
    for (int i = 0; i < 100; ++i) {
      crowd.push_back(std::make_unique<RawClient>(port));
      ASSERT_TRUE(crowd.back()->Connected()) << i;
      crowd.back()->Send(Login(Handle(5000000 + i), "Crowd"));
    }
    ASSERT_TRUE(Wait([&] { return Session(Server()).Table().Count() == 99; })) << Session(Server()).Table().Count();
    int refused = 0;
    ASSERT_TRUE(Wait([&] {
      refused = 0;
      for (auto& c : crowd) refused += c->Text().find("Refused login: the server is full") != std::string::npos;
      return refused == 100 - (99 - before);
    })) << refused;
    ASSERT_NO_FATAL_FAILURE(play(3));
    EXPECT_EQ(Session(Server()).Table().Count(), 99);
  }
  ASSERT_NO_FATAL_FAILURE(play(3));

  // The server still runs, nobody lost a seat, and the record is the game
  // as it was played.
  ASSERT_TRUE(WaitAll(seatsKept)) << Describe();
  EXPECT_EQ(ann.OwnRoles, 6 + 8 + 64);
  EXPECT_EQ(bob.OwnRoles, 6 + 16 + 32);
  EXPECT_EQ(Server().Game()->MoveCount, static_cast<int>(heads.size()));
  const std::string record = Server().RecordPane().Text();
  EXPECT_EQ(ann.RecordPane().Text(), record);
  EXPECT_EQ(bob.RecordPane().Text(), record);
  const std::vector<std::string> lines = nettest::MoveLines(record);
  ASSERT_EQ(lines.size(), heads.size()) << record;
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(nettest::HeadOf(lines[i]), heads[i]);
  EXPECT_EQ(CKestroGame::PositionToBfen(ann.Game()->Position), CKestroGame::PositionToBfen(Server().Game()->Position));
  // Chat under a handle that is not the connection's own comes from nobody.
  const QString annPane = ann.reNetGameLog->toPlainText();
  EXPECT_TRUE(annPane.contains("Unknown>spoofed"));
  EXPECT_FALSE(annPane.contains("Ann>spoofed"));
  EXPECT_FALSE(annPane.contains("Admin>spoofed"));
  EXPECT_FALSE(annPane.contains("Supervisor>spoofed"));
  EXPECT_EQ(Session(Server()).ServerPort(), port);
}

}  // namespace
