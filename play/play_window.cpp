// The play window: construction, layout, lifecycle and the handlers that hand work on.
#include "play/play_window.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <tuple>
#include <utility>

#include "display/board_display.h"
#include "net/core/clock.h"
#include "net/core/frame.h"
#include "play/chat_pane.h"
#include "play/communicator_buttons.h"
#include "play/core/communicator.h"
#include "play/core/running_clock.h"
#include "play/engine_control.h"
#include "play/game_log.h"
#include "play/menu_items.h"
#include "play/move_road.h"
#include "play/net_session.h"
#include "play/new_game_start.h"
#include "play/panes.h"
#include "play/profile.h"
#include "play/setup_editor.h"
#include "play/sounds_menu.h"
#include "platform/dialogs.h"
#include "platform/file_io.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

namespace {

using Answer = Dialogs::Answer;

int Right(const QWidget* w) { return w->x() + w->width(); }
int Bottom(const QWidget* w) { return w->y() + w->height(); }

std::string DefaultDateText() { return CurrentDateTimeText(); }

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace

std::string (*TfrmKestrovane::DateText)() = DefaultDateText;

TfrmKestrovane::TfrmKestrovane(QWidget* parent) : TfrmKestroForm(parent) {
  setObjectName(QStringLiteral("TfrmKestrovane"));
  engines_ = std::make_unique<EngineSeam>();
  BuildControls();
  BuildMenus();
  net_ = std::make_unique<NetSession>(*this);
  engines_ = std::make_unique<EngineControl>(*this);

  // The play window's creation handler: the base one, then no network.
  FormCreate();
  NetworkMode = 0;
  ActsAsServer = 0;

  imgBoard->move(0, 40);
  ReplaceGame(std::make_unique<CKestroGame>(std::string(), 1));
  Visual().TolvoEnergyBoard = chbEnergyBoard->isChecked() ? 1 : 0;
  Visual().ShowCoordinates = chbShowCoordinates->isChecked() ? 1 : 0;
  RedrawWithMaps();
  actWindowLayout->trigger();  // the local layout
  MoveInputMode = 2;
  mnuiMoveInputCDCDorCU->setChecked(true);

  connect(imgBoard, &BoardImage::MouseDown, this, [this](Qt::MouseButton, int x, int y) { imgBoardMouseDown(x, y); });
  connect(imgBoard, &BoardImage::MouseUp, this, [this](Qt::MouseButton, int x, int y) { imgBoardMouseUp(x, y); });
}

TfrmKestrovane::~TfrmKestrovane() = default;

// ---------------------------------------------------------------------------
// The form.

void TfrmKestrovane::BuildControls() {
  QWidget* s = Surface();
  auto check = [s](const char* name, const char* caption, int x, int width) {
    auto* box = Named(new QCheckBox(QString::fromLatin1(caption), s), name);
    box->setGeometry(x, 0, std::max(width, box->sizeHint().width()), 18);
    return box;
  };
  auto button = [s](const char* name, const QString& caption, int x, int y, int width, int height = 22) {
    auto* b = Named(new QPushButton(caption, s), name);
    b->setGeometry(x, y, width, height);
    return b;
  };

  // Board row.
  chbEnergyBoard = check("chbEnergyBoard", "Tolvo Energy Board", 1, 140);
  chbFlipSides = check("chbFlipSides", "Flip", Right(chbEnergyBoard), 50);
  chbShowCoordinates = check("chbShowCoordinates", "Coordinates", Right(chbFlipSides), 100);
  chbShowCoordinates->setChecked(true);
  chbShowPresumptiveTimes = check("chbShowPresumptiveTimes", "Show presumptive times", Right(chbShowCoordinates), 170);
  chbShowPresumptiveTimes->hide();
  btnShowPresumtiveTimes =
      button("btnShowPresumtiveTimes", QStringLiteral("Presumtive Times"), Right(chbShowPresumptiveTimes), 0, 120, 18);
  btnShowPresumtiveTimes->hide();
  btnShowLagCompensator =
      button("btnShowLagCompensator", QStringLiteral("LAG"), Right(btnShowPresumtiveTimes), 0, 40, 18);
  btnShowLagCompensator->hide();
  chbTestAutoMove = check("chbTestAutoMove", "Uncheck to fast stop Tolvo engines", 700, 230);
  chbTestAutoMove->setEnabled(false);

  // Local buttons, under the board row; the analysis controls end the board row.
  btnNewGame = button("btnNewGame", QStringLiteral("Start New Game"), 1, 18, 110);
  btnSetupPosition = button("btnSetupPosition", QStringLiteral("Setup position"), Right(btnNewGame), 18, 100);
  btnSetup0 = button("btnSetup0", QStringLiteral("Setup start"), Right(btnSetupPosition), 18, 85);
  btnClearBoard = button("btnClearBoard", QStringLiteral("Clear Board"), Right(btnSetup0), 18, 85);
  btnOnMove = button("btnOnMove", QStringLiteral("On Move"), Right(btnClearBoard), 18, 70);
  btnBFEN = button("btnBFEN", QStringLiteral("Save position and play"), Right(btnOnMove), 18, 150);
  for (QPushButton* b : {btnSetup0, btnClearBoard, btnOnMove, btnBFEN}) b->setEnabled(false);
  btnAnalyzePositionA = button("btnAnalyzePositionA", QStringLiteral("Analyze A"), 0, 0, 80, 18);
  btnAnalyzePositionA->setToolTip(QStringLiteral("Analyse Position on A board"));
  btnAnalyzePositionA->setStatusTip(btnAnalyzePositionA->toolTip());
  cbo_ChessVariant = Named(new QComboBox(s), "cbo_ChessVariant");
  cbo_ChessVariant->addItems({QStringLiteral("bughouse"), QStringLiteral("standard"), QString()});
  cbo_ChessVariant->setEditable(true);
  cbo_ChessVariant->setCurrentText(QStringLiteral("bughouse"));
  cbo_ChessVariant->setGeometry(Right(btnAnalyzePositionA), 0, 90, 18);
  btnEngineForAnalysis =
      button("btnEngineForAnalysis", QStringLiteral("by Sjeng Engine"), Right(cbo_ChessVariant), 0, 110, 18);
  for (QWidget* w : std::initializer_list<QWidget*>{btnAnalyzePositionA, cbo_ChessVariant, btnEngineForAnalysis}) {
    w->hide();
    w->setEnabled(false);
  }
  connect(btnNewGame, &QPushButton::clicked, this, &TfrmKestrovane::btnNewGameClick);
  connect(btnSetupPosition, &QPushButton::clicked, this, &TfrmKestrovane::btnSetupPositionClick);
  connect(btnSetup0, &QPushButton::clicked, this, &TfrmKestrovane::btnSetup0Click);
  connect(btnClearBoard, &QPushButton::clicked, this, &TfrmKestrovane::btnClearBoardClick);
  connect(btnOnMove, &QPushButton::clicked, this, &TfrmKestrovane::btnOnMoveClick);
  connect(btnBFEN, &QPushButton::clicked, this, &TfrmKestrovane::btnBFENClick);
  connect(chbEnergyBoard, &QCheckBox::clicked, this, &TfrmKestrovane::chbEnergyBoardClick);
  // The Board menu's energy item (the base window's handler) and the check box stay in step.
  connect(mnuiEnergyBoard, &QAction::triggered, this, [this] {
    chbEnergyBoard->setChecked(mnuiEnergyBoard->isChecked());
    if (Game()) RedrawWithMaps();
  });
  connect(chbFlipSides, &QCheckBox::clicked, this, &TfrmKestrovane::chbFlipSidesClick);
  connect(chbShowCoordinates, &QCheckBox::clicked, this, &TfrmKestrovane::chbShowCoordinatesClick);
  connect(chbShowPresumptiveTimes, &QCheckBox::clicked, this, &TfrmKestrovane::chbShowPresumptiveTimesClick);
  connect(btnShowPresumtiveTimes, &QPushButton::clicked, this, [this] {
    if (Game()) ShowPresumptiveTimes();
  });

  // Panes.
  reBPGNGames = Named(new QPlainTextEdit(s), "reBPGNGames");
  reBPGNGames->setReadOnly(true);
  reBPGNGames->resize(kRecordPaneWidth, 300);
  record_ = std::make_unique<GameRecordPane>(reBPGNGames);
  txtAllMoves = Named(new QPlainTextEdit(s), "txtAllMoves");
  txtAllMoves->setReadOnly(true);
  txtAllMoves->setUndoRedoEnabled(false);
  txtAllMoves->resize(kMovesPaneWidth, 300);
  btnSaveXPGN = button("btnSaveXPGN", QStringLiteral("Save BPGN Now"), 0, 0, kRecordPaneWidth);
  connect(btnSaveXPGN, &QPushButton::clicked, this, &TfrmKestrovane::btnSaveXPGNClick);
  pcXBEngines = Named(new QTabWidget(s), "pcXBEngines");
  pcXBEngines->resize(kEnginePaneWidth, 300);
  const char* engineNames[4] = {"reXBoardEngineWA", "reXBoardEngineBA", "reXBoardEngineWB", "reXBoardEngineBB"};
  for (int i = 0; i < 4; ++i) {
    // A page per seat: the engine's pane, then (engine control) its send line.
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    reXBoardEngine[i] = Named(new QPlainTextEdit(page), engineNames[i]);
    reXBoardEngine[i]->setReadOnly(true);
    reXBoardEngine[i]->setUndoRedoEnabled(false);
    column->addWidget(reXBoardEngine[i]);
    pcXBEngines->addTab(page, QString::fromLatin1(kSeatWords[i]));
  }

  // Network controls.
  reNetGameLog = Named(new QPlainTextEdit(s), "reNetGameLog");
  reNetGameLog->resize(ChatPaneWidth, ChatPaneHeight);
  chat_ = std::make_unique<ChatPane>(reNetGameLog);
  edNetGameMessage = Named(new QLineEdit(s), "edNetGameMessage");
  edNetGameMessage->resize(ChatLineWidth, 22);
  edName = Named(new QLineEdit(QStringLiteral("Guest"), s), "edName");
  edName->setMaxLength(20);
  edName->setToolTip(QStringLiteral("Guest"));
  edName->resize(120, 22);
  edName->setFocusPolicy(Qt::NoFocus);  // editing off until Start Server or Join
  btnLogin = button("btnLogin", QStringLiteral("Login"), 0, 0, 60);
  connect(btnLogin, &QPushButton::clicked, this, &TfrmKestrovane::btnLoginClick);
  connect(edNetGameMessage, &QLineEdit::returnPressed, this, &TfrmKestrovane::edNetGameMessageKeyDown);
  btnLogin->hide();
  edClientHandle = Named(new QLineEdit(s), "edClientHandle");
  edClientHandle->setReadOnly(true);
  edClientHandle->resize(90, 22);
  edClientHandle->hide();
  edPartnerTells = Named(new QLineEdit(s), "edPartnerTells");
  edPartnerTells->resize(500, 22);
  edPartnerTells->hide();
  udPartnerTellsSLN = Named(new QSpinBox(s), "udPartnerTellsSLN");
  udPartnerTellsSLN->setRange(30, 1000);
  udPartnerTellsSLN->setValue(80);
  udPartnerTellsSLN->setWrapping(false);
  // Steps only: a typed number would cut the line at every keystroke on the way.
  udPartnerTellsSLN->setKeyboardTracking(false);
  udPartnerTellsSLN->resize(60, 22);
  udPartnerTellsSLN->hide();
  btnreNetGameLogClear = button("btnreNetGameLogClear", QStringLiteral("Clear"), 0, 0, 45);
  connect(btnreNetGameLogClear, &QPushButton::clicked, this, &TfrmKestrovane::btnreNetGameLogClearClick);
  btnReNetGameLogSizeChange = button("btnReNetGameLogSizeChange", QStringLiteral("Size"), 0, 0, 40);
  btnReNetGameLogSizeChangePlus = button("btnReNetGameLogSizeChangePlus", QStringLiteral("+"), 0, 0, 22);
  btnReNetGameLogSizeChangeMinus = button("btnReNetGameLogSizeChangeMinus", QStringLiteral("-"), 0, 0, 22);
  btnReNetGameLogSizeChangeWidthPlus = button("btnReNetGameLogSizeChangeWidthPlus", QStringLiteral("+"), 0, 0, 22);
  btnReNetGameLogSizeChangeWidthMinus = button("btnReNetGameLogSizeChangeWidthMinus", QStringLiteral("-"), 0, 0, 22);
  using W = TfrmKestrovane;
  for (auto [b, handler] : {std::pair{btnReNetGameLogSizeChange, &W::btnReNetGameLogSizeChangeClick},
                            std::pair{btnReNetGameLogSizeChangePlus, &W::btnReNetGameLogSizeChangePlusClick},
                            std::pair{btnReNetGameLogSizeChangeMinus, &W::btnReNetGameLogSizeChangeMinusClick},
                            std::pair{btnReNetGameLogSizeChangeWidthPlus, &W::btnReNetGameLogSizeChangeWidthPlusClick},
                            std::pair{btnReNetGameLogSizeChangeWidthMinus, &W::btnReNetGameLogSizeChangeWidthMinusClick}})
    connect(b, &QPushButton::clicked, this, handler);
  connect(udPartnerTellsSLN, &QSpinBox::valueChanged, this, &W::udPartnerTellsSLNChanging);
  connect(edName, &QLineEdit::textChanged, this, &W::edNameChange);
  // The communicator: 15 pixels high, as wide as the caption needs.
  for (int i = 0; i < communicator::kButtons; ++i) {
    const communicator::Button& row = communicator::kTable[static_cast<size_t>(i)];
    const QString caption = QString::fromLatin1(row.caption);
    QPushButton* b = button(row.name, caption, 0, 0, 0, 15);
    b->hide();
    connect(b, &QPushButton::clicked, this, [this, i] { CommunicatorClick(i); });
    if (i < communicator::kGameButtons)
      btnGame[static_cast<size_t>(i)] = b;
    else
      btnQuicky[static_cast<size_t>(i - communicator::kGameButtons)] = b;
    communicatorControls_[static_cast<size_t>(i) + 1] = b;
  }
  communicatorControls_[0] = btnLogin;
  communicator::SizeToForm(CommunicatorButtons(), font());
  for (size_t i = 0; i < communicatorControls_.size(); ++i) communicatorSizes_[i] = communicatorControls_[i]->size();
  btnLogin->move(1, 0);

  TimerNetGame1 = Named(new QTimer(this), "TimerNetGame1");
  timerXBoardEngine = Named(new QTimer(this), "timerXBoardEngine");
  connect(TimerNetGame1, &QTimer::timeout, this, &TfrmKestrovane::TimerNetGame1Timer);
  connect(timerXBoardEngine, &QTimer::timeout, this, &TfrmKestrovane::timerXBoardEngineTimer);
}

void TfrmKestrovane::BuildMenus() {
  QMenu* net = SubMenu(MainMenu1, "mnuiNetGame", "NetGame");
  mnuiStartServer = MenuItem(net, "mnuiStartServer", "Start Server");
  mnuiJoinToServer = MenuItem(net, "mnuiJoinToServer", "Join to server");
  mnuiDisconnect = MenuItem(net, "mnuiDisconnect", "Disconnect");
  mnuiDisconnect->setEnabled(false);
  net->addSeparator();
  mnuiWhoIsConnected = MenuItem(net, "mnuiWhoIsConnected", "Who Is connected");
  mnuiWho = MenuItem(net, "mnuiWho", "Who");
  QMenu* take = SubMenu(net, "mnuiTakeRole", "Take chess table");
  QMenu* leave = SubMenu(net, "mnuiAbandonRole", "Leave chess table");
  const char* seatCaptions[4] = {"WhiteA (White on A board)", "BlackA (Black on A board)",
                                 "WhiteB (White on B board)", "BlackB (Black on B board)"};
  const char* takeNames[4] = {"mnuiTakeRolePlayerAWhite", "mnuiTakeRolePlayerABlack", "mnuiTakeRolePlayerBWhite",
                              "mnuiTakeRolePlayerBBlack"};
  const char* leaveNames[4] = {"mnuiAbandonRolePlayerAWhite", "mnuiAbandonRolePlayerABlack",
                               "mnuiAbandonRolePlayerBWhite", "mnuiAbandonRolePlayerBBlack"};
  for (int seat = 0; seat < 4; ++seat) {
    mnuiTakeRoles[seat] = MenuItem(take, takeNames[seat], seatCaptions[seat]);
    mnuiAbandonRoles[seat] = MenuItem(leave, leaveNames[seat], seatCaptions[seat]);
    connect(mnuiTakeRoles[seat], &QAction::triggered, this, [this, seat] { net_->TakeRole(seat); });
    connect(mnuiAbandonRoles[seat], &QAction::triggered, this, [this, seat] { net_->AbandonRole(seat); });
  }
  mnuiTakeRoleAll4 = MenuItem(take, "mnuiTakeRoleAll4", "Take all 4 roles (Hotseat)");
  mnuiTakeRoleTest = MenuItem(take, "mnuiTakeRoleTest", "Take role TEST");
  mnuiTakeRoleTest->setVisible(false);
  mnuiCallServerAdministrator = MenuItem(net, "mnuiCallServerAdministrator", "Call Server Administrator", true);
  for (QAction* a : {mnuiWhoIsConnected, mnuiWho, mnuiTakeRoleAll4, mnuiTakeRoleTest, mnuiCallServerAdministrator})
    a->setEnabled(false);
  for (QAction* a : mnuiTakeRoles) a->setEnabled(false);
  for (QAction* a : mnuiAbandonRoles) a->setEnabled(false);
  connect(mnuiStartServer, &QAction::triggered, this, &TfrmKestrovane::mnuiStartServerClick);
  connect(mnuiJoinToServer, &QAction::triggered, this, &TfrmKestrovane::mnuiJoinToServerClick);
  connect(mnuiWho, &QAction::triggered, this, &TfrmKestrovane::mnuiWhoClick);
  connect(mnuiWhoIsConnected, &QAction::triggered, this, &TfrmKestrovane::mnuiWhoIsConnectedClick);
  connect(mnuiTakeRoleAll4, &QAction::triggered, this, &TfrmKestrovane::mnuiTakeRoleAll4Click);
  connect(mnuiTakeRoleTest, &QAction::triggered, this, &TfrmKestrovane::mnuiTakeRoleTestClick);
  connect(mnuiCallServerAdministrator, &QAction::triggered, this,
          &TfrmKestrovane::mnuiCallServerAdministratorClick);
  mnuiBughouseLagcompensator = MenuItem(net, "mnuiBughouseLagcompensator", "Bughouse Kestro LAG Compensator", true, true);
  mnuiLogGameBeforeStartingNew =
      MenuItem(net, "mnuiLogGameBeforeStartingNew", "Log Game into BPGN file before starting new", true, true);
  connect(mnuiDisconnect, &QAction::triggered, this, &TfrmKestrovane::mnuiDisconnectClick);
  connect(mnuiBughouseLagcompensator, &QAction::triggered, this, &TfrmKestrovane::mnuiBughouseLagcompensatorClick);
  net->addSeparator();
  mnuiSaveProfile = MenuItem(net, "mnuiSaveProfile", "Save Profile");
  mnuiSaveProfile->setStatusTip(QStringLiteral("Many options like board graphic can be saved into profile."));
  mnuiLoadProfile = MenuItem(net, "mnuiLoadProfile", "Load Profile");
  mnuiLoadProfile->setStatusTip(QStringLiteral("Many options like graphic can be restored from saved profile."));
  connect(mnuiSaveProfile, &QAction::triggered, this, &TfrmKestrovane::mnuiSaveProfileClick);
  connect(mnuiLoadProfile, &QAction::triggered, this, &TfrmKestrovane::mnuiLoadProfileClick);

  mnuiStartNewGame = SubMenu(MainMenu1, "mnuiStartNewGame", "Start New Game");
  new_game::BuildStartGameMenus(*this);

  mnuiAI = SubMenu(MainMenu1, "mnuiAI", "ComputerPlayer")->menuAction();
  // Computer players play in network games: the menu waits for one.
  mnuiAI->setEnabled(false);
  QMenu* ai = mnuiAI->menu();
  mnuiBughouseKestroEngine = MenuItem(ai, "mnuiBughouseKestroEngine", "KVX (Bughouse) Chess Engine", true);
  const char* roleCaptions[4] = {"WhiteA (White on A board)", "BlackA (Black on A board)", "WhiteB (White on B board)",
                                 "BlackB (Black on B board)"};
  for (int i = 0; i < 4; ++i)
    mnuiBugEngineRoles[i] = MenuItem(ai, (std::string("mnuiBugEngineRoles") + kSeatWords[i]).c_str(), roleCaptions[i], true);
  ai->addSeparator();
  auto* power = new QActionGroup(this);
  for (auto [name, caption, checked] : {std::tuple{"mnuiEnginePowerRandomLegalMoves", "Random Legal Moves", false},
                                        std::tuple{"mnuiEnginePowerWeakNewbie", "Weak Newbie", true},
                                        std::tuple{"mnuiEnginePowerWeakNewbie2", "Weak Newbie Seco", false},
                                        std::tuple{"mnuiEnginePowerWeakComp", "Weak Comp", false}})
    power->addAction(MenuItem(ai, name, caption, true, checked));
  ai->addSeparator();
  mnuiXBoardChessEngine = MenuItem(ai, "mnuiXBoardChessEngine", "XBoard (Bughouse) Chess Engine", true);
  mnuiXBoardChessEngineTimer = MenuItem(ai, "mnuiXBoardChessEngineTimer", "Read engine messages timer : 300ms");
  mnuiXBoardChessEngineTimer->setData(300);  // the timer's interval in ms

  mnuiDebug = SubMenu(MainMenu1, "mnuiDebug", "Debug");
  connect(MenuItem(mnuiDebug, "mnuiShowsClientLog", "Save ClientLog"), &QAction::triggered, this,
          &TfrmKestrovane::mnuiShowsClientLogClick);
  mnuiMakeLogs = MenuItem(mnuiDebug, "mnuiMakeLogs", "Make Debug Logs", true, true);
  MenuItem(mnuiDebug, "mnuiDebugComputerThinking001", "Debug Comp. Thinking I");
  mnuiDebug->menuAction()->setVisible(false);
  mnuiDebug->menuAction()->setEnabled(false);
  mnuiDebugShowOn = new QAction(QStringLiteral("DebugShowOn"), this);
  mnuiDebugShowOn->setObjectName(QStringLiteral("mnuiDebugShowOn"));
  mnuiDebugShowOn->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+D")));
  addAction(mnuiDebugShowOn);
  connect(mnuiDebugShowOn, &QAction::triggered, this, &TfrmKestrovane::mnuiDebugShowOnClick);

  QMenu* special = SubMenu(MainMenu1, "mnuiSpecial", "Special");
  QMenu* communicatorSize = SubMenu(special, "mnuiCommunicatorButtons", "Communicator Buttons");
  mnuiCommunicatorButtonsSize2 = MenuItem(communicatorSize, "mnuiCommunicatorButtonsSize2", "Bigger");
  mnuiCommunicatorButtonsSize1 = MenuItem(communicatorSize, "mnuiCommunicatorButtonsSize1", "Smaller");
  connect(mnuiCommunicatorButtonsSize2, &QAction::triggered, this, &TfrmKestrovane::mnuiCommunicatorButtonsSize2Click);
  connect(mnuiCommunicatorButtonsSize1, &QAction::triggered, this, &TfrmKestrovane::mnuiCommunicatorButtonsSize1Click);
  mnuiPlayersAtTableCanStartGame =
      MenuItem(special, "mnuiPlayersAtTableCanStartGame", "Players at the table can start new games", true, true);
  mnuiPlayersAtTableCanStartGame->setEnabled(false);
  mnuiPlayersAtTableCanStartGame->setStatusTip(QStringLiteral(
      "Server will automatically run new game if both opponents asking for (Using Start New Game/... menu). "));
  connect(mnuiPlayersAtTableCanStartGame, &QAction::triggered, this,
          &TfrmKestrovane::mnuiPlayersAtTableCanStartGameClick);

  panes::BuildMenus(*this);
  sounds_ = std::make_unique<sound::SoundsMenu>(this, SubMenu(mnuiClientOptions, "mnuiSounds", "Sounds"));
  mnuiSoundsOff = sounds_->mnuiSoundsOff;
  mnuiSoundMoveNone = sounds_->mnuiSoundMoveNone;
  // The Board menu's item (the base window's handler) and the check box stay in step.
  connect(mnuiShowCoordinates, &QAction::triggered, this,
          [this] { chbShowCoordinates->setChecked(mnuiShowCoordinates->isChecked()); });
}

// ---------------------------------------------------------------------------
// Layout.

void TfrmKestrovane::LayoutControls(bool networkLayout) {
  if (!Game()) return;
  QWidget* localButtons[] = {btnNewGame, btnSetupPosition,    btnSetup0,        btnClearBoard,       btnOnMove,
                             btnBFEN,    btnAnalyzePositionA, cbo_ChessVariant, btnEngineForAnalysis};
  QWidget* sizeButtons[] = {
      btnreNetGameLogClear,           btnReNetGameLogSizeChange,          btnReNetGameLogSizeChangePlus,
      btnReNetGameLogSizeChangeMinus, btnReNetGameLogSizeChangeWidthPlus, btnReNetGameLogSizeChangeWidthMinus};
  if (networkLayout) {
    for (QWidget* w : localButtons) w->hide();
    chbFlipSides->move(1, chbFlipSides->y());
    chbShowCoordinates->move(Right(chbFlipSides), chbShowCoordinates->y());
    chbEnergyBoard->move(Right(chbShowCoordinates), chbEnergyBoard->y());
    chbShowPresumptiveTimes->move(Right(chbEnergyBoard), chbShowPresumptiveTimes->y());
    btnShowPresumtiveTimes->move(Right(chbShowPresumptiveTimes), btnShowPresumtiveTimes->y());
    chbShowPresumptiveTimes->show();
    btnShowPresumtiveTimes->show();
    imgBoard->move(imgBoard->x(), Bottom(chbEnergyBoard));
    for (QWidget* w : sizeButtons) w->show();
    for (QWidget* w : std::initializer_list<QWidget*>{edName, edNetGameMessage, reNetGameLog}) w->show();
  } else {
    for (QWidget* w : localButtons) w->show();
    chbShowPresumptiveTimes->hide();
    btnShowPresumtiveTimes->hide();
    // The analysis controls end the board row, in either order of its check boxes.
    int left = std::max({Right(chbEnergyBoard), Right(chbFlipSides), Right(chbShowCoordinates)}) + 8;
    for (QWidget* w : std::initializer_list<QWidget*>{btnAnalyzePositionA, cbo_ChessVariant, btnEngineForAnalysis}) {
      w->move(left, w->y());
      left = Right(w);
    }
    imgBoard->move(imgBoard->x(), Bottom(btnNewGame));
    for (QWidget* w : sizeButtons) w->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{edName, edNetGameMessage, reNetGameLog, pcXBEngines}) w->hide();
  }

