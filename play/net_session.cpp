#include "play/net_session.h"

#include <QAction>
#include <QApplication>
#include <QMetaObject>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <utility>

#include "game/bytes.h"
#include "game/kestro_game.h"
#include "net/net_client.h"
#include "net/net_server.h"
#include "play/play_window.h"
#include "play/sounds_menu.h"
#include "platform/dialogs.h"
#include "platform/text_codec.h"

namespace {

// TfrmKestrovane::TickCount10ms as a clock: the window and its network cores
// count one time, whichever clock TickClock names.
class WindowTickClock : public net::Clock {
 public:
  int64_t TickCount10ms() override { return TfrmKestrovane::TickCount10ms(); }
};

WindowTickClock windowTickClock;

// A port typed by the user: a whole number from 1 to 65535, or nothing.
std::optional<uint16_t> ReadPort(const QString& text) {
  bool ok = false;
  const int port = text.trimmed().toInt(&ok);
  if (!ok || port < 1 || port > 65535) return std::nullopt;
  return static_cast<uint16_t>(port);
}

template <typename T>
void DeleteLater(std::unique_ptr<T>& owned) {
  if (!owned) return;
  T* raw = owned.release();
  QMetaObject::invokeMethod(qApp, [raw] { delete raw; }, Qt::QueuedConnection);
}

void Enable(std::initializer_list<QAction*> items, bool on) {
  for (QAction* a : items) a->setEnabled(on);
}

// The ComputerPlayer menu's four hotseat trainings (when the engine control
// has built them).
void EnableHotseatTrainings(TfrmKestrovane& w, bool on) {
  for (int i = 1; i <= 4; ++i)
    if (auto* a = w.findChild<QAction*>(QStringLiteral("mnuiHotseat") + QString::number(i))) a->setEnabled(on);
}

}  // namespace

// What the server processor asks of the window.
class NetSession::ServerSide : public net::ServerHost {
 public:
  explicit ServerSide(NetSession& s) : s_(s) {}
  CKestroGame& Game() override { return *s_.w_.Game(); }
  net::DebugLog& Log() override { return s_.log_; }
  net::ServerChecks Checks() const override {
    TfrmKestrovane& w = s_.w_;
    net::ServerChecks c;
    c.playersCanStartGame = w.mnuiPlayersAtTableCanStartGame->isChecked();
    c.callServerAdministrator = w.mnuiCallServerAdministrator->isChecked();
    c.soundsOn = !w.mnuiSoundsOff->isChecked();
    c.soundMoveNone = w.mnuiSoundMoveNone->isChecked();
    return c;
  }
  void ServerSendtoAll(const std::string& frame) override { s_.SendToAll(frame); }
  void ServerSendtoAllBS(const std::string& frame) override { s_.SendToAllBS(frame); }
  void ServerSendtoCli(std::string_view handle, const std::string& frame) override {
    s_.ServerSendtoCli(handle, frame);
  }
  void ServerSendtoConnection(int64_t connection, const std::string& frame) override {
    s_.SyncLog();
    s_.log_.Add("<ServerSendtoCli>", frame, "</ServerSendtoCli>\r\n");
    if (s_.server_) s_.server_->Write(connection, frame);
  }
  void AddChatLine(const std::string& line) override { s_.AddChatLine(line); }
  void StartGameOfKind(int kind) override { s_.w_.StartGameMenuClick(kind); }
  std::vector<int64_t> LiveConnections() const override {
    return s_.server_ ? s_.server_->Connections() : std::vector<int64_t>{};
  }
  void Redraw() override { s_.w_.DrawBoard(); }
  // `legalMoves` is the game's LegalMoveText, which the pane shows when drawn.
  void ShowServerMove(int board, const std::string& moveText, const std::string&) override {
    TfrmKestrovane& w = s_.w_;
    // As on the clients: the last line becomes the move, "{*} *" follows.
    std::string record = w.RecordPane().Text();
    net::AddNetworkMoveToRecord(record, moveText);
    w.RecordPane().SetTextLater(record);
    (board == 1 ? w.SelectionA : w.SelectionB) = MoveSelection{};
    s_.ShowMoveLater();
    // The server's own computer players answer its clients too.
    CKestroGame& g = *w.Game();
    if ((g.GameKind == gkBughouse || g.GameKind == gkCoin) && !g.Moves.empty())
      w.Engines().ServerAppliedMove(g.Moves.back(), moveText);
  }
  void SetTurnStart(int seat, int64_t tick) override { s_.w_.TurnStartTick[seat & 3] = tick; }
  void PlayMoveSound() override { s_.w_.PlayMoveSoundAndWait(); }
  void PlayCallAdminSound() override { s_.w_.Sounds().PlayCallAdminSound(); }

