// Seat tables and move checks of the engine control.
#include "engines/core/engine_seats.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "engines/core/engine_text.h"

const EngineSeatRow kEngineSeats[4] = {
    {1, "%dA.", 1, {2, 3}, true},
    {1, "%da.", 0, {2, 3}, false},
    {2, "%dB.", 3, {0, 1}, false},
    {2, "%db.", 2, {0, 1}, false},
};

const char* const kEngineGreetings[3] = {"tellics set 1 Sjeng", "tellics kibitz Hello from Sunsetter",
                                         "tellics set 1 RuvokB"};

size_t FindEngineGreeting(std::string_view text) {
  size_t first = std::string_view::npos;
  for (const char* greeting : kEngineGreetings) first = std::min(first, text.find(greeting));
  return first;
}

std::string EngineSpeedHint(int seat, int speed) {
  return std::string("Winboard Engine ") + kSeatWords[seat & 3] + " speed : " + std::to_string(speed);
}

int ReadEngineSpeed(std::string_view text) {
  return text.size() == 1 && text[0] >= '1' && text[0] <= '9' ? text[0] - '0' : 0;
}

int EngineSpeedOfHint(std::string_view hint) {
  const int speed = hint.size() >= 32 ? ReadEngineSpeed(hint.substr(31, 1)) : 0;
  return speed ? speed : 1;
}

bool KindAllowsSjeng(int kind) { return kind == 0 || (kind >= 101 && kind <= 199) || (kind >= 501 && kind <= 599); }

bool KindAllowsSunsetter(int kind) { return kind == 0 || (kind >= 101 && kind <= 199); }

std::string EngineMoveFrameText(const TwoBoardPosition& position, int seat, int pliesOnBoard, const std::string& body,
                                int thinkingTime) {
  char number[16];
  std::snprintf(number, sizeof number, kEngineSeats[seat & 3].moveNumberFormat, (pliesOnBoard + 2) / 2);
  char stamp[80];
  std::snprintf(stamp, sizeof stamp, "{%d}{C:[T:%d][L:%d]}", (position.clock[seat & 3] - thinkingTime) / 1000,
                thinkingTime, 0);
  return number + body + stamp;
}

std::string CheckedEngineMove(CKestroGame& game, int seat, const std::string& coordinateMove, int thinkingTime) {
  const int board = kEngineSeats[seat & 3].board;
  const std::string body = EngineMoveToBpgn(game.Position, board, coordinateMove);
  if (body.empty()) return {};
  const std::string text =
      EngineMoveFrameText(game.Position, seat, board == 1 ? game.PliesA : game.PliesB, body, thinkingTime);
  game.TrialPosition = game.Position;
  BpgnMove trial;
  trial.token = text;
  const size_t errors = game.ErrorLog.size();
  const bool played = game.PlayBpgnMove(trial, game.TrialPosition, 1) && (trial.moverSeat & 3) == (seat & 3);
  // A refusal is the engine's, not the game's: it leaves no trace in the game's error log.
  if (game.ErrorLog.size() > errors) game.ErrorLog.resize(errors);
  return played ? text : std::string();
}

int ExtraPawnSteps(int from, int to) {
  if (from == 0) return 0;
  const int steps = std::abs(RankOf(from) - RankOf(to)) - 1;
  return steps > 0 ? steps : 0;
}
