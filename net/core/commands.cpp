#include "net/core/commands.h"

#include <array>
#include <utility>

namespace net {

namespace {

using Entry = std::pair<std::string_view, int>;

// Client to server, fixed names ("New Game N" is read separately).
constexpr std::array<Entry, 15> kServerCommands = {{
    {"Talk", srv::kTalk},
    {"KVXNBye", srv::kBye},
    {"KVXNDeparting", srv::kDeparting},
    {"CallServerAdmin", srv::kCallServerAdmin},
    {"Who", srv::kWho},
    {"who", srv::kWho},
    {"PlayMove", srv::kPlayMove},
    {"TakeRoleWhiteA", 10010},
    {"TakeRoleBlackA", 10011},
    {"TakeRoleWhiteB", 10012},
    {"TakeRoleBlackB", 10013},
    {"AbandonRoleWhiteA", 10014},
    {"AbandonRoleBlackA", 10015},
    {"AbandonRoleWhiteB", 10016},
    {"AbandonRoleBlackB", 10017},
}};

// Other names of "New Game 5".
constexpr std::array<std::string_view, 4> kStartNewGameAliases = {"Start new game", "New game", "new game",
                                                                  "Spust novou hru"};

constexpr std::array<std::string_view, 27> kNewGameNames = {
    "New Game 1",  "New Game 2",  "New Game 3",  "New Game 4",  "New Game 5",  "New Game 6",  "New Game 7",
    "New Game 8",  "New Game 9",  "New Game 10", "New Game 11", "New Game 12", "New Game 13", "New Game 14",
    "New Game 15", "New Game 16", "New Game 17", "New Game 18", "New Game 19", "New Game 20", "New Game 21",
    "New Game 22", "New Game 23", "New Game 24", "New Game 25", "New Game 26", "New Game 27"};

// "New Game 1".."20" are 30000-30019, "New Game 21".."27" are 30021-30027.
int NewGameCode(int number) { return number <= 20 ? 30000 + number - 1 : 30000 + number; }

constexpr std::array<Entry, 36> kClientCommands = {{
    {"Talk", cli::kTalk},
    {"PlayMove", cli::kPlayMove},
    {"NewGameClasics", 10003},
    {"NewGameRemake", 10004},
    {"NewGameSmallSpace2", 10005},
    {"NewGamePhalanx", 10006},
    {"NewGameClasicsB1m3s", 10101},
    {"NewGameClasicsB1m5s", 10102},
    {"NewGameClasicsB1m10s", 10103},
    {"NewGameClasicsB2m3s", 10104},
    {"NewGameClasicsB3m3s", 10105},
    {"NewGameClasicsB3m5s", 10106},
    {"NewGameClasicsB3m10s", 10107},
    {"NewGameClasicsB5m7s", 10108},
    {"NewGameClasicsBAm20s", 10109},
    {"NewGameClasicsBAs10s", 10110},
    {"NewGameClasicsB10s3s", 10111},
    {"NewGameRemakeB2s10s", 10201},
    {"NewGamePhalanxB3m2s", 10401},
    {"NewGamePhalanxB1m4s", 10402},
    {"NewGamePhalanxBAs10s", 10403},
    {"NewGameCoinStB5ms5s", 10501},
    {"NewGameIngolsS15m", 10601},
    {"NewGameIngolsSBAm20s", 10602},
    {"NewGameIngolsSBAm10s", 10603},
    {"NewGameIngolsSB5m3s", 10604},
    {"NewGameIngolsSB3m5s", 10605},
    {"NewGameIngolsS3m", 10606},
    {"NewGameIngolsSB1m3s", 10607},
    {"SetPlayerName", cli::kSetPlayerName},
    {"SetPlayers", cli::kSetPlayers},
    {"TakeRoleWhiteA", 20010},
    {"TakeRoleBlackA", 20011},
    {"TakeRoleWhiteB", 20012},
    {"TakeRoleBlackB", 20013},
    {"TurnStarts", cli::kTurnStarts},
}};

constexpr std::array<Entry, 4> kClientAbandon = {{
    {"AbandonRoleWhiteA", 20014},
    {"AbandonRoleBlackA", 20015},
    {"AbandonRoleWhiteB", 20016},
    {"AbandonRoleBlackB", 20017},
}};

template <size_t N>
int CodeOf(const std::array<Entry, N>& table, std::string_view name) {
  for (const auto& [n, code] : table)
    if (!n.empty() && n == name) return code;
  return 0;
}

template <size_t N>
std::string_view NameOf(const std::array<Entry, N>& table, int code) {
  for (const auto& [n, c] : table)
    if (c == code) return n;
  return {};
}

}  // namespace

int ServerCommandCode(std::string_view name) {
  if (int code = CodeOf(kServerCommands, name)) return code;
  for (size_t i = 0; i < kNewGameNames.size(); ++i)
    if (kNewGameNames[i] == name) return NewGameCode(static_cast<int>(i) + 1);
  for (std::string_view alias : kStartNewGameAliases)
    if (alias == name) return NewGameCode(5);
  return 0;
}

std::string_view ServerCommandName(int code) {
  if (code == 0) return {};
  if (code >= srv::kNewGameFirst && code <= srv::kNewGameLast && code != 30020)
    return kNewGameNames[static_cast<size_t>(code < 30020 ? code - 30000 : code - 30001)];
  return NameOf(kServerCommands, code);
}

int ClientCommandCode(std::string_view name) {
  if (int code = CodeOf(kClientCommands, name)) return code;
  return CodeOf(kClientAbandon, name);
}

std::string_view ClientCommandName(int code) {
  if (code == 0) return {};
  std::string_view name = NameOf(kClientCommands, code);
  return name.empty() ? NameOf(kClientAbandon, code) : name;
}

int NewGameKindOfClientCode(int code) {
  if (code >= 10003 && code <= 10006) return code - 10003;
  if (code > 10100 && code < 11000 && !NameOf(kClientCommands, code).empty()) return code - 10000;
  return -1;
}

int ClientCodeOfNewGameKind(int kind) {
  if (kind >= 0 && kind <= 3) return 10003 + kind;
  if (kind > 100 && kind < 1000 && !NameOf(kClientCommands, kind + 10000).empty()) return kind + 10000;
  return 0;
}

}  // namespace net
