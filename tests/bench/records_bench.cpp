// Speed of game files: 10,000 generated bughouse games are cut out of one file
// text, each is loaded into a game object and replayed to every move in turn.
// The aim is 20,000 games per second on one core; the run reports the rate and
// checks nothing against it. Before timing, every game is loaded and replayed
// once and its final position compared with the one the generator reached; the
// program exits 1 when any game differs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
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

// Going through every game of a converted PGN file (board A only, so every
// game lacks "1B." and is noted in the walk's log): each game is cut out,
// loaded and replayed to its last move; the log is read once at the end. The
// time per game must not grow with the file: 10,000 and 100,000 games.
// The file is generated and converted before timing.
CBpgn& PgnFile(int games) {
  static std::map<int, CBpgn> files;
  auto it = files.find(games);
  if (it == files.end()) {
    const Corpus c = benchgen::MakePgnCorpus(games, 1000, 20260103);
    it = files.emplace(games, CBpgn::FromText(c.text, "bench.pgn")).first;
    // Each distinct game once against what the generator reached.
    CBpgn file = it->second;
    for (int n = 1; n <= std::min(games, 1000); ++n) {
      CKestroGame game(file.GetGame(n), 1);
      TwoBoardPosition p;
      game.GetPositionAtMove(p, game.MoveCount);
      const size_t i = static_cast<size_t>(n - 1);
      if (game.LoadFailed || game.MoveCount != c.moveCounts[i] || CKestroGame::PositionToBfen(p) != c.finals[i]) {
        std::fprintf(stderr, "records_bench: PGN game %d: failed=%d moves=%d of %d\n  errors %s\n", n,
                     game.LoadFailed, game.MoveCount, c.moveCounts[i], game.ErrorLog.c_str());
        std::exit(1);
      }
    }
  }
  return it->second;
}

void BM_WalkConvertedPgn(benchmark::State& state) {
  const int games = static_cast<int>(state.range(0));
  CBpgn& file = PgnFile(games);
  if (file.GameCount() != games) {
    state.SkipWithError("the PGN file holds another number of games");
    return;
  }
  int64_t walked = 0;
  for (auto _ : state) {
    for (int n = 1; n <= games; ++n) {
      CKestroGame game(file.GetGame(n), 1);
      TwoBoardPosition p;
      game.GetPositionAtMove(p, game.MoveCount);
      benchmark::DoNotOptimize(p);
    }
    benchmark::DoNotOptimize(file.Log().size());
    walked += games;
  }
  state.SetComplexityN(games);
  state.counters["games/s"] = benchmark::Counter(static_cast<double>(walked), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WalkConvertedPgn)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

const bool kCorpusChecked = bench::AddCheck(CheckCorpus);

}  // namespace
