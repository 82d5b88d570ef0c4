#pragma once
// Play windows in one test process joined over loopback: a server window
// and client windows with real sockets, every wait bounded.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/board_display.h"
#include "net/core/clock.h"
#include "play/net_session.h"
#include "play/play_window.h"
#include "tests/display/display_fixture.h"
#include "tests/platform/fake_dialogs.h"

namespace nettest {

inline std::string FixedDate() { return "2026-12-08 20:00:00"; }

// Long enough for a loaded machine; a healthy run needs milliseconds.
constexpr int kWaitMs = 30000;

inline bool Wait(const std::function<bool()>& condition, int ms = kWaitMs) { return QTest::qWaitFor(condition, ms); }

// The windows' tick clock while it lives: it moves only when the test moves it.
struct ScopedTickClock {
  net::FakeClock clock;
  ScopedTickClock() {
    clock.ms = 1000000;
    TfrmKestrovane::TickClock = &clock;
  }
  ~ScopedTickClock() { TfrmKestrovane::TickClock = nullptr; }
  ScopedTickClock(const ScopedTickClock&) = delete;
  ScopedTickClock& operator=(const ScopedTickClock&) = delete;
};

inline NetSession& Session(TfrmKestrovane& w) { return dynamic_cast<NetSession&>(w.Net()); }

// A small deterministic generator (the same numbers on every platform).
class Lcg {
 public:
  explicit Lcg(uint64_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<uint32_t>(state_ >> 33);
  }
  uint32_t Below(uint32_t n) { return n == 0 ? 0 : Next() % n; }