 private:
  NetSession& s_;
};

// What the client processor asks of the window.
class NetSession::ClientSide : public net::ClientHost {
 public:
  explicit ClientSide(NetSession& s) : s_(s) {}
  CKestroGame* Game() override { return s_.w_.Game(); }
  void AddChatLine(const std::string& line) override { s_.AddChatLine(line); }
  std::string PartnerTellsText() override { return FromQString(s_.w_.edPartnerTells->text()); }
  int PartnerTellsLimit() override { return s_.w_.PartnerTellsLength; }
  void SetPartnerTellsText(const std::string& text) override { s_.w_.edPartnerTells->setText(ToQString(text)); }
  void PlayMoveSoundAndWait() override { s_.w_.PlayMoveSoundAndWait(); }
  void SpeakChatLine(const std::string& sender, const std::string& text) override {
    s_.w_.SpeakChatLine(sender, text);
  }
  void SetTurnStart(int seat, int64_t tick) override { s_.w_.TurnStartTick[seat & 3] = tick; }
  void ShowMovePlayed() override { s_.ShowMoveLater(); }
  void AddMoveToRecord(const std::string& moveText) override {
    std::string record = s_.w_.RecordPane().Text();
    net::AddNetworkMoveToRecord(record, moveText);
    s_.w_.RecordPane().SetTextLater(record);
    s_.ShowMoveLater();
  }
  void ShowLegalMoves() override {
    // The list becomes the game's LegalMoveText, which the pane shows when drawn.
    CKestroGame& g = *s_.w_.Game();
    g.LegalMovesText(g.Position, g.LegalMoveCount, g.PliesA, g.PliesB);
    s_.ShowMoveLater();
  }

  void LogGameBeforeNewGame() override {
    logFailed_ = !s_.w_.LogGameBeforeReplacing();
  }
  // A game record that could not be logged stays in the pane.
  void ClearRecord() override {
    if (!logFailed_) s_.w_.RecordPane().SetText("");
    logFailed_ = false;
  }
  bool RecordHoldsMove() override { return HoldsMoveAfterTags(s_.w_.RecordPane().Text()); }
  void StartNewGame(int kind, bool withSound) override { s_.w_.StartNewGame(kind, withSound); }
  void ShowRunningClocks() override {
    TfrmKestrovane& w = s_.w_;
    if (w.chbShowPresumptiveTimes->isChecked()) return;
    w.chbShowPresumptiveTimes->setChecked(true);
    w.chbShowPresumptiveTimesClick();
  }
  void SetLagCompensator(bool on) override { s_.w_.mnuiBughouseLagcompensator->setChecked(on); }
  void ShowOwnName(const std::string& name) override { s_.w_.ShowName(ToQString(name)); }
  void ShowPlayers() override { s_.w_.DrawBoard(); }
  void EnableNewGameMenus(int code) override { s_.w_.EnableNewGameMenus(code); }
  void TellComputerPlayers(const net::RelayedMove& move) override { s_.w_.Engines().TellComputerPlayers(move); }
  void ChatArrived(const std::string& sender, const std::string& text) override {
    s_.w_.Engines().ChatArrived(sender, text);
  }

 private:
  NetSession& s_;
  bool logFailed_ = false;
};

