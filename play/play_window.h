#pragma once
// The play window: games played with the mouse on one computer or across
// the network, with the computer players in any seat.
#include <QSize>
#include <QString>
#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "display/board_window.h"
#include "net/core/player_table.h"
#include "play/engine_seam.h"
#include "play/net_seam.h"
#include "play/record_pane.h"

class ChatPane;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimer;
namespace net {
class Clock;
}

// A move being put together on one board: kind (MoveKind of the first
// square, 0 = none), from (square or holding slot), to, promotion code.
struct MoveSelection {
  int kind = 0, from = 0, to = 0, promotion = 0;
};

// A point of the picture as the set-up editor keeps it: area, index and two
// further words.
struct SetupPoint {
  int area = 0, index = 0, word3 = 0, word4 = 0;
};

namespace sound {
class SoundsMenu;
}

class TfrmKestrovane : public TfrmKestroForm {
  Q_OBJECT
 public:
  explicit TfrmKestrovane(QWidget* parent = nullptr);
  ~TfrmKestrovane() override;

  static constexpr int kPlayerTableSize = 99;

  // The network and the computer players; both do nothing until replaced.
  void SetNetSeam(std::unique_ptr<NetSeam> seam) { net_ = std::move(seam); }
  void SetEngineSeam(std::unique_ptr<EngineSeam> seam) { engines_ = std::move(seam); }
  NetSeam& Net() { return *net_; }
  EngineSeam& Engines() { return *engines_; }

  void LayoutControls(bool networkLayout);
  // The panes beside the picture, left to right as placed, narrowed from
  // their form widths where the window would hide the last of them.
  void FitPanesToWindow();
  // The local "Start New Game": a classic 3-minute bughouse game.
  void NewClassicGame();
  // Every game of kind `kind` (NewGameKind) starts here; `withSound` false
  // keeps it silent (a network client catching up at its login).
  void StartNewGame(int kind, bool withSound = true);
  // The 27 start-game items' handler, for the item of `kind`.
  void StartGameMenuClick(int kind);
  // Code 30000: the start-game items enabled when a seat is held.
  void EnableNewGameMenus(int code);
  // Appends the game-record pane to the day's game log; on failure says so
  // in the chat pane and returns false (the pane must then keep its text).
  bool LogGameToDailyFile();
  // Before the record pane is replaced: logs it when "Log Game into BPGN file
  // before starting new" is checked. False when that failed and the pane must
  // keep its text.
  bool LogGameBeforeReplacing();
  // Appends a line to the chat pane, as plain text.
  void AddChatLine(const std::string& line);
  // The same, shown with the other lines of its burst (ChatPane).
  void AddChatLineLater(const std::string& line);
  // Plays the move sound from memory and returns when it has finished.
  void PlayMoveSoundAndWait();
  // Speaks a received chat line in the voice its sender gets.
  void SpeakChatLine(const std::string& sender, const std::string& text);
  // The "Sounds" menu and the sound output.
  sound::SoundsMenu& Sounds() { return *sounds_; }
  // Draws the position with fresh attack maps; lists the legal moves.
  void RedrawWithMaps();
  void ShowLegalMoves();
  // The legal-move pane shows `text` (the game's numbered list).
  void ShowLegalMovesText(const std::string& text);
  void ShowPresumptiveTimes();
  // Each board's half-made move framed again in the highlight colour (every
  // drawing of the whole position does it).
  void ShowMoveSelections();
  void SaveGameRecordAs();

  // The two private messages: queued calls on the window.
  void PostRefreshClients();
  void SendRefreshClients();
  void PostComputerTurn();
  void RefreshClientsConnected();
  void ComputerPlayerTurn();
  // The one road of a move, whoever makes it (play/move_road); false when
  // the rules refuse it.
  bool PlayOrSendMove(int kind, int from, int to, int promotion);
  // Frames a board square in the highlight colour, or takes the frame away.
  void Mark(int kind, int square, bool on);
  // A mouse button is down on the board.
  bool ButtonDown() const { return buttonDown_; }

  // Starts the timer with `ms`; 0 stops it.
  static void SetTimerInterval(QTimer* timer, int ms);
  // Milliseconds of the tick count, rounded down to 10 ms, from TickClock
  // (the system clock unless a test put a fake one in place).
  static int64_t TickCount10ms();
  static net::Clock* TickClock;
  // Date and time of a new game's header; tests put a fixed one in place.
  static std::string (*DateText)();

  GameRecordPane& RecordPane() { return *record_; }
  const ChatPane& Chat() const { return *chat_; }