  ClearPicture();
  DrawBoard();
  const KestrovaneVisualProperties& v = Visual();
  // The rows above the picture, and how far right what is shown of them reaches.
  int rowsRight = 0;
  for (QWidget* w : std::initializer_list<QWidget*>{
           chbEnergyBoard, chbFlipSides, chbShowCoordinates, chbShowPresumptiveTimes, btnShowPresumtiveTimes,
           btnShowLagCompensator, btnAnalyzePositionA, cbo_ChessVariant, btnEngineForAnalysis, btnNewGame,
           btnSetupPosition, btnSetup0, btnClearBoard, btnOnMove, btnBFEN})
    if (w->isVisibleTo(this)) rowsRight = std::max(rowsRight, Right(w));
  // The panes beside the picture, as high as it; they start lower when
  // "Save BPGN Now" above them would reach into those rows (a narrow picture).
  const int paneLeft = imgBoard->x() + v.OriginX + v.PictureWidth;
  const int pictureTop = imgBoard->y() + v.OriginY;
  int paneTop = pictureTop;
  if (paneTop - btnSaveXPGN->height() < imgBoard->y() && rowsRight > paneLeft)
    paneTop = imgBoard->y() + btnSaveXPGN->height();
  const int pictureBottom = pictureTop + v.PictureHeight;
  const int paneHeight = pictureBottom - paneTop;
  reBPGNGames->setGeometry(paneLeft, paneTop, reBPGNGames->width(), paneHeight);
  txtAllMoves->setGeometry(Right(reBPGNGames), paneTop, txtAllMoves->width(), paneHeight);
  pcXBEngines->setGeometry(Right(txtAllMoves), paneTop, pcXBEngines->width(), paneHeight);
  // The engines' talk: a server with no clients is where one plays them.
  if (networkLayout) pcXBEngines->show();
  FitPanesToWindow();
  chbTestAutoMove->move(std::max(txtAllMoves->x(), rowsRight), chbFlipSides->y());
  btnSaveXPGN->setGeometry(reBPGNGames->x(), reBPGNGames->y() - btnSaveXPGN->height(), reBPGNGames->width(),
                           btnSaveXPGN->height());

