// Speed of the rules on bughouse middle games with full hands on both boards.
// The legal-move list aims at 20 million entries per second; the run reports
// the rate and checks nothing against it. The program exits 1 when a position
// lists no moves or a move token is refused, so a quick run proves it works.
#include <benchmark/benchmark.h>

#include <cctype>
#include <iterator>
#include <string>

#include "game/kestro_game.h"
#include "tests/bench/bench_main.h"

namespace {

struct BoardText {
  const char* ranks;  // rank 8 to rank 1, a digit for a run of empty squares
  int side;           // 0 white, 1 black to move
  int castling;       // every right 1 or 0
  int32_t holding[kSlots];
};

struct Game {
  BoardText a, b;
};

// Hands: white pawn, bishop, knight, rook, queen, then the same for black.
const Game kGames[] = {
    {{"r1bq1rk1/ppp2ppp/2n2n2/3pp3/1b1PP3/2N2N2/PPP2PPP/R1BQKB1R", 0, 0, {2, 1, 1, 0, 1, 1, 1, 1, 1, 0}},
     {"r2qk2r/ppp2ppp/2np1n2/4p3/2B1P1b1/2NP1N2/PPP2PPP/R2QK2R", 1, 1, {1, 1, 1, 1, 0, 2, 0, 1, 0, 1}}},
    {{"r4rk1/pp1n1pNp/2p1pPp1/q7/3P4/2PB1N2/P4PPP/R2Q1RK1", 0, 0, {3, 0, 2, 1, 0, 2, 1, 0, 0, 1}},
     {"2kr3r/ppp2p1p/2n1bPp1/4N3/3q4/2N5/PPP2PPP/R2QR1K1", 1, 0, {0, 1, 1, 0, 1, 3, 1, 2, 1, 0}}},
    {{"6k1/5ppp/8/8/8/8/5PPP/6K1", 0, 0, {3, 2, 2, 2, 1, 3, 2, 2, 2, 1}},
     {"r3k2r/8/8/8/8/8/8/R3K2R", 1, 1, {3, 2, 2, 2, 1, 3, 2, 2, 2, 1}}},
};

void WriteBoard(TwoBoardPosition& p, int board, const BoardText& text) {
  BoardRef r = BoardOf(p, board);
  for (int square = 0; square < kSquares; ++square) r.squares[square] = pcBorder;
  int rank = 7, file = 0;
  for (const char* c = text.ranks; *c; ++c) {
    if (*c == '/') {
      --rank;
      file = 0;
    } else if (std::isdigit(static_cast<unsigned char>(*c))) {
      for (int n = *c - '0'; n > 0; --n) r.squares[SquareOf(file++, rank)] = pcEmpty;
    } else {
      const int code = static_cast<int>(std::string(kPieceLetters).find(*c));
      r.squares[SquareOf(file, rank)] = code;
      if (code == pcWKing) r.kingSquare[0] = SquareOf(file, rank);
      if (code == pcBKing) r.kingSquare[1] = SquareOf(file, rank);
      ++file;
    }
  }
  *r.sideToMove = text.side;
  for (int i = 0; i < 4; ++i) r.castling[i] = text.castling;
  for (int i = 0; i < kSlots; ++i) r.holdings[i] = text.holding[i];
}

TwoBoardPosition PositionOf(const Game& g) {
  TwoBoardPosition p;
  WriteBoard(p, 1, g.a);
  WriteBoard(p, 2, g.b);
  for (int seat = 0; seat < 4; ++seat) p.clock[seat] = p.runningClock[seat] = 120000;
  return p;
}

void Fail(benchmark::State& state, const std::string& why) {
  bench::Fail();
  state.SkipWithError(why.c_str());
}

void BM_GenerateLegalMoves(benchmark::State& state) {
  const Game& g = kGames[state.range(0)];
  CKestroGame game;
  TwoBoardPosition p = PositionOf(g);
  game.GenerateLegalMoves(p);
  if (game.LegalMoveCount <= 0) return Fail(state, "no legal moves listed");
  int64_t entries = 0;
  for (auto _ : state) {
    game.GenerateLegalMoves(p);
    entries += game.LegalMoveCount;
  }
  state.counters["entries/s"] = benchmark::Counter(static_cast<double>(entries), benchmark::Counter::kIsRate);
  state.counters["entries"] = game.LegalMoveCount;
}
BENCHMARK(BM_GenerateLegalMoves)->DenseRange(0, 2);

struct MoveCase {
  int game;
  const char* token;
};
// A piece capture found by search, a pawn capture, a drop, and castling.
const MoveCase kMoves[] = {
    {0, "9A.Nxe5{150}"},
    {0, "9A.dxe5{150}"},
    {1, "14A.N@e5{120}"},
    {2, "20b.O-O{60}"},
};

void BM_PlayMove(benchmark::State& state) {
  const MoveCase& m = kMoves[state.range(0)];
  CKestroGame game;
  const TwoBoardPosition start = PositionOf(kGames[m.game]);
  BpgnMove move;
  {
    TwoBoardPosition p = start;
    move.token = m.token;
    if (game.PlayMove(move, p, HandCheck::Lenient) != 1) return Fail(state, std::string("refused ") + m.token);
  }
  for (auto _ : state) {
    TwoBoardPosition p = start;
    move.token = m.token;
    benchmark::DoNotOptimize(game.PlayMove(move, p, HandCheck::Lenient));
    benchmark::ClobberMemory();
  }
  state.SetLabel(m.token);
}
BENCHMARK(BM_PlayMove)->DenseRange(0, static_cast<int>(std::size(kMoves)) - 1);

}  // namespace
