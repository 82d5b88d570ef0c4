// Seeded matches of the built-in computer player: each level against level
// 100 on both boards, one engine per seat, seats moving in the rotation
// WhiteA, WhiteB, BlackB, BlackA. Every chosen move is played by the game
// model with the strict hand check. Exits 1 when a move is refused or, with
// --require-wins, when a level does not win more games by mate than it loses.
//
// engine_match [games] [seed] [--require-wins] [--nodes=N (level-700 node limit)] [--level=L]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engines/core/kestro_engine.h"
#include "game/kestro_game.h"

namespace {

constexpr int kMaxPlies = 600;

struct Tally {
  int wins = 0, losses = 0, unfinished = 0, refused = 0;
  long plies = 0;
};

int PreviousSeat(int seat) {
  switch (seat) {
    case seatWhiteA: return seatBlackA;
    case seatWhiteB: return seatWhiteA;
    case seatBlackB: return seatWhiteB;
    default: return seatBlackB;
  }
}

// One game; the tested level plays WhiteA and BlackB, or BlackA and WhiteB.
void PlayGame(int level, bool testedIsWhiteA, uint32_t seed, int64_t nodeLimit, Tally& tally) {
  CKestroGame game;
  auto p = std::make_unique<TwoBoardPosition>();
  game.SetupStandardPosition(*p);
  game.ComputeAttackMaps(*p, 1);
  game.ComputeAttackMaps(*p, 2);
  p->lastMoverSeat = seatBlackA;  // WhiteA moves first
  auto tested = [&](int seat) { return (seat == seatWhiteA || seat == seatBlackB) == testedIsWhiteA; };
  std::unique_ptr<CKestroEngine> engines[4];
  for (int seat = 0; seat < 4; ++seat) {
    engines[seat] = std::make_unique<CKestroEngine>(*p, seat == 0, seat == 1, seat == 2, seat == 3);
    engines[seat]->Level = tested(seat) ? level : elRandom;
    engines[seat]->Seed(seed * 4 + static_cast<uint32_t>(seat));
  }
  int plies[2] = {0, 0};
  for (int ply = 0; ply < kMaxPlies; ++ply) {
    EngineResultMove result;
    EngineStatus status;
    std::string tell;
    // The seat named by the rotation; when it has no move (it waits for a
    // piece), the seat to move on the other board, named by the rotation too.
    int seat = CKestroEngine::NextSeat(p->lastMoverSeat);
    for (int attempt = 0; attempt < 2 && result.kind == 0 && !status.any; ++attempt) {
      if (attempt == 1) {
        const int board = seat < 2 ? 2 : 1;
        seat = SeatOf(board, board == 1 ? p->sideToMoveA : p->sideToMoveB);
        p->lastMoverSeat = PreviousSeat(seat);
      }
      engines[seat]->NodeLimit = nodeLimit;
      engines[seat]->ChooseMove(result, *p, status, tell);
    }
    if (status.any) {
      const int board = status.boardA == 1 ? 1 : status.boardB == 1 ? 2 : 0;
      if (board == 0) {
        ++tally.refused;  // a king left en prise
        std::printf("king left to be taken after %d plies\n", ply);
        return;
      }
      const int loser = SeatOf(board, board == 1 ? p->sideToMoveA : p->sideToMoveB);
      ++(tested(loser) ? tally.losses : tally.wins);
      tally.plies += ply;
      return;
    }
    if (result.kind == 0) break;  // both seats to move wait for pieces: unfinished
    const int board = result.kind == mkMoveA || result.kind == mkWhiteDropA || result.kind == mkBlackDropA ? 1 : 2;
    BpgnMove move;
    move.token = game.MoveToBpgn(*p, result.kind, result.from, result.to, result.promotion, plies[0], plies[1]) +
                 "{1}";
    if (game.PlayMove(move, *p, HandCheck::Strict) != 1) {
      ++tally.refused;
      std::printf("refused %s: %s\n", move.token.c_str(), game.ErrorLog.c_str());
      return;
    }
    ++plies[board - 1];
    game.ComputeAttackMaps(*p, board);
  }
  ++tally.unfinished;
  tally.plies += plies[0] + plies[1];
}

}  // namespace

int main(int argc, char** argv) {
  int games = 200;
  uint32_t seed = 1;
  bool requireWins = false;
  int64_t nodeLimit = CKestroEngine(TwoBoardPosition(), 0, 0, 0, 0).NodeLimit;
  int onlyLevel = 0;
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--require-wins") == 0) requireWins = true;
    else if (std::strncmp(argv[i], "--nodes=", 8) == 0) nodeLimit = std::atoll(argv[i] + 8);
    else if (std::strncmp(argv[i], "--level=", 8) == 0) onlyLevel = std::atoi(argv[i] + 8);
    else if (positional++ == 0) games = std::atoi(argv[i]);
    else seed = static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10));
  }
  if (games <= 0) {
    std::fprintf(stderr, "usage: engine_match [games] [seed] [--require-wins] [--nodes=N] [--level=L]\n");
    return 2;
  }
  int status = 0;
  std::printf("level vs 100, %d games, seed %u, level-700 node limit %lld: wins by mate / losses by mate / unfinished, mean plies\n", games, seed, static_cast<long long>(nodeLimit));
  for (int level : {elRandom, elRules, elKingSafety, elSearch}) {
    if (onlyLevel && level != onlyLevel) continue;
    Tally tally;
    const auto start = std::chrono::steady_clock::now();
    for (int g = 0; g < games; ++g) PlayGame(level, g % 2 == 0, seed + static_cast<uint32_t>(g) * 7919u, nodeLimit, tally);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int finished = tally.wins + tally.losses + tally.unfinished;
    std::printf("%d: %d / %d / %d, %.0f plies, %.1f s%s\n", level, tally.wins, tally.losses, tally.unfinished,
                finished ? static_cast<double>(tally.plies) / finished : 0.0, seconds,
                tally.refused ? " REFUSED MOVES" : "");
    std::fflush(stdout);
    if (tally.refused) status = 1;
    if (requireWins && level != elRandom && tally.wins <= tally.losses) status = 1;
  }
  return status;
}
