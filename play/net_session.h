#pragma once
// The play window's side of the network game: the server or client socket,
// one frame reader per connection, the player table, the two command
// processors and the debug log. It implements the window's net seam (the
// send operations and the NetGame menu's commands) and what the processors
// ask of the window.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "net/core/client_host.h"
#include "net/core/client_processor.h"
#include "net/core/debug_log.h"
#include "net/core/frame.h"
#include "net/core/player_table.h"
#include "net/core/server_host.h"
#include "net/core/server_processor.h"
#include "play/net_seam.h"

class NetClient;
class NetServer;
class QTimer;
class TfrmKestrovane;

class NetSession : public NetSeam {
 public:
  // The cores count time on the window's tick clock.
  explicit NetSession(TfrmKestrovane& window);
  ~NetSession() override;

  // --- the window's send operations ---
  void SendToServer(const std::string& frame) override;  // NetGameSendMessageToServer
  void SendToAll(const std::string& frame) override;    // ServerSendtoAll
  void SendToAllBS(const std::string& frame) override;  // ServerSendtoAllBS
  void SendOwnMove(const std::string& frame) override;
  void ClearDebugLog() override { log_.Clear(); }
  void RefreshClientsConnected() override;
  void GameStarted(int kind) override;

  // --- the NetGame menu and the network controls ---
  void StartServer() override;
  void JoinToServer() override;
  void Login() override;
  void Disconnect() override;
  void SendChatLine() override;
  void SendTalk(const std::string& text) override;
  void Who() override;
  void WhoIsConnected() override;
  void TakeRole(int seat) override;
  void AbandonRole(int seat) override;
  void TakeAllRoles() override;
  void TakeRoleTest() override;
  void CallServerAdministrator() override;
  const std::string& DebugLogText() const override { return log_.Text(); }

  // Without the dialogs: the server on `port` (0: any free one), a client
  // joining `address`:`port`. False with a line in the chat pane when the
  // port is taken or the address can not be reached at once.
  bool StartServerOn(uint16_t port);
  void JoinServer(const std::string& address, uint16_t port);
  // The port the server listens on (0 when it does not).
  uint16_t ServerPort() const;
  // Closes the connection of player-table entry `index` without a word, as a
  // failing network would.
  void DropConnection(int index);
  const net::PlayerTable& Table() const { return table_; }

 private:
  class ServerSide;
  class ClientSide;
  friend class ServerSide;
  friend class ClientSide;

  void ServerSendtoCli(std::string_view handle, const std::string& frame);
  void AddChatLine(const std::string& line);
  // Frames cut from reads, each run by its processor.
  void ServerRead(int64_t connection, std::string_view bytes);
  void ClientRead(std::string_view bytes);
  void ClientDropped(const std::string& reason);
  void ProcessOnClient(std::string_view frame);
  // After a relayed move the game (its record and legal-move list too) is
  // up to date at once; the board, the move selections and both panes show
  // it from the event loop, after the sockets' events, once for any number
  // of moves: the network does not wait for drawing.
  void ShowMoveLater();
  void ShowMove();
  // The debug log follows "Make Debug Logs".
  void SyncLog();
  // The menus and controls of a window that is no longer in a network game.
  void BackToLocal();
  // Stops both sockets ("Disconnecting ..." when one was open).
  void CloseSockets();
  void LogHeldGame();

  TfrmKestrovane& w_;
  net::Clock& clock_;
  net::DebugLog log_;
  net::PlayerTable table_;
  std::unique_ptr<ServerSide> server_side_;
  std::unique_ptr<ClientSide> client_side_;
  std::unique_ptr<net::ServerProcessor> server_processor_;
  std::unique_ptr<net::ClientProcessor> client_processor_;
  std::unique_ptr<NetServer> server_;
  std::map<int64_t, net::FrameReader> readers_;
  std::unique_ptr<NetClient> client_;
  net::FrameReader client_reader_;
  std::string server_address_;
  std::string last_error_;
  uint16_t server_port_ = 6464;
  std::unique_ptr<QTimer> show_timer_;  // zero-interval, single-shot: ShowMove
  bool reading_ = false;  // frames of a read are being run: chat lines wait for their burst
};
