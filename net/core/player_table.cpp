#include "net/core/player_table.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "net/core/frame.h"

namespace net {

namespace {

// The seat words, the sender name of strangers, and "endcmd", which a frame
// could not carry unchanged as a whole payload.
constexpr std::array<std::string_view, 6> kReservedNames = {"WhiteA", "BlackA", "WhiteB", "BlackB", "Unknown", "endcmd"};
constexpr std::string_view kGuest = "Guest";
constexpr size_t kMaxVersionDigits = 9;

std::string Talk(std::string_view text) { return BuildFrame(kServerHandle, "Talk", text); }

// The whole text as a decimal number of at most 9 digits, else 0.
int ParseVersion(std::string_view text) {
  if (text.empty() || text.size() > kMaxVersionDigits) return 0;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (c - '0');
  }
  return v;
}

// Ten printable ASCII bytes, not all blanks.
bool ValidHandle(std::string_view h) {
  if (h.size() != kHandleLength) return false;
  bool any = false;
  for (char c : h) {
    if (c < ' ' || c > '~') return false;
    any = any || c != ' ';
  }
  return any;
}

}  // namespace

std::string NewClientHandle() {
  static thread_local std::random_device device;
  std::uniform_int_distribution<int32_t> draw(0, 1999999999);
  char buf[16] = {};
  std::snprintf(buf, sizeof buf, "%10d", static_cast<int>(draw(device)));
  return buf;
}

std::string CleanName(std::string_view name) {
  std::string out;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    // '>' ends the sender's name in a relayed chat line; ':' ends the seat
    // words that SetPlayers puts before each name.
    if (u >= 0x20 && u != 0x7F && c != kMark && c != '>' && c != ':') out += c;
  }
  const size_t b = out.find_first_not_of(' ');
  if (b == std::string::npos) return std::string(kGuest);
  out.erase(0, b);
  if (out.size() > kMaxNameLength) out.resize(kMaxNameLength);
  out.erase(out.find_last_not_of(' ') + 1);
  if (out == "Unknown") return std::string(kGuest);
  return out;
}

bool IsReservedName(std::string_view name) {
  return std::find(kReservedNames.begin(), kReservedNames.end(), name) != kReservedNames.end();
}

std::string WhoIsConnectedText(const std::vector<ConnectionText>& connections) {
  char head[80] = {};
  std::snprintf(head, sizeof head, "Online is %d bughouse chess players:", static_cast<int>(connections.size()) + 1);
  std::string out = head;
  out += "\nSupervisor";
  for (const ConnectionText& c : connections) {
    out += '\n';
    out += c.host;
    out += " (";
    out += c.address;
    out += ')';
  }
  return out;
}

PlayerTable::PlayerTable() { Reset(); }

void PlayerTable::Reset() {
  entries_ = {};
  for (size_t i = 0; i < entries_.size(); ++i) entries_[i].index = static_cast<int32_t>(i);
  count_ = 1;
  NetGamePlayer& own = entries_[0];
  own.inUse = 1;
  own.name = kSupervisorName;
  own.handle = kServerHandle;
}

int PlayerTable::FindClientByName(std::string_view name) const {
  for (int i = count_ - 1; i >= 0; --i)
    if (At(i).name == name) return i;
  return -1;
}

int PlayerTable::FindClientByHandle(std::string_view handle) const {
  for (int i = count_ - 1; i >= 0; --i)
    if (At(i).handle == handle) return i;
  return -1;
}

int PlayerTable::FindByConnection(int64_t connection) const {
  if (connection <= 0) return -1;
  for (int i = count_ - 1; i >= 1; --i)
    if (At(i).socket == connection) return i;
  return -1;
}

bool PlayerTable::NameTaken(std::string_view name) const {
  return IsReservedName(name) || FindClientByName(name) >= 0;
}

std::string PlayerTable::UniqueName(std::string_view base) const {
  if (!NameTaken(base)) return std::string(base);
  for (int n = 2;; ++n) {
    const std::string number = std::to_string(n);
    std::string name(base.substr(0, kMaxNameLength - number.size()));
    name += number;
    if (!NameTaken(name)) return name;
  }
}

