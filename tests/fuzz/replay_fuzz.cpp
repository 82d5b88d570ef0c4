// Loads arbitrary game texts and replays each to every move twice: once from
// the moves as the loader recorded them, once reading every token again (as
// after InvalidateReplay). The run stops when the two differ in any byte of
// the position, in the replay index or the lag-compensator switch, when a
// replay writes to the error log, or when kept attack maps differ from maps
// made afresh.
//
// Input: a game text. Its first byte also sets the lag-compensator seconds
// (byte % 3), and its bytes choose the boards StepToNextMoveOnBoard steps.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/kestro_game.h"

namespace {

[[noreturn]] void Fail(const char* what, int n, const CKestroGame& game) {
  std::fprintf(stderr, "replay_fuzz: %s at %d differs (moves %d, log %s)\n", what, n, game.MoveCount,
               game.ErrorLog.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 8192) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  CKestroGame recorded(text, 1);
  CKestroGame reread(text, 1);
  recorded.LagCompensatorSeconds = reread.LagCompensatorSeconds = data[0] % 3;
  reread.InvalidateReplay();
  const std::string log = recorded.ErrorLog;

  TwoBoardPosition a, b;
  auto compare = [&](const char* what, int n) {
    if (std::memcmp(&a, &b, sizeof a) != 0) Fail(what, n, recorded);
    if (recorded.ReplayIndex != reread.ReplayIndex) Fail("replay index", n, recorded);
    if (recorded.LagCompensatorRead != reread.LagCompensatorRead) Fail("lag compensator", n, recorded);
    TwoBoardPosition fresh = a;
    recorded.ComputeAttackMaps(fresh, 1);
    recorded.ComputeAttackMaps(fresh, 2);
    if (std::memcmp(&a, &fresh, sizeof a) != 0) Fail("kept attack maps", n, recorded);
  };
  for (int n = 0; n <= recorded.MoveCount; ++n) {
    recorded.GetPositionAtMove(a, n);
    reread.GetPositionAtMove(b, n);
    compare("move", n);
  }
  for (int n = recorded.MoveCount + 1; n >= 0; n -= 3) {
    recorded.GetPositionAtMove(a, n);
    reread.GetPositionAtMove(b, n);
    compare("back to move", n);
  }
  recorded.GetPositionAtMove(a, 0);
  reread.GetPositionAtMove(b, 0);
  for (int step = 0; step <= recorded.MoveCount; ++step) {
    const int board = 1 + (data[static_cast<size_t>(step) % size] & 1);
    recorded.StepToNextMoveOnBoard(a, board);
    reread.StepToNextMoveOnBoard(b, board);
    compare("step", step);
  }
  if (recorded.ErrorLog != log || reread.ErrorLog != log) Fail("error log", 0, recorded);
  return 0;
}
