#pragma once
// What the client command processor asks of the window it runs in. The play
// window implements it; tests put a fake in place. Every text is bytes
// (Windows-1252); chat lines are plain text, never markup.
#include <cstdint>
#include <string>

#include "game/position.h"

class CKestroGame;
struct BpgnMove;

namespace net {

// A relayed move as it was played, for the computer players of the window.
struct RelayedMove {
  const BpgnMove* move = nullptr;        // its fields as the move player filled them
  std::string text;                      // the move text as the server relayed it
  int32_t holdingsBeforeA[kSlots] = {};  // both holdings as they were before the move
  int32_t holdingsBeforeB[kSlots] = {};
};

// The processor runs inside the window's event handling (and, on the server,
// inside its own broadcasts); no member may run the event loop.
class ClientHost {
 public:
  virtual ~ClientHost() = default;

  // The window's game object; null while it has none. A new game replaces it.
  virtual CKestroGame* Game() = 0;

  // --- chat pane and partner line ---
  // Adds one line to the chat pane and scrolls it down.
  virtual void AddChatLine(const std::string& line) = 0;
  // The partner line's text, and its length limit (30 to 1000).
  virtual std::string PartnerTellsText() = 0;
  virtual int PartnerTellsLimit() = 0;
  virtual void SetPartnerTellsText(const std::string& text) = 0;
  // Speaks a chat line with the voice its sender gets, when sounds are on.
  virtual void SpeakChatLine(const std::string& sender, const std::string& text) {
    (void)sender;
    (void)text;
  }

  // A chat line from `sender` was shown (after SpeakChatLine and the partner line).
  virtual void ChatArrived(const std::string& sender, const std::string& text) {
    (void)sender;
    (void)text;
  }

  // --- relayed moves ---
  // Plays the move sound when sounds are on and returns when it has ended.
  virtual void PlayMoveSoundAndWait() {}
  // The turn of `seat` began at `tick` (the window's own turn-start stamp).
  virtual void SetTurnStart(int seat, int64_t tick) = 0;
  // Both boards drawn again after a move: running clocks, move markers.
  virtual void ShowMovePlayed() = 0;
  // The record pane's last line ("{*} *") becomes " " + the move text and a
  // line "{*} *" follows (AddNetworkMoveToRecord gives that text).
  virtual void AddMoveToRecord(const std::string& moveText) = 0;
  // The game's legal moves were generated again: show their list.
  virtual void ShowLegalMoves() = 0;
  // After a relayed move of a bughouse or Coin game: the built-in computer
  // player's turn and the capture and move relay to the seats' engines.
  virtual void TellComputerPlayers(const RelayedMove& move) { (void)move; }

  // --- new games ---
  // Logs the finished game to the daily file when the user asked for that.
  virtual void LogGameBeforeNewGame() = 0;
  // True when the record pane holds a move after its first tags.
  virtual bool RecordHoldsMove() = 0;
  // Empties the record pane.
  virtual void ClearRecord() = 0;
  // Starts a new game of the kind (replaces the game object); its move sound
  // plays only `withSound`.
  virtual void StartNewGame(int kind, bool withSound) = 0;
  // Running clocks shown (their check box checked, as if clicked).
  virtual void ShowRunningClocks() = 0;
  // The lag compensator's check mark as the server's new game has it; the
  // new game started next takes it over.
  virtual void SetLagCompensator(bool on) = 0;

  // --- own record ---
  // The own name changed: the name box shows it and keeps it.
  virtual void ShowOwnName(const std::string& name) = 0;
  // The player names changed: both boards drawn again.
  virtual void ShowPlayers() = 0;
  // The own role bits changed; `code` is the start-game items' code 30000.
  virtual void EnableNewGameMenus(int code) = 0;
};

}  // namespace net
