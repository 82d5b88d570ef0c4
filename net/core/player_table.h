#pragma once
// The server's player table: entry 0 is the server's own player, clients get
// entries at login, entries are never removed (a gone client keeps its name
// and handle, in use 0). Also the login handshake, the name rules, client
// handles and the two who-is-connected texts.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace net {

// NetGameRoles bits.
inline constexpr int32_t kRoleAdmin = 1;
inline constexpr int32_t kRoleClient = 6;  // 2 | 4, every logged-in client
inline constexpr int32_t kRoleSeatFirst = 8;  // seat s: 8 << s
inline constexpr int32_t kSeatNone = 5;
inline constexpr std::string_view kSupervisorName = "Supervisor";
inline constexpr size_t kMaxNameLength = 20;

struct NetGamePlayer {
  int32_t inUse = 0, index = 0;
  int64_t socket = 0;  // connection id (> 0 for clients; 0 for the server's own entry)
  std::string name, handle;
  int32_t roles = 0, engineRoles = 0;
  int32_t ownSeat = kSeatNone, partnerSeat = kSeatNone, opponentSeat = kSeatNone, partnersOpponentSeat = kSeatNone;
};

// A client handle: a random number below 2000000000 as "%10d".
std::string NewClientHandle();
// A login name made safe: control bytes, 0xA4, '>' and ':' removed, trimmed,
// at most 20 bytes, empty or "Unknown" -> "Guest".
std::string CleanName(std::string_view name);
// True for the seat words, "Unknown" and "endcmd", which no participant may be called.
bool IsReservedName(std::string_view name);

// One live connection for WhoIsConnectedText.
struct ConnectionText {
  std::string host, address;
};
// "Online is N bughouse chess players:\nSupervisor" + "\nhost (address)" per connection.
std::string WhoIsConnectedText(const std::vector<ConnectionText>& connections);

// What the server does after a login frame.
struct LoginOutcome {
  bool accepted = false;
  int index = -1;                        // the new entry when accepted
  std::vector<std::string> toRequester;  // frames written to the connection that sent the login
  std::vector<std::string> toAll;        // frames broadcast (the server's window runs them too)
  std::vector<std::string> paneLines;    // lines for the server's chat pane
};

class PlayerTable {
 public:
  static constexpr int kCapacity = 99;

  PlayerTable();  // the state after server start: entry 0 "Supervisor", count 1
  void Reset();

  int Count() const { return count_; }
  const NetGamePlayer& At(int i) const { return entries_[static_cast<size_t>(i)]; }
  NetGamePlayer& At(int i) { return entries_[static_cast<size_t>(i)]; }

  // Last entry 0..count-1 whose name / handle equals the argument, else -1.
  int FindClientByName(std::string_view name) const;
  int FindClientByHandle(std::string_view handle) const;
  // The last client entry whose connection is `connection`, else -1.
  int FindByConnection(int64_t connection) const;

  // The server's user logs in: entry 0 gets roles 7 and the (cleaned) name.
  // Returns the name used.
  std::string ServerLogin(std::string_view name);

  // A login frame from `connection`. `seatNames` are the game's four player
  // names for the SetPlayers reply.
  LoginOutcome Login(int64_t connection, std::string_view frame, const std::array<std::string, 4>& seatNames);

  // In use of entries 1..count-1 from the live connection ids.
  void RefreshClientsConnected(const std::vector<int64_t>& liveConnections);

  // "On this server is online N active chess players:" + a line per entry in use.
  std::string RolesSummaryText() const;

 private:
  bool NameTaken(std::string_view name) const;
  std::string UniqueName(std::string_view base) const;

  std::array<NetGamePlayer, kCapacity> entries_{};
  int count_ = 1;
};

}  // namespace net
