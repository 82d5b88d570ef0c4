#include "play/new_game_start.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <algorithm>
#include <iterator>

#include "net/core/client_processor.h"
#include "net/core/frame.h"
#include "play/core/new_game_kinds.h"
#include "play/menu_items.h"
#include "play/play_window.h"

namespace new_game {

namespace {

// The game object made the window's, with its header in the record pane:
// out of set-up mode, no move selected, plies 0, picture origin 0.
void TakeNewGame(TfrmKestrovane& w, std::unique_ptr<CKestroGame> game, const std::string& header) {
  w.SetupMode = 0;
  w.SelectionA = w.SelectionB = MoveSelection{};
  w.ReplaceGame(std::move(game));  // keeps the look and the piece set
  w.RecordPane().Append("\r\n\r\n" + header);
  w.Game()->PliesA = w.Game()->PliesB = 0;
  w.Visual().OriginX = w.Visual().OriginY = 0;
}

void FinishStart(TfrmKestrovane& w) {
  w.ShowLegalMoves();
  for (QPushButton* b : {w.btnSetup0, w.btnClearBoard, w.btnOnMove}) b->setEnabled(false);
}

void CurrentPlayerNames(const TfrmKestrovane& w, std::string (&names)[4]) {
  for (int seat = 0; seat < 4; ++seat) names[seat] = w.Game() ? w.Game()->PlayerNames[seat] : kSeatWords[seat];
}

}  // namespace

void BuildStartGameMenus(TfrmKestrovane& w) {
  std::vector<QMenu*> submenus;
  for (const NewGameSubmenu& s : NewGameSubmenus()) {
    submenus.push_back(SubMenu(w.mnuiStartNewGame, s.name, s.caption));
  }
  for (const NewGameKindRow& row : NewGameKinds()) {
    QAction* a = submenus[static_cast<size_t>(row.start->submenu)]->addAction(QString::fromLatin1(row.caption));
    a->setObjectName(QStringLiteral("mnuiStart") + QString::fromLatin1(row.menuItem));
    // Enabled in the form: the Ingols items but the 5-minute one.
    a->setEnabled(row.start->setup == NewGameStart::Ingols && row.kind != 604);
    const int kind = row.kind;
    QObject::connect(a, &QAction::triggered, &w, [&w, kind] { w.StartGameMenuClick(kind); });
    w.StartGameItems.push_back(a);
  }
}

void StartNewGame(TfrmKestrovane& w, int kind, bool withSound) {
  const NewGameKindRow* row = FindNewGameKind(kind);
  if (!row || w.Closing()) return;

  // Names: the players of the game so far; a seat this window plays with a
  // computer player is shown by that player's name.
  std::string names[4], display[4], shown[4];
  CurrentPlayerNames(w, names);
  for (int seat = 0; seat < 4; ++seat) {
    if (w.OwnRoles & (8 << seat)) {
      display[seat] = w.Engines().SeatEngineName(seat);
      if (w.mnuiBugEngineRoles[seat]->isChecked()) display[seat] = "CompNewbie";
    }
    shown[seat] = display[seat].empty() ? names[seat] : display[seat];
  }
  const std::string header = NewGameHeader(*row, shown, TfrmKestrovane::DateText());

  TakeNewGame(w, CreateNewGame(*row, header, names, display), header);
  CKestroGame& g = *w.Game();
  // No partner from before the game: the seats, which carry over, say who it is.
  w.OwnPlayer.partnerSeat = -3;
  if (!w.OwnPlayer.name.empty() && std::find(std::begin(names), std::end(names), w.OwnPlayer.name) != std::end(names))
    net::SetOwnSeats(w.OwnPlayer, g.PlayerNames);
  if (row->SetsDelay()) w.mnuiBughouseLagcompensator->setChecked(false);
  g.LagCompensatorRead = w.mnuiBughouseLagcompensator->isChecked() ? 1 : 0;
  // Every turn starts now; the drawing shows the running clocks from here.
  const int64_t now = TfrmKestrovane::TickCount10ms();
  for (int seat = 0; seat < 4; ++seat) w.TurnStartTick[seat] = w.ServerTurnStart[seat] = now;
  FinishStart(w);
  w.RedrawWithMaps();

  if (w.ActsAsServer == 1) {
    w.Net().SendToAllBS(
        net::BuildFrame(net::kAnnounceHandle, row->command, net::LagCompensatorPayload(g.LagCompensatorRead == 1)));
    w.Net().SendToAll(
        net::BuildFrame(net::kServerHandle, "Talk", net::CleanPayload(NewGameAnnouncement(*row, g))));
    // Processing the broadcast may have closed the window.
    if (!w.Game()) return;
  }

  w.TeamNewGameRequest[0] = w.TeamNewGameRequest[1] = 0;
  w.Net().GameStarted(kind);
  if (withSound && !w.mnuiSoundsOff->isChecked() && !w.mnuiSoundMoveNone->isChecked()) w.PlayMoveSoundAndWait();
  w.Net().ClearDebugLog();
  if (w.Game()->GameKind == gkBughouse || w.Game()->GameKind == gkCoin) w.Engines().StartEngines(kind);
}

void StartGameMenuClick(TfrmKestrovane& w, int kind) {
  const NewGameKindRow* row = FindNewGameKind(kind);
  if (!row || !w.Game()) return;
  if (w.ActsAsServer == 1) {
    // A game record that could not be logged stays in the pane.
    if (w.LogGameBeforeReplacing()) w.RecordPane().SetText("");
    StartNewGame(w, kind);
  } else {
    w.Net().SendToServer(net::BuildFrame(w.OwnHandle, row->request));
  }
}

void NewClassicGame(TfrmKestrovane& w) {
  const NewGameKindRow& classic = *FindNewGameKind(0);
  std::string names[4];
  CurrentPlayerNames(w, names);
  const std::string header = NewGameHeader(classic, names, TfrmKestrovane::DateText());
  const std::string noDisplayNames[4];
  TakeNewGame(w, CreateNewGame(classic, header, names, noDisplayNames), header);
  const int64_t now = TfrmKestrovane::TickCount10ms();
  for (int seat = 0; seat < 4; ++seat) w.TurnStartTick[seat] = w.ServerTurnStart[seat] = now;
  w.RedrawWithMaps();
  FinishStart(w);
}

void EnableNewGameMenus(TfrmKestrovane& w, int code) {
  if (code != 30000) return;
  const bool seated = w.OwnRoles >= 8;
  for (QAction* a : w.StartGameItems) a->setEnabled(seated);
}

}  // namespace new_game