std::string PlayerTable::ServerLogin(std::string_view name) {
  NetGamePlayer& own = entries_[0];
  own.name.clear();  // the own entry does not make its own name taken
  own.name = UniqueName(CleanName(name));
  own.handle = kServerHandle;
  own.roles = 7;
  own.inUse = 1;
  return own.name;
}

LoginOutcome PlayerTable::Login(int64_t connection, std::string_view frame, const std::array<std::string, 4>& seatNames) {
  LoginOutcome out;
  if (!IsLoginFrame(frame)) return out;
  std::string_view rest = frame.substr(kLoginStart.size());
  rest = rest.substr(0, rest.find(kFrameEnd));
  const size_t mark = rest.find(kMark);
  const std::string_view versionText = rest.substr(0, mark);
  const std::string_view kept = mark == std::string_view::npos ? std::string_view() : rest.substr(mark);

  if (ParseVersion(versionText) != kProtocolVersion) {
    std::string shown = CleanPayload(versionText);
    if (shown.size() > kMaxNameLength) shown.resize(kMaxNameLength);
    out.toAll.push_back(Talk("Server info -> Refused login from old (" + shown +
                             ") client version, actual version is " + std::string(kProtocolVersionText)));
    return out;
  }

  auto refuse = [&](std::string_view reason) {
    out.toRequester.push_back(Talk("Server info -> Refused login: " + std::string(reason)));
    out.paneLines.push_back("Server info --> refused a login: " + std::string(reason));
    return out;
  };
  if (connection <= 0) return refuse("no connection");
  if (int i = FindByConnection(connection); i >= 0)
    return refuse("this connection is already logged in as " + At(i).name);
  const bool shaped = kept.size() >= kHandleLength + 2 && kept[kHandleLength + 1] == kMark;
  const std::string_view handle = shaped ? kept.substr(1, kHandleLength) : std::string_view();
  if (!ValidHandle(handle)) return refuse("malformed login");
  if (handle == kServerHandle || handle == kAnnounceHandle) return refuse("reserved handle");
  if (FindClientByHandle(handle) >= 0) return refuse("handle already in use");
  if (count_ >= kCapacity) return refuse("the server is full");

  const int index = count_++;
  NetGamePlayer& p = entries_[static_cast<size_t>(index)];
  p = NetGamePlayer{};
  p.inUse = 1;
  p.index = index;
  p.socket = connection;
  p.handle = handle;
  p.roles = kRoleClient;
  p.name = UniqueName(CleanName(kept.substr(kHandleLength + 2)));

  out.accepted = true;
  out.index = index;
  out.toRequester.push_back(BuildFrame(kServerHandle, "SetPlayerName", p.name));
  out.toRequester.push_back(BuildFrame(kServerHandle, "SetPlayers", SetPlayersPayload(seatNames)));
  out.paneLines.push_back("Server info --> " + p.name + " arrived.");
  out.toAll.push_back(Talk("Server shouts --> " + p.name + " arrived. Welcome !!!"));
  return out;
}

void PlayerTable::RefreshClientsConnected(const std::vector<int64_t>& liveConnections) {
  for (int i = 1; i < count_; ++i) {
    NetGamePlayer& p = At(i);
    p.inUse = std::find(liveConnections.begin(), liveConnections.end(), p.socket) != liveConnections.end() ? 1 : 0;
  }
}

std::string PlayerTable::RolesSummaryText() const {
  std::string lines;
  int number = 0;
  for (int i = 0; i < count_; ++i) {
    const NetGamePlayer& p = At(i);
    if (p.inUse == 0) continue;
    ++number;
    lines += '\n';
    lines += p.name;
    if (p.name.size() < 22) lines.append(22 - p.name.size(), ' ');
    lines += "Roles ";
    for (int bit = 0; bit < 8; ++bit) lines += (p.roles >> bit) & 1 ? '1' : '0';
    char tail[16] = {};
    std::snprintf(tail, sizeof tail, " [%3d]", number);
    lines += tail;
  }
  char head[80] = {};
  std::snprintf(head, sizeof head, "On this server is online %d active chess players:", number);
  return head + lines;
}

}  // namespace net
