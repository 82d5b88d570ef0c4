// Speed of the built-in computer player's ChooseMove per strength over a
// fixed set of positions: the start, two middle games with pieces in hand,
// and two positions with full hands. Each run reports the median and worst
// time per move and, at level 700, nodes per second. The program exits 1 when
// a level finds no move in a position or level 700 takes a second or more of
// its thread's own time (other programs on a busy machine do not count).
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engines/core/kestro_engine.h"
#include "game/kestro_game.h"
#include "tests/bench/bench_main.h"
#include "tests/game/boards.h"

namespace {

// Milliseconds of processor time this thread has used.
double ThreadMilliseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1000 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct BoardText {
  const char* ranks;  // rank 8 to rank 1, "." for an empty square
  int side;
  int castling;
  int32_t holding[kSlots];
};

struct Case {
  const char* name;
  BoardText a, b;
};

const Case kCases[] = {
    {"start",
     {"rnbqkbnr/pppppppp/......../......../......../......../PPPPPPPP/RNBQKBNR", 0, 1, {}},
     {"rnbqkbnr/pppppppp/......../......../......../......../PPPPPPPP/RNBQKBNR", 0, 1, {}}},
    {"middle",
     {"r.bq.rk./ppp..ppp/..n..n../...pp.../.b.PP.../..N..N../PPP..PPP/R.BQKB.R", 0, 0, {2, 1, 1, 0, 1, 1, 1, 1, 1, 0}},
     {"r..qk..r/ppp..ppp/..np.n../....p.../..B.P.b./..NP.N../PPP..PPP/R..QK..R", 0, 1, {1, 1, 1, 1, 0, 2, 0, 1, 0, 1}}},
    {"attack",
     {"r....rk./pp.n.pNp/..p.pPp./q......./...P..../..PB.N../P....PPP/R..Q.RK.", 0, 0, {3, 0, 2, 1, 0, 2, 1, 0, 0, 1}},
     {"..kr...r/ppp..p.p/..n.bPp./....N.../...q..../..N...../PPP..PPP/R..QR.K.", 0, 0, {0, 1, 1, 0, 1, 3, 1, 2, 1, 0}}},
    {"full hands",
     {"......k./.....ppp/......../......../......../......../.....PPP/......K.", 0, 0, {3, 2, 2, 2, 1, 3, 2, 2, 2, 1}},
     {"r...k..r/......../......../......../......../......../......../R...K..R", 0, 1, {3, 2, 2, 2, 1, 3, 2, 2, 2, 1}}},
    {"kings and armies in hand",
     {"....k.../......../......../......../......../......../......../....K...", 0, 0, {8, 2, 2, 2, 1, 8, 2, 2, 2, 1}},
     {"....k.../......../......../......../......../......../......../....K...", 0, 0, {8, 2, 2, 2, 1, 8, 2, 2, 2, 1}}},
};

void WriteBoard(TwoBoardPosition& p, int board, const BoardText& text) {
  Fill(p, board, text.ranks);
  BoardRef r = BoardOf(p, board);
  *r.sideToMove = text.side;
  for (int i = 0; i < 4; ++i) r.castling[i] = text.castling;
  for (int i = 0; i < kSlots; ++i) r.holdings[i] = text.holding[i];
}

TwoBoardPosition PositionOf(const Case& c) {
  TwoBoardPosition p = Pieces("", "");
  WriteBoard(p, 1, c.a);
  WriteBoard(p, 2, c.b);
  for (int seat = 0; seat < 4; ++seat) p.clock[seat] = p.runningClock[seat] = 120000;
  p.lastMoverSeat = seatBlackA;  // WhiteA is next in the search's rotation
  CKestroGame game;
  game.ComputeAttackMaps(p, 1);
  game.ComputeAttackMaps(p, 2);
  return p;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

// One ChooseMove per position per iteration, the engine playing WhiteA.
void BM_ChooseMove(benchmark::State& state) {
  const int level = static_cast<int>(state.range(0));
  std::vector<std::unique_ptr<TwoBoardPosition>> positions;
  for (const Case& c : kCases) positions.push_back(std::make_unique<TwoBoardPosition>(PositionOf(c)));
  auto engine = std::make_unique<CKestroEngine>(*positions[0], 1, 0, 0, 0);
  engine->Level = level;
  engine->Seed(1);
  std::vector<double> times;
  double worstOwn = 0;
  int64_t nodes = 0;
  double searchSeconds = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < positions.size(); ++i) {
      EngineResultMove move;
      EngineStatus status;
      std::string tell;
      const auto start = std::chrono::steady_clock::now();
      const double ownStart = ThreadMilliseconds();
      engine->ChooseMove(move, *positions[i], status, tell);
      worstOwn = std::max(worstOwn, ThreadMilliseconds() - ownStart);
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      times.push_back(seconds * 1000);
      nodes += engine->NodeCounter;
      searchSeconds += seconds;
      if (move.kind == 0) {
        bench::Fail();
        state.SkipWithError((std::string("no move in ") + kCases[i].name).c_str());
        return;
      }
    }
  }
  const double worst = *std::max_element(times.begin(), times.end());
  state.counters["median_ms"] = Median(times);
  state.counters["worst_ms"] = worst;
  if (level == elSearch) {
    state.counters["nodes/s"] = searchSeconds > 0 ? static_cast<double>(nodes) / searchSeconds : 0;
    state.counters["worst_thread_ms"] = worstOwn;
    if (worstOwn >= 1000) {
      bench::Fail();
      state.SkipWithError("level 700 took a second or more");
    }
  }
}
BENCHMARK(BM_ChooseMove)->Arg(elRandom)->Arg(elRules)->Arg(elKingSafety)->Arg(elSearch)->Unit(benchmark::kMillisecond);

// Level 700 per position: time, nodes and the depth the node limit allowed.
void BM_SearchPosition(benchmark::State& state) {
  const Case& c = kCases[state.range(0)];
  auto p = std::make_unique<TwoBoardPosition>(PositionOf(c));
  auto engine = std::make_unique<CKestroEngine>(*p, 1, 0, 0, 0);
  engine->Level = elSearch;
  int64_t nodes = 0;
  for (auto _ : state) {
    EngineResultMove move;
    EngineStatus status;
    std::string tell;
    engine->ChooseMove(move, *p, status, tell);
    nodes += engine->NodeCounter;
  }
  state.counters["nodes/s"] = benchmark::Counter(static_cast<double>(nodes), benchmark::Counter::kIsRate);
  state.counters["depth"] = engine->SearchDepthReached;
  state.SetLabel(c.name);
}
BENCHMARK(BM_SearchPosition)->DenseRange(0, static_cast<int>(std::size(kCases)) - 1)->Unit(benchmark::kMillisecond);

}  // namespace
