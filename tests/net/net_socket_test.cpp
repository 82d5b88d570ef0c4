// The socket layer over loopback: bytes both ways, a port in use, a client
// that never reads, and connections that drop.
#include <gtest/gtest.h>

#include <QTcpSocket>
#include <QTest>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "net/net_client.h"
#include "net/net_server.h"

namespace {

constexpr int kWaitMs = 30000;  // long enough for a loaded machine

bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, kWaitMs); }

struct ServerSide {
  std::vector<std::string> events;
  std::map<int64_t, std::string> bytes;
  std::unique_ptr<NetServer> server;
  std::function<void(int64_t, std::string_view)> onRead;  // runs inside the read event

  ServerSide() {
    NetServer::Events e;
    e.accepted = [this](int64_t id, const std::string& address) { Add("accepted", id, address); };
    e.connected = [this](int64_t id, const std::string& host, const std::string& address) {
      Add("connected", id, host + " (" + address + ")");
    };
    e.read = [this](int64_t id, std::string_view b) {
      bytes[id].append(b);
      if (onRead) onRead(id, b);
    };
    e.overflowed = [this](int64_t id, size_t unsent) {
      Add("overflowed", id, unsent > NetServer::kMaxUnsent ? "past the bound" : "within the bound");
    };
    e.disconnected = [this](int64_t id) { Add("disconnected", id, ""); };
    server = std::make_unique<NetServer>(e);
  }
  void Add(const std::string& what, int64_t id, const std::string& text) {
    events.push_back(what + " " + std::to_string(id) + (text.empty() ? "" : " " + text));
  }
  bool Saw(const std::string& event) const {
    for (const std::string& e : events) {
      if (e == event) return true;
    }
    return false;
  }
};

struct ClientSide {
  std::vector<std::string> events;
  std::string bytes;
  std::unique_ptr<NetClient> client;

  ClientSide() {
    NetClient::Events e;
    e.connected = [this] { events.push_back("connected"); };
    e.error = [this](const std::string& text) { events.push_back("error " + text); };
    e.read = [this](std::string_view b) { bytes.append(b); };
    e.disconnected = [this](const std::string& reason) { events.push_back("disconnected " + reason); };
    client = std::make_unique<NetClient>(e);
  }
  bool Connect(uint16_t port) {
    events.clear();
    client->Connect("127.0.0.1", port);
    return WaitFor([this] { return !events.empty(); }) && events == std::vector<std::string>{"connected"};
  }
};

// Bytes of every value, the frame marker and line ends included.
std::string Pattern(size_t size, unsigned seed) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(static_cast<unsigned char>((i * 131 + seed * 7) % 256));
  return s;
}

