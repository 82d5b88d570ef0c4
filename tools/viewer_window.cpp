// The game viewer window and its report commands.
#include "tools/viewer_window.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextEdit>
#include <QToolBar>
#include <algorithm>
#include <initializer_list>
#include <stdexcept>

#include "display/board_display.h"
#include "platform/dialogs.h"
#include "platform/file_io.h"
#include "platform/text_codec.h"
#include "tools/report_pane.h"

namespace {

using Answer = Dialogs::Answer;

constexpr int kRowHeight = 28;

QTextEdit* MakeTextPane(QWidget* parent, const char* name) {
  auto* pane = new QTextEdit(parent);
  pane->setObjectName(QString::fromLatin1(name));
  pane->setLineWrapMode(QTextEdit::NoWrap);
  pane->setAcceptRichText(false);
  pane->document()->setDefaultFont(QFont(QString::fromLatin1(kReportFont), 10));
  pane->setContextMenuPolicy(Qt::NoContextMenu);  // the popup menu has no items
  return pane;
}

}  // namespace

const char* const TfrmKestroView::kExampleGame =
    "[Event \"Bughouse example\"]\r\n"
    "[Site \"Kestrovane\"]\r\n"
    "[Date \"2026.03.14\"]\r\n"
    "[WhiteA \"Alena\"][WhiteAElo \"1810\"][BlackA \"Boris\"][BlackAElo \"1765\"]\r\n"
    "[WhiteB \"Cyril\"][WhiteBElo \"1902\"][BlackB \"Dana\"][BlackBElo \"1688\"]\r\n"
    "[TimeControl \"180+0\"]\r\n"
    "[Result \"1-0\"]\r\n"
    "\r\n"
    "1A.e4{179} 1B.d4{179} 1a.d5{178} 1b.Nf6{178} 2A.exd5{177} 2B.c4{177} 2a.Qxd5{176}\r\n"
    "2b.e6{175} 3A.Nc3{176} 3B.Nc3{175} 3a.Qa5{174} 3b.P@e4{172} 4A.Nf3{173} 4B.P@d5{171}\r\n"
    "4a.Nf6{172} 4b.exd5{168} 5A.Bc4{170} 5B.cxd5{168} 5a.P@e4{169} 6A.Nxe4{167}\r\n"
    "6a.Nxe4{165} 5b.P@c6{164}\r\n"
    "{Boris resigns} 1-0\r\n";

TfrmKestroView::TfrmKestroView(QWidget* parent, const QString& fileName) : TfrmKestroForm(parent) {
  setObjectName(QStringLiteral("TfrmKestroView"));
  FormCreate();
  BuildControls();
  BuildMenus();
  // The pane's own text, which holds no moves, gives the standard start position.
  ReplaceGame(std::make_unique<CKestroGame>(FromQString(reBpgnGame->toPlainText()), 1));
  Game()->GetPositionAtMove(Game()->Position, 0);
  DrawBoard();
  PlaceControls();
  fileName_ = fileName;
  if (!fileName.trimmed().isEmpty()) LoadBpgnFile(fileName);
}

TfrmKestroView::~TfrmKestroView() = default;

