#include "app/child_windows.h"

#include "game/bpgn_file.h"
#include "platform/text_codec.h"

TfrmKestrovane::TfrmKestrovane(QWidget* parent) : TfrmKestroForm(parent) {
  setObjectName(QStringLiteral("TfrmKestrovane"));
  FormCreate();
  DrawBoard();
}

void TfrmKestrovane::WindowLayout() { DrawBoard(); }

TfrmKestroView::TfrmKestroView(QWidget* parent, const QString& fileName) : TfrmKestroForm(parent) {
  setObjectName(QStringLiteral("TfrmKestroView"));
  FormCreate();
  DrawBoard();
  fileName_ = fileName;
  if (!fileName.trimmed().isEmpty()) LoadBpgnFile(fileName);
}

void TfrmKestroView::LoadBpgnFile(const QString& fileName) {
  CBpgn file(PathFromQString(fileName));
  auto game = std::make_unique<CKestroGame>(file.GetGame(1), 1);
  TwoBoardPosition last;
  game->GetPositionAtMove(last, game->MoveCount);
  game->Position = last;
  game->ComputeAttackMaps(game->Position, 1);
  game->ComputeAttackMaps(game->Position, 2);
  ReplaceGame(std::move(game));
  fileName_ = fileName;
  FullRedraw();
}

void TfrmKestroView::FormActivate() { actWindowLayout->trigger(); }

void TfrmKestroView::WindowLayout() { DrawBoard(); }
