#pragma once
// The game model of one board window: game kind, move record, positions,
// error log, legal-move list, and the rules that act on positions.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "game/move.h"
#include "game/piece_lists.h"
#include "game/position.h"

enum GameKindCode : int32_t { gkBughouse = 1, gkOther = 2, gkCoin = 5, gkIngols = 6 };

// How drops of a piece the hand lacks are treated by the move player.
// Moves made live (mouse, engines, network) are strict; a recorded game is
// played leniently first, and air drops are put right afterwards.
enum class HandCheck { Strict, Lenient };

// Tag lookup in a tag part: "[Name" where the name ends (so "[Event" is not
// "[EventDate"); 1-based position or 0.
int FindBpgnTag(std::string_view text, std::string_view name, int from = 1);
// Value between the next two double quotes after the tag, trimmed; false when absent.
bool BpgnTagValue(std::string_view text, std::string_view name, std::string& value);
// A value as written between the quotes of a tag pair: "\"" and "\\" escaped
// with a backslash, line breaks as blanks. The tag readers undo the escapes.
std::string BpgnTagText(std::string_view value);
// One tag pair: "[" name " \"" value "\"]", the value escaped.
std::string BpgnTagPair(std::string_view name, std::string_view value);
// The four player lines: each seat's name pair and its rating pair "0", CR LF after each.
std::string BpgnPlayerTags(const std::string (&names)[4]);
// Where the next game of a BPGN text begins, at or after `from` (0-based):
// an "[Event" tag at the start of a line (after blanks) or right after the "]"
// that closes another tag. npos when no game begins there.
size_t FindBpgnGameStart(std::string_view text, size_t from = 0);
std::string CurrentDateTimeText();
// Whether a game text holds a move token after its leading tag pairs.
bool HoldsMoveAfterTags(std::string_view gameText);
// Whether a game text is a set-up saved before its first move: its leading
// tag pairs hold "[Setup \"1\"]" with a position the loader reads, and no
// move token follows them. `tagsEnd` gets the 1-based place past the tag pairs.
bool IsSetupWithoutMoves(std::string_view gameText, int* tagsEnd = nullptr);

// What a board window draws and plays with (visual settings, piece pictures,
// fonts, sounds). The display layer installs a factory that every new game
// object calls; the pictures behind it are shared, so loading a game reloads
// nothing. Without a factory a game carries no display (tests, tools).
class GameDisplay {
 public:
  virtual ~GameDisplay();
};
using GameDisplayFactory = std::shared_ptr<GameDisplay> (*)();
void SetGameDisplayFactory(GameDisplayFactory factory);

// The start position a loaded game was set up from.
enum class StartSetup { Standard, Rqbn, R3k2r, Qrrbb, Ingols, Bfen };

class CKestroGame {
 public:
  CKestroGame();
  // Builds the object from a whole BPGN game text. A bad text never stops
  // construction: LoadFailed and ErrorLog tell what went wrong.
  CKestroGame(const std::string& text, int firstMoveThreshold);

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
  // What ComputePins gives for one square holding a piece of `colour`, from
  // a board's squares and king squares.
  int PinOf(const int32_t* squares, const int32_t* kings, int square, int colour) const;
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

  // --- record texts ---
  static std::string PositionToBfen(const TwoBoardPosition& position);
  // Reads a BFEN as PositionToBfen writes it (runs of blanks count as one)
  // into a whole new position: both boards, marks "~", hands, sides to move,
  // castling, en passant and clocks. Malformed text leaves `out` as it was
  // and says why in `error`.
  static bool BfenToPosition(std::string_view bfen, TwoBoardPosition& out, std::string& error);
  std::string ReadBpgnTags(const std::string& tagText);
  std::string DefaultBpgnTags() const;
  std::string BpgnSetupText(const TwoBoardPosition& position) const;
  static std::string StripLeadingText(const std::string& text, const std::string& prefix);
  static std::string ReplaceChar(const std::string& text, char from, char to);

  // --- loading and replay ---
  static void NormalizeMoveTextNoComments(std::string& text);
  int RemoveAirDrops(int moveCount, std::vector<BpgnMove>& moves, std::string& moveText);
  void GetPositionAtMove(TwoBoardPosition& out, int n);
  void StepToNextMoveOnBoard(TwoBoardPosition& out, int board);
  void SetupStartPosition(TwoBoardPosition& position) const;
  // Reads a tag part's set-up text and variant as the loader does (setting
  // StartKind, SetupLine and GameKind); when it names a set-up, writes that
  // start into `position` and returns true.
  bool SetupPositionOfTags(const std::string& tagPart, TwoBoardPosition& position);
  // Forget the kept replay position (after the record was changed other than
  // by appending); from then on the replay reads every token again.
  void InvalidateReplay() {
    ReplayValid = false;
    for (BpgnMove& move : Moves) move.played = 0;
  }