void TfrmKestroView::BuildControls() {
  QWidget* surface = Surface();
  ToolBar1 = new QToolBar(surface);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  const auto tool = [this](const char* name, const QString& caption, const QString& hint,
                           void (TfrmKestroView::*handler)()) {
    QAction* action = ToolBar1->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(hint.isEmpty() ? caption : hint);
    connect(action, &QAction::triggered, this, [this, handler] { Guarded(handler); });
    return action;
  };
  spbtnBPGNExample = tool("spbtnBPGNExample", QStringLiteral("Example"), QStringLiteral("BPGN Example"),
                          &TfrmKestroView::mnuiKVYBPGNExampleClick);
  sbtnBPGNOpen = tool("sbtnBPGNOpen", QStringLiteral("Open"),
                      QStringLiteral("Open BPGN (bughouse chess portable game notation)  file"),
                      &TfrmKestroView::mnuiKVYBPGNOpenClick);
  btnViewGame = tool("btnViewGame", QStringLiteral("View NEXT game"), QString(), &TfrmKestroView::btnViewGameClick);
  btnFlipGame = tool("btnFlipGame", QStringLiteral("Flip Game"), QString(), &TfrmKestroView::btnFlipGameClick);
  btnViewGame->setEnabled(false);
  btnFlipGame->setEnabled(false);
  ToolBar1->adjustSize();

  chbTolvoEnergyBoard = new QCheckBox(QStringLiteral("Tolvo Energy Board"), surface);
  chbTolvoEnergyBoard->setObjectName(QStringLiteral("chbTolvoEnergyBoard"));
  connect(chbTolvoEnergyBoard, &QCheckBox::clicked, this, [this] { Guarded(&TfrmKestroView::chbTolvoEnergyBoardClick); });
  btnInsertDiagram = new QPushButton(QStringLiteral("Insert Diagram"), surface);
  btnInsertDiagram->setObjectName(QStringLiteral("btnInsertDiagram"));
  connect(btnInsertDiagram, &QPushButton::clicked, this,
          [this] { Guarded(&TfrmKestroView::mnuiShowPositionInPrintFormatClick); });
  btnInsertBFEN = new QPushButton(QStringLiteral("Insert BFEN"), surface);
  btnInsertBFEN->setObjectName(QStringLiteral("btnInsertBFEN"));
  connect(btnInsertBFEN, &QPushButton::clicked, this, [this] { Guarded(&TfrmKestroView::btnInsertBFENClick); });
  cbAutoDiagram = new QCheckBox(surface);
  cbAutoDiagram->setObjectName(QStringLiteral("cbAutoDiagram"));
  cbAutoDiagram->setChecked(true);
  lblAutoDiagram = new QLabel(QStringLiteral("Auto Diagram after :"), surface);
  lblAutoDiagram->setObjectName(QStringLiteral("lblAutoDiagram"));
  lblAutoDiagram->setToolTip(QStringLiteral("Insert Chess Diagram after every N lines"));
  csedAutoDiagram = new QSpinBox(surface);
  csedAutoDiagram->setObjectName(QStringLiteral("csedAutoDiagram"));
  csedAutoDiagram->setRange(1, 1000);
  csedAutoDiagram->setValue(8);
  Label1 = new QLabel(QStringLiteral("lines."), surface);
  Label1->setObjectName(QStringLiteral("Label1"));

  txtAboutGame = new QPlainTextEdit(surface);
  txtAboutGame->setObjectName(QStringLiteral("txtAboutGame"));
  txtAboutGame->setReadOnly(true);
  txtAboutGame->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  connect(txtAboutGame, &QPlainTextEdit::textChanged, this, &TfrmKestroView::txtAboutGameChange);
  SetAbout(QStringLiteral("No game loaded now. Click \"BPGN Example\" or \"Open BPGN\"."));

  sbGame = new QScrollBar(Qt::Horizontal, surface);
  sbGame->setObjectName(QStringLiteral("sbGame"));
  sbGame->setRange(0, 0);
  connect(sbGame, &QScrollBar::valueChanged, this, &TfrmKestroView::sbGameChange);
  reBpgnGame = MakeTextPane(surface, "reBpgnGame");
  reBpgnGame->setPlainText(QStringLiteral("BPGN Game"));
  reRTFGame = MakeTextPane(surface, "reRTFGame");

  // The top row: tool bar, then the energy box and the report controls.
  int x = 0;
  const auto row = [&x](QWidget* widget, int y) {
    widget->adjustSize();
    widget->move(x, y + (kRowHeight - widget->height()) / 2);
    x += widget->width() + 6;
  };
  for (QWidget* widget : std::initializer_list<QWidget*>{ToolBar1, chbTolvoEnergyBoard, btnInsertDiagram, btnInsertBFEN,
                                                         cbAutoDiagram, lblAutoDiagram, csedAutoDiagram, Label1})
    row(widget, 0);
  txtAboutGame->setGeometry(0, kRowHeight, std::max(x, 640), kRowHeight);
  imgBoard->move(0, kRowHeight * 2);
  connect(imgBoard, &BoardImage::MouseUp, this, &TfrmKestroView::imgBoardMouseUp);
}

QAction* TfrmKestroView::MenuItem(QMenu* menu, const char* name, const QString& caption,
                                  void (TfrmKestroView::*handler)()) {
  QAction* item = menu->addAction(caption);
  item->setObjectName(QString::fromLatin1(name));
  connect(item, &QAction::triggered, this, [this, handler] { Guarded(handler); });
  return item;
}

