#pragma once
// What the play window asks of the network game. The default does nothing;
// the network session and tests put their own in place.
#include <string>

class NetSeam {
 public:
  virtual ~NetSeam() = default;
  // A whole frame to the server: on a client it is written to the server, on
  // the server it is processed as if a connection had sent it.
  virtual void SendToServer(const std::string& frame) { (void)frame; }
  // A frame from the server to every client, processed locally as a client would.
  virtual void SendToAll(const std::string& frame) { (void)frame; }
  // A frame from the server to every client only; the server's window does not process it.
  virtual void SendToAllBS(const std::string& frame) { (void)frame; }
  // On the server: the server user's own PlayMove frame, timed and relayed
  // by the server as a client's move is, without the seat check.
  virtual void SendOwnMove(const std::string& frame) { (void)frame; }
  // Empties the debug log of frames sent and received.
  virtual void ClearDebugLog() {}
  // The debug log of frames sent and received ("Make Debug Logs").
  virtual const std::string& DebugLogText() const {
    static const std::string none;
    return none;
  }
  // Closes the connection (the Disconnect command).
  virtual void Disconnect() {}
  // Refreshes the connected flags of the server's player table.
  virtual void RefreshClientsConnected() {}
  // A new game of `kind` (NewGameKind) started on the server: every seat's
  // turn starts now, neither team has a new-game request, no move is relayed.
  virtual void GameStarted(int kind) { (void)kind; }

  // The NetGame menu and the network controls.
  virtual void StartServer() {}
  virtual void JoinToServer() {}
  virtual void Login() {}
  virtual void SendChatLine() {}
  // A chat text to everybody, from the window's own handle.
  virtual void SendTalk(const std::string& text) { (void)text; }
  virtual void Who() {}
  virtual void WhoIsConnected() {}
  // seat: 0 WhiteA, 1 BlackA, 2 WhiteB, 3 BlackB.
  virtual void TakeRole(int seat) { (void)seat; }
  virtual void AbandonRole(int seat) { (void)seat; }
  virtual void TakeAllRoles() {}
  virtual void TakeRoleTest() {}
  virtual void CallServerAdministrator() {}
};
