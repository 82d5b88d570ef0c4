// Feeds arbitrary move tokens to the move player, mixed with moves taken from
// the legal-move list, and stops the run as soon as a position goes unsound.
//
// Input layout:
//   byte 0  bits 0-1 game kind (bughouse, other, Coin, Ingols)
//           bits 2-4 start position (mod 7: standard, Rqbn, R3k2r, Qrrbb,
//                    kings only, Coin, Ingols)
//           bit 5    1 strict hand check, 0 lenient
//           bit 6    1 move-number test on
//   byte 1  bits 0-2 the legal-move list is rebuilt after every (n + 1) tokens
//           bit 3    1: only rebuild and check the list, play none of it
//           bits 4-7 mixed into the choice of the listed move to play
//   rest    move tokens, one a line
// So a text file starting "`3\n" is bughouse from the standard position,
// strict, with the move-number test, the list every 4 tokens.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "game/kestro_game.h"

namespace {

constexpr GameKindCode kKinds[] = {gkBughouse, gkOther, gkCoin, gkIngols};
using Setup = void (CKestroGame::*)(TwoBoardPosition&) const;
constexpr Setup kSetups[] = {&CKestroGame::SetupStandardPosition, &CKestroGame::SetupPositionRqbn,
                             &CKestroGame::SetupPositionR3k2r,    &CKestroGame::SetupPositionQrrbb,
                             &CKestroGame::SetupKingsOnly,        &CKestroGame::SetupCoinPosition,
                             &CKestroGame::SetupIngolsPosition};
constexpr size_t kMaxTokens = 512;

// Listed moves that the player refused or read differently. Such a mismatch
// is a fault between the list and the player, but not an unsound position, so
// it is counted and shown, not fatal.
struct ListStats {
  long tried = 0, refused = 0, misread = 0;
  ~ListStats() {
    std::fprintf(stderr, "move_fuzz: listed moves played %ld, refused %ld, read as another move %ld\n", tried,
                 refused, misread);
  }
} listStats;

void PrintPosition(const TwoBoardPosition& p) {
  for (int b = 1; b <= 2; ++b) {
    ConstBoardRef r = BoardOf(p, b);
    std::fprintf(stderr, "board %c: side %d, ep %d, castling %d%d%d%d, kings %d %d, coin %d\n", b == 1 ? 'A' : 'B',
                 *r.sideToMove, *r.epSquare, r.castling[0], r.castling[1], r.castling[2], r.castling[3],
                 r.kingSquare[0], r.kingSquare[1], *r.coinSquare);
    for (int rank = 7; rank >= 0; --rank) {
      std::fprintf(stderr, "  ");
      for (int file = 0; file < 8; ++file) {
        const int code = r.squares[SquareOf(file, rank)];
        std::fputc(code >= 0 && code <= pcBKing ? kPieceLetters[code] : '?', stderr);
      }
      std::fputc('\n', stderr);
    }
    std::fprintf(stderr, "  holding:");
    for (int i = 0; i < kSlots; ++i) std::fprintf(stderr, " %d", r.holdings[i]);
    std::fputc('\n', stderr);
  }
}

[[noreturn]] void Broken(const char* what, std::string_view token, const TwoBoardPosition& p) {
  std::fprintf(stderr, "\nmove_fuzz: %s\n  after: \"%.*s\"\n", what, static_cast<int>(token.size()), token.data());
  PrintPosition(p);
  std::abort();
}

// Pieces on both boards plus both hands. Strict play neither makes nor loses
// any: a capture moves a piece into a hand, a drop takes it back out.
long Material(const TwoBoardPosition& p) {
  long n = 0;
  for (int square = 0; square < kSquares; ++square) {
    n += IsPiece(p.boardA[square]);
    n += IsPiece(p.boardB[square]);
  }
  for (int i = 0; i < kSlots; ++i) n += p.holdingsA[i] + p.holdingsB[i];
  return n;
}

// The position as it must be whatever was played.
void CheckSound(const TwoBoardPosition& p, bool strict, std::string_view token) {
  for (int b = 1; b <= 2; ++b) {
    ConstBoardRef r = BoardOf(p, b);
    for (int square = 0; square < kSquares; ++square) {
      const int code = r.squares[square];
      if (!IsPlayingSquare(square) && code != pcBorder) Broken("a border square holds something", token, p);
      if (IsPlayingSquare(square) && (code < pcEmpty || code > pcBKing))
        Broken("a playing square holds an unknown code", token, p);
    }
    for (int colour = 0; colour < 2; ++colour) {
      const int king = r.kingSquare[colour];
      if (!IsPlayingSquare(king) || r.squares[king] != pcWKing + colour)
        Broken("a king square does not hold that king", token, p);
    }
    if (*r.sideToMove != 0 && *r.sideToMove != 1) Broken("side to move is neither 0 nor 1", token, p);
    if (strict)
      for (int i = 0; i < kSlots; ++i)
        if (r.holdings[i] < 0) Broken("a holding went negative in strict play", token, p);
  }
}

// Equal apart from the pin maps, which the player and the list may rebuild.
bool SameButPins(const TwoBoardPosition& before, const TwoBoardPosition& after) {
  TwoBoardPosition b = before;
  std::memcpy(b.pinsA, after.pinsA, sizeof b.pinsA);
  std::memcpy(b.pinsB, after.pinsB, sizeof b.pinsB);
  return std::memcmp(&b, &after, sizeof b) == 0;
}

struct Run {
  CKestroGame& game;
  bool strict;
  int checkMoveNumber;

