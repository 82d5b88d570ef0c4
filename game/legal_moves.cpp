// Legal-move list of both boards, its text and the mouse code's counts.
#include <algorithm>
#include <cstdio>

#include "game/kestro_game.h"

namespace {

constexpr int kDiagonal[4] = {11, -11, 13, -13};
constexpr int kOrthogonal[4] = {12, -12, 1, -1};
constexpr int kKnight[8] = {10, -10, 14, -14, 23, -23, 25, -25};
constexpr int kKingSteps[8] = {12, -12, 1, -1, 11, -11, 13, -13};

// What a mover of a colour finds on a square: 0 nothing it may enter,
// 1 empty, 2 an enemy piece it may take (a king is never taken).
struct TargetTable {
  int8_t of[2][pcBKing + 1] = {};
  constexpr TargetTable() {
    for (int c = 0; c < 2; ++c) {
      of[c][pcEmpty] = 1;
      for (int code = pcWPawn; code <= pcBQueen; ++code)
        if (ColourOf(code) != c) of[c][code] = 2;
    }
  }
};
constexpr TargetTable kTarget;

struct PlayingTable {
  bool on[kSquares] = {};
  constexpr PlayingTable() {
    for (int i = 0; i < kSquares; ++i) on[i] = IsPlayingSquare(i);
  }
};
constexpr PlayingTable kPlaying;

// Lists the moves and drops of one board's side to move.
class BoardGenerator {
 public:
  BoardGenerator(const CKestroGame& game, const TwoBoardPosition& position, int board,
                 std::vector<LegalMoveEntry>& out)
      : game_(game), out_(out), r_(BoardOf(position, board)) {
    // A copy with a clean border and only known codes: walks may then stop
    // on code 0 alone and never leave the array.
    for (int i = 0; i < kSquares; ++i) {
      const int code = r_.squares[i];
      b_[i] = kPlaying.on[i] && code >= pcEmpty && code <= pcBKing ? code : pcBorder;
    }
    colour_ = *r_.sideToMove != 0 ? 1 : 0;
    moveKind_ = board == 1 ? mkMoveA : mkMoveB;
    dropKind_ = (board == 1 ? mkWhiteDropA : mkWhiteDropB) + colour_;
    coin_ = game.GameKind == gkCoin;
    ingols_ = game.GameKind == gkIngols;
    target_ = kTarget.of[colour_];
  }

  void Run() {
    const size_t start = out_.size();
    if (!coin_) CollectDrops();
    for (int s = 26; s <= 117; ++s) {
      const int code = b_[s];
      if (code == pcEmpty) {
        if (dropCount_ > 0 || pawnDrops_) Drops(s);
        continue;
      }
      if (code < pcWPawn || ColourOf(code) != colour_) continue;
      const int pin = r_.pins[s];
      switch (TypeOf(code)) {
        case ptPawn: Pawn(s, code, pin); break;
        case ptKnight:
          if (pin == 0) Knight(s, code);
          break;
        case ptBishop: Rays(s, code, pin, kDiagonal); break;
        case ptRook: Rays(s, code, pin, kOrthogonal); break;
        case ptQueen:
          Rays(s, code, pin, kDiagonal);
          Rays(s, code, pin, kOrthogonal);
          break;
        case ptKing: King(s, code); break;
      }
    }
    if (coin_) KeepCoinOnBoard(start);
  }

 private:
  void Add(int kind, int from, int to, int promotion, int piece, int capture) {
    out_.push_back(LegalMoveEntry{kind, from, to, promotion, piece, capture});
  }

  void CollectDrops() {
    const int base = colour_ * 5;
    pawnDrops_ = r_.holdings[base] > 0;
    for (int slot = base + 1; slot < base + 5; ++slot)
      if (r_.holdings[slot] > 0) dropSlots_[dropCount_++] = slot;
  }

  void Drops(int s) {
    if (pawnDrops_ && RankOf(s) >= 1 && RankOf(s) <= 6) Add(dropKind_, colour_ * 5, s, 0, pcWPawn + colour_, 0);
    for (int i = 0; i < dropCount_; ++i)
      Add(dropKind_, dropSlots_[i], s, 0, CodeOfSlot(dropSlots_[i]), 0);
  }

  // A pawn move with its promotion choices.
  void PawnTo(int from, int to, int piece, int capture) {
    if (ingols_) {
      const int promotion = (colour_ ? game_.IngolsPromotionBlack : game_.IngolsPromotionWhite)[to];
      // the pawn may also stay a pawn; it never becomes a second king
      if (promotion != 0 && TypeOf(promotion) != ptKing) Add(moveKind_, from, to, promotion, piece, capture);
    } else if (RankOf(to) == (colour_ ? 0 : 7)) {
      Add(moveKind_, from, to, pcWQueen + colour_, piece, capture);
      Add(moveKind_, from, to, pcWKnight + colour_, piece, capture);
      return;
    }
    Add(moveKind_, from, to, 0, piece, capture);
  }

  void Pawn(int s, int code, int pin) {
    const int sign = colour_ ? -1 : 1;
    const int forward = 12 * sign;
    for (int line : {11, 13}) {
      if (pin != 0 && pin != line) continue;
      const int t = s + sign * line;
      const int found = target_[b_[t]];
      if (found == 2)
        PawnTo(s, t, code, 1);
      else if (found == 1 && t == *r_.epSquare)
        PawnTo(s, t, code, 0);
    }
    if ((pin == 0 || pin == 12) && b_[s + forward] == pcEmpty) {
      PawnTo(s, s + forward, code, 0);
      const bool startRank = RankOf(s) == (colour_ ? 6 : 1);
      if (!ingols_ && startRank && b_[s + 2 * forward] == pcEmpty) Add(moveKind_, s, s + 2 * forward, 0, code, 0);
    }
    if (ingols_ && (pin == 0 || pin == 1) && b_[s + sign] == pcEmpty) PawnTo(s, s + sign, code, 0);
  }