TEST(NetSockets, ClientsAndServerExchangeBytesBothWaysInOrder) {
  ServerSide side;
  ASSERT_TRUE(side.server->Listen(0)) << side.server->ErrorText();
  const uint16_t port = side.server->Port();
  ASSERT_NE(port, 0);

  ClientSide first;
  ClientSide second;
  ASSERT_TRUE(first.Connect(port));
  ASSERT_TRUE(WaitFor([&] { return side.server->Connections().size() == 1; }));
  ASSERT_TRUE(second.Connect(port));
  ASSERT_TRUE(WaitFor([&] { return side.server->Connections().size() == 2; }));
  const std::vector<int64_t> ids = side.server->Connections();
  ASSERT_LT(ids[0], ids[1]);
  EXPECT_EQ(side.events, (std::vector<std::string>{
                             "accepted " + std::to_string(ids[0]) + " 127.0.0.1",
                             "connected " + std::to_string(ids[0]) + " 127.0.0.1 (127.0.0.1)",
                             "accepted " + std::to_string(ids[1]) + " 127.0.0.1",
                             "connected " + std::to_string(ids[1]) + " 127.0.0.1 (127.0.0.1)",
                         }));
  EXPECT_EQ(side.server->RemoteAddress(ids[1]), "127.0.0.1");
  EXPECT_EQ(first.client->RemoteAddress(), "127.0.0.1");

  // Many writes of many sizes from both clients; TCP joins and splits them
  // as it likes, and each connection's bytes arrive whole and in order.
  std::string sentFirst;
  std::string sentSecond;
  for (unsigned i = 0; i < 300; ++i) {
    const std::string a = Pattern(1 + (i * 977) % 6000, i);
    const std::string b = "\xA4" "cmd\xA4" + std::to_string(i) + "\r\n";
    ASSERT_TRUE(first.client->Write(a));
    ASSERT_TRUE(second.client->Write(b));
    sentFirst += a;
    sentSecond += b;
  }
  ASSERT_TRUE(WaitFor([&] {
    return side.bytes[ids[0]].size() >= sentFirst.size() && side.bytes[ids[1]].size() >= sentSecond.size();
  }));
  EXPECT_TRUE(side.bytes[ids[0]] == sentFirst);
  EXPECT_EQ(side.bytes[ids[1]], sentSecond);

  // Back: one connection alone, then all of them.
  const std::string toSecond = Pattern(200000, 3);
  ASSERT_TRUE(side.server->Write(ids[1], toSecond));
  side.server->WriteAll("to everybody\r\n");
  ASSERT_TRUE(WaitFor([&] { return second.bytes.size() >= toSecond.size() + 14 && first.bytes.size() >= 14; }));
  EXPECT_EQ(first.bytes, "to everybody\r\n");
  EXPECT_TRUE(second.bytes == toSecond + "to everybody\r\n");
  EXPECT_FALSE(side.server->Write(ids[1] + 100, "nobody"));
}

TEST(NetSockets, SecondListenerOnAPortInUseFailsAndLeavesNothingOpen) {
  ServerSide first;
  ASSERT_TRUE(first.server->Listen(0));
  const uint16_t port = first.server->Port();

  ServerSide second;
  EXPECT_FALSE(second.server->Listen(port));
  EXPECT_NE(second.server->ErrorText().find("port " + std::to_string(port) + ":"), std::string::npos)
      << second.server->ErrorText();
  EXPECT_FALSE(second.server->IsListening());
  EXPECT_EQ(second.server->Port(), 0);

  // The port still belongs to the first server alone.
  ClientSide client;
  ASSERT_TRUE(client.Connect(port));
  ASSERT_TRUE(WaitFor([&] { return first.server->Connections().size() == 1; }));
  EXPECT_TRUE(second.events.empty());

  // Nothing half-started stands in the way of a later start.
  ASSERT_TRUE(second.server->Listen(0)) << second.server->ErrorText();
  EXPECT_TRUE(second.server->ErrorText().empty());
  EXPECT_NE(second.server->Port(), port);
}

TEST(NetSockets, ClientThatNeverReadsIsCutOffAtTheBound) {
  ServerSide side;
  ASSERT_TRUE(side.server->Listen(0));
  ClientSide reader;
  ASSERT_TRUE(reader.Connect(side.server->Port()));
  ASSERT_TRUE(WaitFor([&] { return side.server->Connections().size() == 1; }));
  const int64_t readerId = side.server->Connections()[0];

  QTcpSocket deaf;
  deaf.setReadBufferSize(1);  // takes one byte from the system, then never more
  deaf.connectToHost("127.0.0.1", side.server->Port());
  ASSERT_TRUE(WaitFor([&] { return side.server->Connections().size() == 2; }));
  const int64_t deafId = side.server->Connections()[1];

  // Without the event loop the system's buffers fill, then the server's own.
  const std::string chunk = Pattern(64 * 1024, 1);
  size_t written = 0;
  bool cut = false;
  for (int i = 0; i < 4096 && !cut; ++i) {
    cut = !side.server->Write(deafId, chunk);
    written += chunk.size();
  }
  ASSERT_TRUE(cut);
  EXPECT_GT(written, NetServer::kMaxUnsent);
  EXPECT_FALSE(side.server->HasConnection(deafId));
  EXPECT_TRUE(side.events.size() == 4) << "no event from inside the write";

  ASSERT_TRUE(WaitFor([&] { return side.Saw("disconnected " + std::to_string(deafId)); }));
  EXPECT_EQ(side.events[4], "overflowed " + std::to_string(deafId) + " past the bound");
  EXPECT_EQ(side.events[5], "disconnected " + std::to_string(deafId));

  // The others go on.
  side.server->WriteAll("still here");
  EXPECT_EQ(side.server->Connections(), std::vector<int64_t>{readerId});
  ASSERT_TRUE(WaitFor([&] { return reader.bytes == "still here"; }));
  EXPECT_TRUE(reader.client->IsConnected());
}