NetSession::NetSession(TfrmKestrovane& window)
    : w_(window),
      clock_(windowTickClock),
      server_side_(std::make_unique<ServerSide>(*this)),
      client_side_(std::make_unique<ClientSide>(*this)),
      server_processor_(std::make_unique<net::ServerProcessor>(*server_side_, table_, clock_)),
      client_processor_(std::make_unique<net::ClientProcessor>(*client_side_, w_.OwnPlayer, log_, clock_)),
      show_timer_(std::make_unique<QTimer>()) {
  show_timer_->setSingleShot(true);
  show_timer_->setInterval(0);
  QObject::connect(show_timer_.get(), &QTimer::timeout, show_timer_.get(), [this] { ShowMove(); });
}

NetSession::~NetSession() {
  if (server_) server_->CloseAll();
  if (client_) client_->Close();
}

// ---------------------------------------------------------------------------
// Send operations.

void NetSession::SyncLog() { log_.on = w_.mnuiMakeLogs->isChecked(); }

void NetSession::SendToServer(const std::string& frame) {
  // A client sends nothing before its Login but the login itself.
  if (w_.ActsAsServer != 1 && w_.OwnPlayer.handle.empty() && !net::IsLoginFrame(frame)) return;
  SyncLog();
  log_.Add(" <NetGameSendMessageToServer>", frame, "</NetGameSendMessageToServer>\r\n");
  if (w_.ActsAsServer == 1) {
    if (w_.Game()) server_processor_->NetGameServerProcessingMessage(std::nullopt, frame);
  } else if (client_) {
    client_->Write(frame);
  }
}

void NetSession::SendToAll(const std::string& frame) {
  SyncLog();
  log_.Add("<ServerSendtoAll>", frame, "</ServerSendtoAll>\r\n");
  if (server_) server_->WriteAll(frame);
  ProcessOnClient(frame);
}

void NetSession::SendToAllBS(const std::string& frame) {
  SyncLog();
  log_.Add("<ServerSendtoAllBS>", frame, "</ServerSendtoAllBS>\r\n");
  if (server_) server_->WriteAll(frame);
}

void NetSession::SendOwnMove(const std::string& frame) {
  SyncLog();
  log_.Add(" <NetGameSendMessageToServer>", frame, "</NetGameSendMessageToServer>\r\n");
  const net::FrameFields fields = net::ServerFields(frame);
  if (w_.ActsAsServer == 1 && w_.Game() && fields.ok) server_processor_->PlayOwnMove(fields.payload);
}

void NetSession::ServerSendtoCli(std::string_view handle, const std::string& frame) {
  SyncLog();
  log_.Add("<ServerSendtoCli>", frame, "</ServerSendtoCli>\r\n");
  if (handle == table_.At(0).handle) {
    ProcessOnClient(frame);
    return;
  }
  if (!server_) return;
  for (int i = 1; i < table_.Count(); ++i)
    if (table_.At(i).handle == handle) server_->Write(table_.At(i).socket, frame);
}

void NetSession::ProcessOnClient(std::string_view frame) {
  if (w_.Game()) client_processor_->NetGameClientProcessingMessage(frame);
}

void NetSession::AddChatLine(const std::string& line) {
  // What a read brings is shown once for its whole burst.
  if (reading_)
    w_.AddChatLineLater(line);
  else
    w_.AddChatLine(line);
}

// ---------------------------------------------------------------------------
// Showing relayed moves.

void NetSession::ShowMoveLater() {
  if (!show_timer_->isActive()) show_timer_->start();
}

void NetSession::ShowMove() {
  CKestroGame* game = w_.Game();
  if (!game) return;
  w_.RecordPane().Show();
  w_.ShowLegalMovesText(game->LegalMoveText);
  w_.DrawBoard();  // with the move selections and the running clocks
}

// ---------------------------------------------------------------------------
// Reading.