  // --- working state ---
  MoveSelection SelectionA, SelectionB;
  SetupPoint SetupSource, SetupTarget;
  int TeamNewGameRequest[2] = {};
  int SetupMode = 1;
  int IgnoreNextRelease = 0;
  int NetworkMode = 0;  // 0 none, 1 server, 2 client
  int ActsAsServer = 0;
  int LastThinkTime = 0;
  int64_t TurnStartTick[4] = {};
  int64_t ServerTurnStart[4] = {};
  // The window's own participant: name, handle, role bits, seats.
  net::NetGamePlayer OwnPlayer;
  int32_t& OwnRoles = OwnPlayer.roles;  // 8 << seat for each seat held; 1 administrator
  std::string& OwnHandle = OwnPlayer.handle;
  std::string ServerAddress;
  int ServerPort = 6464;
  int EnginesStopped = 0;
  int PartnerTellsLength = 80;  // the partner-tells line's length; the client's partner lines keep to it
  // The chat pane's logical height and widths of the pane and the chat line.
  int ChatPaneHeight = 70, ChatPaneWidth = 500, ChatLineWidth = 500;
  // Whether the name may be edited; off, the name edit keeps the accepted
  // name, which its tooltip holds.
  bool NameEditing = false;
  void SetNameEditing(bool on);
  // The accepted name: hint first, then text, so the guard lets it through.
  void ShowName(const QString& name);

  // --- controls ---
  QCheckBox *chbEnergyBoard, *chbFlipSides, *chbShowCoordinates, *chbShowPresumptiveTimes, *chbTestAutoMove;
  QPushButton *btnShowPresumtiveTimes, *btnShowLagCompensator;
  QPushButton *btnNewGame, *btnSetupPosition, *btnSetup0, *btnClearBoard, *btnOnMove, *btnBFEN;
  QPushButton* btnAnalyzePositionA;
  QComboBox* cbo_ChessVariant;
  QPushButton* btnEngineForAnalysis;
  QPlainTextEdit* reBPGNGames;
  QPlainTextEdit* txtAllMoves;
  QPushButton* btnSaveXPGN;
  QTabWidget* pcXBEngines;
  QPlainTextEdit* reXBoardEngine[4];
  QPlainTextEdit* reNetGameLog;
  QLineEdit *edNetGameMessage, *edName, *edClientHandle, *edPartnerTells;
  QSpinBox* udPartnerTellsSLN;
  QPushButton* btnLogin;
  QPushButton *btnreNetGameLogClear, *btnReNetGameLogSizeChange, *btnReNetGameLogSizeChangePlus,
      *btnReNetGameLogSizeChangeMinus, *btnReNetGameLogSizeChangeWidthPlus, *btnReNetGameLogSizeChangeWidthMinus;
  std::array<QPushButton*, 9> btnGame{};     // btnGame1..9
  std::array<QPushButton*, 38> btnQuicky{};  // btnQuicky01..38
  QAction* mnuiCommunicatorButtonsSize1 = nullptr;  // "Smaller"
  QAction* mnuiCommunicatorButtonsSize2 = nullptr;  // "Bigger"
  // A communicator button (0..8 the game buttons, 9..46 the quick-chat ones)
  // sends its chat text to everybody.
  void CommunicatorClick(int button);
  void mnuiCommunicatorButtonsSize1Click();
  void mnuiCommunicatorButtonsSize2Click();
  QTimer *TimerNetGame1, *timerXBoardEngine;

  // Menu items other code reads or sets.
  QAction *mnuiStartServer, *mnuiJoinToServer, *mnuiDisconnect, *mnuiBughouseLagcompensator,
      *mnuiLogGameBeforeStartingNew, *mnuiWhoIsConnected, *mnuiPlayersAtTableCanStartGame;
  QAction *mnuiWho, *mnuiTakeRoleAll4, *mnuiTakeRoleTest, *mnuiCallServerAdministrator;
  QAction* mnuiTakeRoles[4];     // WhiteA, BlackA, WhiteB, BlackB
  QAction* mnuiAbandonRoles[4];
  QAction *mnuiAI, *mnuiBughouseKestroEngine, *mnuiXBoardChessEngine, *mnuiXBoardChessEngineTimer;
  QAction* mnuiBugEngineRoles[4];
  QAction *mnuiSoundsOff, *mnuiSoundMoveNone;
  QAction *mnuiDebugShowOn, *mnuiMakeLogs;
  // The profile: "Save Profile" and "Load Profile" of the NetGame menu.
  QAction *mnuiSaveProfile = nullptr, *mnuiLoadProfile = nullptr;
  void mnuiSaveProfileClick();
  void mnuiLoadProfileClick();
  void SaveProfile();
  void LoadProfile(const std::string& fileName);
  QMenu *mnuiDebug, *mnuiStartNewGame;
  QMenu* mnuiClientOptions = nullptr;
  QAction* mnuiPartnerTellsFont = nullptr;
  std::vector<QAction*> StartGameItems;  // the 27 start-game items, in table order

