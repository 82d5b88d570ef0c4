#pragma once
// What the play window asks of the computer players: the built-in player's
// turn, polling the external engines, the ComputerPlayer menu's commands,
// what follows a move, the analysis and the trainings. The default owns
// nothing and does nothing; the engine control replaces it.
#include <string>

struct BpgnMove;
namespace net {
struct RelayedMove;
}

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

  // --- after a move of a bughouse or Coin game ---
  // A relayed move this window has applied.
  virtual void TellComputerPlayers(const net::RelayedMove& move) { (void)move; }
  // A move the server has applied (its own window does not apply it again).
  virtual void ServerAppliedMove(const BpgnMove& move, const std::string& text) {
    (void)move;
    (void)text;
  }

  // --- commands ---
  virtual void NoComputerPlayers() {}
  virtual void EngineTimerItem() {}
  virtual void AutoMoveClicked() {}
  virtual void AnalyzePositionA() {}
  virtual void ChooseEngineForAnalysis() {}
  virtual void HotseatTraining(int n) { (void)n; }

  // --- chat ---
  // A chat line from another window's player reached this window.
  virtual void ChatArrived(const std::string& sender, const std::string& text) {
    (void)sender;
    (void)text;
  }
  // The user sent a chat line from this window.
  virtual void OwnChatLine(const std::string& text) { (void)text; }
};
