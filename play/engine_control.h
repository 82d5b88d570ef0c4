#pragma once
// The computer players of the play window: the built-in player, one XBoard
// engine agent per seat, the ComputerPlayer menu, the engine timer's work,
// what the engines are told after each move, the analysis of board A and the
// hotseat trainings.
#include <QProcessEnvironment>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engines/core/engine_text.h"
#include "game/position.h"
#include "play/engine_seam.h"

class CKestroEngine;
class CXBoardEngineAgent;
class QAction;
class QLineEdit;
class QPushButton;
class TfrmKestrovane;

class EngineControl : public EngineSeam {
 public:
  enum EngineItem { kNone = 0, kSjeng = 1, kSunsetter = 2 };

  explicit EngineControl(TfrmKestrovane& window);
  ~EngineControl() override;

  // --- the seam ---
  void ComputerPlayerTurn() override;
  void PollEngines() override;
  void DeleteAgents() override;
  void DeleteComputerPlayer() override;
  std::string SeatEngineName(int seat) const override;
  void StartEngines(int kind) override;
  void TellComputerPlayers(const net::RelayedMove& move) override;
  void ServerAppliedMove(const BpgnMove& move, const std::string& text) override;
  void NoComputerPlayers() override;
  void EngineTimerItem() override;
  void AutoMoveClicked() override;
  void AnalyzePositionA() override;
  void ChooseEngineForAnalysis() override;
  void HotseatTraining(int n) override;
  void ChatArrived(const std::string& sender, const std::string& text) override;
  void OwnChatLine(const std::string& text) override;

  // --- menu work ---
  void UpdateOwnEngineRoles(bool announce);
  void UpdateXBoardEnginesFlag(bool announce);
  // The engine file dialog; true when a file was chosen.
  bool ChooseEngineExe();
  void SeatRoleClick(int seat);
  void SeatNoneClick(int seat);
  void SeatEngineClick(int seat, EngineItem item);
  void SeatSpeedClick(int seat);
  void SendToEngineClick(int seat);

  // --- without dialogs (tools and tests) ---
  // The built-in player plays `seat` at `level` (100, 500, 600, 700).
  void GiveSeatBuiltIn(int seat, int level);
  // An XBoard engine plays `seat` from `path`, at `speed` 1-9.
  void GiveSeatEngine(int seat, EngineItem item, const std::string& path, int speed = 1);
  // The environment new engine processes get (unset: the program's).
  void SetEngineEnvironment(const QProcessEnvironment& environment) { environment_ = environment; }

  // --- state ---
  int32_t EngineRolesMask = 0;
  int32_t GreetingGate[4] = {1, 1, 1, 1};
  std::string DefaultEnginePath;
  std::string SeatEnginePath[4];
  QAction* SeatItems[4][3] = {};  // None, Sjeng, Sunsetter
  QAction* SpeedItems[4] = {};
  QAction* PowerItems[4] = {};    // levels 100, 500, 600, 700
  QAction* mnuiNoEngines = nullptr;
  QAction* mnuiDebugComputerThinking001 = nullptr;
  QAction* mnuiHotseat[4] = {};
  QLineEdit* SendEdits[4] = {};
  QPushButton* SendButtons[4] = {};
  CXBoardEngineAgent* Agent(int seat) const { return agents_[seat & 3].get(); }
  CKestroEngine* BuiltIn() const { return builtIn_.get(); }
  // Per seat since its game started: moves sent, moves the rules refused,
  // and the times the engine was set up again after a refusal.
  int MovesSent[4] = {};
  int RefusedMoves[4] = {};
  int Resyncs[4] = {};

 private:
  void BuildMenu();
  void BuildSendControls();
  void Talk(const std::string& text);
  void AppendToPane(int seat, const std::string& text);
  void AddPaneLine(int seat, const std::string& line);
  void PollSeat(int seat, int64_t now);
  void PlayEngineMove(int seat, CXBoardEngineAgent& agent, const std::string& move);
  // A result, a resignation or a partner tell of the seat's engine.
  void Said(int seat, const EngineSaying& saying);
  void PassPartnerTell(int seat, const std::string& tell);
  // The seat's engine hears `text` from its partner, a player.
  void TellEngineFromPartner(int seat, const std::string& text);
  bool SeatPlayedByComputer(int seat) const;
  bool SeatIsOwn(int seat) const;
  // The training can not start an engine from `path`: said, true.
  bool TrainingEngineMissing(const std::string& path);
  // A computer player was chosen for the seat: true when a game is under way
  // in which it can play; a seat that is not the window's is said to be.
  bool ComputerPlayerChosen(int seat);
  void AfterMove(const BpgnMove& move, const std::string& text, const int32_t* holdingsBeforeA,
                 const int32_t* holdingsBeforeB);
  void SendLogged(int seat, const std::string& line);
  void NoteHoldings();
  int SeatThinkingTime(int seat) const;
  EngineItem CheckedEngineItem(int seat) const;
  bool SeatHasEngine(int seat) const;
  std::unique_ptr<CXBoardEngineAgent> NewAgent(int id, const std::string& path) const;
  // The seat's engine started with its settings for the game; null (and
  // said in the pane and the chat) when it could not be started.
  CXBoardEngineAgent* StartSeatAgent(int seat, EngineItem engine);
  // An engine chosen for a seat while a game is under way joins it.
  void JoinGameUnderWay(int seat, EngineItem engine);
  // The seat's engine is switched off: it is stopped and plays no more.
  void StopSeatEngine(int seat);
  void ClearSeatNote(int seat);
  void TakeSeat(int seat);
  void SjengForSeat(int seat);
  bool Ask(const QString& question);
  void ClearSeatNotes();

  TfrmKestrovane& w_;
  std::unique_ptr<CKestroEngine> builtIn_;
  std::array<std::unique_ptr<CXBoardEngineAgent>, 4> agents_;
  std::optional<QProcessEnvironment> environment_;
  int64_t startTick_[4] = {};
  int gameKind_ = -1;       // kind of the bughouse or Coin game under way, -1 before the first
  bool analysing_ = false;  // the WhiteA agent serves the analysis of board A
  bool greetingNoted_[4] = {};
  bool dead_[4] = {};
  bool stuck_[4] = {};
  std::string gateCarry_[4];
  // A game's end is said once per board.
  bool resultSaid_[2] = {};
  // Engines that answer each other's tells could do so for ever: between two
  // moves a seat's tell is passed on once and only so many of them.
  std::string lastTell_[4];
  int tellsPassed_[4] = {};
  int32_t holdingsA_[kSlots] = {};
  int32_t holdingsB_[kSlots] = {};
};