 public slots:
  void imgBoardMouseDown(int x, int y);
  void imgBoardMouseUp(int x, int y);
  void btnNewGameClick();
  void btnSetupPositionClick();
  void btnSetup0Click();
  void btnClearBoardClick();
  void btnOnMoveClick();
  void btnBFENClick();
  void chbEnergyBoardClick();
  void chbFlipSidesClick();
  void chbShowCoordinatesClick();
  void chbShowPresumptiveTimesClick();
  void btnSaveXPGNClick();
  void mnuiShowsClientLogClick();
  void mnuiBughouseLagcompensatorClick();
  void mnuiDisconnectClick();
  void mnuiStartServerClick();
  void mnuiJoinToServerClick();
  void btnLoginClick();
  void edNetGameMessageKeyDown();  // the Enter key
  void mnuiWhoClick();
  void mnuiWhoIsConnectedClick();
  void mnuiTakeRolePlayerAWhiteClick();
  void mnuiTakeRolePlayerABlackClick();
  void mnuiTakeRolePlayerBWhiteClick();
  void mnuiTakeRolePlayerBBlackClick();
  void mnuiAbandonRolePlayerAWhiteClick();
  void mnuiAbandonRolePlayerABlackClick();
  void mnuiAbandonRolePlayerBWhiteClick();
  void mnuiAbandonRolePlayerBBlackClick();
  void mnuiTakeRoleAll4Click();
  void mnuiTakeRoleTestClick();
  void mnuiCallServerAdministratorClick();
  void btnreNetGameLogClearClick();
  void TimerNetGame1Timer();
  void timerXBoardEngineTimer();
  void mnuiNoEnginesClick();
  void mnuiXBoardChessEngineTimerClick();
  void chbTestAutoMoveClick();
  void btnAnalyzePositionAClick();
  void btnEngineForAnalysisClick();
  void mnuiHotseat1Click();
  void mnuiHotseat2Click();
  void mnuiHotseat3Click();
  void mnuiHotseat4Click();
  // Panes and toggles.
  void btnReNetGameLogSizeChangeClick();
  void btnReNetGameLogSizeChangePlusClick();
  void btnReNetGameLogSizeChangeMinusClick();
  void btnReNetGameLogSizeChangeWidthPlusClick();
  void btnReNetGameLogSizeChangeWidthMinusClick();
  void mnuiChatWindowFontClick();
  void mnuiChatWindowColorClick();
  void mnuiChatWindowPartnerTellsFontClick();
  void mnuiPartnerTellsFontClick();
  void mnuiChatWindowPartnerTellsColorClick();
  void mnuiBPGNWindowFontClick();
  void mnuiBPGNWindowColorClick();
  void mnuiWindowColorClick();
  void udPartnerTellsSLNChanging();
  void edNameChange();
  void mnuiPlayersAtTableCanStartGameClick();
  void mnuiDebugShowOnClick();
  void actWindowLayoutExecute();
  void mnuiBoardPhoenixClick();

 protected:
  void FormActivate() override {}
  void FormClose() override;
  void WindowLayout() override { actWindowLayoutExecute(); }
  // Over every whole drawing: the frames of the half-made moves and, while
  // they are shown, the running clocks.
  void DrawOverPosition() override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();

  // The panes' widths in the form, which the window narrows when it must.
  static constexpr int kRecordPaneWidth = 250, kMovesPaneWidth = 190, kEnginePaneWidth = 300;

  std::unique_ptr<GameRecordPane> record_;
  std::unique_ptr<ChatPane> chat_;
  std::string shownLegalMoves_;  // what txtAllMoves shows, as bytes
  std::unique_ptr<sound::SoundsMenu> sounds_;
  std::unique_ptr<NetSeam> net_;
  std::unique_ptr<EngineSeam> engines_;
  bool buttonDown_ = false;
  // The Login and communicator buttons grow and shrink together; their
  // logical sizes go below zero, the widgets stop at zero.
  void ResizeCommunicator(int steps);
  std::array<QPushButton*, 48> communicatorControls_{};
  std::array<QSize, 48> communicatorSizes_{};
  // The 47 communicator buttons, without "Login".
  std::span<QPushButton* const> CommunicatorButtons() const {
    return std::span<QPushButton* const>(communicatorControls_).subspan(1);
  }
  QString saveDialogExtension_;  // the save dialog's default extension, once "Save BPGN Now" set it
};
