#pragma once
// The four seats as the engine control sees them: which board, which move
// number form, who the opponent is; the greeting lines of the engines; the
// speed kept in a menu hint; and the checking of an engine's move on a
// scratch position before it is sent.
#include <cstdint>
#include <string>
#include <string_view>

#include "game/kestro_game.h"
#include "game/position.h"

struct EngineSeatRow {
  int board;                     // 1 A, 2 B
  const char* moveNumberFormat;  // "%dA." ...
  int opponent;                  // the seat across the same board
  int partnerBoardSeats[2];      // the two seats of the other board
  bool onlyInNetworkGame;        // moves passed on only in a network game
};
extern const EngineSeatRow kEngineSeats[4];

// The lines by which an engine says it is ready.
extern const char* const kEngineGreetings[3];
// Position of the first greeting line in `text`, npos when there is none.
size_t FindEngineGreeting(std::string_view text);

// "Winboard Engine WhiteA speed : 5": the speed sits at character 32.
std::string EngineSpeedHint(int seat, int speed);
// The digit at character 32 of a speed hint; 1 when it is not 1-9.
int EngineSpeedOfHint(std::string_view hint);
// "1".."9" read as a speed; 0 for anything else.
int ReadEngineSpeed(std::string_view text);

// Which new-game kinds start Sjeng (0, 101-199, 501-599) and Sunsetter (0, 101-199).
bool KindAllowsSjeng(int kind);
bool KindAllowsSunsetter(int kind);

// The PlayMove text of an engine's move for `seat`: move number, the BPGN
// body, the clock left in seconds and the thinking time stamp.
std::string EngineMoveFrameText(const TwoBoardPosition& position, int seat, int pliesOnBoard, const std::string& body,
                                int thinkingTime);

// An engine's coordinate move for `seat`, read and tried on the game's
// scratch position (the current position is left alone). Empty when the
// rules refuse it; otherwise the PlayMove text.
std::string CheckedEngineMove(CKestroGame& game, int seat, const std::string& coordinateMove, int thinkingTime);

// The number of extra pawn steps BpgnToEngineText needs: 1 for a double step.
int ExtraPawnSteps(int from, int to);
