#include "net/core/commands.h"

namespace net {

int ServerCommandCode(std::string_view) { return 0; }
std::string_view ServerCommandName(int) { return {}; }
int ClientCommandCode(std::string_view) { return 0; }
std::string_view ClientCommandName(int) { return {}; }
int NewGameKindOfClientCode(int) { return -1; }
int ClientCodeOfNewGameKind(int) { return 0; }

}  // namespace net
