// Speed of game files: 10,000 generated bughouse games are cut out of one file
// text, each is loaded into a game object and replayed to every move in turn.
// The aim is 20,000 games per second on one core; the run reports the rate and
// checks nothing against it. Before timing, every game is loaded and replayed
// once and its final position compared with the one the generator reached; the
// program exits 1 when any game differs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/bpgn_file.h"
#include "game/kestro_game.h"
#include "tests/bench/bench_main.h"
#include "tests/bench/game_generator.h"

namespace {

using benchgen::Corpus;

constexpr int kGames = 10000;

const Corpus& TheCorpus() {
  static const Corpus corpus = benchgen::MakeCorpus(kGames, 20260102);
  return corpus;
}

// Loads and replays every game once; false (with a message) on the first difference.
bool CheckCorpus() {
  const Corpus& c = TheCorpus();
  CBpgn file = CBpgn::FromText(c.text, "bench.bpgn");
  if (file.GameCount() != kGames) {
    std::fprintf(stderr, "records_bench: the file holds %d games, not %d\n", file.GameCount(), kGames);
    return false;
  }
  for (int n = 1; n <= kGames; ++n) {
    CKestroGame game(file.GetGame(n), 1);
    TwoBoardPosition p;
    game.GetPositionAtMove(p, game.MoveCount);
    const size_t i = static_cast<size_t>(n - 1);
    const std::string final = CKestroGame::PositionToBfen(p);
    if (game.LoadFailed || game.MoveCount != c.moveCounts[i] || final != c.finals[i]) {
      std::fprintf(stderr, "records_bench: game %d: failed=%d moves=%d of %d\n  %s\n  expected %s\n  errors %s\n", n,
                   game.LoadFailed, game.MoveCount, c.moveCounts[i], final.c_str(), c.finals[i].c_str(),
                   game.ErrorLog.c_str());
      return false;
    }
  }
  return true;
}

void BM_LoadAndReplayGames(benchmark::State& state) {
  const Corpus& c = TheCorpus();
  int64_t games = 0, moves = 0;
  for (auto _ : state) {
    CBpgn file = CBpgn::FromText(c.text, "bench.bpgn");
    const int count = file.GameCount();
    for (int n = 1; n <= count; ++n) {
      CKestroGame game(file.GetGame(n), 1);
      TwoBoardPosition p;
      for (int k = 0; k <= game.MoveCount; ++k) game.GetPositionAtMove(p, k);
      benchmark::DoNotOptimize(p);
      moves += game.MoveCount;
    }
    games += count;
  }
  state.counters["games/s"] = benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
  state.counters["moves/s"] = benchmark::Counter(static_cast<double>(moves), benchmark::Counter::kIsRate);
  state.counters["MB"] = static_cast<double>(c.text.size()) / 1e6;
}
BENCHMARK(BM_LoadAndReplayGames)->Unit(benchmark::kMillisecond);

// Loading alone, for the share of the replay in the whole.
void BM_LoadOnly(benchmark::State& state) {
  const Corpus& c = TheCorpus();
  for (auto _ : state) {
    CBpgn file = CBpgn::FromText(c.text, "bench.bpgn");
    const int count = file.GameCount();
    for (int n = 1; n <= count; ++n) {
      CKestroGame game(file.GetGame(n), 1);
      benchmark::DoNotOptimize(game.MoveCount);
    }
  }
}
BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMillisecond);

// Attack maps of one board, over 128 positions taken from the first 200 games
// (few enough to stay in the processor's cache).
void BM_AttackMaps(benchmark::State& state) {
  const Corpus& c = TheCorpus();
  CBpgn file = CBpgn::FromText(c.text, "bench.bpgn");
  std::vector<TwoBoardPosition> positions;
  for (int n = 1; n <= 200; ++n) {
    CKestroGame game(file.GetGame(n), 1);
    TwoBoardPosition p;
    for (int k = 0; k <= game.MoveCount; ++k) {
      game.GetPositionAtMove(p, k);
      if ((n * 31 + k) % 97 == 0 && positions.size() < 128) positions.push_back(p);
    }
  }
  CKestroGame game;
  int64_t maps = 0;
  for (auto _ : state) {
    for (TwoBoardPosition& p : positions) {
      game.ComputeAttackMaps(p, 1);
      benchmark::DoNotOptimize(p);
    }
    maps += static_cast<int64_t>(positions.size());
  }
  state.counters["maps/s"] = benchmark::Counter(static_cast<double>(maps), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AttackMaps);

// After the file was cut once, fetching any game costs the same.
void BM_GetGame(benchmark::State& state) {
  CBpgn file = CBpgn::FromText(TheCorpus().text, "bench.bpgn");
  const int n = static_cast<int>(state.range(0));
  benchmark::DoNotOptimize(file.GetGame(n));
  for (auto _ : state) benchmark::DoNotOptimize(file.GetGame(n));
}
BENCHMARK(BM_GetGame)->Arg(1)->Arg(5000)->Arg(kGames);

const bool kCorpusChecked = bench::AddCheck(CheckCorpus);

}  // namespace
