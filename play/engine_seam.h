#pragma once
// What the play window asks of the computer players: the built-in player's
// turn, polling the external engines, and freeing them. The default owns
// nothing and does nothing; the engine code and tests put their own in place.
#include <string>

class EngineSeam {
 public:
  virtual ~EngineSeam() = default;
  // The built-in computer player's turn.
  virtual void ComputerPlayerTurn() {}
  // The engine timer's tick.
  virtual void PollEngines() {}
  // Stops and frees the agent of every seat that has one.
  virtual void DeleteAgents() {}
  // Frees the built-in computer player, if there is one.
  virtual void DeleteComputerPlayer() {}
  // The file name of the engine a seat's engine item has chosen, "" when none is.
  virtual std::string SeatEngineName(int seat) const {
    (void)seat;
    return {};
  }
  // A bughouse or Coin game of `kind` has started: start the seats' engines
  // and, when it plays, the built-in computer player.
  virtual void StartEngines(int kind) { (void)kind; }
};