  // Plays one token on the game's position; returns whether it was played.
  bool Play(const std::string& token, HandCheck handCheck, BpgnMove& move) {
    TwoBoardPosition& p = game.Position;
    const TwoBoardPosition before = p;
    const long material = Material(p);
    move.token = token;
    const int played = game.PlayBpgnMove(move, p, checkMoveNumber, handCheck);
    CheckSound(p, strict, token);
    if (played != 0 && played != 1) Broken("the player returned neither 0 nor 1", token, p);
    if (!played) {
      if (!SameButPins(before, p)) Broken("a refused move changed the position", token, p);
      return false;
    }
    if (move.board != 1 && move.board != 2) Broken("a played move names no board", token, p);
    ConstBoardRef was = BoardOf(before, move.board);
    const auto now = BoardOf(p, move.board);
    ConstBoardRef otherWas = BoardOf(before, 3 - move.board);
    const auto otherNow = BoardOf(p, 3 - move.board);
    if (*now.sideToMove != 1 - *was.sideToMove) Broken("the side to move did not flip", token, p);
    if (*otherNow.sideToMove != *otherWas.sideToMove ||
        std::memcmp(otherNow.squares, otherWas.squares, sizeof(int32_t) * kSquares) != 0)
      Broken("a move changed the squares or side of the other board", token, p);
    if (p.lastMoverSeat != SeatOf(move.board, *was.sideToMove) || move.moverSeat != p.lastMoverSeat)
      Broken("the mover's seat is not the seat that was to move", token, p);
    if (handCheck == HandCheck::Strict && Material(p) != material)
      Broken("strict play made or lost a piece", token, p);
    (move.board == 1 ? game.PliesA : game.PliesB) += 1;
    return true;
  }

  void CheckList(std::string_view after) {
    const TwoBoardPosition& p = game.Position;
    const int total = game.LegalMoveCount, onA = game.LegalMoveCountA;
    if (onA < 0 || game.LegalMoveCountB < 0 || total != onA + game.LegalMoveCountB ||
        total > static_cast<int>(game.LegalMoves.size()))
      Broken("the legal-move counts do not add up", after, p);
    for (int i = 0; i < total; ++i) {
      const LegalMoveEntry& e = game.LegalMoves[i];
      const bool drop = e.kind >= mkWhiteDropA && e.kind <= mkBlackDropB;
      const int board = (e.kind == mkMoveA || e.kind == mkWhiteDropA || e.kind == mkBlackDropA) ? 1 : 2;
      if (e.kind < mkMoveA || e.kind > mkBlackDropB || (board == 1) != (i < onA))
        Broken("a listed entry has the wrong kind for its place", after, p);
      ConstBoardRef r = BoardOf(p, board);
      const int side = *r.sideToMove;
      if (!IsPlayingSquare(e.to)) Broken("a listed entry goes off the board", after, p);
      if (drop) {
        const int dropSide = (e.kind == mkBlackDropA || e.kind == mkBlackDropB) ? 1 : 0;
        if (dropSide != side || e.from < 0 || e.from >= kSlots || r.holdings[e.from] < 1 ||
            e.piece != CodeOfSlot(e.from) || r.squares[e.to] != pcEmpty)
          Broken("a listed drop is not in the hand or not onto an empty square", after, p);
      } else {
        if (!IsPlayingSquare(e.from) || r.squares[e.from] != e.piece || !IsPiece(e.piece) ||
            ColourOf(e.piece) != side)
          Broken("a listed move does not start from a piece of the side to move", after, p);
        const int target = r.squares[e.to];
        if (IsPiece(target) && ColourOf(target) == side) Broken("a listed move captures its own piece", after, p);
      }
    }
  }