void NetSession::ServerRead(int64_t connection, std::string_view bytes) {
  const QScopedValueRollback<bool> reading(reading_, true);
  SyncLog();
  log_.Add("<ServerReceived>", bytes, "</ServerReceived>\r\n");
  auto it = readers_.find(connection);
  if (it == readers_.end()) return;
  net::FrameReader::Result cut = it->second.Feed(bytes, log_.on);
  const std::string address = server_ ? server_->RemoteAddress(connection) : std::string();
  if (cut.noFrameStart) AddChatLine("Server Info bad client trying comunicate : " + address);
  if (cut.overflowed) AddChatLine("Server Info too long a frame from " + address + " dropped.");
  for (size_t i = 0; i < cut.frames.size(); ++i) {
    log_.Add(" <NGSRCommand>", cut.frames[i], "</NGSRCommand>\r\n");
    log_.Add("  <lsReceivedRest>", cut.Rest(i), "</lsReceivedRest>\r\n");
    // Processing may end the server (the window closes): stop then.
    if (!server_ || !w_.Game()) return;
    server_processor_->NetGameServerProcessingMessage(connection, cut.frames[i]);
  }
}

void NetSession::ClientRead(std::string_view bytes) {
  const QScopedValueRollback<bool> reading(reading_, true);
  SyncLog();
  log_.Add("<ClientReceived>", bytes, "</ClientReceived>\r\n");
  net::FrameReader::Result cut = client_reader_.Feed(bytes, log_.on);
  if (cut.noFrameStart) AddChatLine("Client Info bad server comunication mismas command");
  if (cut.overflowed) AddChatLine("Client Info too long a frame from the server dropped.");
  for (size_t i = 0; i < cut.frames.size(); ++i) {
    log_.Add(" <NGCRCommand>", cut.frames[i], "</NGCRCommand>\r\n");
    log_.Add("  <lsReceivedRest>", cut.Rest(i), "</lsReceivedRest>\r\n");
    if (!client_ || !w_.Game()) return;
    client_processor_->NetGameClientProcessingMessage(cut.frames[i]);
  }
}

void NetSession::RefreshClientsConnected() {
  if (server_) server_processor_->ConnectionsChanged();
}

void NetSession::GameStarted(int kind) {
  if (w_.ActsAsServer == 1) server_processor_->GameStarted(kind);
}

// ---------------------------------------------------------------------------
// Start Server, Join, Login.

void NetSession::StartServer() {
  // A cancelled box answers with its default, as the port box always did.
  const std::optional<QString> answer = AppDialogs().Input(
      &w_, QStringLiteral("Net Game Server "), QStringLiteral("Port (try 80 if proxy on road):"),
      QStringLiteral("6464"));
  const std::optional<uint16_t> port = ReadPort(answer.value_or(QStringLiteral("6464")));
  if (!port) {
    AppDialogs().Message(&w_, QStringLiteral("Net Game Server "),
                         QStringLiteral("The port must be a whole number from 1 to 65535."), {Dialogs::Answer::Ok},
                         Dialogs::Answer::Ok);
    return;
  }
  if (!StartServerOn(*port))
    AppDialogs().Message(&w_, QStringLiteral("Net Game Server "), ToQString(last_error_), {Dialogs::Answer::Ok},
                         Dialogs::Answer::Ok);
}

// A game played before a session starts is logged first, as before any new
// game; a record that could not be logged stays in the pane.
void NetSession::LogHeldGame() {
  if (HoldsMoveAfterTags(w_.RecordPane().Text()) && w_.LogGameBeforeReplacing()) w_.RecordPane().SetText("");
}