  if (networkLayout) {
    btnLogin->move(btnLogin->x(), pictureBottom + btnQuicky[0]->height());
    if (!ActsAsServer) {
      for (QPushButton* b : btnGame) b->show();
      for (QPushButton* b : btnQuicky) b->show();
    }
    // btnQuicky33..38 continue the first row while "Login" is shown, else
    // they take its place in its row.
    const bool loginShown = btnLogin->isVisibleTo(this);
    const int firstRowEnd = loginShown ? 38 : 32;
    btnQuicky[0]->move(imgBoard->x(), pictureBottom);
    for (int i = 1; i < firstRowEnd; ++i) btnQuicky[i]->move(Right(btnQuicky[i - 1]), btnQuicky[0]->y());
    // The row of Login, left to right, each control after the one before it
    // that is shown: "Login" or the rest of the quick-chat buttons, the
    // chat-size buttons, the handle, a gap, the game buttons.
    std::vector<QWidget*> row;
    if (loginShown) row.push_back(btnLogin);
    row.insert(row.end(), btnQuicky.begin() + firstRowEnd, btnQuicky.end());
    row.insert(row.end(), std::begin(sizeButtons), std::end(sizeButtons));
    row.push_back(edClientHandle);
    row.insert(row.end(), btnGame.begin(), btnGame.end());
    int left = btnLogin->x(), rowBottom = Bottom(btnLogin);
    for (QWidget* w : row) {
      if (w == btnGame[0]) left += 8;
      w->move(left, btnLogin->y());
      if (!w->isVisibleTo(this)) continue;
      left = Right(w);
      rowBottom = std::max(rowBottom, Bottom(w));
    }
    edName->move(edName->x(), rowBottom);
    edNetGameMessage->move(Right(edName), edName->y());
    edPartnerTells->setGeometry(edPartnerTells->x(), Bottom(edNetGameMessage), reNetGameLog->width(),
                                edPartnerTells->height());
    udPartnerTellsSLN->move(Right(edPartnerTells), edPartnerTells->y());
    reNetGameLog->move(reNetGameLog->x(), ActsAsServer ? Bottom(edNetGameMessage) : Bottom(edPartnerTells));
  } else {
    for (QPushButton* b : btnGame) b->hide();
    for (QPushButton* b : btnQuicky) b->hide();
  }

