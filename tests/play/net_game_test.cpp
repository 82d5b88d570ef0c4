// The network game over loopback with real sockets: one server window and
// three client windows log in, take the four seats and play a game with the
// mouse, each move made by the window whose seat moves.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
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

using nettest::NetWindowsTest;
using nettest::Session;
using nettest::Wait;

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

bool IsDrop(int kind) { return kind >= mkWhiteDropA; }
int BoardOfKind(int kind) { return kind == mkMoveA || kind == mkWhiteDropA || kind == mkBlackDropA ? 1 : 2; }

// The next move of a lively game: the board is picked at random, a capture
// or a drop is preferred when there is one; no promotion (it would ask).
bool PickMove(CKestroGame& g, Lcg& random, LegalMoveEntry& chosen) {
  g.GenerateLegalMoves(g.Position);
  std::vector<LegalMoveEntry> byBoard[3];
  for (int i = 0; i < g.LegalMoveCount; ++i) {
    const LegalMoveEntry& e = g.LegalMoves[static_cast<size_t>(i)];
    if (e.promotion == 0) byBoard[BoardOfKind(e.kind)].push_back(e);
  }
  int board = 1 + static_cast<int>(random.Below(2));
  if (byBoard[board].empty()) board = 3 - board;
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

class NetGameTest : public NetWindowsTest {};

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
  const std::array<std::string, 4> seated = {"Ann", "Bob", "Cid", "Cid"};
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) {
    for (int seat = 0; seat < 4; ++seat)
      if (w.Game()->PlayerNames[seat] != seated[static_cast<size_t>(seat)]) return false;
    return true;
  })) << Describe();
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
  for (int n = 0; n < kMoves; ++n) {
    LegalMoveEntry move;
    ASSERT_TRUE(PickMove(*Server().Game(), random, move)) << "no move left after " << n;
    const int board = BoardOfKind(move.kind);
    const TwoBoardPosition& p = Server().Game()->Position;
    const int seat = SeatOf(board, board == 1 ? p.sideToMoveA : p.sideToMoveB);
    TfrmKestrovane& mover = *bySeat[static_cast<size_t>(seat)];
    ClickSquare(mover, move.kind, move.from);
    ClickSquare(mover, board, move.to);
    (IsDrop(move.kind) ? drops : captures)[board] += IsDrop(move.kind) || move.capture ? 1 : 0;
    ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return w.Game()->MoveCount == n + 1; }))
        << "move " << n + 1 << " by seat " << seat << ": " << Server().Game()->ErrorLog << Describe();
  }
  EXPECT_GE(captures[1], 3);
  EXPECT_GE(captures[2], 3);
  EXPECT_GE(drops[1], 2);
  EXPECT_GE(drops[2], 2);

  // The same record, positions and clocks everywhere.
  const std::string record = Server().RecordPane().Text();
  const TwoBoardPosition& sp = Server().Game()->Position;
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
  // Every move of the record carries the server's T and L.
  const std::string moves = record.substr(header.size() - std::string("\r\n{*} *").size());
  size_t lines = 0, stamped = 0;
  for (size_t at = moves.find("\r\n "); at != std::string::npos; at = moves.find("\r\n ", at + 1)) {
    ++lines;
    const size_t end = moves.find("\r\n", at + 2);
    const std::string line = moves.substr(at + 2, end - at - 2);
    const size_t c = line.find("{C:[T:"), l = line.find("][L:");
    if (c != std::string::npos && l != std::string::npos && c < l && line.back() == '}') ++stamped;
    else ADD_FAILURE() << line;
  }
  EXPECT_EQ(lines, static_cast<size_t>(kMoves));
  EXPECT_EQ(stamped, static_cast<size_t>(kMoves));
  EXPECT_NE(moves.find(" T=Thinking time per move in miliseconds L=lag per move in ms"), std::string::npos);
}

}  // namespace
