#include "net/core/player_table.h"

namespace net {

std::string NewClientHandle() { return "         1"; }
std::string CleanName(std::string_view name) { return std::string(name); }
bool IsReservedName(std::string_view) { return false; }
std::string WhoIsConnectedText(const std::vector<ConnectionText>&) { return {}; }

PlayerTable::PlayerTable() { Reset(); }
void PlayerTable::Reset() {
  entries_ = {};
  count_ = 1;
  entries_[0].inUse = 1;
  entries_[0].name = kSupervisorName;
  entries_[0].handle = "2000000001";
}
int PlayerTable::FindClientByName(std::string_view) const { return -1; }
int PlayerTable::FindClientByHandle(std::string_view) const { return -1; }
int PlayerTable::FindByConnection(int64_t) const { return -1; }
std::string PlayerTable::ServerLogin(std::string_view name) { return std::string(name); }
LoginOutcome PlayerTable::Login(int64_t, std::string_view, const std::array<std::string, 4>&) { return {}; }
void PlayerTable::RefreshClientsConnected(const std::vector<int64_t>&) {}
std::string PlayerTable::RolesSummaryText() const { return {}; }
bool PlayerTable::NameTaken(std::string_view) const { return false; }
std::string PlayerTable::UniqueName(std::string_view base) const { return std::string(base); }

}  // namespace net
