// The computer players of the play window.
#include "play/engine_control.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "engines/core/engine_seats.h"
#include "engines/core/engine_text.h"
#include "engines/core/kestro_engine.h"
#include "engines/xboard_engine_agent.h"
#include "game/bytes.h"
#include "net/core/client_host.h"
#include "net/core/client_processor.h"
#include "net/core/frame.h"
#include "play/play_window.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

namespace {

using Answer = Dialogs::Answer;

constexpr int kStartIntervalMs = 10000;
constexpr int kAnalysisIntervalMs = 500;
constexpr int kMinTimerMs = 10;
constexpr int kPaneLimit = 1 << 20;
constexpr int kLevels[4] = {elRandom, elRules, elKingSafety, elSearch};
const char* const kSeatTags[4] = {"WA", "BA", "WB", "BB"};

bool Exists(const std::string& path) { return !path.empty() && QFileInfo::exists(PathToQString(path)); }

// The default path offered for an engine item: the program's own engine
// folder, or on systems without it the packaged Sjeng.
std::string DefaultPathFor(EngineControl::EngineItem item) {
  if (item == EngineControl::kSunsetter) return paths::Below("\\Engines\\Sunsetter\\Sunsetter.exe");
  const std::string own = paths::Below("\\Engines\\Sjeng85\\Sjeng85.Exe");
  if (!Exists(own) && Exists("/usr/games/sjeng")) return "/usr/games/sjeng";
  return own;
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Contains(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

int AgentId(EngineControl::EngineItem engine) { return engine == EngineControl::kSjeng ? 1000 : 2000; }

bool KindAllows(EngineControl::EngineItem engine, int kind) {
  return engine == EngineControl::kSjeng ? KindAllowsSjeng(kind) : KindAllowsSunsetter(kind);
}

std::string NoPositionNote(const std::string& engine) {
  return engine + " can not take the position of this game: it waits for the next game.";
}

}  // namespace

EngineControl::EngineControl(TfrmKestrovane& window) : w_(window) {
  DefaultEnginePath = DefaultPathFor(kSjeng);
  for (std::string& path : SeatEnginePath) path = DefaultEnginePath;
  BuildMenu();
  BuildSendControls();
  QObject::connect(w_.chbTestAutoMove, &QCheckBox::clicked, &w_, &TfrmKestrovane::chbTestAutoMoveClick);
  QObject::connect(w_.btnAnalyzePositionA, &QPushButton::clicked, &w_, &TfrmKestrovane::btnAnalyzePositionAClick);
  QObject::connect(w_.btnEngineForAnalysis, &QPushButton::clicked, &w_, &TfrmKestrovane::btnEngineForAnalysisClick);
}

EngineControl::~EngineControl() = default;

// ---------------------------------------------------------------------------
// The menu.

void EngineControl::BuildMenu() {
  QMenu* ai = w_.mnuiAI->menu();
  auto item = [this](QMenu* menu, QAction* before, const std::string& name, const QString& caption, bool checkable) {
    auto* a = new QAction(caption, &w_);
    a->setObjectName(QString::fromLatin1(name.c_str()));
    a->setCheckable(checkable);
    menu->insertAction(before, a);
    return a;
  };
  const char* powerNames[4] = {"mnuiEnginePowerRandomLegalMoves", "mnuiEnginePowerWeakNewbie",
                               "mnuiEnginePowerWeakNewbie2", "mnuiEnginePowerWeakComp"};
  for (int i = 0; i < 4; ++i) PowerItems[i] = w_.findChild<QAction*>(QString::fromLatin1(powerNames[i]));
  mnuiDebugComputerThinking001 = w_.findChild<QAction*>(QStringLiteral("mnuiDebugComputerThinking001"));
  if (mnuiDebugComputerThinking001) mnuiDebugComputerThinking001->setCheckable(true);

  // The two marks follow the seats: a click on either changes nothing.
  QObject::connect(w_.mnuiBughouseKestroEngine, &QAction::triggered, &w_, [this] { UpdateOwnEngineRoles(false); });
  QObject::connect(w_.mnuiXBoardChessEngine, &QAction::triggered, &w_, [this] { UpdateXBoardEnginesFlag(false); });
  const char* headings[4] = {"Engine for WhiteA (White on A board)", "Engine for BlackA (Black on A board)",
                             "Engine for WhiteB (White on B board)", "Engine for BlackB (Black on B board)"};
  QAction* timer = w_.mnuiXBoardChessEngineTimer;
  for (int seat = 0; seat < 4; ++seat) {
    QObject::connect(w_.mnuiBugEngineRoles[seat], &QAction::triggered, &w_, [this, seat] { SeatRoleClick(seat); });
    const std::string base = std::string("mnuiXBoardChessEngine") + kSeatTags[seat];
    // Each seat's items under a heading that names the seat.
    ai->insertSeparator(timer);
    item(ai, timer, base + "Heading", QString::fromLatin1(headings[seat]), false)->setEnabled(false);
    auto* group = new QActionGroup(&w_);
    const char* captions[3] = {"None", "Sjeng (or RuvokB)", "Sunsetter"};
    const char* suffixes[3] = {"None", "Sjeng", "Sunsetter"};
    for (int i = 0; i < 3; ++i) {
      QAction* a = item(ai, timer, base + suffixes[i], QString::fromLatin1(captions[i]), true);
      group->addAction(a);
      SeatItems[seat][i] = a;
    }
    SeatItems[seat][kNone]->setChecked(true);
    SeatItems[seat][kSjeng]->setStatusTip(PathToQString(SeatEnginePath[seat]));
    QObject::connect(SeatItems[seat][kNone], &QAction::triggered, &w_, [this, seat] { SeatNoneClick(seat); });
    QObject::connect(SeatItems[seat][kSjeng], &QAction::triggered, &w_, [this, seat] { SeatEngineClick(seat, kSjeng); });
    QObject::connect(SeatItems[seat][kSunsetter], &QAction::triggered, &w_,
                     [this, seat] { SeatEngineClick(seat, kSunsetter); });
    SpeedItems[seat] = item(ai, timer, base + "SettingsSpeed", QStringLiteral("Speed : 1"), false);
    SpeedItems[seat]->setStatusTip(ToQString(EngineSpeedHint(seat, 1)));
    QObject::connect(SpeedItems[seat], &QAction::triggered, &w_, [this, seat] { SeatSpeedClick(seat); });
  }
  ai->insertSeparator(timer);
  QObject::connect(w_.mnuiXBoardChessEngineTimer, &QAction::triggered, &w_,
                   &TfrmKestrovane::mnuiXBoardChessEngineTimerClick);
  ai->addSeparator();
  mnuiNoEngines = item(ai, nullptr, "mnuiNoEngines", QStringLiteral("No computer players"), false);
  QObject::connect(mnuiNoEngines, &QAction::triggered, &w_, &TfrmKestrovane::mnuiNoEnginesClick);
  ai->addSeparator();
  const char* hotseat[4] = {"Hotseat : Training bughouse as BlackB with Sjengs",
                            "Hotseat : Training bughouse as WhiteA with Sjengs",
                            "Hotseat : Training bughouse as BlackB with Sunsetters",
                            "Hotseat : Training bughouse as WhiteA with Sunsetters"};
  void (TfrmKestrovane::*handlers[4])() = {&TfrmKestrovane::mnuiHotseat1Click, &TfrmKestrovane::mnuiHotseat2Click,
                                           &TfrmKestrovane::mnuiHotseat3Click, &TfrmKestrovane::mnuiHotseat4Click};
  for (int i = 0; i < 4; ++i) {
    mnuiHotseat[i] = item(ai, nullptr, "mnuiHotseat" + std::to_string(i + 1), QString::fromLatin1(hotseat[i]), false);
    QObject::connect(mnuiHotseat[i], &QAction::triggered, &w_, handlers[i]);
  }
}

void EngineControl::BuildSendControls() {
  for (int seat = 0; seat < 4; ++seat) {
    QWidget* page = w_.pcXBEngines->widget(seat);
    auto* row = new QHBoxLayout;
    SendEdits[seat] = new QLineEdit(page);
    SendEdits[seat]->setObjectName(QStringLiteral("edXBoardEngine%1").arg(QString::fromLatin1(kSeatTags[seat])));
    SendButtons[seat] = new QPushButton(QStringLiteral("Send"), page);
    SendButtons[seat]->setObjectName(
        QStringLiteral("btnXBoardEngineSend%1").arg(QString::fromLatin1(kSeatTags[seat])));
    row->addWidget(SendEdits[seat]);
    row->addWidget(SendButtons[seat]);
    qobject_cast<QBoxLayout*>(page->layout())->addLayout(row);
    QObject::connect(SendButtons[seat], &QPushButton::clicked, &w_, [this, seat] { SendToEngineClick(seat); });
  }
}

void EngineControl::Talk(const std::string& text) { w_.Net().SendToServer(net::ChatFrame(w_.OwnHandle, text)); }

void EngineControl::UpdateOwnEngineRoles(bool announce) {
  EngineRolesMask = 0;
  for (int seat = 0; seat < 4; ++seat)
    if (w_.mnuiBugEngineRoles[seat]->isChecked()) EngineRolesMask |= 8 << seat;
  const bool on = EngineRolesMask >= 1;
  if (on == w_.mnuiBughouseKestroEngine->isChecked()) return;
  w_.mnuiBughouseKestroEngine->setChecked(on);
  if (announce) Talk(on ? "KVX chess engines are ON now." : "KVX chess engines are OFF now.");
}

void EngineControl::UpdateXBoardEnginesFlag(bool announce) {
  bool on = false;
  for (int seat = 0; seat < 4; ++seat) on = on || !SeatItems[seat][kNone]->isChecked();
  if (on == w_.mnuiXBoardChessEngine->isChecked()) return;
  w_.mnuiXBoardChessEngine->setChecked(on);
  if (announce) Talk(on ? "Winboard chess engines are ON now." : "Winboard chess engines are OFF now.");
}

bool EngineControl::ChooseEngineExe() {
  const QFileInfo current(PathToQString(DefaultEnginePath));
  const std::optional<QString> file = AppDialogs().OpenFile(&w_, QStringLiteral("Chess engine"), current.absolutePath(),
                                                            current.fileName(), QStringLiteral("Chess engine (*)"));
  if (!file || file->isEmpty()) return false;
  DefaultEnginePath = PathFromQString(*file);
  return true;
}

void EngineControl::SeatRoleClick(int seat) {
  UpdateOwnEngineRoles(true);
  SeatNoneClick(seat);
  if (!w_.mnuiBugEngineRoles[seat]->isChecked() || !ComputerPlayerChosen(seat)) return;
  if (w_.Game()->GameKind != gkBughouse && w_.Game()->GameKind != gkCoin) return;
  // Chosen during a game: it plays from the seat's next turn, or now.
  w_.chbTestAutoMove->setChecked(true);
  AutoMoveClicked();
  w_.PostComputerTurn();
}

bool EngineControl::ComputerPlayerChosen(int seat) {
  if (!SeatIsOwn(seat)) {
    w_.AddChatLine(std::string(kSeatWords[seat]) +
                   " is not your seat: its computer player plays once you have taken it and a new game starts.");
    return false;
  }
  return w_.Game() && gameKind_ >= 0 && !w_.EnginesStopped;
}

void EngineControl::SeatNoneClick(int seat) {
  SeatItems[seat][kNone]->setChecked(true);
  UpdateXBoardEnginesFlag(true);
  StopSeatEngine(seat);
}

void EngineControl::StopSeatEngine(int seat) {
  if (!agents_[seat] || (seat == 0 && analysing_)) return;
  AddPaneLine(seat, agents_[seat]->Name + " is switched off: it plays no more moves for " + kSeatWords[seat] + ".");
  agents_[seat].reset();
}

void EngineControl::SeatEngineClick(int seat, EngineItem engine) {
  const std::string lower = bytes::LowerAscii(DefaultEnginePath);
  const bool fits = engine == kSjeng ? Contains(lower, "sjeng") || Contains(lower, "ruvokb") : Contains(lower, "sunsetter");
  if (!fits) DefaultEnginePath = DefaultPathFor(engine);
  ChooseEngineExe();
  SeatEnginePath[seat] = DefaultEnginePath;
  SeatItems[seat][engine]->setStatusTip(PathToQString(DefaultEnginePath));
  SeatItems[seat][engine]->setChecked(true);
  UpdateXBoardEnginesFlag(true);
  w_.mnuiBugEngineRoles[seat]->setChecked(false);
  UpdateOwnEngineRoles(true);
  if (ComputerPlayerChosen(seat)) JoinGameUnderWay(seat, engine);
}

void EngineControl::SeatSpeedClick(int seat) {
  const std::string hint = FromQString(SpeedItems[seat]->statusTip());
  const std::optional<QString> answer =
      AppDialogs().Input(&w_, QStringLiteral("Winboard Engine Speed"),
                         QStringLiteral("Please type number (1 = lightning, 2, ... , 9 = very slow)"),
                         ToQString(hint.size() >= 32 ? hint.substr(31, 1) : std::string()));
  if (!answer) return;
  const int speed = ReadEngineSpeed(FromQString(*answer));
  if (speed == 0) return;
  SpeedItems[seat]->setText(QStringLiteral("Speed : %1").arg(speed));
  SpeedItems[seat]->setStatusTip(ToQString(EngineSpeedHint(seat, speed)));
}

void EngineControl::EngineTimerItem() {
  QAction* timer = w_.mnuiXBoardChessEngineTimer;
  const std::optional<QString> answer =
      AppDialogs().Input(&w_, QStringLiteral("Read engine messages timer"), QStringLiteral("In miliseconds:"),
                         QString::number(timer->data().toInt()));
  if (!answer) return;
  bool ok = false;
  const int ms = answer->trimmed().toInt(&ok);
  if (!ok) {
    AppDialogs().Error(&w_, QStringLiteral("'%1' is not a valid integer value").arg(*answer));
    return;
  }
  if (ms < kMinTimerMs) {
    AppDialogs().Message(&w_, QStringLiteral("Read engine messages timer"),
                         QStringLiteral("The timer needs at least %1 ms.").arg(kMinTimerMs), {Answer::Ok}, Answer::Ok);
    return;
  }
  timer->setData(ms);
  timer->setText(QStringLiteral("Read engine messages timer :%1").arg(ms));
}

void EngineControl::NoComputerPlayers() {
  for (QAction* role : w_.mnuiBugEngineRoles) role->setChecked(false);
  UpdateOwnEngineRoles(false);
  for (auto& items : SeatItems) items[kNone]->setChecked(true);
  UpdateXBoardEnginesFlag(false);
  for (int seat = 0; seat < 4; ++seat) StopSeatEngine(seat);
  Talk("All computer chess engines are OFF now.");
}

void EngineControl::AutoMoveClicked() {
  std::string seats;
  if (w_.mnuiBughouseKestroEngine->isChecked())
    for (int seat : {0, 3, 1, 2})
      if (w_.mnuiBugEngineRoles[seat]->isChecked()) seats += std::string(",") + kSeatWords[seat];
  if (!seats.empty()) seats.erase(0, 1);
  Talk(w_.chbTestAutoMove->isChecked() && !seats.empty() ? "Tolvo bughouse engine are ON :" + seats
                                                         : "Tolvo bughouse engine is OFF");
}

void EngineControl::SendToEngineClick(int seat) {
  if (!agents_[seat]) return;
  const std::string text = FromQString(SendEdits[seat]->text());
  agents_[seat]->Send(text);
  AddPaneLine(seat, "Engine<--" + text);
}

void EngineControl::GiveSeatBuiltIn(int seat, int level) {
  w_.mnuiBugEngineRoles[seat]->setChecked(true);
  for (int i = 0; i < 4; ++i)
    if (kLevels[i] == level) PowerItems[i]->setChecked(true);
  UpdateOwnEngineRoles(false);
  SeatItems[seat][kNone]->setChecked(true);
  UpdateXBoardEnginesFlag(false);
}

void EngineControl::GiveSeatEngine(int seat, EngineItem engine, const std::string& path, int speed) {
  SeatEnginePath[seat] = path;
  SeatItems[seat][engine]->setStatusTip(PathToQString(path));
  SeatItems[seat][engine]->setChecked(true);
  SpeedItems[seat]->setText(QStringLiteral("Speed : %1").arg(speed));
  SpeedItems[seat]->setStatusTip(ToQString(EngineSpeedHint(seat, speed)));
  w_.mnuiBugEngineRoles[seat]->setChecked(false);
  UpdateOwnEngineRoles(false);
  UpdateXBoardEnginesFlag(false);
}

EngineControl::EngineItem EngineControl::CheckedEngineItem(int seat) const {
  if (SeatItems[seat][kSjeng]->isChecked()) return kSjeng;
  if (SeatItems[seat][kSunsetter]->isChecked()) return kSunsetter;
  return kNone;
}

std::string EngineControl::SeatEngineName(int seat) const {
  return CheckedEngineItem(seat & 3) == kNone ? std::string() : FileNameOf(SeatEnginePath[seat & 3]);
}

bool EngineControl::SeatHasEngine(int seat) const {
  return agents_[seat] && !SeatItems[seat][kNone]->isChecked();
}

// ---------------------------------------------------------------------------
// Panes.

void EngineControl::AppendToPane(int seat, const std::string& text) {
  if (text.empty()) return;
  QPlainTextEdit* pane = w_.reXBoardEngine[seat];
  QTextCursor end(pane->document());
  end.movePosition(QTextCursor::End);
  end.insertText(ToQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  const int excess = pane->document()->characterCount() - kPaneLimit;
  if (excess > 0) {
    QTextCursor head(pane->document());
    head.setPosition(excess, QTextCursor::KeepAnchor);
    head.removeSelectedText();
  }
  pane->moveCursor(QTextCursor::End);
}

void EngineControl::AddPaneLine(int seat, const std::string& line) {
  // An empty last block: the pane is empty or ends with a line end.
  const bool atLineStart = w_.reXBoardEngine[seat]->document()->lastBlock().text().isEmpty();
  AppendToPane(seat, (atLineStart ? "" : "\r\n") + line + "\r\n");
}

void EngineControl::ClearSeatNote(int seat) {
  greetingNoted_[seat] = dead_[seat] = stuck_[seat] = false;
  RefusedMoves[seat] = MovesSent[seat] = Resyncs[seat] = 0;
  gateCarry_[seat].clear();
}

void EngineControl::ClearSeatNotes() {
  for (int seat = 0; seat < 4; ++seat) ClearSeatNote(seat);
}

// ---------------------------------------------------------------------------
// Game start.

std::unique_ptr<CXBoardEngineAgent> EngineControl::NewAgent(int id, const std::string& path) const {
  const size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  auto agent = std::make_unique<CXBoardEngineAgent>(id, folder, FileNameOf(path));
  agent->Path = path;
  if (environment_) agent->Environment = *environment_;
  return agent;
}

void EngineControl::NoteHoldings() {
  const TwoBoardPosition& p = w_.Game()->Position;
  std::copy(std::begin(p.holdingsA), std::end(p.holdingsA), holdingsA_);
  std::copy(std::begin(p.holdingsB), std::end(p.holdingsB), holdingsB_);
}

CXBoardEngineAgent* EngineControl::StartSeatAgent(int seat, EngineItem engine) {
  const int id = AgentId(engine);
  // Another engine chosen for the seat replaces the old one.
  if (agents_[seat] && (agents_[seat]->Path != SeatEnginePath[seat] || agents_[seat]->Id != id))
    agents_[seat].reset();
  if (seat == 0) analysing_ = false;
  if (!agents_[seat]) agents_[seat] = NewAgent(id, SeatEnginePath[seat]);
  CXBoardEngineAgent& agent = *agents_[seat];
  if (agent.Start() != 0) {
    const std::string note = std::string("The ") + kSeatWords[seat] + " engine " + agent.Name +
                             " could not be started: " + agent.StartError + ".";
    AddPaneLine(seat, note);
    Talk(note);
    agents_[seat].reset();
    return nullptr;
  }
  const TwoBoardPosition& p = w_.Game()->Position;
  agent.Post = 0;
  agent.LevelB = EngineSpeedOfHint(FromQString(SpeedItems[seat]->statusTip()));
  agent.Side = seat == 1 || seat == 3 ? 1 : 15;
  if (engine == kSjeng) agent.Variant = w_.Game()->GameKind == gkCoin ? 5 : 1;
  const int board = kEngineSeats[seat].board;
  agent.Analysis.holdingCommand = HoldingsToXBoard(p, board);
  agent.Analysis.coinCommand = CoinToXBoard(p, board);
  return &agent;
}

void EngineControl::StartEngines(int kind) {
  CKestroGame* game = w_.Game();
  if (!game) return;
  w_.EnginesStopped = 0;
  gameKind_ = kind;
  analysing_ = false;
  ClearSeatNotes();
  const int64_t now = TfrmKestrovane::TickCount10ms();
  for (int seat = 0; seat < 4; ++seat) {
    w_.reXBoardEngine[seat]->clear();
    GreetingGate[seat] = 1;
    startTick_[seat] = now;
    lastTell_[seat].clear();
    tellsPassed_[seat] = 0;
  }
  resultSaid_[0] = resultSaid_[1] = false;
  TfrmKestrovane::SetTimerInterval(w_.timerXBoardEngine, kStartIntervalMs);

  for (int seat = 0; seat < 4; ++seat) {
    const EngineItem engine = CheckedEngineItem(seat);
    const bool allowed = KindAllows(engine, kind);
    CXBoardEngineAgent* agent = nullptr;
    if (engine != kNone && w_.mnuiXBoardChessEngine->isChecked() && SeatIsOwn(seat) && allowed)
      agent = StartSeatAgent(seat, engine);
    if (agent)
      AppendToPane(seat, agent->InitGame());
    else
      agents_[seat].reset();  // a seat without an engine in this game keeps none from the last one
  }
  TfrmKestrovane::SetTimerInterval(w_.timerXBoardEngine, w_.mnuiXBoardChessEngineTimer->data().toInt());
  NoteHoldings();

  if (w_.mnuiBughouseKestroEngine->isChecked()) {
    w_.chbTestAutoMove->setChecked(true);
    AutoMoveClicked();
    w_.PostComputerTurn();
  }
}

void EngineControl::JoinGameUnderWay(int seat, EngineItem engine) {
  CKestroGame* game = w_.Game();
  if (!game || gameKind_ < 0 || w_.EnginesStopped || !SeatIsOwn(seat)) return;
  // The engine that plays the seat already is left alone.
  const CXBoardEngineAgent* playing = agents_[seat].get();
  if (playing && playing->Running && !dead_[seat] && playing->Path == SeatEnginePath[seat] &&
      playing->Id == AgentId(engine) && !(seat == 0 && analysing_))
    return;
  const bool bughouseOrCoin = game->GameKind == gkBughouse || game->GameKind == gkCoin;
  if (!bughouseOrCoin || !KindAllows(engine, gameKind_)) {
    agents_[seat].reset();
    AddPaneLine(seat, NoPositionNote(FileNameOf(SeatEnginePath[seat])));
    return;
  }
  ClearSeatNote(seat);
  GreetingGate[seat] = 1;
  startTick_[seat] = TfrmKestrovane::TickCount10ms();
  CXBoardEngineAgent* agent = StartSeatAgent(seat, engine);
  if (!agent) return;
  AppendToPane(seat, agent->InitPosition(game->Position, kEngineSeats[seat].board));
}

// ---------------------------------------------------------------------------
// The built-in player's turn.

namespace {

// The last-mover word that makes the search's rotation name a seat the
// player plays and whose side is to move; the position's own word when that
// seat already is one.
int SearchRotationStart(const TwoBoardPosition& p, const int* flags) {
  const bool toMove[4] = {p.sideToMoveA == 0, p.sideToMoveA != 0, p.sideToMoveB == 0, p.sideToMoveB != 0};
  const int named = CKestroEngine::NextSeat(p.lastMoverSeat);
  if (flags[named] && toMove[named]) return p.lastMoverSeat;
  for (int last : {seatBlackA, seatWhiteA, seatWhiteB, seatBlackB}) {
    const int seat = CKestroEngine::NextSeat(last);
    if (flags[seat] && toMove[seat]) return last;
  }
  return p.lastMoverSeat;
}

}  // namespace

void EngineControl::ComputerPlayerTurn() {
  CKestroGame* game = w_.Game();
  if (!game) return;
  CKestroGame& g = *game;
  int flags[4] = {};
  for (int seat = 0; seat < 4; ++seat) flags[seat] = (w_.OwnRoles & EngineRolesMask & (8 << seat)) != 0 ? 1 : 0;
  if (!builtIn_)
    builtIn_ = std::make_unique<CKestroEngine>(g.Position, flags[0], flags[1], flags[2], flags[3]);
  else
    std::copy(std::begin(flags), std::end(flags), builtIn_->SeatFlags);
  for (int i = 0; i < 4; ++i)
    if (PowerItems[i] && PowerItems[i]->isChecked()) {
      builtIn_->Level = kLevels[i];
      break;
    }
  builtIn_->DebugFlag = mnuiDebugComputerThinking001 && mnuiDebugComputerThinking001->isChecked() ? 1 : 0;

  EngineResultMove result;
  EngineStatus status;
  std::string tell;
  TwoBoardPosition position = g.Position;
  // The search plays the seat its rotation names after the last mover; the
  // boards do not keep in step, so it is pointed at one of its own seats to move.
  if (builtIn_->Level == elSearch) position.lastMoverSeat = SearchRotationStart(position, flags);
  builtIn_->ChooseMove(result, position, status, tell);
  if (!tell.empty()) Talk(tell);

  if (status.any == 0 && result.kind != 0) {
    const int seat = g.SquareOwner(result.kind, result.from, g.Position);
    // The move replaces a half-made one of its board, whose frame the
    // drawing after the move would otherwise show again.
    (seat >= 2 ? w_.SelectionB : w_.SelectionA) = MoveSelection{};
    if (g.CountMoves(result.kind, result.from, result.to) != 0)
      w_.PlayOrSendMove(result.kind, result.from, result.to, result.promotion);
  }
  if (status.any == 1 && w_.Game() == game) {
    for (int board = 1; board <= 2; ++board) {
      const int state = board == 1 ? status.boardA : status.boardB;
      if (state == 0) continue;
      const int toMove = board == 1 ? g.Position.sideToMoveA : g.Position.sideToMoveB;
      const int waiting = (board == 1 ? 0 : 2) + (toMove == 0 ? 1 : 0);
      Talk(std::string(state == 1 ? "Checkmate !" : "Illegal move !") + " (" + g.PlayerNames[waiting] +
           (board == 1 ? " on A board)" : " on B board)"));
    }
  }
}

void EngineControl::DeleteComputerPlayer() { builtIn_.reset(); }

void EngineControl::DeleteAgents() {
  for (auto& agent : agents_) agent.reset();
  w_.EnginesStopped = 1;
}

// ---------------------------------------------------------------------------
// The engine timer.

int EngineControl::SeatThinkingTime(int seat) const {
  return static_cast<int>(TfrmKestrovane::TickCount10ms() - w_.TurnStartTick[seat & 3]);
}

void EngineControl::PollEngines() {
  const int64_t now = TfrmKestrovane::TickCount10ms();
  for (int seat = 0; seat < 4 && w_.Game(); ++seat) PollSeat(seat, now);
}

void EngineControl::PollSeat(int seat, int64_t now) {
  CXBoardEngineAgent* agent = agents_[seat].get();
  if (!agent || dead_[seat]) return;
  std::string text;
  std::string move = agent->ReadMove(text);
  if (!agent->Running) {
    AppendToPane(seat, text);
    dead_[seat] = true;
    const std::string note = std::string("The ") + kSeatWords[seat] + " engine " + agent->Name +
                             " has ended; the seat waits until the next game starts it.";
    AddPaneLine(seat, note);
    Talk(note);
    return;
  }
  if (GreetingGate[seat]) {
    // A greeting split between two reads is still found.
    const std::string seen = gateCarry_[seat] + text;
    const size_t at = FindEngineGreeting(seen);
    if (at == std::string::npos) {
      gateCarry_[seat] = seen.substr(seen.size() > 64 ? seen.size() - 64 : 0);
      if (!greetingNoted_[seat] && now - startTick_[seat] >= kStartIntervalMs) {
        greetingNoted_[seat] = true;
        AddPaneLine(seat, "No greeting line came from " + agent->Name + ": its output is ignored.");
      }
      return;
    }
    text = seen.substr(at);
    gateCarry_[seat].clear();
    GreetingGate[seat] = 0;
  }
  AppendToPane(seat, text);
  if (agent->PositionRefused) {
    AddPaneLine(seat, NoPositionNote(agent->Name));
    agents_[seat].reset();
    return;
  }
  const std::vector<EngineSaying> said = agent->TakeSayings();
  const CKestroGame* game = w_.Game();
  if (!move.empty()) PlayEngineMove(seat, *agent, move);
  // The move may have started another game, closed the window or ended the engine.
  if (w_.Game() != game || agents_[seat].get() != agent) return;
  for (const EngineSaying& saying : said) Said(seat, saying);
}

void EngineControl::PlayEngineMove(int seat, CXBoardEngineAgent& agent, const std::string& move) {
  const EngineSeatRow& row = kEngineSeats[seat];
  if (row.onlyInNetworkGame && w_.NetworkMode == 0) return;

  CKestroGame& g = *w_.Game();
  const std::string moveText = CheckedEngineMove(g, seat, move, SeatThinkingTime(seat));
  if (moveText.empty()) {
    ++RefusedMoves[seat];
    const bool retries = agent.ResyncsLeft() > 0;
    AppendToPane(seat, agent.RefuseMove(move, g.Position, row.board));
    if (retries) ++Resyncs[seat];
    if (!retries && !stuck_[seat]) {
      stuck_[seat] = true;
      const std::string note = std::string("The ") + kSeatWords[seat] + " engine " + agent.Name +
                               " is stuck: the rules refuse its moves and it can not be set up again.";
      AddPaneLine(seat, note);
      Talk(note);
    }
    return;
  }
  agent.MoveAccepted();
  ++MovesSent[seat];
  AddPaneLine(seat, "KVXN <-- " + moveText);
  (row.board == 1 ? w_.SelectionA : w_.SelectionB) = MoveSelection{};
  w_.Net().SendToServer(net::BuildFrame(w_.OwnHandle, "PlayMove", moveText));
}

// ---------------------------------------------------------------------------
// What engines say: results and partner tells.

void EngineControl::Said(int seat, const EngineSaying& saying) {
  const CXBoardEngineAgent& agent = *agents_[seat];
  const int board = kEngineSeats[seat].board;
  const std::string boardName = board == 1 ? "A" : "B";
  switch (saying.kind) {
    case EngineSaying::Result:
    case EngineSaying::Resign: {
      if (resultSaid_[board - 1]) return;
      resultSaid_[board - 1] = true;
      const bool white = seat == 0 || seat == 2;
      const std::string who = std::string("The ") + kSeatWords[seat] + " engine " + agent.Name;
      const std::string note = saying.kind == EngineSaying::Result
                                   ? who + " says the game on board " + boardName + " is over: " + saying.text
                                   : who + " resigns the game on board " + boardName + ": " + (white ? "0-1" : "1-0");
      AddPaneLine(seat, note);
      Talk(note);
      return;
    }
    case EngineSaying::PartnerTell:
      PassPartnerTell(seat, saying.text);
      return;
    case EngineSaying::None:
      return;
  }
}

void EngineControl::PassPartnerTell(int seat, const std::string& tell) {
  constexpr int kTellsPerMove = 8;
  if (tell == lastTell_[seat] || tellsPassed_[seat] >= kTellsPerMove) return;
  lastTell_[seat] = tell;
  ++tellsPassed_[seat];
  const int partner = seat ^ 3;
  if (SeatHasEngine(partner) && SeatIsOwn(partner)) {
    SendLogged(partner, "ptell " + tell);
    // An engine partner does not answer that: two engines that both wait to
    // be told to go would wait for ever.
    if (TellAsksForGo(tell)) SendLogged(seat, "ptell go");
    return;
  }
  // A player partner reads it in the chat and the partner line.
  Talk(agents_[seat]->Name + " (" + kSeatWords[seat] + "): " + tell);
}

void EngineControl::TellEngineFromPartner(int seat, const std::string& text) {
  if (!SeatHasEngine(seat) || !SeatIsOwn(seat) || text.empty()) return;
  SendLogged(seat, "ptell " + text);
}

bool EngineControl::SeatIsOwn(int seat) const { return (w_.OwnRoles & (8 << (seat & 3))) != 0; }

bool EngineControl::SeatPlayedByComputer(int seat) const {
  return SeatIsOwn(seat) && (SeatHasEngine(seat) || (w_.mnuiBughouseKestroEngine->isChecked() &&
                                                     (EngineRolesMask & (8 << seat)) != 0));
}

void EngineControl::ChatArrived(const std::string& sender, const std::string& text) {
  const CKestroGame* game = w_.Game();
  // Own lines are passed on where they are made.
  if (!game || sender.empty() || sender == w_.OwnPlayer.name) return;
  for (int seat = 0; seat < 4; ++seat) {
    const int partner = seat ^ 3;
    if (!SeatHasEngine(seat) || SeatPlayedByComputer(partner) || game->PlayerNames[partner] != sender) continue;
    // The partner's line carries its engine's tell when it has one: such a
    // tell asking for "go" is answered for that engine, which can not.
    TellEngineFromPartner(seat, text);
    if (TellAsksForGo(text) && SeatIsOwn(seat) && w_.Game() == game) w_.Net().SendTalk("go");
  }
}

void EngineControl::OwnChatLine(const std::string& text) {
  // The user speaks for the seats this window plays without a computer.
  for (int seat = 0; seat < 4; ++seat) {
    const int partner = seat ^ 3;
    if (SeatIsOwn(partner) && !SeatPlayedByComputer(partner)) TellEngineFromPartner(seat, text);
  }
}

// ---------------------------------------------------------------------------
// After a move.

void EngineControl::SendLogged(int seat, const std::string& line) {
  agents_[seat]->Send(line);
  AddPaneLine(seat, line + " --> " + agents_[seat]->Name);
}

void EngineControl::TellComputerPlayers(const net::RelayedMove& move) {
  if (move.move) AfterMove(*move.move, move.text, move.holdingsBeforeA, move.holdingsBeforeB);
}

void EngineControl::ServerAppliedMove(const BpgnMove& move, const std::string& text) {
  AfterMove(move, text, holdingsA_, holdingsB_);
}

void EngineControl::AfterMove(const BpgnMove& move, const std::string& text, const int32_t* holdingsBeforeA,
                              const int32_t* holdingsBeforeB) {
  CKestroGame* game = w_.Game();
  if (!game) return;
  for (int seat = 0; seat < 4; ++seat) {
    lastTell_[seat].clear();
    tellsPassed_[seat] = 0;
  }
  if (w_.mnuiBughouseKestroEngine->isChecked() && w_.chbTestAutoMove->isChecked()) w_.PostComputerTurn();
  if (w_.mnuiXBoardChessEngine->isChecked()) {
    const int mover = move.moverSeat & 3;
    const EngineSeatRow& row = kEngineSeats[mover];
    // A capture fills a hand of the other board: both its engines hear of it.
    if (move.captured != 0)
      for (int seat : row.partnerBoardSeats)
        if (SeatHasEngine(seat) && !agents_[seat]->GoAfterNextMove)
          SendLogged(seat, HoldingsToXBoard(game->Position, 3 - row.board));
    const int opponent = row.opponent;
    if (SeatHasEngine(opponent) && SeatIsOwn(opponent)) {
      CXBoardEngineAgent& agent = *agents_[opponent];
      const std::string engineMove = BpgnToEngineText(text, ExtraPawnSteps(move.from, move.to));
      TwoBoardPosition before;
      std::copy(holdingsBeforeA, holdingsBeforeA + kSlots, before.holdingsA);
      std::copy(holdingsBeforeB, holdingsBeforeB + kSlots, before.holdingsB);
      if (agent.GoAfterNextMove) {
        // It joined the game before its turn: the move, its turn, its hands.
        // A drop needs the hands it comes from (never empty ones: some
        // engines read empty hands in force mode wrongly).
        if (move.from == 0) SendLogged(opponent, HoldingsToXBoard(before, row.board));
        SendLogged(opponent, engineMove);
        AppendToPane(opponent, agent.GoWithHands(game->Position, row.board));
      } else {
        SendLogged(opponent, HoldingsToXBoard(before, row.board));
        SendLogged(opponent, engineMove);
      }
    }
  }
  NoteHoldings();
}

// ---------------------------------------------------------------------------
// Analysis of board A.

void EngineControl::AnalyzePositionA() {
  CKestroGame* game = w_.Game();
  if (!game) return;
  w_.reXBoardEngine[0]->clear();
  GreetingGate[0] = 1;
  gateCarry_[0].clear();
  dead_[0] = greetingNoted_[0] = stuck_[0] = false;
  startTick_[0] = TfrmKestrovane::TickCount10ms();
  TfrmKestrovane::SetTimerInterval(w_.timerXBoardEngine, kStartIntervalMs);
  // Stopping never blocks, so the new engine need not wait for the old one.
  if (agents_[0] && agents_[0]->Path != DefaultEnginePath) agents_[0].reset();
  if (!agents_[0]) {
    agents_[0] = NewAgent(1000, DefaultEnginePath);
    agents_[0]->Start();
  }
  analysing_ = true;
  CXBoardEngineAgent& agent = *agents_[0];
  const QString variant = w_.cbo_ChessVariant->currentText();
  if (variant == QStringLiteral("bughouse")) {
    agent.Analysis.variant = 1;
    agent.Analysis.holdingCommand = HoldingsToXBoard(game->Position, 1);
  } else if (variant == QStringLiteral("coin")) {
    agent.Analysis.variant = 5;
    agent.Analysis.coinCommand = CoinToXBoard(game->Position, 1);
  } else {
    agent.Analysis.variant = 0;
  }
  agent.Analysis.side = game->Position.sideToMoveA;
  agent.Analysis.setboardCommand = PositionToSetboard(game->Position);
  AppendToPane(0, agent.InitAnalysis());
  TfrmKestrovane::SetTimerInterval(w_.timerXBoardEngine, kAnalysisIntervalMs);
  w_.EnginesStopped = 0;
}

void EngineControl::ChooseEngineForAnalysis() { ChooseEngineExe(); }

// ---------------------------------------------------------------------------
// Hotseat training.

bool EngineControl::Ask(const QString& question) {
  return AppDialogs().Message(&w_, QStringLiteral("Hotseat bughouse training"), question, {Answer::Yes, Answer::No},
                              Answer::Yes) == Answer::Yes &&
         w_.Game();
}

void EngineControl::TakeSeat(int seat) {
  if (w_.Game()) w_.Net().TakeRole(seat);
}

void EngineControl::SjengForSeat(int seat) {
  SeatItems[seat][kSjeng]->setChecked(true);
  UpdateXBoardEnginesFlag(true);
  w_.mnuiBugEngineRoles[seat]->setChecked(false);
  UpdateOwnEngineRoles(true);
}

bool EngineControl::TrainingEngineMissing(const std::string& path) {
  const std::string problem = CXBoardEngineAgent::FileProblem(path);
  if (problem.empty()) return false;
  AppDialogs().Message(&w_, QStringLiteral("Hotseat bughouse training"),
                       ToQString("The training can not start its engine: " + problem + "."), {Answer::Ok}, Answer::Ok);
  return true;
}

void EngineControl::HotseatTraining(int n) {
  if (!w_.Game()) return;
  if (n == 1 || n == 2) {
    const char* questions[4] = {"Sjeng as White on A board ? ", "Sjeng as Black on A board ? ",
                                "Sjeng as White on B board ? ", "Sjeng as Black on B board ? "};
    // What the training changes, to be put back when an engine is missing.
    const int32_t ownBefore = w_.OwnRoles;
    EngineItem itemsBefore[4];
    bool rolesBefore[4];
    for (int seat = 0; seat < 4; ++seat) {
      itemsBefore[seat] = CheckedEngineItem(seat);
      rolesBefore[seat] = w_.mnuiBugEngineRoles[seat]->isChecked();
    }
    for (int seat = 0; seat < 4; ++seat) {
      TakeSeat(seat);
      if (!w_.Game()) return;
      const bool human = n == 1 ? seat == 3 : seat == 0;
      if (human) {
        if (n == 2)
          AppDialogs().Message(&w_, QStringLiteral("Hotseat bughouse training"),
                               QStringLiteral("You will play as white on A board. "), {Answer::Ok}, Answer::Ok);
        continue;
      }
      if (Ask(QString::fromLatin1(questions[seat]))) {
        if (TrainingEngineMissing(SeatEnginePath[seat])) {
          if (!w_.Game()) return;
          for (int s = 0; s < 4; ++s) {
            SeatItems[s][itemsBefore[s]]->setChecked(true);
            w_.mnuiBugEngineRoles[s]->setChecked(rolesBefore[s]);
            if (s <= seat && (ownBefore & (8 << s)) == 0) w_.Net().AbandonRole(s);
          }
          UpdateXBoardEnginesFlag(true);
          UpdateOwnEngineRoles(true);
          return;
        }
        SjengForSeat(seat);
      }
      if (!w_.Game()) return;
    }
  } else {
    const bool blackB = n == 3;
    const std::string sunsetter = Contains(bytes::LowerAscii(DefaultEnginePath), "sunsetter")
                                      ? DefaultEnginePath
                                      : DefaultPathFor(kSunsetter);
    // Without its engines the training would be three seats that never move.
    if (TrainingEngineMissing(sunsetter)) return;
    const QString question = blackB
                                 ? QStringLiteral("Hotseat training with Sunsetters : You will play as Black on B board, Oki ? ")
                                 : QStringLiteral("Hotseat training with Sunsetters : You will play as White on A board, Oki ? ");
    if (Ask(question)) {
      w_.Net().TakeAllRoles();
      DefaultEnginePath = sunsetter;
      for (int seat = 0; seat < 4; ++seat) {
        if (seat == (blackB ? 3 : 0)) continue;
        SeatItems[seat][kSunsetter]->setChecked(true);
        SeatEnginePath[seat] = DefaultEnginePath;
      }
      UpdateXBoardEnginesFlag(true);
      UpdateOwnEngineRoles(true);
    }
    if (!w_.Game()) return;
  }
  if (Ask(QStringLiteral("Start new game now ?"))) w_.StartGameMenuClick(101);
}
