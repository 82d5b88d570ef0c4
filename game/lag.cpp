#include <cstdint>

#include "game/bytes.h"
#include "game/kestro_game.h"

void CKestroGame::CompensateLag(TwoBoardPosition& position) const {
  const int n = MoveCount < static_cast<int>(Moves.size()) ? MoveCount : static_cast<int>(Moves.size());
  if (n <= 0) return;
  const BpgnMove& last = Moves[n - 1];
  const int k = n - 2 > 0 ? n - 2 : 0;
  const BpgnMove& prev = Moves[k];
  const bool lastOnA = last.board == 1;
  const int p = lastOnA ? 2 : 0;
  const int q = p + 1;

  int r = prev.moverSeat;
  if (prev.board == last.board)
    r = lastOnA ? position.sideToMoveB + 2 : position.sideToMoveA;

  // Thinking times of the other board's moves since the previous move on
  // last's board, by seat; that previous move's own T lands in Sq.
  int64_t sp = 0, sq = 0;
  if (Moves[k].board != last.board) {
    for (int i = k; i >= 0; --i) {
      const BpgnMove& m = Moves[i];
      if (m.moverSeat == p)
        sp += m.thinkingTime;
      else
        sq += m.thinkingTime;
      if (m.board == last.board) break;
    }
  }
  const int64_t t = last.thinkingTime, l = last.lag;
  if (r == p)
    sp = t + l - sq;
  else
    sq = t + l - sp;

  const int64_t total = sp + sq;
  if (total == 0) return;
  auto part = [&](int64_t s) {
    return static_cast<int64_t>(static_cast<double>(s) / static_cast<double>(total) * static_cast<double>(l));
  };
  position.lagCredit[p] = bytes::Clamp32(position.lagCredit[p] + part(sp));
  position.lagCredit[q] = bytes::Clamp32(position.lagCredit[q] + part(sq));
}