bool NetSession::StartServerOn(uint16_t port) {
  if (server_) return true;
  if (!w_.Game()) return false;  // the window is closing
  if (client_) client_->Close();
  DeleteLater(client_);
  NetServer::Events events;
  events.accepted = [this](int64_t, const std::string& address) { AddChatLine("Connect to: " + address); };
  events.connected = [this](int64_t id, const std::string& host, const std::string& address) {
    readers_[id];
    AddChatLine("Connected: " + host + " (" + address + ")");
  };
  events.read = [this](int64_t id, std::string_view bytes) { ServerRead(id, bytes); };
  events.overflowed = [this](int64_t id, size_t) {
    const int index = table_.FindByConnection(id);
    const std::string who = index > 0 ? table_.At(index).name : server_->RemoteAddress(id);
    AddChatLine("Server info --> " + who + " does not read what the server sends: disconnected.");
  };
  events.disconnected = [this](int64_t id) {
    readers_.erase(id);
    w_.PostRefreshClients();
  };
  auto server = std::make_unique<NetServer>(std::move(events));
  if (!server->Listen(port)) {
    last_error_ = server->ErrorText();
    AddChatLine(last_error_);
    return false;
  }
  server_ = std::move(server);
  readers_.clear();
  server_port_ = server_->Port();
  AddChatLine("Starting server, listening...");
  table_.Reset();
  w_.OwnPlayer = net::NetGamePlayer{};
  w_.OwnPlayer.handle = std::string(net::kServerHandle);
  w_.OwnPlayer.name = std::string(net::kSupervisorName);
  w_.OwnPlayer.roles = 127;
  table_.At(0).roles = 127;
  w_.NetworkMode = 1;
  w_.ActsAsServer = 1;
  w_.mnuiAI->setEnabled(true);

  // Every seat is free: the names of an earlier session, which the new game
  // would carry over, sit in no player table now.
  for (int seat = 0; seat < 4; ++seat) w_.Game()->PlayerNames[seat] = kSeatWords[seat];
  LogHeldGame();
  w_.StartNewGame(0);
  w_.btnNewGame->hide();
  w_.NetworkMode = 1;
  w_.OwnPlayer.roles = w_.OwnPlayer.engineRoles = 0;
  table_.At(0).roles = 0;
  w_.OwnPlayer.ownSeat = w_.OwnPlayer.partnerSeat = w_.OwnPlayer.opponentSeat = w_.OwnPlayer.partnersOpponentSeat =
      net::kSeatNone;
  w_.btnLogin->show();
  w_.ShowName(QStringLiteral("Supervisor"));
  w_.edName->setEnabled(true);
  w_.SetNameEditing(true);

  Enable({w_.mnuiStartServer, w_.mnuiJoinToServer}, false);
  w_.mnuiDisconnect->setEnabled(true);
  w_.mnuiLogGameBeforeStartingNew->setChecked(false);
  w_.chbTestAutoMove->hide();
  w_.mnuiMakeLogs->setChecked(false);
  w_.mnuiSoundsOff->setChecked(true);
  w_.Sounds().EnableFromSoundsOff();
  w_.mnuiClientOptions->menuAction()->setEnabled(true);
  w_.mnuiPartnerTellsFont->setVisible(false);
  w_.mnuiDebug->menuAction()->setEnabled(true);
  w_.mnuiPlayersAtTableCanStartGame->setVisible(true);

  w_.LayoutControls(true);
  server_processor_->GameStarted(0);
  return true;
}

void NetSession::JoinToServer() {
  if (client_) client_->Close();
  DeleteLater(client_);
  const std::optional<QString> address = AppDialogs().Input(
      &w_, QStringLiteral("Net game server "), QStringLiteral("IP address of the server:"),
      QStringLiteral("127.0.0.1"));
  std::optional<QString> portText;
  if (address && !address->trimmed().isEmpty())
    portText = AppDialogs().Input(&w_, QStringLiteral("Net Game Server"), QStringLiteral("Port :"),
                                  QStringLiteral("6464"));
  if (!portText) {
    w_.NetworkMode = 0;
    w_.ActsAsServer = 0;
    return;
  }
  const std::optional<uint16_t> port = ReadPort(*portText);
  if (!port) {
    AppDialogs().Message(&w_, QStringLiteral("Net Game Server"),
                         QStringLiteral("The port must be a whole number from 1 to 65535."), {Dialogs::Answer::Ok},
                         Dialogs::Answer::Ok);
    return;
  }
  JoinServer(FromQString(address->trimmed()), *port);
}

