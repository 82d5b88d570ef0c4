#pragma once
// The client's side of the network game: the processor that applies every
// frame the server sends, and the frames of the client's own commands.
#include <string>
#include <string_view>
#include <vector>

#include "net/core/client_host.h"
#include "net/core/clock.h"
#include "net/core/debug_log.h"
#include "net/core/player_table.h"

namespace net {

// Applies the server's frames to one window: chat, relayed moves, new games,
// names, seats. It sends nothing; what the window shows goes to the host.
class ClientProcessor {
 public:
  // `own` is the window's own record (name, roles, seat indexes); the
  // processor changes it. All four outlive the processor.
  ClientProcessor(ClientHost& host, NetGamePlayer& own, DebugLog& log, Clock& clock)
      : host_(host), own_(own), log_(log), clock_(clock) {}

  // One whole frame as the reader cut it.
  void NetGameClientProcessingMessage(std::string_view frame);

 private:
  void Talk(const std::string& payload);
  void PlayMove(const std::string& payload);
  void NewGame(int kind, const std::string& payload);
  void SetPlayerName(const std::string& payload);
  void SetPlayers(const std::string& payload);
  void SeatConfirmed(int code);
  void CatchUpTurns(const std::string& payload);

  ClientHost& host_;
  NetGamePlayer& own_;
  DebugLog& log_;
  Clock& clock_;
  // From the login's SetPlayerName to the next Talk the server sends the game
  // so far (a new game and the moves made): it is started and played silently.
  bool catchingUp_ = false;
  // Per seat: free since the game started. As on the server, such a seat's
  // turn starts when it is first taken; a move that gives it the turn ends
  // the mark.
  bool freeSinceStart_[4] = {false, false, false, false};
};

// The own seat indexes (own, partner, opponent, partner's opponent) from the
// four seats' player names: by the first seat that carries the own name, all
// 5 when none does.
void SetOwnSeats(NetGamePlayer& own, const std::string* seatNames);

// The record pane's text after a relayed move: its last line (the open
// result "{*} *") becomes " " + move and a line "{*} *" follows.
void AddNetworkMoveToRecord(std::string& record, std::string_view moveText);

// The partner line after the partner said `text`: "Your partner says: " and
// the tail of what was said, at most `limit` characters in all.
std::string PartnerTellsAfter(std::string_view shown, std::string_view text, int limit);

// --- frames of the client's own commands (handle: the own 10-byte handle) ---
// The login; the name is made safe ("Unknown" becomes "Guest").
std::string LoginFrame(std::string_view handle, std::string_view name);
// The chat line; the text is cleaned of frame marks and control bytes. An
// empty line keeps its payload mark (45 bytes in all).
std::string ChatFrame(std::string_view handle, std::string_view text);
std::string WhoFrame(std::string_view handle);
// seat: 0 WhiteA, 1 BlackA, 2 WhiteB, 3 BlackB.
std::string TakeRoleFrame(std::string_view handle, int seat);
std::string AbandonRoleFrame(std::string_view handle, int seat);
// "Take all 4 roles (Hotseat)": four frames, to be sent one by one.
std::vector<std::string> TakeAllRolesFrames(std::string_view handle);
// "Take role TEST": take and leave each seat in turn, eight frames.
std::vector<std::string> TakeRoleTestFrames(std::string_view handle);
std::string CallServerAdminFrame(std::string_view handle);
// Disconnect: good-bye, leaving every seat held, departing and a last chat
// line, joined into one text sent at once.
std::string DisconnectText(std::string_view handle, int roles);

}  // namespace net
