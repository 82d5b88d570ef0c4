#pragma once
// The rich-text report of a viewer as a sequence of lines and font changes:
// move tables of games, chess-font diagrams of positions and the export of a
// whole game file. Qt-free; the window's text pane implements ReportSink.
#include <string>

#include "game/bpgn_file.h"
#include "game/kestro_game.h"

inline constexpr const char* kReportFont = "Courier New";
inline constexpr const char* kDiagramFont = "Chess Bughouse";

// Where the report goes; texts are the game's bytes (read as
// game/display_text.h reads them), lines may hold "\n".
class ReportSink {
 public:
  virtual ~ReportSink() = default;
  // Font of what is added next (the selection attributes of a rich edit).
  virtual void SetFont(const std::string& family, int points) = 0;
  virtual void SetSize(int points) = 0;
  // Back to the pane's default attributes.
  virtual void ResetAttributes() = 0;
  virtual void AddLine(const std::string& text) = 0;
};

// Both boards (board B only when the game found two) as lines of chess-font
// glyphs, side-to-move marks and held pieces; lines joined by "\n".
std::string PositionToDiagramText(const CKestroGame& game, const TwoBoardPosition& position);

// The game as a four-column move table, with a diagram before every N-th line
// (none when N is 0). Leaves the game replayed to the position before its last move.
void WriteGameRtf(ReportSink& sink, CKestroGame& game, int n);
// The same with 11 pt text, narrower cells and 17 pt diagrams.
void WriteGameRtf2(ReportSink& sink, CKestroGame& game, int n);
void InsertDiagramRtf(ReportSink& sink, const CKestroGame& game, const TwoBoardPosition& position);

// The warning word for exporting a file of `textLength` bytes.
std::string ExportDurationWord(int textLength);

struct ExportSummary {
  int games = 0;
};
// Every game of the file, from its current game to the end and then from game
// 1 up to the one before it, each under a heading; the file's current game is
// the same afterwards. Linear in the file: games are cut by the file's index
// and replayed forwards once.
ExportSummary WriteAllGamesRtf(ReportSink& sink, CBpgn& file, int n);

// The game text with the boards exchanged: the board letters of move numbers
// ("12A." and "12B.", "7a." and "7b.") and the "A"/"B" of White.../Black...
// tag names. Comments and tag values stay as they are; swapping twice gives
// the text back.
std::string SwapBoardsInBpgn(const std::string& text);
