// Speed of game files: 10,000 generated bughouse games are cut out of one file
// text, each is loaded into a game object and replayed to every move in turn.
// The aim is 20,000 games per second on one core; the run reports the rate and
// checks nothing against it. Before timing, every game is loaded and replayed
// once and its final position compared with the one the generator reached; the
// program exits 1 when any game differs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "game/bpgn_file.h"
#include "game/kestro_game.h"

namespace {

constexpr int kGames = 10000;

struct Corpus {
  std::string text;              // the whole file
  std::vector<int> moveCounts;   // per game
  std::vector<std::string> finals;  // BFEN after the last move, per game
  int64_t moves = 0;
};

// Index of a random entry among the listed ones of `board` (1 A, 2 B), drops
// picked a quarter of the time when there are any; -1 when the board has none.
int PickEntry(const CKestroGame& game, const TwoBoardPosition& p, int board, std::mt19937& rng) {
  const int begin = board == 1 ? 0 : game.LegalMoveCountA;
  const int end = board == 1 ? game.LegalMoveCountA : game.LegalMoveCount;
  const int32_t* squares = board == 1 ? p.boardA : p.boardB;
  std::vector<int> moves, drops;
  for (int i = begin; i < end; ++i) {
    const LegalMoveEntry& m = game.LegalMoves[static_cast<size_t>(i)];
    if (TypeOf(squares[m.to]) == ptKing) continue;  // never take a king
    (m.kind >= mkWhiteDropA ? drops : moves).push_back(i);
  }
  const bool drop = !drops.empty() && (moves.empty() || rng() % 4 == 0);
  const std::vector<int>& from = drop ? drops : moves;
  return from.empty() ? -1 : from[rng() % from.size()];
}

// One game: tags, then 40 to 80 moves picked from the legal-move list and
// played on a position, so that every move of the record is legal.
void AppendGame(int number, std::mt19937& rng, Corpus& corpus) {
  CKestroGame game;
  TwoBoardPosition p;
  game.SetupStandardPosition(p);
  const std::string name = std::to_string(number);
  corpus.text += "[Event \"Bughouse bench " + name + "\"]\r\n[Site \"Kestrovane\"]\r\n[Date \"2026.01.02\"]\r\n"
                 "[WhiteA \"Ann" + name + "\"][WhiteAElo \"1500\"]\r\n[BlackA \"Bob\"]\r\n[WhiteB \"Cid\"]\r\n"
                 "[BlackB \"Dee\"]\r\n[TimeControl \"180+0\"]\r\n[Result \"*\"]\r\n\r\n";
  int plies[2] = {0, 0};
  int clocks[4] = {180, 180, 180, 180};
  const int target = 40 + static_cast<int>(rng() % 41);
  int played = 0;
  for (; played < target; ++played) {
    game.GenerateLegalMoves(p);
    // Both boards' first moves come first, so the game holds "1A." and "1B.".
    int board = played < 2 ? played + 1 : 1 + static_cast<int>(rng() % 2);
    int pick = PickEntry(game, p, board, rng);
    if (pick < 0 && played >= 2) pick = PickEntry(game, p, board = 3 - board, rng);
    if (pick < 0) break;
    const LegalMoveEntry m = game.LegalMoves[static_cast<size_t>(pick)];
    const int seat = SeatOf(board, board == 1 ? p.sideToMoveA : p.sideToMoveB);
    clocks[seat] = std::max(1, clocks[seat] - static_cast<int>(rng() % 4));
    BpgnMove move;
    move.token = game.MoveToBpgn(p, m.kind, m.from, m.to, m.promotion, plies[0], plies[1]) + "{" +
                 std::to_string(clocks[seat]) + "}";
    if (game.PlayMove(move, p) != 1) {
      std::fprintf(stderr, "records_bench: game %d: the generator's move %s was refused:%s\n", number,
                   move.token.c_str(), game.ErrorLog.c_str());
      std::exit(1);
    }
    ++plies[board - 1];
    corpus.text += move.token;
    corpus.text += played % 8 == 7 ? "\r\n" : " ";
  }
  corpus.text += "{Bench game over} *\r\n\r\n";
  corpus.moveCounts.push_back(played);
  corpus.finals.push_back(CKestroGame::PositionToBfen(p));
  corpus.moves += played;
}

const Corpus& TheCorpus() {
  static const Corpus corpus = [] {
    Corpus c;
    std::mt19937 rng(20260102);
    c.text.reserve(static_cast<size_t>(kGames) * 1200);
    for (int g = 1; g <= kGames; ++g) AppendGame(g, rng, c);
    return c;
  }();
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

// After the file was cut once, fetching any game costs the same.
void BM_GetGame(benchmark::State& state) {
  CBpgn file = CBpgn::FromText(TheCorpus().text, "bench.bpgn");
  const int n = static_cast<int>(state.range(0));
  benchmark::DoNotOptimize(file.GetGame(n));
  for (auto _ : state) benchmark::DoNotOptimize(file.GetGame(n));
}
BENCHMARK(BM_GetGame)->Arg(1)->Arg(5000)->Arg(kGames);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!CheckCorpus()) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
