#include "play/setup_editor.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <array>

#include "play/play_window.h"

namespace setup_editor {

namespace {

// The game kind by the variant box's text, compared exactly.
void ApplyVariant(TfrmKestrovane& w) {
  CKestroGame& g = *w.Game();
  const QString variant = w.cbo_ChessVariant->currentText();
  if (variant == QLatin1String("coin")) {
    g.GameKind = gkCoin;
    // As the Coin start and a loaded Coin game have it: a coin on e4 of each board.
    g.Position.coinSquare[0] = g.Position.coinSquare[1] = sq::e4;
  } else {
    g.GameKind = variant == QLatin1String("bughouse") ? gkBughouse : gkOther;
  }
}

// The seven controls the editor enables and "Save position and play" disables.
std::array<QWidget*, 7> EditorControls(const TfrmKestrovane& w) {
  return {w.btnSetup0,           w.btnClearBoard,    w.btnOnMove,           w.btnBFEN,
          w.btnAnalyzePositionA, w.cbo_ChessVariant, w.btnEngineForAnalysis};
}

}  // namespace

void Enter(TfrmKestrovane& w) {
  if (!w.Game()) return;
  w.SetupMode = 1;
  w.SetupSource.area = w.SetupTarget.area = 0;
  w.RedrawWithMaps();
  for (QWidget* c : EditorControls(w)) c->setEnabled(true);
  w.cbo_ChessVariant->show();
  w.btnEngineForAnalysis->show();

  // The panes keep the top and height the layout gave them.
  const KestrovaneVisualProperties& v = w.Visual();
  const int top = w.reBPGNGames->y(), height = w.reBPGNGames->height();
  w.pcXBEngines->move(w.imgBoard->x() + v.OriginX + v.PictureWidth, top);
  w.pcXBEngines->show();
  w.reBPGNGames->setGeometry(w.pcXBEngines->x() + w.pcXBEngines->width(), top, w.reBPGNGames->width(), height);
  w.txtAllMoves->setGeometry(w.reBPGNGames->x() + w.reBPGNGames->width(), top, w.txtAllMoves->width(), height);
  w.btnSaveXPGN->setGeometry(w.reBPGNGames->x(), w.reBPGNGames->y() - w.btnSaveXPGN->height(),
                             w.reBPGNGames->width(), w.btnSaveXPGN->height());
  w.FitPanesToWindow();
  w.FitSurface();
}

void SetupStart(TfrmKestrovane& w) {
  if (!w.Game()) return;
  w.Game()->SetupStandardPosition(w.Game()->Position);
  ApplyVariant(w);
  w.RedrawWithMaps();
}

void ClearBoard(TfrmKestrovane& w) {
  if (!w.Game()) return;
  w.Game()->SetupKingsOnly(w.Game()->Position);
  ApplyVariant(w);
  w.RedrawWithMaps();
}

void NextSidesToMove(TfrmKestrovane& w) {
  if (!w.Game()) return;
  TwoBoardPosition& p = w.Game()->Position;
  // (0,0) -> (1,0) -> (1,1) -> (0,1) -> (0,0): A turns first, then B.
  if (p.sideToMoveA == p.sideToMoveB)
    p.sideToMoveA = 1 - p.sideToMoveA;
  else
    p.sideToMoveB = 1 - p.sideToMoveB;
  w.RedrawWithMaps();
}

void SaveAndPlay(TfrmKestrovane& w) {
  if (!w.Game()) return;
  CKestroGame& g = *w.Game();
  // A game played before the set-up is logged first; a record that could not
  // be logged stays in the pane, the set-up after it.
  const std::string setup = g.BpgnSetupText(g.Position);
  if (!HoldsMoveAfterTags(w.RecordPane().Text()) || w.LogGameBeforeReplacing())
    w.RecordPane().SetText(setup);
  else
    w.RecordPane().Append("\r\n\r\n" + setup);
  w.SetupMode = 0;
  w.SelectionA = w.SelectionB = MoveSelection{};
  // The record starts here, so its moves count from 1 as the loader reads them.
  g.PliesA = g.PliesB = 0;
  w.ShowLegalMoves();
  for (QWidget* c : EditorControls(w)) c->setEnabled(false);
}

}  // namespace setup_editor