 private:
  uint64_t state_;
};

inline bool IsDrop(int kind) { return kind >= mkWhiteDropA; }
inline int BoardOfKind(int kind) { return kind == mkMoveA || kind == mkWhiteDropA || kind == mkBlackDropA ? 1 : 2; }

// The next move of a lively game: the board is picked at random (or is
// `onlyBoard`, 1 or 2), a capture or a drop is preferred when there is one;
// no promotion (it would ask).
inline bool PickMove(CKestroGame& g, Lcg& random, LegalMoveEntry& chosen, int onlyBoard = 0) {
  g.GenerateLegalMoves(g.Position);
  std::vector<LegalMoveEntry> byBoard[3];
  for (int i = 0; i < g.LegalMoveCount; ++i) {
    const LegalMoveEntry& e = g.LegalMoves[static_cast<size_t>(i)];
    if (e.promotion == 0) byBoard[BoardOfKind(e.kind)].push_back(e);
  }
  int board = 1 + static_cast<int>(random.Below(2));
  if (onlyBoard != 0)
    board = onlyBoard;
  else if (byBoard[board].empty())
    board = 3 - board;
  const std::vector<LegalMoveEntry>& moves = byBoard[board];
  if (moves.empty()) return false;
  std::vector<LegalMoveEntry> captures, drops;
  for (const LegalMoveEntry& e : moves) {
    if (IsDrop(e.kind))
      drops.push_back(e);
    else if (e.capture)
      captures.push_back(e);
  }
  const uint32_t roll = random.Below(10);
  const std::vector<LegalMoveEntry>& pool =
      !captures.empty() && roll < 6 ? captures : !drops.empty() && roll < 9 ? drops : moves;
  chosen = pool[random.Below(static_cast<uint32_t>(pool.size()))];
  return true;
}

// The move lines of a network game's record (" " + move text each), in order.
inline std::vector<std::string> MoveLines(const std::string& record) {
  std::vector<std::string> lines;
  for (size_t at = record.find("\r\n "); at != std::string::npos; at = record.find("\r\n ", at + 1)) {
    const size_t end = record.find("\r\n", at + 2);
    lines.push_back(record.substr(at + 3, end == std::string::npos ? std::string::npos : end - at - 3));
  }
  return lines;
}

inline std::string HeadOf(const std::string& moveText) { return moveText.substr(0, moveText.find('{')); }

// The window's board picture as a whole drawing of what it shows gives it,
// with the running clocks over it while they are shown.
inline QImage WholeDrawing(TfrmKestrovane& w) {
  CKestroGame look;
  DisplayOf(look).Visual = DisplayOf(*w.Game()).Visual;
  DisplayOf(look).Pieces = DisplayOf(*w.Game()).Pieces;
  for (int seat = 0; seat < 4; ++seat) {
    look.PlayerNames[seat] = w.Game()->PlayerNames[seat];
    look.DisplayNames[seat] = w.Game()->DisplayNames[seat];
  }
  QImage picture = testdisplay::RenderPicture(look, w.ShownPosition());
  const TwoBoardPosition& p = w.Game()->Position;
  if (DisplayOf(look).Visual.ShowPresumptiveTimes == 1)
    DrawRunningClocks(look, picture, p, p.sideToMoveA == 0, p.sideToMoveA != 0, p.sideToMoveB == 0,
                      p.sideToMoveB != 0);
  return picture;
}

class NetWindowsTest : public testdisplay::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    TfrmKestrovane::DateText = FixedDate;
    server_ = NewWindow();
  }
  void TearDown() override {
    clients_.clear();
    server_.reset();
    ProgramFolderTest::TearDown();
  }

  std::unique_ptr<TfrmKestrovane> NewWindow() {
    auto w = std::make_unique<TfrmKestrovane>();
    w->resize(1300, 900);
    w->show();
    return w;
  }

  TfrmKestrovane& Server() { return *server_; }
  TfrmKestrovane& Client(int i) { return *clients_[static_cast<size_t>(i)]; }
  uint16_t Port() { return Session(*server_).ServerPort(); }

  void StartServerAndLogIn(const std::string& name) {
    ASSERT_TRUE(Session(*server_).StartServerOn(0));
    ASSERT_NE(Port(), 0);
    server_->edName->setText(QString::fromStdString(name));
    server_->btnLogin->click();
    ASSERT_EQ(server_->OwnPlayer.name, name);
    ASSERT_EQ(server_->OwnRoles, 7);
  }

  // A new client window joins the server and logs in as `name`.
  void JoinAndLogIn(const std::string& name) {
    clients_.push_back(NewWindow());
    JoinAndLogIn(*clients_.back(), name);
  }

  // A client window, new or back from an earlier session, joins the server
  // and logs in as `name`.
  void JoinAndLogIn(TfrmKestrovane& w, const std::string& name) {
    const int before = Session(*server_).Table().Count();
    w.reNetGameLog->clear();
    Session(w).JoinServer("127.0.0.1", Port());
    ASSERT_TRUE(Wait([&] { return w.reNetGameLog->toPlainText().startsWith("Connected to KVX NetGame Server"); }))
        << w.reNetGameLog->toPlainText().toStdString();
    w.edName->setText(QString::fromStdString(name));
    w.btnLogin->click();
    ASSERT_TRUE(Wait([&] { return Session(*server_).Table().Count() == before + 1 && w.OwnPlayer.name == name; }))
        << w.reNetGameLog->toPlainText().toStdString();
  }

  // Every window, server first, meets the condition within the bound.
  bool WaitAll(const std::function<bool(TfrmKestrovane&)>& condition, int ms = kWaitMs) {
    return Wait(
        [&] {
          if (!condition(*server_)) return false;
          for (auto& c : clients_)
            if (!condition(*c)) return false;
          return true;
        },
        ms);
  }

  // Every window shows these four names on the seats.
  bool AllShowSeats(const std::array<std::string, 4>& names) {
    return WaitAll([&](TfrmKestrovane& w) {
      for (int seat = 0; seat < 4; ++seat)
        if (w.Game()->PlayerNames[seat] != names[static_cast<size_t>(seat)]) return false;
      return true;
    });
  }

  // The next move, picked from the server's game, made with the mouse in the
  // window of the seat that moves; returns when every window has applied it.
  // `head` gets the move's token as the record will show it.
  void PlayOneMove(Lcg& random, const std::array<TfrmKestrovane*, 4>& bySeat, LegalMoveEntry& move,
                   std::string& head) {
    CKestroGame& g = *server_->Game();
    ASSERT_TRUE(PickMove(g, random, move)) << "no move left";
    const int board = BoardOfKind(move.kind);
    const int seat = SeatOf(board, board == 1 ? g.Position.sideToMoveA : g.Position.sideToMoveB);
    head = g.MoveToBpgn(g.Position, move.kind, move.from, move.to, 0, g.PliesA, g.PliesB);
    const int count = g.MoveCount + 1;
    TfrmKestrovane& mover = *bySeat[static_cast<size_t>(seat)];
    ClickSquare(mover, move.kind, move.from);
    ClickSquare(mover, board, move.to);
    ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return w.Game()->MoveCount == count; }))
        << "move " << count << " " << head << " by seat " << seat << ": " << server_->Game()->ErrorLog << Describe();
  }

  // What each window shows, for failure messages.
  std::string Describe() {
    std::string out;
    auto one = [&out](const char* role, TfrmKestrovane& w) {
      out += std::string("--- ") + role + " " + w.OwnPlayer.name + " roles " + std::to_string(w.OwnRoles) + " seats";
      for (int seat = 0; seat < 4; ++seat) out += " " + w.Game()->PlayerNames[seat];
      out += " moves " + std::to_string(w.Game()->MoveCount) + "\n" + w.reNetGameLog->toPlainText().toStdString() + "\n";
    };
    one("server", *server_);
    for (auto& c : clients_) one("client", *c);
    return out;
  }

  // The middle of the cell of (area, index) in the window's picture, found
  // by asking the window's own point-to-square at every cell's middle.
  static QPoint CellPoint(TfrmKestrovane& w, int area, int index) {
    CKestroGame& g = *w.Game();
    const KestrovaneVisualProperties& v = DisplayOf(g).Visual;
    const int c = v.SquareSize + v.DPGraphicBoardLinesNet;
    for (int left : {v.LeftBoardLeft, v.RightBoardLeft}) {
      const int top = left == v.LeftBoardLeft ? v.LeftBoardTop : v.RightBoardTop;
      for (int col = 0; col < 10; ++col)
        for (int row = 0; row < 8; ++row) {
          const QPoint p(left + col * c + c / 2, top + row * c + c / 2);
          const SquareHit hit = PointToSquare(g, p.x(), p.y(), v.SquareSize);
          if (hit.area == area && hit.index == index) return p;
        }
    }
    ADD_FAILURE() << "no cell for area " << area << " index " << index;
    return {};
  }

  static void ClickSquare(TfrmKestrovane& w, int area, int index) {
    const QPoint p = CellPoint(w, area, index);
    QTest::mousePress(w.imgBoard, Qt::LeftButton, {}, p);
    QTest::mouseRelease(w.imgBoard, Qt::LeftButton, {}, p);
  }

  FakeDialogs dialogs_;
  ScopedDialogs scoped_{dialogs_};
  ScopedTickClock ticks_;  // thinking times, lags and running clocks are the test's
  std::unique_ptr<TfrmKestrovane> server_;
  std::vector<std::unique_ptr<TfrmKestrovane>> clients_;
};

}  // namespace nettest
