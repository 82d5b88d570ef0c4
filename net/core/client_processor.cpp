#include "net/core/client_processor.h"

#include <algorithm>

#include "game/bytes.h"
#include "game/kestro_game.h"
#include "net/core/commands.h"
#include "net/core/frame.h"

namespace net {
namespace {

constexpr std::string_view kPartnerPrefix = "Your partner says: ";  // 19 characters
// The game's move record holds this many moves; a move past it is played but not recorded.
constexpr int kRecordCapacity = 4000;

constexpr int32_t SeatBit(int seat) { return kRoleSeatFirst << seat; }

// Own seat indexes by the own seat: own, partner, opponent, partner's opponent.
constexpr int kSeatIndexes[4][4] = {{0, 3, 1, 2}, {1, 2, 0, 3}, {2, 1, 3, 0}, {3, 0, 2, 1}};

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

std::string SeatCommand(std::string_view verb, int seat) {
  return std::string(verb) + kSeatWords[std::clamp(seat, 0, 3)];
}

}  // namespace

void SetOwnSeats(NetGamePlayer& own, const std::string* seatNames) {
  own.ownSeat = own.partnerSeat = own.opponentSeat = own.partnersOpponentSeat = kSeatNone;
  for (int seat = 0; seat < 4; ++seat) {
    if (seatNames[seat] != own.name) continue;
    own.ownSeat = kSeatIndexes[seat][0];
    own.partnerSeat = kSeatIndexes[seat][1];
    own.opponentSeat = kSeatIndexes[seat][2];
    own.partnersOpponentSeat = kSeatIndexes[seat][3];
    return;
  }
}

void ClientProcessor::NetGameClientProcessingMessage(std::string_view frame) {
  const FrameFields fields = ClientFields(frame);
  if (!fields.ok) {
    host_.AddChatLine("CliProMsg Bad command:" + std::string(frame));
    return;
  }
  const int code = ClientCommandCode(fields.command);
  const int kind = NewGameKindOfClientCode(code);
  if (kind >= 0) {
    NewGame(kind, fields.payload);
    return;
  }
  switch (code) {
    case cli::kTalk:
      Talk(fields.payload);
      break;
    case cli::kPlayMove:
      PlayMove(fields.payload);
      break;
    case cli::kSetPlayerName:
      SetPlayerName(fields.payload);
      break;
    case cli::kSetPlayers:
      SetPlayers(fields.payload);
      break;
    case cli::kTurnStarts:
      CatchUpTurns(fields.payload);
      break;
    default:
      if (code >= cli::kTakeRoleFirst && code < cli::kAbandonRoleFirst + 4) SeatConfirmed(code);
      break;  // names outside the table are ignored
  }
}

void ClientProcessor::Talk(const std::string& payload) {
  catchingUp_ = false;
  const size_t gt = payload.find('>');
  const std::string sender = gt == std::string::npos ? std::string() : payload.substr(0, gt);
  const std::string text = gt == std::string::npos ? payload : payload.substr(gt + 1);
  host_.SpeakChatLine(sender, text);
  const CKestroGame* game = host_.Game();
  const int partner = own_.partnerSeat;
  if (game && partner >= 0 && partner <= 3 && sender == game->PlayerNames[partner])
    host_.SetPartnerTellsText(PartnerTellsAfter(host_.PartnerTellsText(), text, host_.PartnerTellsLimit()));
  host_.AddChatLine(payload);
  host_.ChatArrived(sender, text);
}

void ClientProcessor::PlayMove(const std::string& payload) {
  if (payload.size() <= 4) {
    host_.AddChatLine("Invalid Play Move Request (move shorter than 4 characters):\"" + payload + "\"");
    return;
  }
  CKestroGame* game = host_.Game();
  if (!game) return;
  CKestroGame& g = *game;
  const int64_t now = clock_.TickCount10ms();
  RelayedMove relay;
  std::copy(std::begin(g.Position.holdingsA), std::end(g.Position.holdingsA), relay.holdingsBeforeA);
  std::copy(std::begin(g.Position.holdingsB), std::end(g.Position.holdingsB), relay.holdingsBeforeB);

  BpgnMove move;
  move.token = payload;
  // A move this window has played already (the server's own window, a
  // repeated frame) fails the move-number test; the game's error log keeps why.
  if (!g.PlayBpgnMove(move, g.Position, 1)) return;

  if (!catchingUp_) host_.PlayMoveSoundAndWait();
  if (host_.Game() != game) return;  // the window started another game meanwhile
  const bool recorded = g.MoveCount >= 0 && g.MoveCount < kRecordCapacity;
  if (recorded) {
    g.Moves.resize(static_cast<size_t>(g.MoveCount));
    move.serial = g.MoveCount + 1;
    g.Moves.push_back(move);
    ++g.MoveCount;
  }
  (move.board == 1 ? g.PliesA : g.PliesB) += 1;

  if (g.LagCompensatorRead != 0 && recorded) {
    g.CompensateLag(g.Position);
    const int seat = std::clamp(move.moverSeat, 0, 3);
    g.Position.clock[seat] = bytes::Clamp32(int64_t{g.Position.clock[seat]} + g.Position.lagCredit[seat]);
    g.Position.lagCredit[seat] = 0;
  }

  const int next = std::clamp(move.nextSeat, 0, 3);
  host_.SetTurnStart(next, now);
  freeSinceStart_[next] = false;
  g.ComputeAttackMaps(g.Position, 1);
  g.ComputeAttackMaps(g.Position, 2);
  host_.ShowMovePlayed();
  host_.AddMoveToRecord(payload);
  g.GenerateLegalMoves(g.Position);
  host_.ShowLegalMoves();

  // Relayed to the computer players only in bughouse and Coin games.
  if (g.GameKind == gkBughouse || g.GameKind == gkCoin) {
    relay.move = &move;
    relay.text = payload;
    host_.TellComputerPlayers(relay);
  }
}

void ClientProcessor::NewGame(int kind, const std::string& payload) {
  // The game sent at login replaces the one the login started, which holds
  // no move unless a game played before is still in the pane: that is logged
  // as before any new game. The catch-up is silent.
  if (!catchingUp_ || host_.RecordHoldsMove()) host_.LogGameBeforeNewGame();
  host_.ClearRecord();
  // The game compensates lag as the server's does, so that the clocks are
  // the record's (an older server says nothing: the own mark stays).
  if (const int lag = LagCompensatorOfPayload(payload); lag >= 0) host_.SetLagCompensator(lag == 1);
  host_.StartNewGame(kind, !catchingUp_);
  if (const CKestroGame* game = host_.Game())
    for (int seat = 0; seat < 4; ++seat) freeSinceStart_[seat] = game->PlayerNames[seat] == kSeatWords[seat];
  host_.ShowRunningClocks();
}

void ClientProcessor::SetPlayerName(const std::string& payload) {
  catchingUp_ = true;
  own_.name = payload;
  host_.ShowOwnName(own_.name);
}

void ClientProcessor::SetPlayers(const std::string& payload) {
  CKestroGame* game = host_.Game();
  if (!game) return;
  // Each seat word is looked for after the one before it, so that every
  // slice lies inside the payload; without all four the names stay.
  size_t at[5] = {};
  size_t from = 0;
  for (int seat = 0; seat < 4; ++seat) {
    const std::string mark = std::string(kSeatWords[seat]) + ":";
    at[seat] = payload.find(mark, from);
    if (at[seat] == std::string::npos) return;
    from = at[seat] + mark.size();
  }
  at[4] = payload.size();
  std::string names[4];
  for (int seat = 0; seat < 4; ++seat) {
    const size_t start = at[seat] + std::string_view(kSeatWords[seat]).size() + 1;
    names[seat] = payload.substr(start, at[seat + 1] - start);
  }
  for (int seat = 0; seat < 4; ++seat) game->PlayerNames[seat] = names[seat];
  // A seat free since the start is taken: its turn starts now, as the
  // server counts it.
  const int64_t now = clock_.TickCount10ms();
  for (int seat = 0; seat < 4; ++seat)
    if (freeSinceStart_[seat] && names[seat] != kSeatWords[seat]) {
      freeSinceStart_[seat] = false;
      host_.SetTurnStart(seat, now);
    }
  if (log_.on)
    log_.Add("   <NetGameClientProcessingMessage20001>",
             " G1->Players[player_A]:" + names[0] + " G1->Players[player_a]:" + names[1] +
                 " G1->Players[player_B]:" + names[2] + " G1->Players[player_b]:" + names[3],
             "</NetGameClientProcessingMessage20001>\r\n");
  SetOwnSeats(own_, game->PlayerNames);
  host_.ShowPlayers();
}

void ClientProcessor::SeatConfirmed(int code) {
  if (code < cli::kAbandonRoleFirst) {
    const int seat = code - cli::kTakeRoleFirst;
    own_.roles |= SeatBit(seat);
    own_.partnerSeat = 3 - seat;
  } else {
    own_.roles &= ~SeatBit(code - cli::kAbandonRoleFirst);
    own_.partnerSeat = -3;
  }
  host_.EnableNewGameMenus(30000);
}

// The server's turns as the catch-up ends: each seat's turn started as long
// ago here as there.
void ClientProcessor::CatchUpTurns(const std::string& payload) {
  net::TurnStarts turns;
  if (!host_.Game() || !ReadTurnStartsPayload(payload, turns)) return;
  const int64_t now = clock_.TickCount10ms();
  for (int seat = 0; seat < 4; ++seat) {
    host_.SetTurnStart(seat, now - turns.elapsed[seat]);
    freeSinceStart_[seat] = turns.freeSinceStart[seat];
  }
}

void AddNetworkMoveToRecord(std::string& record, std::string_view moveText) {
  const size_t lineStart = record.rfind('\n');
  record.resize(lineStart == std::string::npos ? 0 : lineStart + 1);
  record += ' ';
  record += moveText;
  record += "\r\n{*} *";
}

std::string PartnerTellsAfter(std::string_view shown, std::string_view text, int limit) {
  std::string joined(Trim(shown));
  if (joined.size() < kPartnerPrefix.size()) joined = kPartnerPrefix;
  joined += ' ';
  joined += text;
  std::string_view said = std::string_view(joined).substr(kPartnerPrefix.size());
  const size_t keep = static_cast<size_t>(std::max(limit, 30)) - kPartnerPrefix.size();
  if (said.size() > keep) said.remove_prefix(said.size() - keep);
  return std::string(kPartnerPrefix) + std::string(said);
}

std::string LoginFrame(std::string_view handle, std::string_view name) {
  return BuildLoginFrame(handle, CleanName(name));
}

std::string ChatFrame(std::string_view handle, std::string_view text) {
  return BuildPayloadFrame(handle, "Talk", CleanPayload(text));
}

std::string WhoFrame(std::string_view handle) {
  // This frame's command field is 21 characters long ("Who" and 18 blanks);
  // both readers take the same fields from it as from a 20-character one.
  std::string frame = BuildFrame(handle, "Who");
  frame.insert(frame.size() - kFrameEnd.size(), 1, ' ');
  return frame;
}

std::string TakeRoleFrame(std::string_view handle, int seat) {
  return BuildFrame(handle, SeatCommand("TakeRole", seat));
}

std::string AbandonRoleFrame(std::string_view handle, int seat) {
  return BuildFrame(handle, SeatCommand("AbandonRole", seat));
}

std::vector<std::string> TakeAllRolesFrames(std::string_view handle) {
  std::vector<std::string> frames;
  for (int seat : {seatWhiteA, seatBlackA, seatBlackB, seatWhiteB}) frames.push_back(TakeRoleFrame(handle, seat));
  return frames;
}

std::vector<std::string> TakeRoleTestFrames(std::string_view handle) {
  std::vector<std::string> frames;
  for (int seat = 0; seat < 4; ++seat) {
    frames.push_back(TakeRoleFrame(handle, seat));
    frames.push_back(AbandonRoleFrame(handle, seat));
  }
  return frames;
}

std::string CallServerAdminFrame(std::string_view handle) { return BuildFrame(handle, "CallServerAdmin"); }

std::string DisconnectText(std::string_view handle, int roles) {
  std::string text = BuildFrame(handle, "KVXNBye");
  for (int seat : {seatWhiteA, seatBlackB, seatWhiteB, seatBlackA})
    if (roles & SeatBit(seat)) text += AbandonRoleFrame(handle, seat);
  text += BuildFrame(handle, "KVXNDeparting");
  text += BuildFrame(handle, "Talk", " departing ... ");
  return text;
}

}  // namespace net
