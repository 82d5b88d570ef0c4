#include "net/core/server_processor.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

#include "game/bytes.h"
#include "game/kestro_game.h"
#include "net/core/commands.h"
#include "net/core/debug_log.h"
#include "net/core/frame.h"

namespace net {

namespace {

constexpr int32_t kSeatedRoles = kRoleSeatFirst;  // roles of 8 or more hold a seat
constexpr int32_t kTeam1Roles = kRoleSeatFirst << seatWhiteA | kRoleSeatFirst << seatBlackB;
constexpr int32_t kTeam2Roles = kRoleSeatFirst << seatBlackA | kRoleSeatFirst << seatWhiteB;
constexpr int kFirstTimedMove = 1;  // the first move of board A by White carries the legend
// Refused moves stop adding to the game's error log past this size.
constexpr size_t kMaxErrorLog = 64 * 1024;

struct NewGameRequest {
  const char* title;
  int kind;
};
// By code - 30000; 30020 is no request.
constexpr NewGameRequest kNewGameRequests[] = {
    {"Clasics 3minutes", 0},
    {"Clasics 1m 3s Bronstein", 101},
    {"Clasics 1m 5s Bronstein", 102},
    {"Clasics 1m 10s Bronstein", 103},
    {"Clasics 2m 3s Bronstein", 104},
    {"Clasics 3m 3s Bronstein", 105},
    {"Clasics 3m 5s Bronstein", 106},
    {"Clasics 3m 10s Bronstein", 107},
    {"Clasics 5m 7s Bronstein", 108},
    {"Clasics 10m 20s Bronstein", 109},
    {"Clasics 10s 10s Bronstein", 110},
    {"Remake 3minutes", 1},
    {"Remake 2m 3s Bronstein", 201},
    {"Small space II 5minutes", 2},
    {"Phalanx 5minutes", 3},
    {"Phalanx 3m 2s Bronstein", 401},
    {"Phalanx 1m 4s Bronstein", 402},
    {"Phalanx 10s 10s Bronstein", 403},
    {"Clasics 10s 3s Bronstein", 111},
    {"Coin Standard 5m 5s Bronstein", 501},
    {nullptr, -1},
    {"Ingols Standard 15m", 601},
    {"Ingols Standard 10m 20s Bronstein", 602},
    {"Ingols Standard 10m 10s Bronstein", 603},
    {"Ingols Standard 5m 3s Bronstein", 604},
    {"Ingols Standard 3m 5s Bronstein", 605},
    {"Ingols Standard 3m", 606},
    {"Ingols Standard 1m 3s Bronstein", 607},
};
static_assert(std::size(kNewGameRequests) == srv::kNewGameLast - srv::kNewGameFirst + 1);

const NewGameRequest* RequestOf(int code) {
  if (code < srv::kNewGameFirst || code > srv::kNewGameLast) return nullptr;
  const NewGameRequest& r = kNewGameRequests[code - srv::kNewGameFirst];
  return r.title ? &r : nullptr;
}

bool IsFile(char c) { return c >= 'a' && c <= 'h'; }
bool IsRank(char c) { return c >= '1' && c <= '8'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsCastleO(char c) { return c == 'O' || c == '0' || c == 'o'; }
bool In(char c, std::string_view set) { return set.find(c) != std::string_view::npos; }
bool IsCommentByte(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u >= 0x20 && u != 0x7F && u != static_cast<unsigned char>(kMark) && c != '{' && c != '}';
}

// The move after "<number><board>.".
bool IsMoveBody(std::string_view m) {
  const size_t n = m.size();
  if (n == 0) return false;
  const char c = m[0];
  if (IsCastleO(c))
    return (n == 3 || n == 5) && m[1] == '-' && IsCastleO(m[2]) && (n == 3 || (m[3] == '-' && IsCastleO(m[4])));
  if (n == 4 && m[1] == '@') return In(c, "PNBRQ") && IsFile(m[2]) && IsRank(m[3]);
  if (In(c, "NBRQK")) {
    // letter, optional file, optional rank, optional "x", to-square
    if (n < 3 || !IsFile(m[n - 2]) || !IsRank(m[n - 1])) return false;
    size_t i = 1;
    if (i < n - 2 && IsFile(m[i])) ++i;
    if (i < n - 2 && IsRank(m[i])) ++i;
    if (i < n - 2 && m[i] == 'x') ++i;
    return i == n - 2;
  }
  if (!IsFile(c)) return false;
  // pawn: to-square, from-square + to-square (Ingols) or file "x" to-square;
  // then an optional promotion
  std::string_view p = m;
  if (n >= 2 && p[n - 2] == '=') {
    if (!In(p[n - 1], "QNRBK")) return false;
    p.remove_suffix(2);
  }
  if (p.size() == 2) return IsRank(p[1]);
  if (p.size() == 4) return (IsRank(p[1]) || p[1] == 'x') && IsFile(p[2]) && IsRank(p[3]);
  return false;
}

std::string Talk(std::string_view text) { return BuildFrame(kServerHandle, "Talk", text); }

std::array<std::string, 4> SeatNames(const CKestroGame& game) {
  return {game.PlayerNames[0], game.PlayerNames[1], game.PlayerNames[2], game.PlayerNames[3]};
}

int32_t SeatBit(int seat) { return kRoleSeatFirst << seat; }

std::string SetPlayersFrame(const std::array<std::string, 4>& names) {
  return BuildFrame(kServerHandle, "SetPlayers", SetPlayersPayload(names));
}

bool SeatIsFree(const CKestroGame& game, int seat) { return game.PlayerNames[seat] == kSeatWords[seat]; }

int32_t Milliseconds(int64_t ms) {
  return static_cast<int32_t>(std::clamp<int64_t>(ms, 0, std::numeric_limits<int32_t>::max()));
}

}  // namespace

bool IsMoveTokenText(std::string_view payload) {
  const size_t brace = payload.find('{');
  const std::string_view head = payload.substr(0, brace);
  size_t i = 0;
  while (i < head.size() && i < 5 && IsDigit(head[i])) ++i;
  if (i == 0 || i > 4 || i + 2 > head.size() || !In(head[i], "ABab") || head[i + 1] != '.') return false;
  if (!IsMoveBody(head.substr(i + 2))) return false;
  if (brace == std::string_view::npos) return true;
  // comments: "{" printable bytes "}", one after another, nothing after them
  std::string_view rest = payload.substr(brace);
  while (!rest.empty()) {
    if (rest[0] != '{') return false;
    size_t j = 1;
    while (j < rest.size() && IsCommentByte(rest[j])) ++j;
    if (j >= rest.size() || rest[j] != '}') return false;
    rest.remove_prefix(j + 1);
  }
  return true;
}

int64_t ClaimedThinkingTime(std::string_view payload) {
  const size_t at = payload.find("[T:");
  if (at == std::string_view::npos) return 0;
  const std::string_view rest = payload.substr(at + 3);
  const size_t close = rest.find(']');
  if (close == std::string_view::npos || close == 0 || close > 18) return 0;
  int64_t value = 0;
  for (size_t i = 0; i < close; ++i) {
    if (!IsDigit(rest[i])) return 0;
    value = value * 10 + (rest[i] - '0');
  }
  return value;
}

std::string_view NewGameRequestTitle(int code) {
  const NewGameRequest* r = RequestOf(code);
  return r ? std::string_view(r->title) : std::string_view();
}

int NewGameRequestKind(int code) {
  const NewGameRequest* r = RequestOf(code);
  return r ? r->kind : -1;
}

void ServerProcessor::GameStarted(int kind) {
  const int64_t now = clock_.TickCount10ms();
  for (int seat = 0; seat < 4; ++seat) {
    turnStart_[seat] = now;
    freeSinceStart_[seat] = SeatIsFree(host_.Game(), seat);
    takenInTurn_[seat] = false;
  }
  requests_[0] = requests_[1] = 0;
  kind_ = kind;
  startNames_ = SeatNames(host_.Game());
  relayed_.clear();
}

ServerProcessor::Sender ServerProcessor::SenderOf(int index) const {
  const NetGamePlayer& entry = table_.At(index);
  Sender sender;
  sender.index = index;
  sender.name = entry.name;
  sender.handle = entry.handle;
  sender.roles = entry.roles;
  return sender;
}

void ServerProcessor::PlayOwnMove(std::string_view payload) { PlayMove(SenderOf(0), payload, false); }

void ServerProcessor::NetGameServerProcessingMessage(std::optional<int64_t> connection, std::string_view frame) {
  if (IsLoginFrame(frame)) {
    Login(connection, frame);
    return;
  }
  const FrameFields fields = ServerFields(frame);
  if (!fields.ok) {
    host_.AddChatLine("SrvProMsg Bad command:" + std::string(frame));
    return;
  }

  // A client's frame speaks only for the entry its own connection logged in;
  // the server's handle never comes from a connection.
  Sender sender;
  sender.handle = fields.handle;
  int index = -1;
  if (connection) {
    if (fields.handle == kServerHandle) {
      host_.AddChatLine("SrvProMsg Refused a client's frame with the server's handle");
      return;
    }
    const int own = table_.FindByConnection(*connection);
    if (own > 0 && table_.At(own).handle == fields.handle) index = own;
  } else {
    index = table_.FindClientByHandle(fields.handle);
  }
  if (index >= 0) sender = SenderOf(index);  // the entry holds the frame's handle

  const int code = ServerCommandCode(fields.command);
  const bool newGame = code >= srv::kNewGameFirst && code <= srv::kNewGameLast;
  if (sender.roles >= kSeatedRoles) {
    if (sender.roles & kTeam1Roles) requests_[0] = code;
    if (sender.roles & kTeam2Roles) requests_[1] = code;
  } else if (newGame) {
    return;
  }

  const std::string& payload = fields.payload;
  if (code >= srv::kTakeRoleFirst && code < srv::kTakeRoleFirst + 4) {
    TakeSeat(sender, code - srv::kTakeRoleFirst);
  } else if (code >= srv::kAbandonRoleFirst && code < srv::kAbandonRoleFirst + 4) {
    LeaveSeat(sender, code - srv::kAbandonRoleFirst);
  } else if (newGame) {
    AgreeNewGame(sender, code);
  } else {
    switch (code) {
      case srv::kTalk:
        host_.ServerSendtoAll(Talk(sender.name + ">" + CleanPayload(payload)));
        break;
      case srv::kBye:
        ConnectionsChanged();
        break;
      case srv::kDeparting:
        host_.ServerSendtoAll(Talk("Server shouts --> " + sender.name + " departed."));
        break;
      case srv::kCallServerAdmin:
        host_.ServerSendtoAll(Talk("Server shouts --> " + sender.name + " Calling Server Administrator: Crr Crr Crr"));
        if (host_.Checks().callServerAdministrator) host_.PlayCallAdminSound();
        break;
      case srv::kWho:
        Reply(sender, Talk(table_.RolesSummaryText()));
        break;
      case srv::kPlayMove:
        PlayMove(sender, payload);
        break;
      default:
        break;
    }
  }
}

void ServerProcessor::Login(std::optional<int64_t> connection, std::string_view frame) {
  if (!connection) return;  // the server's own user logs in without a frame
  const LoginOutcome outcome = table_.Login(*connection, frame, SeatNames(host_.Game()));
  // An accepted client is answered by its new handle; a refused one, which
  // has no entry, on its connection.
  for (const std::string& f : outcome.toRequester) {
    if (outcome.accepted)
      host_.ServerSendtoCli(table_.At(outcome.index).handle, f);
    else
      host_.ServerSendtoConnection(*connection, f);
  }
  if (outcome.accepted) SendGameSoFar(table_.At(outcome.index).handle);
  for (const std::string& line : outcome.paneLines) host_.AddChatLine(line);
  for (const std::string& f : outcome.toAll) host_.ServerSendtoAll(f);
}

void ServerProcessor::SendGameSoFar(std::string_view handle) {
  const std::string_view command = ClientCommandName(ClientCodeOfNewGameKind(kind_));
  if (command.empty()) return;
  const std::array<std::string, 4> now = SeatNames(host_.Game());
  const bool seatsChanged = now != startNames_;
  if (seatsChanged) host_.ServerSendtoCli(handle, SetPlayersFrame(startNames_));
  const std::string lagCompensator = LagCompensatorPayload(host_.Game().LagCompensatorRead == 1);
  host_.ServerSendtoCli(handle, BuildFrame(kAnnounceHandle, command, lagCompensator));
  for (const std::string& frame : relayed_) host_.ServerSendtoCli(handle, frame);
  if (seatsChanged) host_.ServerSendtoCli(handle, SetPlayersFrame(now));
  // Its running clocks count each turn from where the server's do.
  TurnStarts turns;
  const int64_t tick = clock_.TickCount10ms();
  for (int seat = 0; seat < 4; ++seat) {
    turns.elapsed[seat] = tick - turnStart_[seat];
    turns.freeSinceStart[seat] = freeSinceStart_[seat];
  }
  host_.ServerSendtoCli(handle, BuildFrame(kServerHandle, "TurnStarts", TurnStartsPayload(turns)));
}

// Answers go to the sender's handle; a sender without an entry gets none, as
// its handle may be somebody else's.
void ServerProcessor::Reply(const Sender& sender, const std::string& frame) {
  if (sender.index >= 0) host_.ServerSendtoCli(sender.handle, frame);
}

void ServerProcessor::TakeSeat(const Sender& sender, int seat) {
  if (sender.index < 0) return;
  CKestroGame& game = host_.Game();
  const std::string word = kSeatWords[seat];
  if (!SeatIsFree(game, seat)) {
    Reply(sender, Talk("You cannot take role as " + word + ", because on this place is already sitting " +
                       game.PlayerNames[seat]));
    return;
  }
  game.PlayerNames[seat] = sender.name;
  table_.At(sender.index).roles |= SeatBit(seat);
  // The turn of a seat free since the game started starts with its first
  // sitter. Otherwise, when it is the seat's turn, the new sitter's first
  // move pays for the whole turn (a later turn clears the mark).
  if (std::exchange(freeSinceStart_[seat], false)) {
    turnStart_[seat] = clock_.TickCount10ms();
    host_.SetTurnStart(seat, turnStart_[seat]);
  } else
    takenInTurn_[seat] = true;
  SendSeatChange(sender, BuildFrame(kServerHandle, "TakeRole" + word), Talk(sender.name + " is now " + word + "."));
}

void ServerProcessor::LeaveSeat(const Sender& sender, int seat) {
  if (sender.index < 0) return;
  CKestroGame& game = host_.Game();
  const std::string word = kSeatWords[seat];
  if (game.PlayerNames[seat] != sender.name && !(sender.roles & kRoleAdmin)) {
    Reply(sender, Talk("You cannot abandon role " + word +
                       ", because You not sitting on this place, but is sitting here " + game.PlayerNames[seat]));
    return;
  }
  FreeSeat(sender, seat);
}

void ServerProcessor::FreeSeat(const Sender& sender, int seat) {
  const std::string word = kSeatWords[seat];
  host_.Game().PlayerNames[seat] = word;
  table_.At(sender.index).roles &= ~SeatBit(seat);
  SendSeatChange(sender, BuildFrame(kServerHandle, "AbandonRole" + word), Talk(sender.name + " abandon " + word + "."));
}

void ServerProcessor::ConnectionsChanged() {
  std::vector<int> wasInUse;
  for (int i = 1; i < table_.Count(); ++i)
    if (table_.At(i).inUse) wasInUse.push_back(i);
  table_.RefreshClientsConnected(host_.LiveConnections());
  for (int i : wasInUse) {
    const NetGamePlayer& entry = table_.At(i);
    if (entry.inUse) continue;
    const Sender gone = SenderOf(i);
    for (int seat = 0; seat < 4; ++seat) {
      if (host_.Game().PlayerNames[seat] != gone.name) continue;
      // The team's new-game request goes with it, as when it leaves itself.
      requests_[(SeatBit(seat) & kTeam1Roles) ? 0 : 1] = 0;
      FreeSeat(gone, seat);
    }
  }
}

void ServerProcessor::SendSeatChange(const Sender& sender, const std::string& confirmation, const std::string& talk) {
  Reply(sender, confirmation);
  host_.ServerSendtoAllBS(SetPlayersFrame(SeatNames(host_.Game())));
  host_.ServerSendtoAll(talk);
  host_.Redraw();
}

void ServerProcessor::AgreeNewGame(const Sender& sender, int code) {
  if (!host_.Checks().playersCanStartGame) return;
  if (requests_[0] != requests_[1]) {
    host_.ServerSendtoAll(Talk(sender.name + " issuing new game (" + std::string(NewGameRequestTitle(code)) + ")"));
    return;
  }
  host_.StartGameOfKind(NewGameRequestKind(code));
}

std::pair<int32_t, int32_t> ServerProcessor::MoveTimes(int mover, int64_t now, int64_t claim) const {
  const int32_t measured = Milliseconds(now - turnStart_[mover]);
  // The first move of a seat taken during its turn: the sitter's window
  // counted only from its arrival, but the seat's clock pays the whole turn.
  if (takenInTurn_[mover]) return {measured, 0};
  // Thinking time as claimed, never more than the server measured.
  const int32_t t = static_cast<int32_t>(std::min<int64_t>(claim, measured));
  return {t, measured - t};
}

void ServerProcessor::PlayMove(const Sender& sender, std::string_view payload, bool seatCheck) {
  DebugLog& log = host_.Log();
  const std::string who = sender.name + ":" + std::string(payload);
  if (payload.size() < 5) {
    log.Add(" <SPMPlayMove>Invalid Play Move Request:", who, "</SPMPlayMove>\r\n");
    return;
  }
  log.Add("<ServerNSPMMove>", who, "</ServerNSPMMove>\r\n");
  if (sender.index < 0) {
    log.Add(" <SPMPlayMove>Play Move Request from no player:", who, "</SPMPlayMove>\r\n");
    return;
  }
  const int64_t now = clock_.TickCount10ms();

  // Only a well-formed token is tried, and only its move: comments of the
  // client (a lag-compensator setting among them) never reach the game. The
  // move number is tested as the clients test the relayed move, so that no
  // move is played here that they refuse.
  CKestroGame& game = host_.Game();
  const std::string head(payload.substr(0, payload.find('{')));
  BpgnMove trial;
  trial.token = head + "{0}";
  game.TrialPosition = game.Position;
  const size_t errorLogSize = game.ErrorLog.size();
  if (!IsMoveTokenText(payload) || !game.PlayBpgnMove(trial, game.TrialPosition, 1)) {
    if (game.ErrorLog.size() > kMaxErrorLog) game.ErrorLog.resize(errorLogSize);
    log.Add(" <SPMPlayMove>Illegal Play Move Request:", who, "</SPMPlayMove>\r\n");
    return;
  }
  const int mover = trial.moverSeat & 3;
  if (seatCheck && game.PlayerNames[mover] != sender.name) {
    Reply(sender, Talk("You cannot play where " + game.PlayerNames[mover] + " is sitting !"));
    return;
  }
  if (game.MoveCount >= kMaxRecordedMoves) {
    log.Add(" <SPMPlayMove>Record full, Play Move Request refused:", who, "</SPMPlayMove>\r\n");
    return;
  }

  const auto [t, l] = MoveTimes(mover, now, ClaimedThinkingTime(payload));
  takenInTurn_[mover] = false;
  const int next = trial.nextSeat & 3;
  turnStart_[next] = now;
  freeSinceStart_[next] = takenInTurn_[next] = false;
  host_.SetTurnStart(next, now);

  char stamp[80];
  std::snprintf(stamp, sizeof stamp, "{%d}{C:[T:%d][L:%d]}", 999, t, l);
  BpgnMove move;
  move.token = head + stamp;
  if (!game.PlayMove(move, game.Position)) {
    log.Add(" <SPMPlayMove>Illegal Play Move Request:", who, "</SPMPlayMove>\r\n");
    return;
  }
  if (game.Moves.size() > static_cast<size_t>(game.MoveCount)) game.Moves.resize(static_cast<size_t>(game.MoveCount));
  move.serial = game.MoveCount + 1;
  game.Moves.push_back(move);
  game.MoveCount = static_cast<int32_t>(game.Moves.size());

  TwoBoardPosition& position = game.Position;
  if (game.LagCompensatorRead) {
    game.CompensateLag(position);
    position.clock[mover] = bytes::Clamp32(int64_t{position.clock[mover]} + position.lagCredit[mover]);
    position.lagCredit[mover] = 0;
  }

  const int64_t clockSeconds = (int64_t{position.clock[mover]} + 500) / 1000;
  std::snprintf(stamp, sizeof stamp, "{%lld}{C:[T:%d][L:%d]", static_cast<long long>(clockSeconds), t, l);
  std::string finalText = head + stamp;
  if (move.board == 1 && move.moveNumber == kFirstTimedMove && move.side == 0) {
    if (game.LagCompensatorRead) finalText += LagCompensatorPayload(true);
    finalText += " T=Thinking time per move in miliseconds L=lag per move in ms";
  }
  finalText += "}";

  (move.board == 1 ? game.PliesA : game.PliesB) += 1;
  game.ComputeAttackMaps(position, 1);
  game.ComputeAttackMaps(position, 2);
  game.GenerateLegalMoves(position);

  // The game is complete: the move goes out before the window's own sound
  // and drawing, which the players need not wait for.
  if (game.MoveCount >= 1000 && (game.PliesA > 999 || game.PliesB > 999))
    host_.ServerSendtoAll(Talk(
        "Server shouts -> limit 999 of maximum allowed moves in game reached. End of comedy, play new game rather!"));
  else {
    const std::string frame = BuildFrame(kServerHandle, "PlayMove", finalText);
    relayed_.push_back(frame);
    host_.ServerSendtoAll(frame);
  }
  const ServerChecks checks = host_.Checks();
  if (checks.soundsOn && !checks.soundMoveNone) host_.PlayMoveSound();
  host_.ShowServerMove(move.board, finalText,
                       game.LegalMovesText(position, game.LegalMoveCount, game.PliesA, game.PliesB));
}

}  // namespace net