  // Rebuilds maps and list, checks them, and maybe plays one listed move.
  void UseList(uint32_t choice, bool playOne, bool writeText, std::string_view after) {
    TwoBoardPosition& p = game.Position;
    TwoBoardPosition before = p;
    game.GenerateLegalMoves(p);
    if (!SameButPins(before, p)) Broken("listing the legal moves changed the position", after, p);
    CheckList(after);
    // Writing the whole list as text costs more than everything else here.
    if (writeText) game.LegalMovesText(p, game.LegalMoveCount, game.PliesA, game.PliesB);
    for (int b = 1; b <= 2; ++b) {
      game.ComputeAttackMaps(p, b);
      const auto r = BoardOf(p, b);
      for (int square = 0; square < kSquares; ++square) {
        if (!IsPlayingSquare(square)) continue;
        if (r.whiteAttackers[square] < 0 || r.blackAttackers[square] < 0 ||
            r.attackBalance[square] != r.whiteAttackers[square] - r.blackAttackers[square])
          Broken("an attack map is negative or its balance is not white minus black", after, p);
      }
    }
    const int total = game.LegalMoveCount;
    if (!playOne || total == 0) return;
    // Skip entries that take a king: the list may offer them when a side
    // has left its king attacked, and the game has no rule for what follows.
    for (int k = 0; k < total; ++k) {
      const LegalMoveEntry e = game.LegalMoves[(choice + k) % total];
      const int board = (e.kind == mkMoveA || e.kind == mkWhiteDropA || e.kind == mkBlackDropA) ? 1 : 2;
      if (TypeOf(BoardOf(p, board).squares[e.to]) == ptKing) continue;
      const std::string token =
          game.MoveToBpgn(p, e.kind, e.from, e.to, e.promotion, game.PliesA, game.PliesB) + "{100}";
      const TwoBoardPosition at = p;
      BpgnMove move;
      ++listStats.tried;
      if (!Play(token, HandCheck::Strict, move)) {
        if (++listStats.refused <= 5) {
          std::fprintf(stderr, "move_fuzz: listed move refused: %s%s\n", token.c_str(), game.ErrorLog.c_str());
          PrintPosition(at);
        }
      } else if (move.to != e.to || (e.kind <= mkMoveB && move.from != e.from)) {
        if (++listStats.misread <= 5)
          std::fprintf(stderr, "move_fuzz: listed move %d-%d read as %d-%d: %s\n", e.from, e.to, move.from,
                       move.to, token.c_str());
      }
      return;
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0], listing = data[1];
  auto game = std::make_unique<CKestroGame>();
  game->GameKind = kKinds[mode & 3];
  (game.get()->*kSetups[((mode >> 2) & 7) % 7])(game->Position);
  Run run{*game, (mode & 0x20) != 0, (mode >> 6) & 1};
  const size_t every = (listing & 7) + 1;
  const bool playListed = (listing & 8) == 0;
  CheckSound(game->Position, run.strict, "the start position");

  std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  size_t tokens = 0;
  while (!rest.empty() && tokens < kMaxTokens) {
    const size_t end = rest.find('\n');
    const std::string token(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    BpgnMove move;
    run.Play(token, run.strict ? HandCheck::Strict : HandCheck::Lenient, move);
    game->ErrorLog.clear();  // keeps long inputs from growing the log without bound
    if (++tokens % every == 0)
      run.UseList(static_cast<uint32_t>(tokens * 2654435761u) ^ (listing >> 4), playListed,
                  tokens % (8 * every) == 0, token);
    game->ErrorLog.clear();
  }
  return 0;
}