  void Knight(int s, int code) {
    for (int step : kKnight) {
      const int found = target_[b_[s + step]];
      if (found) Add(moveKind_, s, s + step, 0, code, found - 1);
    }
  }

  void Rays(int s, int code, int pin, const int (&steps)[4]) {
    for (int step : steps) {
      if (pin != 0 && pin != (step < 0 ? -step : step)) continue;
      for (int t = s + step;; t += step) {
        const int found = target_[b_[t]];
        if (found) Add(moveKind_, s, t, 0, code, found - 1);
        if (found != 1) break;
      }
    }
  }

  bool Attacked(int square) const { return game_.IsSquareAttacked(b_, square, colour_) != 0; }

  void King(int s, int code) {
    for (int step : kKingSteps) {
      const int t = s + step;
      const int found = target_[b_[t]];
      if (found && !Attacked(t)) Add(moveKind_, s, t, 0, code, found - 1);
    }
    const int home = colour_ ? sq::e8 : sq::e1;
    if (s != home) return;
    const int rook = pcWRook + colour_;
    const int32_t* rights = r_.castling + 2 * colour_;
    if (rights[0] != 0 && b_[home + 3] == rook && b_[home + 1] == pcEmpty && b_[home + 2] == pcEmpty &&
        !Attacked(home) && !Attacked(home + 1) && !Attacked(home + 2))
      Add(moveKind_, home, home + 2, 0, code, 0);
    if (rights[1] != 0 && b_[home - 4] == rook && b_[home - 3] == pcEmpty && b_[home - 2] == pcEmpty &&
        b_[home - 1] == pcEmpty && !Attacked(home) && !Attacked(home - 1) && !Attacked(home - 2))
      Add(moveKind_, home, home - 2, 0, code, 0);
  }

  // Coin variant: a move stands only when the coin, shifted by the same
  // vector, lands on the board on an empty square (or the square left).
  void KeepCoinOnBoard(size_t start) {
    const int coin = *r_.coinSquare;
    if (!IsPlayingSquare(coin)) return;  // no coin on this board
    auto lost = [&](const LegalMoveEntry& m) {
      const int shifted = coin + (m.to - m.from);
      if (shifted < 26 || shifted > 117) return true;
      if (b_[shifted] != pcEmpty && shifted != m.from) return true;
      const int file = FileOf(coin) + FileOf(m.to) - FileOf(m.from);
      return file < 0 || file > 7;
    };
    out_.erase(std::remove_if(out_.begin() + static_cast<std::ptrdiff_t>(start), out_.end(), lost), out_.end());
  }

  const CKestroGame& game_;
  std::vector<LegalMoveEntry>& out_;
  ConstBoardRef r_;
  int32_t b_[kSquares];
  int colour_ = 0;
  int moveKind_ = 0, dropKind_ = 0;
  bool coin_ = false, ingols_ = false;
  const int8_t* target_ = nullptr;
  bool pawnDrops_ = false;
  int dropSlots_[4] = {};
  int dropCount_ = 0;
};

// Entries the counts look at: the listed ones, never past the vector.
int Listed(const CKestroGame& game) {
  return std::clamp(game.LegalMoveCount, 0, static_cast<int32_t>(game.LegalMoves.size()));
}

}  // namespace

void CKestroGame::GenerateLegalMoves(TwoBoardPosition& position) {
  ComputePins(position, 1);
  ComputePins(position, 2);
  LegalMoves.clear();
  BoardGenerator(*this, position, 1, LegalMoves).Run();
  LegalMoveCountA = static_cast<int32_t>(LegalMoves.size());
  BoardGenerator(*this, position, 2, LegalMoves).Run();
  LegalMoveCount = static_cast<int32_t>(LegalMoves.size());
  LegalMoveCountB = LegalMoveCount - LegalMoveCountA;
}

void CKestroGame::SetLegalMove(int index, int kind, int from, int to, int promotion, int piece, int capture) {
  if (index < 0) return;
  if (static_cast<size_t>(index) >= LegalMoves.size()) LegalMoves.resize(static_cast<size_t>(index) + 1);
  LegalMoves[static_cast<size_t>(index)] = LegalMoveEntry{kind, from, to, promotion, piece, capture};
}

std::string CKestroGame::LegalMovesText(const TwoBoardPosition& position, int entries, int pliesA, int pliesB) {
  const int count = std::clamp(entries, 0, static_cast<int>(LegalMoves.size()));
  std::string text;
  char number[16];
  for (int i = 0; i < count; ++i) {
    const LegalMoveEntry& m = LegalMoves[static_cast<size_t>(i)];
    std::snprintf(number, sizeof number, "[%4d]", i);
    text += number;
    text += MoveToBpgn(position, m.kind, m.from, m.to, m.promotion, pliesA, pliesB);
    text += "\r\n";
  }
  LegalMoveText = text;
  return text;
}

int CKestroGame::CountMovesFrom(int kind, int from) const {
  const int listed = Listed(*this);
  int count = 0;
  for (int i = 0; i < listed; ++i) {
    const LegalMoveEntry& m = LegalMoves[static_cast<size_t>(i)];
    if (m.kind == kind && m.from == from) ++count;
  }
  return count;
}

int CKestroGame::CountMoves(int kind, int from, int to) const {
  const int listed = Listed(*this);
  int count = 0;
  for (int i = 0; i < listed; ++i) {
    const LegalMoveEntry& m = LegalMoves[static_cast<size_t>(i)];
    if (m.kind == kind && m.from == from && m.to == to) ++count;
  }
  return count;
}
