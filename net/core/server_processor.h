#pragma once
// The server's authority over the shared game: every frame that reaches the
// server runs through NetGameServerProcessingMessage. It logs clients in,
// relays chat, seats players, checks, times and relays moves, and starts new
// games when both teams ask for the same one.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/position.h"
#include "net/core/clock.h"
#include "net/core/player_table.h"
#include "net/core/server_host.h"

namespace net {

// True when `payload` is one move token (number, board letter, ".", the
// move) followed by nothing or by brace comments of printable bytes only.
bool IsMoveTokenText(std::string_view payload);
// The thinking time a mover claims ("[T:" digits "]"); 0 when absent,
// negative or not a plain number.
int64_t ClaimedThinkingTime(std::string_view payload);
// The title a new-game request code is announced with, and the kind it
// starts; empty and -1 for codes outside the new-game range.
std::string_view NewGameRequestTitle(int code);
int NewGameRequestKind(int code);

class ServerProcessor {
 public:
  // The processor keeps the two teams' requests and the server's turn-start
  // stamps itself; the window owns the processor, the table and the clock.
  ServerProcessor(ServerHost& host, PlayerTable& table, Clock& clock) : host_(host), table_(table), clock_(clock) {}

  // One frame, from a client connection or (no connection) from the server's
  // own window.
  void NetGameServerProcessingMessage(std::optional<int64_t> connection, std::string_view frame);

  // The server user's own move (mouse or built-in player), as a PlayMove
  // payload: checked, timed, recorded and relayed as a client's move is,
  // without the seat check.
  void PlayOwnMove(std::string_view payload);

  // The server's connections changed: the table's in-use flags follow them,
  // and a participant whose connection has closed leaves the seats it still
  // holds, as if it had left them itself, so that they can be taken again.
  void ConnectionsChanged();

  // A game of `kind` (NewGameKind) has started (StartNewGame, on the server):
  // every seat's turn starts now, neither team has a request, no move has
  // been relayed. A seat that is free now starts its turn when first taken.
  void GameStarted(int kind = 0);

  // Team 1 is WhiteA and BlackB, team 2 BlackA and WhiteB.
  int TeamRequest(int team) const { return team == 1 ? requests_[0] : requests_[1]; }
  int64_t TurnStart(int seat) const { return turnStart_[seat & 3]; }

  // The longest move record the server keeps: later moves are refused.
  static constexpr int kMaxRecordedMoves = 4000;

 private:
  // The sender of one frame, copied from its table entry.
  struct Sender {
    int index = -1;  // -1: no entry ("Unknown", no roles)
    std::string name = "Unknown";
    std::string handle;
    int32_t roles = 0;
  };

  // The sender of the table entry `index`.
  Sender SenderOf(int index) const;
  void Login(std::optional<int64_t> connection, std::string_view frame);
  void Reply(const Sender& sender, const std::string& frame);
  void TakeSeat(const Sender& sender, int seat);
  void LeaveSeat(const Sender& sender, int seat);
  void FreeSeat(const Sender& sender, int seat);
  void SendSeatChange(const Sender& sender, const std::string& confirmation, const std::string& talk);
  void PlayMove(const Sender& sender, std::string_view payload, bool seatCheck = true);
  // To a client that has just logged in: the game's NewGame command and every
  // move relayed so far, so that it shows and records the game the others
  // play. When a seat changed since the start, the seats the game started
  // with come first and the current ones last, so that its header names the
  // players the others' headers name. The game's lag-compensator switch goes
  // with its NewGame, and how long each seat's turn has run comes last.
  void SendGameSoFar(std::string_view handle);
  void AgreeNewGame(const Sender& sender, int code);
  // The thinking time and lag of a move by `mover` at `now` claiming `claim`.
  std::pair<int32_t, int32_t> MoveTimes(int mover, int64_t now, int64_t claim) const;

  ServerHost& host_;
  PlayerTable& table_;
  Clock& clock_;
  int requests_[2] = {0, 0};
  int64_t turnStart_[4] = {0, 0, 0, 0};
  // Per seat: free since the game started (its turn starts when first
  // taken), and taken by the one sitting there now after its turn started,
  // who has not moved since.
  bool freeSinceStart_[4] = {false, false, false, false};
  bool takenInTurn_[4] = {false, false, false, false};
  int kind_ = 0;                       // the kind of the game being played
  // its seats' names when it started
  std::array<std::string, 4> startNames_ = {kSeatWords[0], kSeatWords[1], kSeatWords[2], kSeatWords[3]};
  std::vector<std::string> relayed_;  // its PlayMove frames as relayed, in order
};

}  // namespace net
