// The network game's relay: a server with 8 clients on loopback relays
// 10,000 moves. Real sockets (the socket layer), one frame reader per
// connection, the real server and client command processors and game model;
// the windows are hosts that only keep the record (no drawing, no sounds, no
// debug log). Two clients hold the four seats and move knights out and back
// on both boards; every 400 moves both teams ask for a new game. One sample
// is the time from a client's PlayMove write until the last of the 8 clients
// has applied the move. Aim: median below 1 ms, 99th percentile below 5 ms.
//
// The same through the real play windows, off-screen: the server window
// (drawing both boards, its record and legal-move panes) with the 8 clients
// above on a thread of their own, as on other machines, beside a minimal
// relay that checks nothing, with the same clients; then with 8 client
// windows (4 seated, 4 watching; all on this one thread, so a sample holds
// every window's work one after another). Moves come at a player's pace: the
// windows finish their drawing between samples. Aim: the server window
// within 3 times the minimal relay. And drawing one move in a board window
// (aim: well under 1 ms).
//
// The server window's relay again while a seated client floods the chat: 20
// lines of 1.5 KB, 8 KB or 30 KB before each move, the move right behind
// them, beside the minimal relay under the same flood (what the sockets and
// the clients take). A sample runs from the burst until the last client has
// the move. Aim: median within 5 ms; the process's memory (RSS, counted
// before and after the game) stays flat; the server window's chat pane shows
// each burst in one edit (the run fails above two).
//
// Also the frame cutter alone, in bytes per second for reads of 64 KiB to
// 16 MiB of frames: linear in the bytes read.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "display/board_display.h"
#include "game/kestro_game.h"
#include "net/core/client_processor.h"
#include "net/core/commands.h"
#include "net/core/debug_log.h"
#include "net/core/frame.h"
#include "net/core/player_table.h"
#include "net/core/server_processor.h"
#include "net/net_client.h"
#include "net/net_server.h"
#include "play/net_session.h"
#include "play/play_window.h"
#include "tests/bench/bench_main.h"

