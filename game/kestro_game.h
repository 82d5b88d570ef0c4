#pragma once
// The game model of one board window: game kind, move record, positions,
// error log, legal-move list, and the rules that act on positions.
#include <string>
#include <vector>

#include "game/move.h"
#include "game/position.h"

enum GameKindCode : int32_t { gkBughouse = 1, gkOther = 2, gkCoin = 5, gkIngols = 6 };

// How drops of a piece the hand lacks are treated by the move player.
// Moves made live (mouse, engines, network) are strict; a recorded game is
// played leniently first, and air drops are put right afterwards.
enum class HandCheck { Strict, Lenient };

class CKestroGame {
 public:
  CKestroGame();

  // --- position and set-ups ---
  static std::string SquareName(int square);
  static int SquareFromName(char file, char rank);  // 0 when not a board square
  int SquareOwner(int area, int index, const TwoBoardPosition& position) const;
  int MovePieceInPosition(int fromArea, int fromIndex, int toArea, int toIndex, TwoBoardPosition& position);
  void SetupStandardPosition(TwoBoardPosition& position) const;
  void SetupPositionRqbn(TwoBoardPosition& position) const;
  void SetupPositionR3k2r(TwoBoardPosition& position) const;
  void SetupPositionQrrbb(TwoBoardPosition& position) const;
  void SetupKingsOnly(TwoBoardPosition& position) const;
  void SetupCoinPosition(TwoBoardPosition& position) const;
  void SetupIngolsPosition(TwoBoardPosition& position) const;

  // --- move text ---
  std::string MoveToBpgn(const TwoBoardPosition& position, int kind, int from, int to, int promotion,
                         int pliesA, int pliesB) const;

  // --- move reader and player ---
  int PlayBpgnMove(BpgnMove& move, TwoBoardPosition& position, int checkMoveNumber,
                   HandCheck handCheck = HandCheck::Strict);
  int PlayMove(BpgnMove& move, TwoBoardPosition& position, HandCheck handCheck = HandCheck::Strict) {
    return PlayBpgnMove(move, position, 0, handCheck);
  }

  // --- attack maps and pins ---
  void ComputePins(TwoBoardPosition& position, int board) const;
  void ComputeAttackMaps(TwoBoardPosition& position, int board) const;
  int IsSquareAttacked(const int32_t* squares, int square, int colour) const;

  // --- legal moves ---
  void GenerateLegalMoves(TwoBoardPosition& position);
  void SetLegalMove(int index, int kind, int from, int to, int promotion, int piece, int capture);
  std::string LegalMovesText(const TwoBoardPosition& position, int entries, int pliesA, int pliesB);
  int CountMovesFrom(int kind, int from) const;
  int CountMoves(int kind, int from, int to) const;

  // --- lag ---
  void CompensateLag(TwoBoardPosition& position) const;

  // --- state ---
  int32_t GameKind = gkBughouse;
  std::vector<BpgnMove> Moves;  // the record, both boards interleaved in played order
  int32_t MoveCount = 0;
  int32_t PliesA = 0, PliesB = 0;
  TwoBoardPosition Position;
  TwoBoardPosition TrialPosition;
  int32_t LagCompensatorRead = 0;
  int32_t LagCompensatorSeconds = 0;
  std::string ErrorLog;
  std::vector<LegalMoveEntry> LegalMoves;
  int32_t LegalMoveCount = 0, LegalMoveCountA = 0, LegalMoveCountB = 0;
  std::string LegalMoveText;
  int32_t IngolsPromotionWhite[kSquares] = {};
  int32_t IngolsPromotionBlack[kSquares] = {};
};