  (v.DPBoardSquaresUserSolidColor == 0 ? mnuiBoardSquareBMP : mnuiBoardSquareUserSolidColor)->setChecked(true);
  FitSurface();
}

void TfrmKestrovane::FitPanesToWindow() {
  // The record, the legal moves and the engines: form and least widths.
  const std::array<QWidget*, 3> panes = {reBPGNGames, txtAllMoves, pcXBEngines};
  const std::array<int, 3> form = {kRecordPaneWidth, kMovesPaneWidth, kEnginePaneWidth};
  const std::array<int, 3> least = {160, 130, 200};
  std::array<int, 3> width = form;
  const int left = std::min({reBPGNGames->x(), txtAllMoves->x(), pcXBEngines->x()});
  // Where the window is not shown yet, its resizing fits them later.
  if (isVisible()) {
    int right = left;
    for (size_t i = 0; i < panes.size(); ++i)
      if (panes[i]->isVisibleTo(this)) right += form[i];
    int excess = std::max(0, right - VisibleWidth());
    // The legal moves give up width first, then the record, then the engines.
    for (size_t i : {size_t{1}, size_t{0}, size_t{2}}) {
      if (!panes[i]->isVisibleTo(this)) continue;
      const int given = std::min(excess, form[i] - least[i]);
      width[i] -= given;
      excess -= given;
    }
  }
  std::array<size_t, 3> order = {0, 1, 2};
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return panes[a]->x() < panes[b]->x(); });
  const bool autoMoveFollows = chbTestAutoMove->x() == txtAllMoves->x();
  int x = left;
  for (size_t i : order) {
    panes[i]->setGeometry(x, panes[i]->y(), width[i], panes[i]->height());
    x = Right(panes[i]);
  }
  if (autoMoveFollows) chbTestAutoMove->move(txtAllMoves->x(), chbTestAutoMove->y());
  btnSaveXPGN->setGeometry(reBPGNGames->x(), btnSaveXPGN->y(), reBPGNGames->width(), btnSaveXPGN->height());
}

