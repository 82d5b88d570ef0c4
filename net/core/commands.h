#pragma once
// The command names of both directions and the processors' codes for them.
// Names are compared exactly.
#include <string_view>

namespace net {

// Client to server.
namespace srv {
inline constexpr int kTalk = 5000;
inline constexpr int kBye = 9001;
inline constexpr int kDeparting = 9002;
inline constexpr int kCallServerAdmin = 9900;
inline constexpr int kWho = 10001;
inline constexpr int kPlayMove = 10002;
inline constexpr int kTakeRoleFirst = 10010;     // + seat (WhiteA, BlackA, WhiteB, BlackB)
inline constexpr int kAbandonRoleFirst = 10014;  // + seat
inline constexpr int kNewGameFirst = 30000;      // "New Game 1"
inline constexpr int kNewGameLast = 30027;       // "New Game 27"; 30020 is unused
}  // namespace srv

// Server to client.
namespace cli {
inline constexpr int kTalk = 5000;
inline constexpr int kPlayMove = 10002;
inline constexpr int kSetPlayerName = 20000;
inline constexpr int kSetPlayers = 20001;
inline constexpr int kTakeRoleFirst = 20010;     // + seat
inline constexpr int kAbandonRoleFirst = 20014;  // + seat
// After a late window's catch-up: how long each seat's turn has run.
inline constexpr int kTurnStarts = 20020;
}  // namespace cli

// Client->server names: 5000, 9001, ...; 0 = not in the table.
int ServerCommandCode(std::string_view name);
// The name a client sends for a server code ("Who", "New Game 5"); empty if none.
std::string_view ServerCommandName(int code);
// Server->client names: 5000, 10002, 10003.., 20000..; 0 = not in the table.
int ClientCommandCode(std::string_view name);
// Inverse of ClientCommandCode, for building frames; empty if none.
std::string_view ClientCommandName(int code);
// NewGame commands -> NewGameKind (0-3 for the first four, else code-10000); -1 otherwise.
int NewGameKindOfClientCode(int code);
// The NewGame command code announcing `kind`; 0 if the kind has none.
int ClientCodeOfNewGameKind(int kind);

}  // namespace net
