#include <cstdio>

#include "game/kestro_game.h"

namespace {

void AppendBoard(std::string& out, ConstBoardRef b, int32_t whiteClock, int32_t blackClock) {
  int run = 0, count = 0;
  auto flush = [&] {
    if (run) out += std::to_string(run);
    run = 0;
  };
  for (int row = 9; row >= 2; --row) {
    for (int col = 0; col < 12; ++col) {
      const int square = row * 12 + col;
      const int code = b.squares[square];
      if (code == pcBorder) continue;
      if (++count > 8) {
        flush();
        out += '/';
        count = 1;
      }
      if (code == pcEmpty || code < 0 || code > pcBKing) {
        ++run;
        continue;
      }
      flush();
      out += kPieceLetters[code];
      if (b.marks[square] == 1) out += '~';
    }
  }
  flush();

  bool held = false;
  for (int slot = 0; slot < kSlots; ++slot) held = held || b.holdings[slot] > 0;
  if (held) {
    out += '/';
    for (int slot = 0; slot < kSlots; ++slot)
      for (int i = 0; i < b.holdings[slot]; ++i) out += kPieceLetters[CodeOfSlot(slot)];
  }
  out += *b.sideToMove == 0 ? " w " : " b ";
  const char rights[] = "KQkq";
  bool any = false;
  for (int i = 0; i < 4; ++i) {
    if (b.castling[i]) {
      out += rights[i];
      any = true;
    }
  }
  if (!any) out += " - ";
  const int ep = *b.epSquare;
  if (IsPlayingSquare(ep)) {
    out += ' ';
    out += CKestroGame::SquareName(ep);
    out += ' ';
  } else {
    out += " - ";
  }
  char clocks[32];
  std::snprintf(clocks, sizeof clocks, "%d %d", whiteClock / 1000, blackClock / 1000);
  out += clocks;
}

}  // namespace

std::string CKestroGame::PositionToBfen(const TwoBoardPosition& position) {
  std::string out;
  out.reserve(160);
  AppendBoard(out, BoardOf(position, 1), position.clock[0], position.clock[1]);
  out += " | ";
  AppendBoard(out, BoardOf(position, 2), position.clock[2], position.clock[3]);
  return out;
}