void NetSession::JoinServer(const std::string& address, uint16_t port) {
  if (server_) return;  // a server does not join another
  server_address_ = address;
  server_port_ = port;
  NetClient::Events events;
  events.connected = [this] {
    w_.btnreNetGameLogClearClick();
    AddChatLine("Connected to KVX NetGame Server : " + server_address_);
  };
  events.error = [this](const std::string&) {
    AddChatLine("Error connecting to server: " + server_address_ + " port: " + std::to_string(server_port_) +
                ". Sorry no server found.");
  };
  events.read = [this](std::string_view bytes) { ClientRead(bytes); };
  events.disconnected = [this](const std::string& reason) { ClientDropped(reason); };
  client_ = std::make_unique<NetClient>(std::move(events));
  client_reader_.Reset();
  client_->Connect(address, port);
  AddChatLine("Trying connect as client (wait please 1 minute) ...");

  w_.btnLogin->show();
  w_.NetworkMode = 2;
  w_.ActsAsServer = 0;
  w_.OwnPlayer.handle.clear();  // none until Login
  w_.edClientHandle->clear();
  w_.OwnPlayer.roles = w_.OwnPlayer.engineRoles = 0;
  w_.OwnPlayer.ownSeat = w_.OwnPlayer.partnerSeat = w_.OwnPlayer.opponentSeat = w_.OwnPlayer.partnersOpponentSeat =
      net::kSeatNone;
  w_.btnNewGame->hide();
  w_.btnSetupPosition->setEnabled(false);
  w_.edName->setEnabled(true);
  w_.SetNameEditing(true);
  Enable({w_.mnuiStartServer, w_.mnuiJoinToServer}, false);
  w_.mnuiDisconnect->setEnabled(true);
  for (QAction* a : w_.StartGameItems) a->setEnabled(false);
  EnableHotseatTrainings(w_, false);
  Enable({w_.mnuiPlayersAtTableCanStartGame, w_.mnuiWhoIsConnected}, false);
  w_.mnuiLogGameBeforeStartingNew->setChecked(true);
  w_.chbTestAutoMove->show();
  w_.chbTestAutoMove->setEnabled(true);
  w_.mnuiAI->setEnabled(true);
  w_.mnuiMakeLogs->setChecked(false);
  w_.mnuiClientOptions->menuAction()->setEnabled(true);
  w_.mnuiPartnerTellsFont->setVisible(true);
  w_.mnuiDebug->menuAction()->setEnabled(true);
  w_.mnuiPlayersAtTableCanStartGame->setVisible(false);
  w_.pcXBEngines->show();
  w_.LayoutControls(true);
}

void NetSession::ClientDropped(const std::string& reason) {
  // The server went away without Disconnect: say so and leave the network
  // game, so that the user can join again. The local layout hides the chat
  // pane, so a message box says it too, once this event has returned.
  const std::string text = "Connection to the server lost" + (reason.empty() ? std::string() : ": " + reason) + ".";
  AddChatLine(text);
  if (client_) client_->Close();
  BackToLocal();
  QMetaObject::invokeMethod(
      &w_,
      [this, text] {
        AppDialogs().Message(&w_, QStringLiteral("Net Game Server"), ToQString(text), {Dialogs::Answer::Ok},
                             Dialogs::Answer::Ok);
      },
      Qt::QueuedConnection);
}

