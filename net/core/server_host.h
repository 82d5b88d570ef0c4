#pragma once
// What the server's command processor asks of the window that runs the
// server (the play window; a fake in tests).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CKestroGame;

namespace net {

class DebugLog;

// The check marks the processor reads, as they stand when it asks.
struct ServerChecks {
  bool playersCanStartGame = true;  // new games by agreement of both teams
  bool callServerAdministrator = false;  // the server's user wants to hear calls
  bool soundsOn = false;
  bool soundMoveNone = false;  // the move sound is switched off
};

class ServerHost {
 public:
  virtual ~ServerHost() = default;

  // The game the window plays now; a new game replaces it.
  virtual CKestroGame& Game() = 0;
  // The window's debug log (its `on` is the "Make Debug Logs" check mark).
  virtual DebugLog& Log() = 0;
  virtual ServerChecks Checks() const = 0;

  // Writes the frame to every connection, then runs the client processor on
  // it in the window before returning.
  virtual void ServerSendtoAll(const std::string& frame) = 0;
  // Writes the frame to every connection only.
  virtual void ServerSendtoAllBS(const std::string& frame) = 0;
  // To the participant with this handle (the window's own client processor
  // for the server's own handle).
  virtual void ServerSendtoCli(std::string_view handle, const std::string& frame) = 0;
  // To one connection, whoever it is (answers to a login that got no entry);
  // logged as ServerSendtoCli.
  virtual void ServerSendtoConnection(int64_t connection, const std::string& frame) = 0;

  // Adds a line to the chat pane.
  virtual void AddChatLine(const std::string& line) = 0;
  // Runs the start-game menu handler of a kind as if the server's user chose
  // it; its StartNewGame replaces the game and calls ServerProcessor::GameStarted.
  virtual void StartGameOfKind(int kind) = 0;
  // The ids of the server socket's active connections, in connection order.
  virtual std::vector<int64_t> LiveConnections() const = 0;
  // Draws both boards.
  virtual void Redraw() = 0;
  // After the server played and relayed a move: the record pane gains it
  // before its closing "{*} *", the board's move selection is cleared, the
  // legal-move pane shows `legalMoves`, and both boards are drawn (the window
  // may draw from its event loop, once for several moves).
  virtual void ShowServerMove(int board, const std::string& moveText, const std::string& legalMoves) = 0;
  // The window's own turn-start stamp of a seat (the processor keeps its own).
  virtual void SetTurnStart(int seat, int64_t tick) = 0;
  // Plays the game's move sound from memory and returns when it has played.
  virtual void PlayMoveSound() = 0;
  // A beep and the "CallAdmin.WAV" sound, not waited for.
  virtual void PlayCallAdminSound() = 0;
};

}  // namespace net
