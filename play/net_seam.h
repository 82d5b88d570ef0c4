#pragma once
// What the play window asks of the network game. The default does nothing;
// the network code and tests put their own in place.
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
  // Empties the debug log of frames sent and received.
  virtual void ClearDebugLog() {}
  // Closes the connection (the Disconnect command).
  virtual void Disconnect() {}
  // Refreshes the connected flags of the server's player table.
  virtual void RefreshClientsConnected() {}
};
