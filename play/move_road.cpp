// The mouse road of a move and the one road of every move.
#include "play/move_road.h"

#include <cstdio>
#include <string>

#include "display/board_display.h"
#include "net/core/frame.h"
#include "play/play_window.h"
#include "play/record_pane.h"
#include "platform/dialogs.h"

namespace move_road {
namespace {

using Answer = Dialogs::Answer;

MoveSelection& SelectionFor(TfrmKestrovane& w, int owner) {
  return owner == -1 || owner == 2 || owner == 3 ? w.SelectionB : w.SelectionA;
}

void PlayLocal(TfrmKestrovane& w, const std::string& moveText) {
  CKestroGame& g = *w.Game();
  BpgnMove move;
  move.token = moveText;
  if (!g.PlayBpgnMove(move, g.Position, 1)) {
    // Not played: the clock and the record stay as they were.
    w.RedrawWithMaps();
    return;
  }
  (move.board == 1 ? g.PliesA : g.PliesB) += 1;
  g.Position.clock[SeatOf(move.board, move.side)] -= w.LastThinkTime;
  w.RedrawWithMaps();
  w.RecordPane().InsertMove(moveText);
  w.ShowLegalMoves();
}

void SendNetwork(TfrmKestrovane& w, const BpgnMove& trial, const std::string& token) {
  CKestroGame& g = *w.Game();
  const int seat = SeatOf(trial.board, trial.side);
  w.LastThinkTime = static_cast<int>(TfrmKestrovane::TickCount10ms() - w.TurnStartTick[seat]);
  g.TrialPosition.clock[seat] -= w.LastThinkTime;
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "{%d}{C:[T:%d][L:%d]}", g.TrialPosition.clock[seat] / 1000, w.LastThinkTime, 0);
  const std::string frame = net::BuildFrame(w.OwnHandle, "PlayMove", token + stamp);
  if (w.ActsAsServer == 1)
    w.Net().SendOwnMove(frame);
  else
    w.Net().SendToServer(frame);
}

// Ends a move: asks the promotion, tries and plays or sends it.
void CompleteMove(TfrmKestrovane& w, MoveSelection& selection, int area, int square, int n, bool fromPress) {
  selection.to = square;
  w.Mark(area, square, true);
  if (n == 2) {
    CKestroGame& g = *w.Game();
    const bool ingols = g.GameKind == gkIngols;
    const QString text = ingols ? QStringLiteral("Promoting pawn now ? ")
                                : QStringLiteral("Promoting pawn to Queen yes ? Or no = kNight.");
    const bool white = ColourOf(BoardOf(g.Position, selection.kind == 2 ? 2 : 1).squares[selection.from]) == 0;
    w.IgnoreNextRelease = 1;
    const Answer answer = AppDialogs().Message(&w, QStringLiteral("Confirm"), text,
                                               {Answer::Yes, Answer::No, Answer::Cancel}, Answer::Yes);
    // The window may have closed while the box was open.
    if (!w.Game()) return;
    // The release of the click that completed the move is still to come unless the box took it.
    w.IgnoreNextRelease = fromPress && w.ButtonDown() ? 1 : 0;
    if (answer == Answer::Cancel) {
      w.Mark(area, square, false);
      // The two frames may share an edge.
      w.Mark(selection.kind, selection.from, true);
      return;
    }
    if (ingols) {
      const int32_t* table = white ? w.Game()->IngolsPromotionWhite : w.Game()->IngolsPromotionBlack;
      selection.promotion = answer == Answer::Yes ? table[square] : 0;
    } else {
      selection.promotion = answer == Answer::Yes ? pcWQueen : pcWKnight;
    }
  }

  // Made: no longer half-made when the server's own window applies it at once.
  const MoveSelection made = selection;
  selection = MoveSelection{};
  if (!PlayOrSend(w, made.kind, made.from, made.to, made.promotion)) selection = made;
}

}  // namespace

void MouseDown(TfrmKestrovane& w, int x, int y) {
  if (!w.Game()) return;
  CKestroGame& g = *w.Game();
  const SquareHit hit = PointToSquare(g, x, y, w.Visual().SquareSize);
  if (w.SetupMode) {
    w.SetupSource = SetupPoint{hit.area, hit.index, 0, 0};
    return;
  }
  const int owner = g.SquareOwner(hit.area, hit.index, g.Position);
  MoveSelection& selection = SelectionFor(w, owner);
  if (selection.kind == 0) {
    if (owner < 0) return;
    if (w.NetworkMode != 0 && (w.OwnRoles & (8 << owner)) == 0) return;
    if (g.CountMovesFrom(hit.area, hit.index) == 0) return;
    selection.kind = hit.area;
    selection.from = hit.index;
    w.Mark(selection.kind, selection.from, true);
    if (w.MoveInputMode == 0) w.IgnoreNextRelease = 1;
    return;
  }
  if (w.MoveInputMode == 1) return;
  if (w.MoveInputMode == 0) w.IgnoreNextRelease = 1;
  const int n = g.CountMoves(selection.kind, selection.from, hit.index);
  if (n == 0) {
    if (owner == g.SquareOwner(selection.kind, selection.from, g.Position) &&
        g.CountMovesFrom(hit.area, hit.index) != 0) {
      w.Mark(selection.kind, selection.from, false);
      selection.kind = hit.area;
      selection.from = hit.index;
      w.Mark(selection.kind, selection.from, true);
    }
    return;
  }
  CompleteMove(w, selection, hit.area, hit.index, n, true);
}

void MouseUp(TfrmKestrovane& w, int x, int y) {
  if (w.IgnoreNextRelease) {
    w.IgnoreNextRelease = 0;
    return;
  }
  if (!w.Game()) return;
  CKestroGame& g = *w.Game();
  const SquareHit hit = PointToSquare(g, x, y, w.Visual().SquareSize);
  if (w.SetupMode) {
    if (w.SetupSource.area != 0) {
      w.SetupTarget = SetupPoint{hit.area, hit.index, 0, 0};
      g.MovePieceInPosition(w.SetupSource.area, w.SetupSource.index, w.SetupTarget.area, w.SetupTarget.index,
                            g.Position);
      w.RedrawWithMaps();
    }
    return;
  }
  MoveSelection& selection = SelectionFor(w, g.SquareOwner(hit.area, hit.index, g.Position));
  const int n = selection.kind ? g.CountMoves(selection.kind, selection.from, hit.index) : 0;
  if (n != 0) CompleteMove(w, selection, hit.area, hit.index, n, false);
  if (w.MoveInputMode == 1 && w.Game()) {
    if (selection.kind) w.Mark(selection.kind, selection.from, false);
    selection = MoveSelection{};
  }
}

bool PlayOrSend(TfrmKestrovane& w, int kind, int from, int to, int promotion) {
  CKestroGame& g = *w.Game();
  const std::string token = g.MoveToBpgn(g.Position, kind, from, to, promotion, g.PliesA, g.PliesB);
  const std::string moveText = token + "{180}";
  g.TrialPosition = g.Position;
  BpgnMove trial;
  trial.token = moveText;
  if (!g.PlayMove(trial, g.TrialPosition)) return false;
  if (w.NetworkMode == 0)
    PlayLocal(w, moveText);
  else
    SendNetwork(w, trial, token);
  return true;
}

}  // namespace move_road
