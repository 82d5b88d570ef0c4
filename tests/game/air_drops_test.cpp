#include <gtest/gtest.h>

#include "game/air_drops.h"
#include "game/kestro_game.h"

namespace {

struct Rec {
  const char* token;
  int board, captured, dropped;
};

AirDropOutcome Order(const std::vector<Rec>& r) {
  return FindAirDropOrder(
      r, static_cast<int>(r.size()), [](const Rec& m) { return m.board; }, [](const Rec& m) { return m.captured; },
      [](const Rec& m) { return m.dropped; });
}

std::string Tokens(const std::vector<Rec>& r, const std::vector<int>& order) {
  std::string s;
  for (int i : order) s += std::string(s.empty() ? "" : " ") + r[static_cast<size_t>(i)].token;
  return s;
}

}  // namespace

TEST(AirDrops, MovesTheSupplyingCaptureInFrontOfTheDrop) {
  const std::vector<Rec> r = {{"5A.N@g5", 1, 0, pcWKnight}, {"5B.0-0", 2, 0, 0},        {"5a.Be7", 1, 0, 0},
                              {"5b.f6", 2, 0, 0},           {"6B.Nxf6", 2, pcBPawn, 0}, {"6A.h4", 1, 0, 0},
                              {"6b.gxf6", 2, pcWKnight, 0}, {"7B.Bxf6", 2, pcBPawn, 0}};
  AirDropOutcome out = Order(r);
  ASSERT_EQ(out.kind, AirDropOutcome::Ok);
  EXPECT_EQ(out.fixes, 1);
  EXPECT_EQ(Tokens(r, out.order), "5B.0-0 5b.f6 6B.Nxf6 6b.gxf6 5A.N@g5 5a.Be7 6A.h4 7B.Bxf6");
}

TEST(AirDrops, FailuresAndRepeatedFixes) {
  // Nothing on the partner board ever takes a knight.
  const std::vector<Rec> missing = {{"3A.N@f3", 1, 0, pcWKnight}, {"3B.exd5", 2, pcBPawn, 0}};
  EXPECT_EQ(Order(missing).kind, AirDropOutcome::MissingSupplier);
  // A pawn taken on B supplies A; two air drops need two fixes.
  const std::vector<Rec> two = {{"4a.P@e3", 1, 0, pcBPawn}, {"4A.P@d6", 1, 0, pcWPawn},
                                {"4B.dxe5", 2, pcBPawn, 0}, {"4b.dxe4", 2, pcWPawn, 0}};
  // Black's pawn on A comes from a black pawn taken on B (WhiteB took it).
  AirDropOutcome out = Order(two);
  ASSERT_EQ(out.kind, AirDropOutcome::Ok);
  EXPECT_EQ(out.fixes, 2);
  EXPECT_EQ(Tokens(two, out.order), "4B.dxe5 4a.P@e3 4b.dxe4 4A.P@d6");
  // A pass limit ends an endless search.
  EXPECT_EQ(FindAirDropOrder(
                two, 4, [](const Rec& m) { return m.board; }, [](const Rec& m) { return m.captured; },
                [](const Rec& m) { return m.dropped; }, 1)
                .kind,
            AirDropOutcome::PassLimit);
}

TEST(AirDrops, GameRecordIsReorderedAndItsTextRebuilt) {
  CKestroGame g;
  std::vector<BpgnMove> moves(3);
  moves[0].token = "1A.e4{180}";
  moves[0].board = 1;
  moves[1].token = "1a.P@e5{179}";
  moves[1].board = 1;
  moves[1].dropped = pcBPawn;
  moves[2].token = "1B.d4{180}{ok}";
  moves[2].board = 2;
  moves[2].captured = pcBPawn;
  std::string text = "unchanged";
  g.ErrorLog = "log:";
  ASSERT_EQ(g.RemoveAirDrops(3, moves, text), 1);
  EXPECT_EQ(text, "1A.e4 {180}1B.d4 {180}{ok}1a.P@e5 {179}");
  EXPECT_EQ(moves[1].token, "1B.d4{180}{ok}");
  EXPECT_EQ(moves[2].serial, 3);
  EXPECT_EQ(g.ErrorLog, "log:1,");

  moves[2].captured = 0;
  moves[1].captured = 0;
  text = "kept";
  ASSERT_EQ(g.RemoveAirDrops(3, moves, text), 0);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(g.ErrorLog, "log:1,\r\nErrA=Founded AirDrop for which no later played move on partners board taked such "
                        "piece.ErrA,");
}