namespace {

constexpr int kClients = 8;
constexpr int kMovesPerGame = 400;
constexpr int kStallMs = 30000;  // a stall, not a slow machine

// Runs the event loop until `done` or a stall.
template <class Done>
bool Spin(Done done) {
  QElapsedTimer timer;
  timer.start();
  QTimer wake;  // keeps the wait from sleeping through a stall
  wake.start(100);
  while (!done()) {
    if (timer.elapsed() > kStallMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

// A classic 3-minute game as a new game's header makes it, with the seats'
// names kept.
std::unique_ptr<CKestroGame> NextGame(const CKestroGame* previous) {
  std::string names[4] = {"WhiteA", "BlackA", "WhiteB", "BlackB"};
  if (previous)
    for (int seat = 0; seat < 4; ++seat) names[seat] = previous->PlayerNames[seat];
  const std::string header = "[Event \"Kestrovane bughouse chess game\"]\r\n[Site \"Kestrovane\"]\r\n" +
                             BpgnPlayerTags(names) + "[TimeControl \"180+0\"]\r\n[Result \"*\"]\r\n\r\n{*} *";
  auto game = std::make_unique<CKestroGame>(header, 1);
  for (int seat = 0; seat < 4; ++seat) game->PlayerNames[seat] = names[seat];
  return game;
}

// One client window: its socket, reader, processor and record.
class BenchClient : public net::ClientHost {
 public:
  BenchClient(int number, uint16_t port) {
    NetClient::Events events;
    events.read = [this](std::string_view bytes) {
      for (const std::string& frame : reader_.Feed(bytes).frames) processor_.NetGameClientProcessingMessage(frame);
    };
    socket_ = std::make_unique<NetClient>(events);
    own_.handle = net::NewClientHandle();
    own_.name = "Bench" + std::to_string(number);
    socket_->Connect("127.0.0.1", port);
  }

  bool Connected() const { return socket_->IsConnected(); }
  void Send(const std::string& frame) { socket_->Write(frame); }
  const net::NetGamePlayer& Own() const { return own_; }

  std::atomic<int> applied = 0;  // moves added to the record (read from other threads)
  std::function<void()> onApplied;  // after each move added, on the client's thread
  int games = 0;     // new games started
  int newGameTalks = 0;

  CKestroGame* Game() override { return game_.get(); }
  void AddChatLine(const std::string& line) override {
    if (line.find("issuing new game") != std::string::npos) ++newGameTalks;
  }
  std::string PartnerTellsText() override { return partner_; }
  int PartnerTellsLimit() override { return 80; }
  void SetPartnerTellsText(const std::string& text) override { partner_ = text; }
  void SetTurnStart(int seat, int64_t tick) override { turnStart_[seat & 3] = tick; }
  void ShowMovePlayed() override {}
  void AddMoveToRecord(const std::string& moveText) override {
    net::AddNetworkMoveToRecord(record_, moveText);
    ++applied;
    if (onApplied) onApplied();
  }
  void ShowLegalMoves() override {}
  void LogGameBeforeNewGame() override {}
  bool RecordHoldsMove() override { return false; }
  void ClearRecord() override { record_.clear(); }
  void StartNewGame(int, bool) override {
    game_ = NextGame(game_.get());
    record_ = "{*} *";
    ++games;
  }
  void ShowRunningClocks() override {}
  void SetLagCompensator(bool) override {}
  void ShowOwnName(const std::string& name) override { own_.name = name; }
  void ShowPlayers() override {}
  void EnableNewGameMenus(int) override {}
  const std::string& Record() const { return record_; }

 private:
  std::unique_ptr<CKestroGame> game_ = NextGame(nullptr);
  std::string record_ = "{*} *", partner_;
  int64_t turnStart_[4] = {};
  net::NetGamePlayer own_;
  net::DebugLog log_;  // off
  net::FrameReader reader_;
  net::ClientProcessor processor_{*this, own_, log_, net::SystemClock()};
  std::unique_ptr<NetClient> socket_;
};

// The server window's own client processor: it runs every broadcast, and
// finds relayed moves already played.
class ServerOwnWindow : public net::ClientHost {
 public:
  explicit ServerOwnWindow(std::unique_ptr<CKestroGame>& game) : game_(game) {}
  CKestroGame* Game() override { return game_.get(); }
  void AddChatLine(const std::string&) override {}
  std::string PartnerTellsText() override { return {}; }
  int PartnerTellsLimit() override { return 80; }
  void SetPartnerTellsText(const std::string&) override {}
  void SetTurnStart(int, int64_t) override {}
  void ShowMovePlayed() override {}
  void AddMoveToRecord(const std::string&) override {}
  void ShowLegalMoves() override {}
  void LogGameBeforeNewGame() override {}
  bool RecordHoldsMove() override { return false; }
  void ClearRecord() override {}
  void StartNewGame(int, bool) override {}
  void ShowRunningClocks() override {}
  void SetLagCompensator(bool) override {}
  void ShowOwnName(const std::string&) override {}
  void ShowPlayers() override {}
  void EnableNewGameMenus(int) override {}

 private:
  std::unique_ptr<CKestroGame>& game_;
};

// The server window: listening socket, a reader per connection, the player
// table, the server processor and the window's own client processor.
class BenchServer : public net::ServerHost {
 public:
  BenchServer() {
    NetServer::Events events;
    events.connected = [this](int64_t id, const std::string&, const std::string&) { readers_[id]; };
    events.read = [this](int64_t id, std::string_view bytes) {
      for (const std::string& frame : readers_[id].Feed(bytes).frames)
        processor_.NetGameServerProcessingMessage(id, frame);
    };
    socket_ = std::make_unique<NetServer>(events);
    listening_ = socket_->Listen(0);
    own_.handle = std::string(net::kServerHandle);
    own_.name = "Supervisor";
    processor_.GameStarted();
  }
  bool Listening() const { return listening_; }
  uint16_t Port() const { return socket_->Port(); }
  size_t ConnectionCount() const { return socket_->Connections().size(); }
  const std::string& Record() const { return record_; }

  CKestroGame& Game() override { return *game_; }
  net::DebugLog& Log() override { return log_; }
  net::ServerChecks Checks() const override { return net::ServerChecks{}; }
  void ServerSendtoAll(const std::string& frame) override {
    socket_->WriteAll(frame);
    own_processor_.NetGameClientProcessingMessage(frame);
  }
  void ServerSendtoAllBS(const std::string& frame) override { socket_->WriteAll(frame); }
  void ServerSendtoCli(std::string_view handle, const std::string& frame) override {
    if (handle == table_.At(0).handle) {
      own_processor_.NetGameClientProcessingMessage(frame);
      return;
    }
    for (int i = 1; i < table_.Count(); ++i)
      if (table_.At(i).handle == handle) socket_->Write(table_.At(i).socket, frame);
  }
  void ServerSendtoConnection(int64_t connection, const std::string& frame) override {
    socket_->Write(connection, frame);
  }
  void AddChatLine(const std::string&) override {}
  // The start-game handler on the server: the new game and its announcement.
  void StartGameOfKind(int kind) override {
    game_ = NextGame(game_.get());
    record_ = "{*} *";
    ServerSendtoAllBS(net::BuildFrame(net::kAnnounceHandle, net::ClientCommandName(kind <= 3 ? 10003 + kind : 10000 + kind)));
    processor_.GameStarted();
  }
  std::vector<int64_t> LiveConnections() const override { return socket_->Connections(); }
  void Redraw() override {}
  void ShowServerMove(int, const std::string& moveText, const std::string&) override {
    net::AddNetworkMoveToRecord(record_, moveText);
  }
  void SetTurnStart(int, int64_t) override {}
  void PlayMoveSound() override {}
  void PlayCallAdminSound() override {}

 private:
  std::unique_ptr<CKestroGame> game_ = NextGame(nullptr);
  std::string record_ = "{*} *";
  net::DebugLog log_;  // off
  net::PlayerTable table_;
  net::NetGamePlayer own_;
  ServerOwnWindow own_window_{game_};
  net::ServerProcessor processor_{*this, table_, net::SystemClock()};
  net::ClientProcessor own_processor_{own_window_, own_, log_, net::SystemClock()};
  std::map<int64_t, net::FrameReader> readers_;
  std::unique_ptr<NetServer> socket_;
  bool listening_ = false;
};

// The server, its 8 clients logged in, client 0 seated for team 1 (WhiteA,
// BlackB) and client 1 for team 2 (BlackA, WhiteB).
class RelayRig {
 public:
  RelayRig() {
    if (!server_.Listening()) return;
    for (int i = 0; i < kClients; ++i) clients_.push_back(std::make_unique<BenchClient>(i + 1, server_.Port()));
    if (!Spin([this] { return server_.ConnectionCount() == kClients && AllConnected(); })) return;
    for (auto& c : clients_) c->Send(net::LoginFrame(c->Own().handle, c->Own().name));
    for (int seat : {0, 3}) clients_[0]->Send(net::TakeRoleFrame(clients_[0]->Own().handle, seat));
    for (int seat : {1, 2}) clients_[1]->Send(net::TakeRoleFrame(clients_[1]->Own().handle, seat));
    ok_ = Spin([this] { return (clients_[0]->Own().roles & 72) == 72 && (clients_[1]->Own().roles & 48) == 48; });
  }
  bool Ok() const { return ok_; }
  int Games() const { return clients_.back()->games; }
  // Every client's record is the server's.
  bool RecordsAgree() const {
    for (const auto& c : clients_)
      if (c->Record() != server_.Record()) return false;
    return true;
  }

  // Move `n` of the current game; false when it did not reach every client.
  bool Move(int n) {
    // Eight plies bring every knight out and back: A white, B white, A black,
    // B black, then the same back.
    static const char* const kSquares[2][2] = {{"Nf3", "Nf6"}, {"Ng1", "Ng8"}};
    const int step = n % 8, board = step % 2, side = (step / 2) % 2, back = step / 4;
    const int number = n / 8 * 2 + back + 1;
    const char letter = static_cast<char>((board == 0 ? 'A' : 'B') + (side == 1 ? 32 : 0));
    char payload[64];
    std::snprintf(payload, sizeof payload, "%d%c.%s{180}{C:[T:0][L:0]}", number, letter, kSquares[back][side]);
    // Team 1 holds WhiteA and BlackB.
    const int mover = (board == 0) == (side == 0) ? 0 : 1;
    const int target = clients_.back()->applied + 1;
    clients_[static_cast<size_t>(mover)]->Send(net::BuildFrame(clients_[static_cast<size_t>(mover)]->Own().handle,
                                                               "PlayMove", payload));
    return Spin([&] {
      for (const auto& c : clients_)
        if (c->applied < target) return false;
      return true;
    });
  }

  // Both teams ask for "New Game 1"; false when the game did not start everywhere.
  bool NewGame() {
    const int talks = clients_[0]->newGameTalks, games = clients_.back()->games;
    clients_[0]->Send(net::BuildFrame(clients_[0]->Own().handle, "New Game 1"));
    if (!Spin([&] { return clients_[0]->newGameTalks > talks; })) return false;
    clients_[1]->Send(net::BuildFrame(clients_[1]->Own().handle, "New Game 1"));
    return Spin([&] {
      for (const auto& c : clients_)
        if (c->games <= games) return false;
      return true;
    });
  }

 private:
  bool AllConnected() const {
    for (const auto& c : clients_)
      if (!c->Connected()) return false;
    return true;
  }

  BenchServer server_;
  std::vector<std::unique_ptr<BenchClient>> clients_;
  bool ok_ = false;
};

double Percentile(std::vector<double> samples, double share) {
  if (samples.empty()) return 0;
  const size_t k = std::min(samples.size() - 1, static_cast<size_t>(share * static_cast<double>(samples.size())));
  std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(k), samples.end());
  return samples[k];
}

void BM_RelayMoveToEightClients(benchmark::State& state) {
  RelayRig rig;
  if (!rig.Ok()) {
    state.SkipWithError("the server or its clients did not start, log in or sit down");
    bench::Fail();
    return;
  }
  std::vector<double> micros;
  micros.reserve(10000);
  int n = 0;
  for (auto _ : state) {
    if (n == kMovesPerGame) {
      state.PauseTiming();
      const bool started = rig.NewGame();
      state.ResumeTiming();
      if (!started) {
        state.SkipWithError("the new game both teams asked for did not start on every client");
        bench::Fail();
        return;
      }
      n = 0;
    }
    const auto start = std::chrono::steady_clock::now();
    if (!rig.Move(n)) {
      state.SkipWithError("a relayed move did not reach every client");
      bench::Fail();
      return;
    }
    micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    ++n;
  }
  if (!rig.RecordsAgree()) {
    state.SkipWithError("a client's record differs from the server's");
    bench::Fail();
    return;
  }
  state.counters["median_us"] = Percentile(micros, 0.5);
  state.counters["p99_us"] = Percentile(micros, 0.99);
  state.counters["moves"] = static_cast<double>(micros.size());
  state.counters["new_games"] = rig.Games();
}
BENCHMARK(BM_RelayMoveToEightClients)->Iterations(10000)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------
// Through the real windows.

// Move `n` of a game: knights out and back on both boards (8 plies a round).
std::string KnightMove(int n, int& seat) {
  static const char* const kSquares[2][2] = {{"Nf3", "Nf6"}, {"Ng1", "Ng8"}};
  const int step = n % 8, board = step % 2, side = (step / 2) % 2, back = step / 4;
  const int number = n / 8 * 2 + back + 1;
  const char letter = static_cast<char>((board == 0 ? 'A' : 'B') + (side == 1 ? 32 : 0));
  seat = 2 * board + side;
  char payload[64];
  std::snprintf(payload, sizeof payload, "%d%c.%s{180}{C:[T:0][L:0]}", number, letter, kSquares[back][side]);
  return payload;
}

std::unique_ptr<TfrmKestrovane> NewWindow() {
  auto w = std::make_unique<TfrmKestrovane>();
  w->resize(1300, 800);
  w->show();
  return w;
}

NetSession& SessionOf(TfrmKestrovane& w) { return dynamic_cast<NetSession&>(w.Net()); }

// The real server window, its administrator logged in without a seat.
class WindowServer {
 public:
  WindowServer() : window_(NewWindow()) {
    ok_ = SessionOf(*window_).StartServerOn(0);
    window_->btnLoginClick();
  }
  bool Ok() const { return ok_; }
  uint16_t Port() { return SessionOf(*window_).ServerPort(); }
  TfrmKestrovane& Window() { return *window_; }

 private:
  std::unique_ptr<TfrmKestrovane> window_;
  bool ok_ = false;
};

// A relay that checks nothing: every frame read goes to every connection.
class MinimalRelay {
 public:
  MinimalRelay() {
    NetServer::Events events;
    events.read = [this](int64_t id, std::string_view bytes) {
      for (const std::string& frame : readers_[id].Feed(bytes).frames) socket_->WriteAll(frame);
    };
    socket_ = std::make_unique<NetServer>(events);
    ok_ = socket_->Listen(0);
  }
  bool Ok() const { return ok_; }
  uint16_t Port() { return socket_->Port(); }

 private:
  std::map<int64_t, net::FrameReader> readers_;
  std::unique_ptr<NetServer> socket_;
  bool ok_ = false;
};

// 8 clients (processors only), the first four seated one seat each when
// `seat`; `moved` is called once all 8 have a move.
class FrameClients {
 public:
  FrameClients(uint16_t port, bool seat, std::function<void()> moved) {
    for (int i = 0; i < kClients; ++i) {
      clients_.push_back(std::make_unique<BenchClient>(i + 1, port));
      clients_.back()->onApplied = [this, moved] {
        if (++applied_ % kClients == 0) moved();
      };
    }
    if (!Spin([this] {
          for (const auto& c : clients_)
            if (!c->Connected()) return false;
          return true;
        }))
      return;
    for (auto& c : clients_) c->Send(net::LoginFrame(c->Own().handle, c->Own().name));
    if (seat)
      for (int s = 0; s < 4; ++s) clients_[static_cast<size_t>(s)]->Send(net::TakeRoleFrame(clients_[static_cast<size_t>(s)]->Own().handle, s));
    ok_ = !seat || Spin([this] {
      for (int s = 0; s < 4; ++s)
        if (!(clients_[static_cast<size_t>(s)]->Own().roles & (8 << s))) return false;
      return true;
    });
  }
  bool Ok() const { return ok_; }
  void Send(int seat, const std::string& payload) {
    BenchClient& c = *clients_[static_cast<size_t>(seat)];
    c.Send(net::BuildFrame(c.Own().handle, "PlayMove", payload));
  }
  void Chat(int seat, const std::string& text) {
    BenchClient& c = *clients_[static_cast<size_t>(seat)];
    c.Send(net::ChatFrame(c.Own().handle, text));
  }

 private:
  std::vector<std::unique_ptr<BenchClient>> clients_;
  int applied_ = 0;  // moves applied by all clients together
  bool ok_ = false;
};

// The same 8 clients on a thread of their own, as on other machines: a
// sample ends when the last of them has the move, and what the server does
// after relaying it counts only when it delays the next move.
class ClientsOnThread {
 public:
  ClientsOnThread(uint16_t port, bool seat) : home_(new QObject) {
    home_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, home_, &QObject::deleteLater);
    thread_.start();
    QMetaObject::invokeMethod(
        home_,
        [this, port, seat] {
          clients_ = std::make_unique<FrameClients>(port, seat, [this] {
            movedAt_ = std::chrono::steady_clock::now().time_since_epoch().count();
            ++moved_;
            Wake();
          });
          state_ = clients_->Ok() ? 1 : 2;
          Wake();
        },
        Qt::QueuedConnection);
    Spin([this] { return state_ != 0; });
  }
  ~ClientsOnThread() {
    QMetaObject::invokeMethod(home_, [this] { clients_.reset(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
  }
  bool Ok() const { return state_ == 1; }
  void Send(int seat, const std::string& payload) {
    QMetaObject::invokeMethod(home_, [this, seat, payload] { clients_->Send(seat, payload); }, Qt::QueuedConnection);
  }
  // `lines` chat lines from the client in `flooder`'s seat, then the move.
  void SendAfterChat(int flooder, int lines, const std::string& text, int seat, const std::string& payload) {
    QMetaObject::invokeMethod(
        home_,
        [this, flooder, lines, text, seat, payload] {
          for (int i = 0; i < lines; ++i) clients_->Chat(flooder, text);
          clients_->Send(seat, payload);
        },
        Qt::QueuedConnection);
  }
  bool AllApplied(int moves) const { return moved_ >= moves; }
  // When the last client got the last move (the server's thread may notice later).
  std::chrono::steady_clock::time_point EndOfMove(std::chrono::steady_clock::time_point) const {
    return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(movedAt_.load()));
  }

 private:
  // Wakes the server's thread, which waits for events.
  static void Wake() { QMetaObject::invokeMethod(qApp, [] {}, Qt::QueuedConnection); }

  QThread thread_;
  QObject* home_;  // lives on the thread; deleted when it ends
  std::unique_ptr<FrameClients> clients_;
  std::atomic<int> state_ = 0;  // 1 ready, 2 failed
  std::atomic<int> moved_ = 0;  // moves all 8 clients have
  std::atomic<std::chrono::steady_clock::rep> movedAt_ = 0;  // when the last of them got the last one
};

class WindowClients {
 public:
  explicit WindowClients(uint16_t port) {
    for (int i = 0; i < kClients; ++i) {
      windows_.push_back(NewWindow());
      SessionOf(*windows_.back()).JoinServer("127.0.0.1", port);
    }
    for (size_t i = 0; i < windows_.size(); ++i) {
      TfrmKestrovane& w = *windows_[i];
      if (!Spin([&] { return w.reNetGameLog->toPlainText().startsWith("Connected to KVX NetGame Server"); })) return;
      w.edName->setText(QStringLiteral("Window%1").arg(i + 1));
      w.btnLoginClick();
    }
    for (int s = 0; s < 4; ++s) SessionOf(*windows_[static_cast<size_t>(s)]).TakeRole(s);
    ok_ = Spin([this] {
      for (int s = 0; s < 4; ++s)
        if (!(windows_[static_cast<size_t>(s)]->OwnRoles & (8 << s))) return false;
      return true;
    });
    if (ok_) base_ = windows_.back()->Game()->MoveCount;
  }
  bool Ok() const { return ok_; }
  void Send(int seat, const std::string& payload) {
    TfrmKestrovane& w = *windows_[static_cast<size_t>(seat)];
    SessionOf(w).SendToServer(net::BuildFrame(w.OwnPlayer.handle, "PlayMove", payload));
  }
  bool AllApplied(int moves) const {
    for (const auto& w : windows_)
      if (!w->Game() || w->Game()->MoveCount < base_ + moves) return false;
    return true;
  }
  std::chrono::steady_clock::time_point EndOfMove(std::chrono::steady_clock::time_point seen) const { return seen; }

 private:
  std::vector<std::unique_ptr<TfrmKestrovane>> windows_;
  int base_ = 0;
  bool ok_ = false;
};

// The process's resident memory in MB (Linux), 0 when unknown.
double ResidentMb() {
  std::ifstream statm("/proc/self/statm");
  double pages = 0, resident = 0;
  if (!(statm >> pages >> resident)) return 0;
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// One game of `state.iterations()` moves (at most 400, within the record's
// limit) relayed by `server` to `clients`, each handed over by
// `send(seat, payload)`; median and 99th percentile of the samples.
template <class Server, class Clients, class Send>
void RelayGame(benchmark::State& state, Server& server, Clients& clients, Send send) {
  if (!server.Ok() || !clients.Ok()) {
    state.SkipWithError("the server or its clients did not start, log in or sit down");
    bench::Fail();
    return;
  }
  std::vector<double> micros;
  int n = 0;
  const double rssBefore = ResidentMb();
  for (auto _ : state) {
    int seat = 0;
    const std::string payload = KnightMove(n, seat);
    const auto start = std::chrono::steady_clock::now();
    send(seat, payload);
    if (!Spin([&] { return clients.AllApplied(n + 1); })) {
      state.SkipWithError("a relayed move did not reach every client");
      bench::Fail();
      return;
    }
    const auto end = clients.EndOfMove(std::chrono::steady_clock::now());
    micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    ++n;
    // Moves come at a player's pace, not back to back: the windows finish
    // their drawing before the next one (not timed).
    state.PauseTiming();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    state.ResumeTiming();
  }
  state.counters["median_us"] = Percentile(micros, 0.5);
  state.counters["p99_us"] = Percentile(micros, 0.99);
  state.counters["moves"] = static_cast<double>(micros.size());
  state.counters["rss_before_mb"] = rssBefore;
  state.counters["rss_after_mb"] = ResidentMb();
}

template <class Server, class Clients>
void RelayGame(benchmark::State& state, Server& server, Clients& clients) {
  RelayGame(state, server, clients, [&](int seat, const std::string& payload) { clients.Send(seat, payload); });
}

void BM_MinimalRelayToEightClients(benchmark::State& state) {
  MinimalRelay relay;
  ClientsOnThread clients(relay.Port(), false);
  RelayGame(state, relay, clients);
}
BENCHMARK(BM_MinimalRelayToEightClients)->Iterations(400)->Unit(benchmark::kMicrosecond);

void BM_RelayThroughServerWindowToEightClients(benchmark::State& state) {
  WindowServer server;
  ClientsOnThread clients(server.Port(), true);
  RelayGame(state, server, clients);
}
BENCHMARK(BM_RelayThroughServerWindowToEightClients)->Iterations(400)->Unit(benchmark::kMicrosecond);

// RelayGame while client 0 (WhiteA's player when seated) sends 20 chat lines
// of `state.range(0)` bytes before each move.
template <class Server>
void FloodedGame(benchmark::State& state, Server& server, ClientsOnThread& clients) {
  std::string line = "flood ";
  while (line.size() < static_cast<size_t>(state.range(0))) line += "bughouse ";
  line.resize(static_cast<size_t>(state.range(0)));
  RelayGame(state, server, clients, [&](int seat, const std::string& payload) {
    clients.SendAfterChat(0, 20, line, seat, payload);
  });
}

// What the sockets and the clients take of a flooded relay.
void BM_MinimalRelayUnderChatFlood(benchmark::State& state) {
  MinimalRelay relay;
  ClientsOnThread clients(relay.Port(), false);
  FloodedGame(state, relay, clients);
}
BENCHMARK(BM_MinimalRelayUnderChatFlood)->Arg(1536)->Arg(8192)->Arg(30720)->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_RelayThroughServerWindowUnderChatFlood(benchmark::State& state) {
  WindowServer server;
  ClientsOnThread clients(server.Port(), true);
  int edits = 0;
  const auto counting = QObject::connect(server.Window().reNetGameLog->document(), &QTextDocument::contentsChanged,
                                         [&edits] { ++edits; });
  FloodedGame(state, server, clients);
  QObject::disconnect(counting);
  const double perBurst = static_cast<double>(edits) / static_cast<double>(std::max<int64_t>(1, state.iterations()));
  state.counters["chat_edits_per_burst"] = perBurst;
  // Aim: the chat pane shows each burst in one edit (a slow machine may cut
  // a burst in two), never line by line.
  if (perBurst > 2) {
    state.SkipWithError("the chat pane showed a burst of chat line by line");
    bench::Fail();
  }
}
BENCHMARK(BM_RelayThroughServerWindowUnderChatFlood)
    ->Arg(1536)
    ->Arg(8192)
    ->Arg(30720)
    ->Iterations(200)
    ->Unit(benchmark::kMicrosecond);

void BM_RelayThroughServerAndEightClientWindows(benchmark::State& state) {
  WindowServer server;
  WindowClients clients(server.Port());
  RelayGame(state, server, clients);
}
BENCHMARK(BM_RelayThroughServerAndEightClientWindows)->Iterations(150)->Unit(benchmark::kMicrosecond);

// Drawing one move in a board window: the move is played (not timed), then
// the window draws its board.
void BM_DrawMoveInBoardWindow(benchmark::State& state) {
  auto window = NewWindow();
  TfrmKestrovane& w = *window;
  w.StartNewGame(0);
  QApplication::processEvents();
  CKestroGame& g = *w.Game();
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    int seat = 0;
    BpgnMove move;
    move.token = KnightMove(n++, seat);
    if (!g.PlayMove(move, g.Position)) {
      state.SkipWithError("a knight move was refused");
      bench::Fail();
      return;
    }
    g.ComputeAttackMaps(g.Position, 1);
    g.ComputeAttackMaps(g.Position, 2);
    state.ResumeTiming();
    w.DrawBoard();
  }
}
BENCHMARK(BM_DrawMoveInBoardWindow)->Unit(benchmark::kMicrosecond);

// A read of `size` bytes made of whole move frames (the last one cut short).
std::string FramesOfSize(size_t size) {
  const std::string frame = net::BuildFrame("    123456", "PlayMove", "12B.Nxe5{171}{C:[T:1530][L:40]}");
  std::string text;
  text.reserve(size + frame.size());
  while (text.size() < size) text += frame;
  text.resize(size);
  return text;
}

void BM_FrameReaderOneRead(benchmark::State& state) {
  const std::string text = FramesOfSize(static_cast<size_t>(state.range(0)));
  size_t frames = 0;
  for (auto _ : state) {
    net::FrameReader reader;
    frames = reader.Feed(text).frames.size();
    benchmark::DoNotOptimize(frames);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
  state.SetComplexityN(state.range(0));
  state.counters["frames"] = static_cast<double>(frames);
}
BENCHMARK(BM_FrameReaderOneRead)->RangeMultiplier(4)->Range(64 << 10, 16 << 20)->Complexity(benchmark::oN);

void MakeApplication(int& argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Left to the end of the program: Qt must not be torn down among the statics.
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  InstallGameDisplayFactory();
}
const bool kApplicationMade = bench::AddSetUp(MakeApplication);

}  // namespace