void NetSession::Login() {
  if (!w_.Game()) return;
  // Names travel and are kept in Windows-1252: a letter it lacks would
  // reach every board and record as "?", which is someone else's name.
  const QString lost = LettersOutsideWindows1252(w_.edName->text());
  if (!lost.isEmpty()) {
    AppDialogs().Message(&w_, QStringLiteral("Login"),
                         QStringLiteral("A name can hold only the letters of Windows-1252 (Western European); "
                                        "these can not be sent: %1\nChange the name and press Login again.")
                             .arg(lost),
                         {Dialogs::Answer::Ok}, Dialogs::Answer::Ok);
    return;
  }
  if (w_.ActsAsServer == 1) {
    const std::string name = table_.ServerLogin(FromQString(w_.edName->text()));
    w_.OwnPlayer.name = name;
    w_.OwnPlayer.handle = std::string(net::kServerHandle);
    w_.OwnPlayer.roles = 7;
    w_.ShowName(ToQString(name));
    w_.btnLogin->hide();
    for (QWidget* c : std::initializer_list<QWidget*>{w_.edNetGameMessage, w_.reNetGameLog, w_.btnreNetGameLogClear})
      c->setEnabled(true);
    Enable({w_.mnuiWhoIsConnected, w_.mnuiWho, w_.mnuiPlayersAtTableCanStartGame, w_.mnuiCallServerAdministrator},
           true);
    for (QAction* a : w_.StartGameItems) a->setEnabled(true);
    for (QAction* a : w_.mnuiAbandonRoles) a->setEnabled(true);
    EnableHotseatTrainings(w_, false);
    AddChatLine(name + " logged in as administrator.");
    w_.SetNameEditing(false);
    w_.LayoutControls(true);
    return;
  }
  if (!client_ || !client_->IsConnected()) {
    // The login frame would be lost: the user logs in once connected.
    AddChatLine("Not connected to the server yet: press Login again once connected.");
    AppDialogs().Message(&w_, QStringLiteral("Net Game Server"),
                         QStringLiteral("Not connected to the server yet. Press Login again when the connection is made."),
                         {Dialogs::Answer::Ok}, Dialogs::Answer::Ok);
    return;
  }
  w_.OwnPlayer.handle = net::NewClientHandle();
  w_.OwnPlayer.roles = net::kRoleClient;
  std::string name = net::CleanName(FromQString(w_.edName->text()));
  w_.OwnPlayer.name = name;
  w_.ShowName(ToQString(name));
  SendToServer(net::LoginFrame(w_.OwnPlayer.handle, name));
  w_.btnLogin->hide();
  w_.edPartnerTells->show();
  w_.udPartnerTellsSLN->show();
  for (QWidget* c : std::initializer_list<QWidget*>{w_.edNetGameMessage, w_.reNetGameLog, w_.btnreNetGameLogClear})
    c->setEnabled(true);
  Enable({w_.mnuiWho, w_.mnuiTakeRoleAll4, w_.mnuiCallServerAdministrator}, true);
  for (QAction* a : w_.mnuiTakeRoles) a->setEnabled(true);
  for (QAction* a : w_.mnuiAbandonRoles) a->setEnabled(true);
  EnableHotseatTrainings(w_, true);
  w_.mnuiPlayersAtTableCanStartGame->setEnabled(false);
  w_.edClientHandle->setText(ToQString(w_.OwnPlayer.handle));
  // The login's game is a silent stand-in for the one the server sends.
  LogHeldGame();
  w_.StartNewGame(0, false);
  w_.SetNameEditing(false);
  w_.LayoutControls(true);
}

// ---------------------------------------------------------------------------
// Commands of every participant.

void NetSession::SendChatLine() {
  const QString line = w_.edNetGameMessage->text();
  SendTalk(FromQString(line));
  w_.edNetGameMessage->clear();
  // Chat travels in Windows-1252: the writer alone is told what became "?"
  // (the note is UTF-8, which the pane shows as such).
  const QString lost = LettersOutsideWindows1252(line);
  if (!lost.isEmpty())
    AddChatLine(QStringLiteral("Your line went with \"?\" for %1 (chat carries only the letters of Windows-1252).")
                    .arg(lost)
                    .toStdString());
}

void NetSession::SendTalk(const std::string& text) { SendToServer(net::ChatFrame(w_.OwnPlayer.handle, text)); }

void NetSession::Who() {
  if (w_.ActsAsServer == 1)
    AddChatLine(table_.RolesSummaryText());
  else
    SendToServer(net::WhoFrame(w_.OwnPlayer.handle));
}

void NetSession::WhoIsConnected() {
  if (!server_) return;
  std::vector<net::ConnectionText> live;
  for (int64_t id : server_->Connections()) live.push_back({server_->RemoteHost(id), server_->RemoteAddress(id)});
  AddChatLine("\n" + net::WhoIsConnectedText(live));
}