TEST(NetSockets, DroppedConnectionsAreReportedOnBothSides) {
  ServerSide side;
  ASSERT_TRUE(side.server->Listen(0));
  const uint16_t port = side.server->Port();

  // The client leaves: the server hears of it; the client, which chose to, does not.
  ClientSide client;
  ASSERT_TRUE(client.Connect(port));
  ASSERT_TRUE(WaitFor([&] { return side.server->Connections().size() == 1; }));
  const int64_t firstId = side.server->Connections()[0];
  ASSERT_TRUE(client.client->Write("last words"));
  client.client->Close();
  ASSERT_TRUE(WaitFor([&] { return side.Saw("disconnected " + std::to_string(firstId)); }));
  EXPECT_EQ(side.bytes[firstId], "last words");
  EXPECT_TRUE(side.server->Connections().empty());
  EXPECT_EQ(client.events, std::vector<std::string>{"connected"});

  // The server closes a connection from inside its read event: what it
  // queued arrives first, then the client hears that the connection ended
  // and can connect again.
  ASSERT_TRUE(client.Connect(port));
  ASSERT_TRUE(WaitFor([&] { return side.server->Connections().size() == 1; }));
  const int64_t secondId = side.server->Connections()[0];
  EXPECT_NE(secondId, firstId);
  side.onRead = [&](int64_t id, std::string_view) {
    EXPECT_TRUE(side.server->Write(id, "good-bye"));
    side.server->Close(id);
    EXPECT_FALSE(side.server->HasConnection(id));
    EXPECT_FALSE(side.Saw("disconnected " + std::to_string(id))) << "no event from inside Close";
  };
  ASSERT_TRUE(client.client->Write("kick me"));
  ASSERT_TRUE(WaitFor([&] { return client.events.size() == 2; }));
  side.onRead = nullptr;
  EXPECT_EQ(side.bytes[secondId], "kick me");
  EXPECT_EQ(client.bytes, "good-bye");
  EXPECT_EQ(client.events[1].rfind("disconnected ", 0), 0u) << client.events[1];
  EXPECT_FALSE(client.client->IsConnected());
  EXPECT_FALSE(client.client->IsConnecting());
  EXPECT_TRUE(WaitFor([&] { return side.Saw("disconnected " + std::to_string(secondId)); }));

  // The whole server goes away without a word.
  ASSERT_TRUE(client.Connect(port));
  ASSERT_TRUE(WaitFor([&] { return side.server->Connections().size() == 1; }));
  side.server.reset();
  ASSERT_TRUE(WaitFor([&] { return client.events.size() == 2; }));
  EXPECT_EQ(client.events[1].rfind("disconnected ", 0), 0u) << client.events[1];
  EXPECT_FALSE(client.client->Write("anybody?"));

  // Nobody listens any more: connecting fails with a reason, and the client is idle.
  client.events.clear();
  client.client->Connect("127.0.0.1", port);
  EXPECT_TRUE(client.events.empty()) << "no event from inside Connect";
  ASSERT_TRUE(WaitFor([&] { return !client.events.empty(); }));
  ASSERT_EQ(client.events.size(), 1u);
  EXPECT_EQ(client.events[0].rfind("error ", 0), 0u) << client.events[0];
  EXPECT_GT(client.events[0].size(), 6u);
  EXPECT_FALSE(client.client->IsConnecting());
}

}  // namespace
