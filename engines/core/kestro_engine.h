#pragma once
// The built-in computer player: its own move machinery on a TwoBoardPosition
// and the choice of one move at four strengths.
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "game/kestro_game.h"
#include "game/position.h"

enum EngineLevel : int32_t { elRandom = 100, elRules = 500, elKingSafety = 600, elSearch = 700 };

// One entry of a move list.
struct EngineMove {
  int32_t kind = 0;       // MoveKind
  int32_t from = 0;       // from-square, or the holding slot 0..9 of a drop
  int32_t to = 0;
  int32_t promotion = 0;  // code the pawn becomes, 0 for none
  int32_t piece = 0;      // code of the moving or dropped piece
  int32_t capture = 0;    // 1 when the to-square holds a piece
  int32_t castling = 0;   // 0 none, 1 white O-O, 2 white O-O-O, 3 black O-O, 4 black O-O-O
  int32_t epSquare = 0;   // square of the pawn taken en passant
  int32_t spare = 0;
};

// What GetMove returns and MakeMove takes.
struct EngineMoveRecord {
  int32_t kind = 0, from = 0, to = 0, promotion = 0, piece = 0, capture = 0;
  int32_t spare = 0;
  int32_t epSquare = 0;
  int32_t castling = 0;
  int32_t thinkingTime = 0;  // ms
};

constexpr int kEngineListSize = 1000;

struct EngineMoveList {
  EngineMove entries[kEngineListSize];
  int32_t count = 0, countA = 0, countB = 0;
};

// Result of ChooseMove; kind 0 means no move.
struct EngineResultMove {
  int32_t kind = 0, from = 0, to = 0, promotion = 0;
};

// Board status: 0 nothing, 1 mate, 2 the side to move can take the other king.
struct EngineStatus {
  int32_t any = 0, boardA = 0, boardB = 0;
};

class CKestroEngine {
 public:
  CKestroEngine(TwoBoardPosition position, int whiteA, int blackA, int whiteB, int blackB);
  ~CKestroEngine();

  // The seat that moves after `last` in the search's rotation WhiteA, WhiteB, BlackB, BlackA.
  static int NextSeat(int last);
  // Seeds the generator behind every random choice.
  void Seed(uint32_t seed) { Random.seed(seed); }

  // --- move machinery ---
  void FindPins(const TwoBoardPosition& position, int board, int32_t* pins) const;
  void ComputeBoardMaps(TwoBoardPosition& position, int board) const;
  int Attackers(const int32_t* squares, int square, int side);
  void GeneratePseudoMoves(const TwoBoardPosition& position, int32_t& countAll, int32_t& countA, int32_t& countB);
  void AddMove(int index, int kind, int from, int to, int promotion, int piece, int capture, int epSquare,
               int castling);
  static EngineMoveRecord GetMove(const EngineMoveList& list, int index);
  void GenerateMoves(TwoBoardPosition& position, EngineMoveList& list);
  void GenerateMoves(TwoBoardPosition& position) { GenerateMoves(position, LegalList); }
  // Plays the move on the position; 0 (position unchanged) for a move that cannot be played.
  int MakeMove(TwoBoardPosition& position, const EngineMoveRecord& move) const;
  std::string MoveText(const TwoBoardPosition& position, int kind, int from, int to, int promotion, int pliesA,
                       int pliesB) const;

  // --- choosing a move ---
  void ChooseMove(EngineResultMove& result, TwoBoardPosition& position, EngineStatus& status, std::string& tell);
  // Negamax over the seat rotation; a direct call gets a fresh node budget.
  int Search(TwoBoardPosition& position, int maxDepth, int depth, int alpha, int beta);
  static int Evaluate(const TwoBoardPosition& position);
  int MateScore(const TwoBoardPosition& position);

  // --- state ---
  int32_t Level = elRandom;
  TwoBoardPosition StartPosition;
  EngineMoveRecord BestRootMove;
  int32_t SeatFlags[4] = {};
  EngineMoveList PseudoList;
  EngineMoveList LegalList;
  EngineMoveList CandidateList;
  int32_t AttackerList[16] = {};
  int32_t AttackerCount = 0;
  int32_t KnightAttackerCount = 0;
  int32_t CheapestAttacker = 13;
  std::string Log[4];
  int32_t DebugFlag = 0;
  int32_t NodeCounter = 0;
  // The level-700 search deepens one ply at a time up to its full depth and
  // keeps the deepest finished answer once this many nodes are spent (0: no limit).
  int64_t NodeLimit = 250000;
  int32_t SearchDepthReached = -1;
  std::mt19937 Random;

 private:
  void ScoreMoves(TwoBoardPosition& position);
  void SearchRoot(TwoBoardPosition& position);
  int SearchNode(TwoBoardPosition& position, int maxDepth, int depth, int alpha, int beta);
  bool EnPassantKeepsKingSafe(const int32_t* squares, int from, int to, int taken, int side);
  bool HasMoveOnBoard(const TwoBoardPosition& position, int board);
  void GenerateBoardMoves(const TwoBoardPosition& position, int board, EngineMoveList& list);
  void GenerateBoard(const TwoBoardPosition& position, int board, const int32_t* pins, int& count);
  int FilterBoard(const TwoBoardPosition& position, int board, int begin, int end, EngineMoveList& list, int out);

  // Work space of the search, one frame per depth, allocated once.
  struct SearchFrame {
    std::unique_ptr<EngineMoveList> list = std::make_unique<EngineMoveList>();
    std::unique_ptr<TwoBoardPosition> position = std::make_unique<TwoBoardPosition>();
  };
  static constexpr int kSearchFrames = 6;  // depths 0..4 expand moves; one spare
  std::vector<SearchFrame> Frames;
  SearchFrame Scratch;

  CKestroGame Rules;  // attack maps
  int32_t Pins[2][kSquares] = {};
  int64_t SearchNodes = 0;
  bool SearchAborted = false;
};
