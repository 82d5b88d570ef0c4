#pragma once
// What the play window asks of the network game. The default does nothing;
// the network code and tests put their own in place.
#include <string>

class NetSeam {
 public:
  virtual ~NetSeam() = default;
  // A whole frame from a client to its server.
  virtual void SendToServer(const std::string& frame) { (void)frame; }
  // A frame from the server to every client, processed locally as a client would.
  virtual void SendToAll(const std::string& frame) { (void)frame; }
  // Closes the connection (the Disconnect command).
  virtual void Disconnect() {}
  // Refreshes the connected flags of the server's player table.
  virtual void RefreshClientsConnected() {}
};