void TfrmKestrovane::resizeEvent(QResizeEvent* event) {
  TfrmKestroForm::resizeEvent(event);
  if (!Game()) return;
  FitPanesToWindow();
  FitSurface();
}

// ---------------------------------------------------------------------------
// Lifecycle and the private messages.

void TfrmKestrovane::FormClose() {
  EnginesStopped = 1;
  if (mnuiDisconnect->isEnabled()) mnuiDisconnectClick();
  // Nothing deferred may reach the game once it is freed.
  TimerNetGame1->stop();
  timerXBoardEngine->stop();
  QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
  TfrmKestroForm::FormClose();  // frees the game
  engines_->DeleteAgents();
  engines_->DeleteComputerPlayer();
}

void TfrmKestrovane::PostRefreshClients() {
  QMetaObject::invokeMethod(this, &TfrmKestrovane::RefreshClientsConnected, Qt::QueuedConnection);
}

void TfrmKestrovane::SendRefreshClients() { RefreshClientsConnected(); }

void TfrmKestrovane::PostComputerTurn() {
  QMetaObject::invokeMethod(this, &TfrmKestrovane::ComputerPlayerTurn, Qt::QueuedConnection);
}

void TfrmKestrovane::RefreshClientsConnected() {
  if (Game()) net_->RefreshClientsConnected();
}