  // --- state ---
  int32_t GameKind = gkBughouse;
  int32_t BoardsFound = 2;
  std::string SourceText;
  std::string GameText;
  std::vector<BpgnMove> Moves;  // the record, both boards interleaved in played order
  int32_t MoveCount = 0;
  int32_t ReplayIndex = 0;
  int32_t PliesA = 0, PliesB = 0;
  TwoBoardPosition Position;
  TwoBoardPosition TrialPosition;
  int32_t LagCompensatorRead = 0;
  int32_t LagCompensatorSeconds = 0;
  std::string ErrorLog;
  std::vector<LegalMoveEntry> LegalMoves;
  int32_t LegalMoveCount = 0, LegalMoveCountA = 0, LegalMoveCountB = 0;
  std::string LegalMoveText;
  std::string PlayerNames[5] = {kSeatWords[0], kSeatWords[1], kSeatWords[2], kSeatWords[3], "Arbiter"};
  std::string PlayerElos[5];
  std::string DisplayNames[5];
  std::string TagEvent, TagSite, TagDate, TagTimeControl, TagResult, TagSetup, TagFen;
  std::string Title;
  std::string TagPart;
  std::string MovePart;
  std::string TailPart;
  std::string SetupLine;
  std::string ProgramFolder;
  std::string SysFolder;
  std::shared_ptr<GameDisplay> Display;
  int32_t LoadFailed = 0;
  StartSetup StartKind = StartSetup::Standard;
  std::string StartBfen;  // the position read from a set-up's FEN tag, when StartKind is Bfen
  int32_t IngolsPromotionWhite[kSquares] = {};
  int32_t IngolsPromotionBlack[kSquares] = {};

 private:
  void LoadGameText(int firstMoveThreshold);
  void ReadStartFromTags(const std::string& tagPart);
  // Pins the move player put off: for each board, the squares its last move
  // changed with their codes before it, and the king squares before it, to
  // compute the pins PlayBpgnMove would have left from them later.
  struct PutOffPins {
    bool pending[2] = {false, false};  // 0 for A, 1 for B
    int32_t touched[2][4] = {};
    int32_t before[2][4] = {};
    int32_t touchedCount[2] = {};
    int32_t kings[2][2] = {};
  };
  // How the move player treats the pins of the moving board: as those of its
  // squares already (`known`), computed as soon as the board is read, or, with
  // `putOff`, read square by square where the move needs them.
  struct PinsPlan {
    bool known[2] = {false, false};
    PutOffPins* putOff = nullptr;
  };
  int PlayBpgnMoveWithPins(BpgnMove& move, TwoBoardPosition& position, int checkMoveNumber, HandCheck handCheck,
                           const PinsPlan& pins);
  // ComputePins for one board given by its squares and king squares.
  void ComputePinsOf(const int32_t* squares, const int32_t* kings, int32_t* pins) const;
  // The pins a put-off board is left with.
  void SettlePutOffPins(const PutOffPins& putOff, int board, TwoBoardPosition& position) const;
  // Plays a move the move player has read and checked, from its fields.
  void ApplyPlayedMove(const BpgnMove& move, TwoBoardPosition& position) const;
  // ComputeAttackMaps with the board's pieces already gathered.
  void ComputeAttackMapsFrom(TwoBoardPosition& position, int board, const PieceLists& pieces) const;
  void ReplayTo(int n);
  void FinishReplay(TwoBoardPosition& out);
  // The game kind the loader played the record under: while it holds, the
  // replay plays each loaded move from its fields, as each board meets the
  // same squares again (the air-drop order keeps every board's own order).
  int32_t LoadedKind = 0;
  TwoBoardPosition ReplayPosition;  // its pins and attack maps are kept up to date by FinishReplay
  int ReplayCursor = 0;
  bool ReplayValid = false;
  // Boards of the replay position whose pins and attack maps no longer fit
  // their squares, and the game kind the maps were computed for.
  bool ReplayMapsStale[2] = {true, true};
  int32_t ReplayMapsKind = 0;
  // The pieces of each board of the replay position, followed move by move
  // while `ReplayPiecesKept`.
  PieceLists ReplayPieces[2];
  bool ReplayPiecesKept[2] = {false, false};
};