void TfrmKestroView::BuildMenus() {
  QMenu* game = MainMenu1->addMenu(QStringLiteral("Game"));
  game->menuAction()->setObjectName(QStringLiteral("mnuiKVYGame"));
  mnuiKVYBPGNExample =
      MenuItem(game, "mnuiKVYBPGNExample", QStringLiteral("BPGN Example"), &TfrmKestroView::mnuiKVYBPGNExampleClick);
  mnuiKVYBPGNOpen =
      MenuItem(game, "mnuiKVYBPGNOpen", QStringLiteral("Open BPGN file"), &TfrmKestroView::mnuiKVYBPGNOpenClick);

  QMenu* rtf = MainMenu1->addMenu(QStringLiteral("RTF Document"));
  rtf->menuAction()->setObjectName(QStringLiteral("mnuiRTFDoc"));
  MenuItem(rtf, "mnuiRTFUndo", QStringLiteral("Undo"), &TfrmKestroView::mnuiRTFUndoClick);
  MenuItem(rtf, "mnuiRTFCopy", QStringLiteral("Copy"), &TfrmKestroView::mnuiRTFCopyClick);
  MenuItem(rtf, "mnuiRTFRatify", QStringLiteral("Ratify point"), &TfrmKestroView::mnuiRTFRatifyClick);
  MenuItem(rtf, "mnuiShowPositionInPrintFormat", QStringLiteral("Insert diagram of actual position"),
           &TfrmKestroView::mnuiShowPositionInPrintFormatClick);
  mnuiShowGameInPrintFormat = MenuItem(rtf, "mnuiShowGameInPrintFormat", QStringLiteral("Show game in RTF format"),
                                       &TfrmKestroView::mnuiShowGameInPrintFormatClick);
  MenuItem(rtf, "mnuiShowGameInRTFFormat2", QStringLiteral("Show game in RTF format 2"),
           &TfrmKestroView::mnuiShowGameInRTFFormat2Click);
  mnuiShowAllGamesInPrintFormat =
      MenuItem(rtf, "mnuiShowAllGamesInPrintFormat", QStringLiteral("Show all games in RTF format"),
               &TfrmKestroView::mnuiShowAllGamesInPrintFormatClick);
  MenuItem(rtf, "mnuiRTFClear", QStringLiteral("Clear"), &TfrmKestroView::mnuiRTFClearClick);
  MenuItem(rtf, "mnuiRTFPaste", QStringLiteral("Paste"), &TfrmKestroView::mnuiRTFPasteClick);
  MenuItem(rtf, "mnuiRTFCut", QStringLiteral("Cut"), &TfrmKestroView::mnuiRTFCutClick);
  MenuItem(rtf, "mnuiRTFSelectAll", QStringLiteral("Select all"), &TfrmKestroView::mnuiRTFSelectAllClick);
  MenuItem(rtf, "mnuiRTFSave", QStringLiteral("Save RTF document"), &TfrmKestroView::mnuiRTFSaveClick);
  MenuItem(rtf, "mnuiRTFPrintNow", QStringLiteral("Print Now"), &TfrmKestroView::mnuiRTFPrintNowClick);
  // There is no game to write until one is loaded.
  mnuiShowGameInPrintFormat->setEnabled(false);
  mnuiShowAllGamesInPrintFormat->setEnabled(false);
}

void TfrmKestroView::Guarded(void (TfrmKestroView::*handler)()) {
  if (Closing() || !Game()) return;
  try {
    (this->*handler)();
  } catch (const std::exception& e) {
    AppDialogs().Error(this, ToQString(e.what()));
  }
}

bool TfrmKestroView::Confirm(const QString& title, const QString& text) {
  return AppDialogs().Message(this, title, text, {Answer::Ok, Answer::Cancel}, Answer::Cancel) == Answer::Ok;
}

// --- showing games ---

void TfrmKestroView::ShowGameText(const std::string& text, int ply) {
  ReplaceGame(std::make_unique<CKestroGame>(text, 1));
  CKestroGame& game = *Game();
  reBpgnGame->setPlainText(ToQString(game.GameText));
  game.GetPositionAtMove(game.Position, ply);
  DrawBoard();
  const QSignalBlocker block(sbGame);
  sbGame->setMaximum(game.MoveCount);
  sbGame->setValue(game.ReplayIndex);
}