void NetSession::TakeRole(int seat) { SendToServer(net::TakeRoleFrame(w_.OwnPlayer.handle, seat)); }

void NetSession::AbandonRole(int seat) { SendToServer(net::AbandonRoleFrame(w_.OwnPlayer.handle, seat)); }

void NetSession::TakeAllRoles() {
  for (const std::string& frame : net::TakeAllRolesFrames(w_.OwnPlayer.handle)) SendToServer(frame);
}

void NetSession::TakeRoleTest() {
  for (const std::string& frame : net::TakeRoleTestFrames(w_.OwnPlayer.handle)) SendToServer(frame);
}

void NetSession::CallServerAdministrator() {
  if (w_.ActsAsServer == 1) {
    // The item's check mark is the server user's wish to hear calls.
    if (w_.mnuiCallServerAdministrator->isChecked()) server_side_->PlayCallAdminSound();
    return;
  }
  // A client's call is a command, not a setting.
  w_.mnuiCallServerAdministrator->setChecked(false);
  SendToServer(net::CallServerAdminFrame(w_.OwnPlayer.handle));
}

// ---------------------------------------------------------------------------
// Disconnect.

void NetSession::Disconnect() {
  if (w_.NetworkMode == 0 && !server_ && !client_) return;
  SendToServer(net::DisconnectText(w_.OwnPlayer.handle, w_.OwnPlayer.roles));
  BackToLocal();
}

void NetSession::CloseSockets() {
  if (server_ || client_) AddChatLine("Disconnecting ...");
  if (server_) server_->CloseAll();
  if (client_) client_->Close();
  readers_.clear();
  client_reader_.Reset();
}

void NetSession::BackToLocal() {
  // "ComputerPlayer" is disabled from here on: no engine may outlive the game.
  w_.Engines().DeleteAgents();
  CloseSockets();
  // Freed from the event loop: their own events may be on the stack.
  DeleteLater(server_);
  DeleteLater(client_);
  w_.NetworkMode = 0;
  w_.ActsAsServer = 0;
  w_.btnNewGame->show();
  w_.btnSetupPosition->setEnabled(true);
  w_.edName->setEnabled(false);
  w_.edPartnerTells->hide();
  w_.udPartnerTellsSLN->hide();
  Enable({w_.mnuiStartServer, w_.mnuiJoinToServer}, true);
  w_.mnuiDisconnect->setEnabled(false);
  for (QAction* a : w_.StartGameItems) a->setEnabled(false);
  EnableHotseatTrainings(w_, false);
  Enable({w_.mnuiPlayersAtTableCanStartGame, w_.mnuiWhoIsConnected, w_.mnuiWho, w_.mnuiTakeRoleAll4,
          w_.mnuiCallServerAdministrator},
         false);
  for (QAction* a : w_.mnuiTakeRoles) a->setEnabled(false);
  for (QAction* a : w_.mnuiAbandonRoles) a->setEnabled(false);
  w_.mnuiBughouseLagcompensator->setEnabled(true);
  w_.chbTestAutoMove->setChecked(false);
  w_.chbTestAutoMove->show();
  w_.chbTestAutoMove->setEnabled(false);
  w_.mnuiAI->setEnabled(false);
  w_.mnuiClientOptions->menuAction()->setEnabled(false);
  w_.mnuiPartnerTellsFont->setVisible(false);
  w_.mnuiDebug->menuAction()->setEnabled(false);
  w_.mnuiPlayersAtTableCanStartGame->setVisible(false);
  w_.chbShowPresumptiveTimes->setChecked(false);
  if (w_.Game()) {
    w_.Visual().ShowPresumptiveTimes = 0;
    TfrmKestrovane::SetTimerInterval(w_.TimerNetGame1, 0);
    w_.LayoutControls(false);
  }
}

uint16_t NetSession::ServerPort() const { return server_ ? server_->Port() : 0; }

void NetSession::DropConnection(int index) {
  if (server_ && index > 0 && index < table_.Count()) server_->Close(table_.At(index).socket);
}
