// Speed of the repair run: one generated file of 10,000 bughouse games with
// mixed damage (air drops, refused moves, time-stamp comments, one-board
// games, unreadable result comments, duplicates) is repaired whole. The aim
// is under 2 seconds per run. Before timing, the run's counters are checked
// against what the generator made; the program exits 1 when they differ.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

#include "tests/bench/bench_main.h"
#include "tools/core/repair_driver.h"

namespace {

constexpr int kGames = 10000;

struct Corpus {
  std::string text;
  int clean = 0, refused = 0, duplicates = 0;
};

// Knights out and back on both boards, `rounds` times, with random clocks so
// that games differ.
std::string Shuffles(std::mt19937& rng, int firstNumber, int rounds) {
  std::string s;
  auto clock = [&] { return "{" + std::to_string(1 + rng() % 180) + "} "; };
  for (int r = 0; r < rounds; ++r) {
    const std::string n = std::to_string(firstNumber + r);
    const bool out = r % 2 == 0;
    s += n + (out ? "A.Nf3" : "A.Ng1") + clock() + n + (out ? "B.Nc3" : "B.Nb1") + clock();
    s += n + (out ? "a.Nf6" : "a.Ng8") + clock() + n + (out ? "b.Nc6" : "b.Nb8") + clock();
    if (r % 3 == 2) s += "\r\n";
  }
  return s;
}

std::string Tags(int i) {
  return "[Event \"Bench night " + std::to_string(i) + "\"]\r\n[Site \"Kestro club\"]\r\n[WhiteA \"Alpha\"]"
         "[BlackA \"Bravo\"][WhiteB \"Carol\"][BlackB \"Delta\"]\r\n[Result \"0-1\"]\r\n\r\n";
}

Corpus MakeCorpus() {
  Corpus c;
  std::mt19937 rng(2026);
  std::vector<std::string> cleanMoves;
  for (int i = 0; i < kGames; ++i) {
    const int rounds = 4 + static_cast<int>(rng() % 28);
    std::string moves;
    switch (i % 20) {
      case 12: case 13: case 14:  // an air drop, supplied three moves later
        moves = "1A.e4{180} 1B.e4{180} 1a.e5{179} 1b.d5{179} 2A.Nf3{178} 2a.P@d4{177}\r\n"
                "2B.exd5{177} 2b.Qxd5{176} 3A.Nxd4{176} " + Shuffles(rng, 4, rounds) + "{White B resigns} 0-1";
        ++c.clean;
        break;
      case 15:  // a move no piece can make
        moves = "1A.e4{180} 1B.e4{180} " + Shuffles(rng, 2, rounds) + "9a.Ke5{100} 1-0";
        ++c.refused;
        break;
      case 16:  // time stamps
        moves = "1A.e4{180}{C:[T:5300][L:120]} 1B.e4{180} " + Shuffles(rng, 2, rounds) + "*";
        ++c.refused;
        break;
      case 17:  // one board only
        moves = "1A.e4{180} 1a.e5{179} *";
        ++c.refused;
        break;
      case 18:  // the moves of an earlier game again
        moves = cleanMoves[rng() % cleanMoves.size()];
        ++c.duplicates;
        break;
      case 19:  // a result comment with a full stop
        moves = "1A.e4{180} 1B.e4{180} " + Shuffles(rng, 2, rounds) + "{Game drawn by agreement.} 1/2-1/2";
        ++c.refused;
        break;
      default:
        moves = "1A.e4{180} 1B.e4{180} 1a.e5{179} 1b.e5{179} " + Shuffles(rng, 2, rounds) + "{Black A checkmated} 1-0";
        cleanMoves.push_back(moves);
        ++c.clean;
    }
    c.text += Tags(i) + moves + "\r\n\r\n";
  }
  return c;
}

const Corpus& TheCorpus() {
  static const Corpus c = MakeCorpus();
  return c;
}

void BM_RepairFile(benchmark::State& state) {
  const Corpus& c = TheCorpus();
  for (auto _ : state) {
    repair::RepairResult r = repair::RepairBpgn(c.text, repair::RepairOptions{});
    benchmark::DoNotOptimize(r.bpgn2.data());
  }
  state.counters["games/s"] =
      benchmark::Counter(static_cast<double>(kGames) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["MB"] = static_cast<double>(c.text.size()) / 1e6;
}
BENCHMARK(BM_RepairFile)->Unit(benchmark::kMillisecond);

// The run's counters must match what the generator made.
bool CheckCounters() {
  const Corpus& c = TheCorpus();
  const repair::RepairResult r = repair::RepairBpgn(c.text, repair::RepairOptions{});
  if (r.games == kGames && r.written == c.clean && r.errors == c.refused && r.duplicates == c.duplicates) return true;
  std::fprintf(stderr, "repair_bench: counters differ: %s (expected written %d, errors %d, duplicates %d)\n",
               r.summary.c_str(), c.clean, c.refused, c.duplicates);
  return false;
}
const bool kCountersChecked = bench::AddCheck(CheckCounters);

}  // namespace