void TfrmKestroView::LoadBpgnFile(const QString& fileName) {
  bpgn_ = std::make_unique<CBpgn>(PathFromQString(fileName));
  fileName_ = fileName;
  setWindowTitle(QStringLiteral("Kestro View: (%1B) %2").arg(bpgn_->TextLength).arg(fileName));
  ShowGameText(bpgn_->GetGame(bpgn_->GameNumber + 1), 0);
  SetAbout(QString::number(bpgn_->GameNumber) + QLatin1Char('.') + ToQString(Game()->Title));
  for (QAction* item : {btnViewGame, btnFlipGame, mnuiShowGameInPrintFormat, mnuiShowAllGamesInPrintFormat})
    item->setEnabled(true);
  PlaceControls();
}

void TfrmKestroView::btnViewGameClick() {
  if (!bpgn_) return;
  ShowGameText(bpgn_->GetGame(bpgn_->GameNumber + 1), 0);
  SetAbout(QString::number(bpgn_->GameNumber) + QLatin1Char('.') + ToQString(Game()->Title));
  PlaceControls();
}

void TfrmKestroView::mnuiKVYBPGNExampleClick() {
  const std::string text = kExampleGame;
  setWindowTitle(QStringLiteral("KVX: View Games: (%1B) %2").arg(text.size()).arg(QStringLiteral("Example")));
  reBpgnGame->setPlainText(ToQString(text));
  ShowGameText(text, 0);
  SetAbout(QStringLiteral("Example game"));
  btnViewGame->setEnabled(false);
  mnuiShowAllGamesInPrintFormat->setEnabled(false);
  btnFlipGame->setEnabled(true);
  mnuiShowGameInPrintFormat->setEnabled(true);
  PlaceControls();
}

void TfrmKestroView::mnuiKVYBPGNOpenClick() {
  const std::optional<QString> name = AppDialogs().OpenFile(
      this, QStringLiteral("Open BPGN file"), PathToQString(BpgnFolder), QString(),
      QStringLiteral("Any chess game (*.PGN *.BPGN);;One-board chess game (*.PGN);;Two-board game (*.BPGN);;"
                     "All files (*.*)"));
  if (name && !Closing()) LoadBpgnFile(*name);
}

void TfrmKestroView::btnFlipGameClick() {
  const int ply = sbGame->value();
  const std::string text = SwapBoardsInBpgn(Game()->SourceText);
  reBpgnGame->setPlainText(ToQString(text));
  ShowGameText(text, ply);
}

// --- stepping ---

void TfrmKestroView::sbGameChange(int position) {
  if (Closing() || !Game()) return;
  if (Game()->ReplayIndex == position) return;
  Game()->GetPositionAtMove(Game()->Position, position);
  DrawBoard();
}

void TfrmKestroView::imgBoardMouseUp(Qt::MouseButton button, int x, int) {
  if (Closing() || !Game() || Game()->MoveCount == 0) return;
  CKestroGame& game = *Game();
  if (button != Qt::LeftButton) {
    game.GetPositionAtMove(game.Position, game.ReplayIndex - 1);
  } else {
    const KestrovaneVisualProperties& v = Visual();
    const int board = x >= v.OriginX + 10 * v.SquareSize + 7 ? 2 : 1;
    game.StepToNextMoveOnBoard(game.Position, board);
  }
  DrawBoard();
  sbGame->setValue(game.ReplayIndex);
}

// --- energy and the about line ---

void TfrmKestroView::chbTolvoEnergyBoardClick() {
  mnuiEnergyBoard->setChecked(chbTolvoEnergyBoard->isChecked());
  mnuiEnergyBoardClick();
}

void TfrmKestroView::SetAbout(const QString& text) {
  settingAbout_ = true;
  aboutText_ = text;
  txtAboutGame->setPlainText(text);
  settingAbout_ = false;
}

void TfrmKestroView::txtAboutGameChange() {
  if (settingAbout_ || txtAboutGame->toPlainText() == aboutText_) return;
  SetAbout(aboutText_);
}

// --- layout ---

void TfrmKestroView::FormActivate() { actWindowLayout->trigger(); }

void TfrmKestroView::WindowLayout() {
  imgBoard->move(0, txtAboutGame->geometry().bottom() + 1);
  CKestroGame& game = *Game();
  game.GetPositionAtMove(game.Position, game.ReplayIndex);
  DrawBoard();
  PlaceControls();
  ScrollToStart();
}

