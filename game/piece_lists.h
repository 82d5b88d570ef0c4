#pragma once
// The squares of a board's pieces by code, for the attack maps. The replay
// keeps one per board and follows each move instead of gathering them again.
#include <cstdint>
#include <span>

#include "game/position.h"

class PieceLists {
 public:
  PieceLists() = default;
  // Gathers the pieces on the playing squares.
  explicit PieceLists(const int32_t* squares) { Gather(squares); }
  void Gather(const int32_t* squares);

  std::span<const uint8_t> Of(int code) const { return {at_[code], static_cast<size_t>(count_[code])}; }

  // Changes for one move; each returns false when the lists do not hold
  // what the change expects (they are then to be gathered again).
  bool Add(int code, int square);
  bool Remove(int code, int square);
  bool Move(int code, int from, int to);

 private:
  int Find(int code, int square) const;
  uint8_t at_[pcBKing + 1][64];  // entries past the counts are never read
  int32_t count_[pcBKing + 1] = {};
};