void TfrmKestrovane::ComputerPlayerTurn() {
  if (Game()) engines_->ComputerPlayerTurn();
}

void TfrmKestrovane::SetTimerInterval(QTimer* timer, int ms) {
  if (ms <= 0) {
    timer->stop();
    return;
  }
  timer->start(ms);
}

net::Clock* TfrmKestrovane::TickClock = nullptr;

int64_t TfrmKestrovane::TickCount10ms() { return (TickClock ? *TickClock : net::SystemClock()).TickCount10ms(); }

void TfrmKestrovane::TimerNetGame1Timer() {
  if (!Game()) return;
  if (Visual().ShowPresumptiveTimes == 1)
    ShowPresumptiveTimes();
  else if (ActsAsServer == 1)
    net_->SendToAll(net::BuildFrame(net::kServerHandle, "Talk",
                                    "Server shouts --> Hello all chess players ! Thinking and analysing making masters "
                                    "and discovering new universe !"));
}

void TfrmKestrovane::timerXBoardEngineTimer() {
  if (Game() && !EnginesStopped) engines_->PollEngines();
}

// The computer players' commands belong to the engine control.
void TfrmKestrovane::mnuiNoEnginesClick() { engines_->NoComputerPlayers(); }
void TfrmKestrovane::mnuiXBoardChessEngineTimerClick() { engines_->EngineTimerItem(); }
void TfrmKestrovane::chbTestAutoMoveClick() { engines_->AutoMoveClicked(); }
void TfrmKestrovane::btnAnalyzePositionAClick() { engines_->AnalyzePositionA(); }
void TfrmKestrovane::btnEngineForAnalysisClick() { engines_->ChooseEngineForAnalysis(); }
// The set-up editor's buttons.
void TfrmKestrovane::btnSetupPositionClick() { setup_editor::Enter(*this); }
void TfrmKestrovane::btnSetup0Click() { setup_editor::SetupStart(*this); }
void TfrmKestrovane::btnClearBoardClick() { setup_editor::ClearBoard(*this); }
void TfrmKestrovane::btnOnMoveClick() { setup_editor::NextSidesToMove(*this); }
void TfrmKestrovane::btnBFENClick() { setup_editor::SaveAndPlay(*this); }
void TfrmKestrovane::mnuiHotseat1Click() { engines_->HotseatTraining(1); }
void TfrmKestrovane::mnuiHotseat2Click() { engines_->HotseatTraining(2); }
void TfrmKestrovane::mnuiHotseat3Click() { engines_->HotseatTraining(3); }
void TfrmKestrovane::mnuiHotseat4Click() { engines_->HotseatTraining(4); }

// ---------------------------------------------------------------------------
// Panes and toggles.

void TfrmKestrovane::btnReNetGameLogSizeChangeClick() { panes::CycleChatHeight(*this); }
void TfrmKestrovane::btnReNetGameLogSizeChangePlusClick() { panes::StepChatHeight(*this, 10); }
void TfrmKestrovane::btnReNetGameLogSizeChangeMinusClick() { panes::StepChatHeight(*this, -10); }
void TfrmKestrovane::btnReNetGameLogSizeChangeWidthPlusClick() { panes::StepChatWidths(*this, 10); }
void TfrmKestrovane::btnReNetGameLogSizeChangeWidthMinusClick() { panes::StepChatWidths(*this, -10); }
void TfrmKestrovane::mnuiChatWindowFontClick() { panes::ChatWindowFont(*this); }
void TfrmKestrovane::mnuiChatWindowColorClick() { panes::ChatWindowColor(*this); }
void TfrmKestrovane::mnuiChatWindowPartnerTellsFontClick() { panes::PartnerTellsFont(*this); }
void TfrmKestrovane::mnuiPartnerTellsFontClick() { panes::PartnerTellsFont(*this); }
void TfrmKestrovane::mnuiChatWindowPartnerTellsColorClick() { panes::PartnerTellsColor(*this); }
void TfrmKestrovane::mnuiBPGNWindowFontClick() { panes::BpgnWindowFont(*this); }
void TfrmKestrovane::mnuiBPGNWindowColorClick() { panes::BpgnWindowColor(*this); }
void TfrmKestrovane::mnuiWindowColorClick() {
  if (Game()) panes::WindowColor(*this);
}
void TfrmKestrovane::udPartnerTellsSLNChanging() { panes::PartnerTellsLengthChanging(*this); }
void TfrmKestrovane::edNameChange() { panes::NameGuard(*this); }
// The checkable item has already toggled its own mark, which the server reads.
void TfrmKestrovane::mnuiPlayersAtTableCanStartGameClick() {}
void TfrmKestrovane::mnuiDebugShowOnClick() {
  mnuiDebug->menuAction()->setVisible(!mnuiDebug->menuAction()->isVisible());
}
void TfrmKestrovane::actWindowLayoutExecute() { LayoutControls(NetworkMode != 0); }
void TfrmKestrovane::mnuiBoardPhoenixClick() { panes::BoardPhoenix(*this); }