void TfrmKestroView::PlaceControls() {
  const KestrovaneVisualProperties& v = Visual();
  const int width = std::max(v.PictureWidth, 200);
  const int top = imgBoard->y() + v.OriginY + v.PictureHeight;
  {
    const QSignalBlocker block(sbGame);
    sbGame->setMaximum(Game()->MoveCount);
  }
  sbGame->setGeometry(v.OriginX, top, width, 17);
  reBpgnGame->setGeometry(v.OriginX, top + 17, width, 240);
  const int left = v.OriginX + width + 8;
  const int bottom = reBpgnGame->geometry().bottom();
  reRTFGame->setGeometry(left, imgBoard->y(), 640, bottom - imgBoard->y() + 1);
  FitSurface();
}

// --- the report ---

int TfrmKestroView::AutoDiagramLines() const { return cbAutoDiagram->isChecked() ? csedAutoDiagram->value() : 0; }

void TfrmKestroView::mnuiRTFUndoClick() { reRTFGame->undo(); }
void TfrmKestroView::mnuiRTFCopyClick() { reRTFGame->copy(); }
void TfrmKestroView::mnuiRTFRatifyClick() { reRTFGame->document()->clearUndoRedoStacks(); }
void TfrmKestroView::mnuiRTFPasteClick() { reRTFGame->paste(); }
void TfrmKestroView::mnuiRTFCutClick() { reRTFGame->cut(); }
void TfrmKestroView::mnuiRTFSelectAllClick() { reRTFGame->selectAll(); }

void TfrmKestroView::mnuiShowPositionInPrintFormatClick() {
  CKestroGame& game = *Game();
  game.GetPositionAtMove(game.Position, game.ReplayIndex);
  TextEditReportSink sink(reRTFGame);
  InsertDiagramRtf(sink, game, game.Position);
}

void TfrmKestroView::btnInsertBFENClick() {
  TextEditReportSink sink(reRTFGame);
  sink.AddLine(Game()->BpgnSetupText(Game()->Position));
}

void TfrmKestroView::mnuiShowGameInPrintFormatClick() {
  reRTFGame->clear();
  TextEditReportSink sink(reRTFGame);
  WriteGameRtf(sink, *Game(), AutoDiagramLines());
}

void TfrmKestroView::mnuiShowGameInRTFFormat2Click() {
  reRTFGame->clear();
  TextEditReportSink sink(reRTFGame);
  WriteGameRtf2(sink, *Game(), AutoDiagramLines());
}

void TfrmKestroView::mnuiShowAllGamesInPrintFormatClick() {
  if (!bpgn_) return;
  const QString text = QStringLiteral("If number of games is big, could take ") +
                       ToQString(ExportDurationWord(bpgn_->TextLength)) +
                       QStringLiteral(" of text processing. Continue ?");
  if (!Confirm(QStringLiteral("Export all games into RTF ?"), text)) return;
  reRTFGame->clear();
  // The game shown stays shown: boards, scroll bar, game pane and about line.
  TextEditReportSink sink(reRTFGame);
  WriteAllGamesRtf(sink, *bpgn_, AutoDiagramLines());
}

void TfrmKestroView::mnuiRTFClearClick() {
  if (Confirm(QStringLiteral("RTF Clear ?"), QStringLiteral("Clear and losing all content ?"))) reRTFGame->clear();
}

void TfrmKestroView::mnuiRTFSaveClick() {
  std::optional<QString> name = AppDialogs().SaveFile(this, QStringLiteral("Save RTF document"), PathToQString(BpgnFolder),
                                                      QString(), QStringLiteral("Rich Text Edit (*.RTF)"));
  if (!name || Closing()) return;
  if (!name->contains(QLatin1Char('.'))) *name += QStringLiteral(".RTF");
  if (!file_io::WriteFileAtomic(PathFromQString(*name), DocumentToRtf(*reRTFGame->document())))
    throw std::runtime_error("Cannot create file \"" + PathFromQString(*name) + "\".");
}

void TfrmKestroView::mnuiRTFPrintNowClick() {
  if (!Confirm(QStringLiteral("Start printing ?"), QStringLiteral("Start print now ?"))) return;
  QPrinter printer(QPrinter::HighResolution);
  QString pdf = PrintToFile;
  if (pdf.isEmpty() && QPrinterInfo::defaultPrinter().isNull()) {
    // No printer on this system: print to a PDF file instead.
    const std::optional<QString> name = AppDialogs().SaveFile(this, QStringLiteral("Print to PDF"),
                                                              PathToQString(BpgnFolder), QString(),
                                                              QStringLiteral("PDF (*.pdf)"));
    if (!name || Closing()) return;
    pdf = *name;
  }
  if (!pdf.isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
  }
  PrintDocument(*reRTFGame->document(), printer, windowTitle());
}