void TfrmKestrovane::SetNameEditing(bool on) {
  NameEditing = on;
  edName->setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

void TfrmKestrovane::ShowName(const QString& name) {
  edName->setToolTip(name);
  edName->setText(name);
}

void TfrmKestrovane::mnuiDisconnectClick() { net_->Disconnect(); }

// The profile's commands live in play/profile.
void TfrmKestrovane::mnuiSaveProfileClick() { SaveProfile(); }
void TfrmKestrovane::mnuiLoadProfileClick() { profile::LoadProfileCommand(*this); }
void TfrmKestrovane::SaveProfile() { profile::SaveProfileCommand(*this); }
void TfrmKestrovane::LoadProfile(const std::string& fileName) { profile::LoadProfile(*this, fileName); }

// The network game's commands belong to the network session.
void TfrmKestrovane::mnuiStartServerClick() { net_->StartServer(); }
void TfrmKestrovane::mnuiJoinToServerClick() { net_->JoinToServer(); }
void TfrmKestrovane::btnLoginClick() { net_->Login(); }
void TfrmKestrovane::edNetGameMessageKeyDown() {
  const std::string line = FromQString(edNetGameMessage->text());
  net_->SendChatLine();
  engines_->OwnChatLine(line);
}

void TfrmKestrovane::CommunicatorClick(int button) {
  net_->SendTalk(communicator::kTable[static_cast<size_t>(button)].text);
}

void TfrmKestrovane::mnuiCommunicatorButtonsSize2Click() { ResizeCommunicator(1); }

void TfrmKestrovane::mnuiCommunicatorButtonsSize1Click() { ResizeCommunicator(-1); }

void TfrmKestrovane::ResizeCommunicator(int steps) {
  for (size_t i = 0; i < communicatorControls_.size(); ++i) {
    QSize& size = communicatorSizes_[i];
    size.setHeight(size.height() + steps * communicator::kHeightStep);
    size.setWidth(size.width() + steps * communicator::kWidthStep);
    communicatorControls_[i]->resize(std::max(size.width(), 0), std::max(size.height(), 0));
  }
  communicator::FitCaptionFont(CommunicatorButtons(), font());
  LayoutControls(NetworkMode != 0);
}
void TfrmKestrovane::mnuiWhoClick() { net_->Who(); }
void TfrmKestrovane::mnuiWhoIsConnectedClick() { net_->WhoIsConnected(); }
void TfrmKestrovane::mnuiTakeRolePlayerAWhiteClick() { net_->TakeRole(0); }
void TfrmKestrovane::mnuiTakeRolePlayerABlackClick() { net_->TakeRole(1); }
void TfrmKestrovane::mnuiTakeRolePlayerBWhiteClick() { net_->TakeRole(2); }
void TfrmKestrovane::mnuiTakeRolePlayerBBlackClick() { net_->TakeRole(3); }
void TfrmKestrovane::mnuiAbandonRolePlayerAWhiteClick() { net_->AbandonRole(0); }
void TfrmKestrovane::mnuiAbandonRolePlayerABlackClick() { net_->AbandonRole(1); }
void TfrmKestrovane::mnuiAbandonRolePlayerBWhiteClick() { net_->AbandonRole(2); }
void TfrmKestrovane::mnuiAbandonRolePlayerBBlackClick() { net_->AbandonRole(3); }
void TfrmKestrovane::mnuiTakeRoleAll4Click() { net_->TakeAllRoles(); }
void TfrmKestrovane::mnuiTakeRoleTestClick() { net_->TakeRoleTest(); }
void TfrmKestrovane::mnuiCallServerAdministratorClick() { net_->CallServerAdministrator(); }
void TfrmKestrovane::btnreNetGameLogClearClick() { chat_->Clear(); }

void TfrmKestrovane::mnuiBughouseLagcompensatorClick() {
  if (Game()) Game()->LagCompensatorRead = mnuiBughouseLagcompensator->isChecked() ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Board controls, clocks, new game, saving.

void TfrmKestrovane::RedrawWithMaps() {
  Game()->ComputeAttackMaps(Game()->Position, 1);
  Game()->ComputeAttackMaps(Game()->Position, 2);
  DrawBoard();
}

void TfrmKestrovane::ShowLegalMoves() {
  CKestroGame& g = *Game();
  g.GenerateLegalMoves(g.Position);
  ShowLegalMovesText(g.LegalMovesText(g.Position, g.LegalMoveCount, g.PliesA, g.PliesB));
}

void TfrmKestrovane::ShowLegalMovesText(const std::string& text) {
  RepaintFrom(txtAllMoves, ShowChangedText(txtAllMoves, shownLegalMoves_, text));
  shownLegalMoves_ = text;
}

void TfrmKestrovane::chbEnergyBoardClick() {
  if (!Game()) return;
  mnuiEnergyBoard->setChecked(chbEnergyBoard->isChecked());
  Visual().TolvoEnergyBoard = chbEnergyBoard->isChecked() ? 1 : 0;
  RedrawWithMaps();
}

void TfrmKestrovane::chbFlipSidesClick() {
  if (!Game()) return;
  Visual().FlipSides = chbFlipSides->isChecked() ? 1 : 0;
  DrawBoard();
}

void TfrmKestrovane::chbShowCoordinatesClick() {
  if (!Game()) return;
  // The menu's mark follows the box, so the two never disagree.
  mnuiShowCoordinates->setChecked(chbShowCoordinates->isChecked());
  mnuiShowCoordinatesClick();
}

void TfrmKestrovane::chbShowPresumptiveTimesClick() {
  if (!Game()) return;
  const bool on = chbShowPresumptiveTimes->isChecked();
  Visual().ShowPresumptiveTimes = on ? 1 : 0;
  SetTimerInterval(TimerNetGame1, on ? 1000 : 0);
  LayoutControls(NetworkMode != 0);
}

void TfrmKestrovane::ShowPresumptiveTimes() {
  TwoBoardPosition& p = Game()->Position;
  const int64_t now = TickCount10ms();
  for (int seat : {p.sideToMoveA != 0 ? 1 : 0, p.sideToMoveB != 0 ? 3 : 2})
    p.runningClock[seat] = RunningClock(p.clock[seat], now, TurnStartTick[seat], p.lagCredit[seat]);
  const int seatB = p.sideToMoveB + 2;
  DrawRunningClocks(*Game(), imgBoard->Canvas(), p, p.sideToMoveA == 0, p.sideToMoveA != 0, seatB == 2, seatB != 2);
  imgBoard->update();
}

void TfrmKestrovane::btnNewGameClick() {
  if (!Game()) return;
  ScrollToStart();
  NewClassicGame();
  LayoutControls(NetworkMode != 0);
}

void TfrmKestrovane::NewClassicGame() { new_game::NewClassicGame(*this); }

void TfrmKestrovane::StartNewGame(int kind, bool withSound) { new_game::StartNewGame(*this, kind, withSound); }

void TfrmKestrovane::StartGameMenuClick(int kind) { new_game::StartGameMenuClick(*this, kind); }

void TfrmKestrovane::EnableNewGameMenus(int code) { new_game::EnableNewGameMenus(*this, code); }

bool TfrmKestrovane::LogGameToDailyFile() {
  std::string error;
  if (game_log::AppendToDailyLog(paths::Resolve(paths::Below("Bpgn/KVXGames")), record_->Text(), error)) return true;
  AddChatLine("Game not logged, the game record stays in its pane: " + error);
  return false;
}

bool TfrmKestrovane::LogGameBeforeReplacing() {
  return !mnuiLogGameBeforeStartingNew->isChecked() || LogGameToDailyFile();
}

void TfrmKestrovane::AddChatLine(const std::string& line) { chat_->Add(line); }

void TfrmKestrovane::AddChatLineLater(const std::string& line) { chat_->AddLater(line); }

void TfrmKestrovane::PlayMoveSoundAndWait() { sounds_->PlayMoveSoundAndWait(); }

void TfrmKestrovane::SpeakChatLine(const std::string& sender, const std::string& text) {
  sound::SeatNames seats;
  if (const CKestroGame* game = Game())
    for (size_t i = 0; i < 4; ++i) seats.names[i] = game->PlayerNames[i];
  seats.own = OwnPlayer.ownSeat;
  seats.partner = OwnPlayer.partnerSeat;
  seats.opponent = OwnPlayer.opponentSeat;
  seats.partnersOpponent = OwnPlayer.partnersOpponentSeat;
  sounds_->SpeakChatLine(seats, sender, text);
}

void TfrmKestrovane::btnSaveXPGNClick() {
  if (Game()) SaveGameRecordAs();
}

namespace {

// Asks for a file with `name` proposed in the save dialog's folder; `text`
// replaces the chosen file whole (written beside it, then renamed over it, so
// a failed write leaves the old file). A name without extension gets
// `extension` when one is set.
void SaveThroughDialog(QWidget* parent, const QString& title, const std::string& folder, const QString& name,
                       const QString& extension, const std::string& text) {
  const QString filter = extension.isEmpty() ? QStringLiteral("All files (*)")
                                             : QStringLiteral("Bughouse Portable Game Notation (*.%1);;All files (*)")
                                                   .arg(extension);
  std::optional<QString> file = AppDialogs().SaveFile(parent, title, PathToQString(folder), name, filter);
  if (!file || file->isEmpty()) return;
  if (!extension.isEmpty() && QFileInfo(*file).suffix().isEmpty()) *file += QStringLiteral(".") + extension;
  if (!file_io::WriteFileAtomic(PathFromQString(*file), text))
    AppDialogs().Error(parent, QStringLiteral("Cannot create file \"%1\"").arg(*file));
}

}  // namespace

void TfrmKestrovane::SaveGameRecordAs() {
  SaveDialogFolder = paths::Resolve(paths::Below("Bpgn/KVXGames/"));
  saveDialogExtension_ = QStringLiteral("BPGN");
  const QString name = ToQString("KVXN" + game_log::Stamp(game_log::Now()) + ".BPGN");
  SaveThroughDialog(this, QStringLiteral("Save BPGN"), SaveDialogFolder, name, saveDialogExtension_,
                    game_log::AsCrLfLines(record_->Text()));
}

void TfrmKestrovane::mnuiShowsClientLogClick() {
  if (!Game()) return;
  const QString name = ToQString("KVXNDebug" + game_log::Stamp(game_log::Now()) + ".LOG");
  chat_->Show();
  const std::string chat = FromQString(reNetGameLog->toPlainText());
  SaveThroughDialog(this, QStringLiteral("Save ClientLog"), SaveDialogFolder, name, saveDialogExtension_,
                    game_log::DebugFileText(net_->DebugLogText(), record_->Text(), chat));
}

// ---------------------------------------------------------------------------
// The boards: move markers and the mouse (the road itself is play/move_road).

void TfrmKestrovane::Mark(int kind, int square, bool on) {
  if (on)
    DrawMoveMarker(*Game(), imgBoard->Canvas(), kind, square, Visual().HighlightSquareColor);
  else
    EraseMoveMarker(*Game(), imgBoard->Canvas(), kind, square);
  imgBoard->update();
}

void TfrmKestrovane::DrawOverPosition() {
  if (!Visual().PiecesLoaded) return;
  if (SetupMode == 0) ShowMoveSelections();
  if (Visual().ShowPresumptiveTimes == 1) ShowPresumptiveTimes();
}

void TfrmKestrovane::ShowMoveSelections() {
  if (!Game()) return;
  for (const MoveSelection* s : {&SelectionA, &SelectionB})
    if (s->kind != 0) Mark(s->kind, s->from, true);
}

void TfrmKestrovane::imgBoardMouseDown(int x, int y) {
  // A release we never saw (it went to a dialog) leaves nothing to swallow.
  if (buttonDown_) IgnoreNextRelease = 0;
  buttonDown_ = true;
  move_road::MouseDown(*this, x, y);
}

void TfrmKestrovane::imgBoardMouseUp(int x, int y) {
  buttonDown_ = false;
  move_road::MouseUp(*this, x, y);
}

bool TfrmKestrovane::PlayOrSendMove(int kind, int from, int to, int promotion) {
  return move_road::PlayOrSend(*this, kind, from, to, promotion);
}
