// What the play window shows after each step, compared with a whole drawing:
// the board picture after the painter's partial redraws, the pixels on the
// screen after the window's partial repaints, and the record and legal-move
// panes after their line-by-line changes. The test ticks the running clocks
// itself, on a fake clock: the window's timer never fires here.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>

#include "display/board_display.h"
#include "net/core/clock.h"
#include "play/core/new_game_kinds.h"
#include "play/play_window.h"
#include "platform/text_codec.h"
#include "tests/display/display_fixture.h"
#include "tests/platform/fake_dialogs.h"

namespace {

class RedrawTest : public testdisplay::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    clock_.ms = 1000000;
    TfrmKestrovane::TickClock = &clock_;
    w_ = std::make_unique<TfrmKestrovane>();
    w_->resize(1300, 800);
    w_->show();
    QCoreApplication::processEvents();
  }
  void TearDown() override {
    w_.reset();
    TfrmKestrovane::TickClock = nullptr;
  }

  CKestroGame& G() { return *w_->Game(); }
  const KestrovaneVisualProperties& V() { return DisplayOf(G()).Visual; }
  QAction* Item(const char* name) { return w_->findChild<QAction*>(QString::fromLatin1(name)); }
  int Cell() { return V().SquareSize + V().DPGraphicBoardLinesNet; }
  QPoint SquarePoint(int board, const char* name) {
    const int c = Cell(), file = name[0] - 'a', rank = name[1] - '1';
    const bool left = (board == 1) != (V().FlipSides != 0);
    if (left) return {V().LeftBoardLeft + file * c + c / 2, V().LeftBoardTop + (7 - rank) * c + c / 2};
    return {V().RightBoardLeft + (7 - file) * c + c / 2, V().RightBoardTop + rank * c + c / 2};
  }
  QPoint SideCell(int col, int row) {
    const int c = Cell();
    const int left = col < 11 ? V().LeftBoardLeft + (col - 1) * c : V().RightBoardLeft + (col - 11) * c;
    return {left + c / 2, V().LeftBoardTop + (8 - row) * c + c / 2};
  }
  void Click(QPoint p) {
    QTest::mousePress(w_->imgBoard, Qt::LeftButton, {}, p);
    QTest::mouseRelease(w_->imgBoard, Qt::LeftButton, {}, p);
  }
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(w_->imgBoard, Qt::LeftButton, {}, from);
    QTest::mouseRelease(w_->imgBoard, Qt::LeftButton, {}, to);
  }
  void Move(int board, const char* from, const char* to) {
    Click(SquarePoint(board, from));
    Click(SquarePoint(board, to));
  }

  // Running clocks on, as the box turns them on; the box starts the window's
  // timer, which the test stops at once to tick by itself.
  void RunningClocksOn() {
    w_->chbShowPresumptiveTimes->click();
    ASSERT_TRUE(w_->TimerNetGame1->isActive());
    w_->TimerNetGame1->stop();
  }
  // One second on the clock, and the window's timer handler.
  void Tick() {
    ASSERT_FALSE(w_->TimerNetGame1->isActive()) << "the window's timer could fire in the middle of a step";
    clock_.Advance(1000);
    w_->TimerNetGame1Timer();
  }

  // The picture a whole drawing of the shown position gives, with the frames
  // of the half-made moves and the running clocks drawn over it when asked.
  QImage WholeDrawing(bool marks = false, bool runningClocks = false) {
    BoardDisplay& d = DisplayOf(G());
    const std::shared_ptr<PaintedPicture> kept = std::exchange(d.Painted, nullptr);
    QImage whole(w_->imgBoard->Canvas().size(), QImage::Format_RGB32);
    whole.fill(ColorFromBgr(w_->WindowColor()));
    DrawPosition(G(), whole, w_->ShownPosition());
    if (marks)
      for (const MoveSelection* s : {&w_->SelectionA, &w_->SelectionB})
        if (s->kind != 0) DrawMoveMarker(G(), whole, s->kind, s->from, V().HighlightSquareColor);
    const TwoBoardPosition& p = G().Position;
    if (runningClocks && V().ShowPresumptiveTimes == 1)
      DrawRunningClocks(G(), whole, p, p.sideToMoveA == 0, p.sideToMoveA != 0, p.sideToMoveB == 0, p.sideToMoveB != 0);
    d.Painted = kept;
    return whole;
  }

  static int Differing(const QImage& a, const QImage& b, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) ++n;
    return n;
  }

  // What the screen shows of `widget` (the window's backing store).
  QImage OnScreen(QWidget* widget) {
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(w_->winId());
    const QPoint at = widget->mapTo(w_.get(), QPoint(0, 0));
    return shot.toImage().copy(QRect(at, widget->size()));
  }

  static QString Lines(const std::string& bytes) {
    return ToQString(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  }

  // The picture is `expected`, and the screen shows the picture.
  void ExpectPicture(const QImage& expected, const char* what) {
    const QImage& canvas = w_->imgBoard->Canvas();
    ASSERT_EQ(canvas.size(), expected.size());
    EXPECT_EQ(Differing(canvas, expected, canvas.rect()), 0) << "picture pixels differing from " << what;
    const QRect seen = w_->imgBoard->visibleRegion().boundingRect() & canvas.rect();
    EXPECT_EQ(Differing(OnScreen(w_->imgBoard), canvas, seen), 0) << "screen pixels differing from the picture, "
                                                                 << what;
  }

  // After a step: the picture, the screen and the panes as a whole drawing
  // would make them. The running clocks tick before a drawing of the whole
  // position (which keeps them on the picture, as it keeps the frames of the
  // half-made moves) and after it.
  void ExpectWhole(const std::string& step) {
    SCOPED_TRACE(step);
    QCoreApplication::processEvents();
    Tick();
    w_->DrawBoard();
    QCoreApplication::processEvents();
    ExpectPicture(WholeDrawing(true, true), "a whole drawing with frames and running clocks");
    for (QPlainTextEdit* pane : {w_->reBPGNGames, w_->txtAllMoves}) {
      const QImage panePixels = OnScreen(pane->viewport());
      const QImage fresh = pane->viewport()->grab().toImage();
      const QRect area = pane->viewport()->visibleRegion().boundingRect();
      EXPECT_EQ(Differing(panePixels, fresh, area), 0) << pane->objectName().toStdString() << " drawn stale";
    }
    EXPECT_EQ(w_->reBPGNGames->toPlainText(), Lines(w_->RecordPane().Text()));
    QPlainTextEdit wholeMoves;
    wholeMoves.setPlainText(Lines(G().LegalMoveText));
    EXPECT_EQ(w_->txtAllMoves->toPlainText(), wholeMoves.toPlainText());
    Tick();
    QCoreApplication::processEvents();
    ExpectPicture(WholeDrawing(true, true), "a whole drawing with frames and running clocks, one tick on");
  }

  // After a step that draws only over the picture: a whole drawing with the
  // frames of the half-made moves and, one tick on, the running clocks.
  void ExpectDrawnOver(const std::string& step) {
    SCOPED_TRACE(step);
    Tick();
    QCoreApplication::processEvents();
    ExpectPicture(WholeDrawing(true, true), "a whole drawing with frames and running clocks");
  }

  void StartGame(const char* menuItem) {
    for (const NewGameKindRow& row : NewGameKinds())
      if (std::string("mnuiStart") + row.menuItem == menuItem) w_->StartNewGame(row.kind);
  }

  net::FakeClock clock_;
  FakeDialogs dialogs_;
  ScopedDialogs scoped_{dialogs_};
  std::unique_ptr<TfrmKestrovane> w_;
};

TEST_F(RedrawTest, EveryStepShowsWhatAWholeDrawingShows) {
  ExpectWhole("start");
  w_->btnNewGame->click();
  ExpectWhole("new");
  Move(1, "e2", "e4");
  ExpectWhole("e4");
  Move(1, "d7", "d5");
  Move(1, "e4", "d5");
  ExpectWhole("capture");
  Move(2, "e2", "e4");
  Click(SideCell(19, 3));  // B's black pawn in hand
  ExpectWhole("hand selected");
  Click(SquarePoint(2, "d5"));
  ExpectWhole("drop");
  Move(2, "g1", "f3");
  Move(2, "d5", "d4");
  Move(2, "f1", "e2");
  Move(2, "d4", "d3");
  Move(2, "e1", "g1");
  ExpectWhole("castled");
  w_->chbFlipSides->click();
  ExpectWhole("flipped");
  Move(1, "d8", "d5");
  ExpectWhole("flipped move");
  w_->chbFlipSides->click();
  ExpectWhole("unflipped");
  w_->chbEnergyBoard->click();
  ExpectWhole("energy");
  Move(1, "g1", "f3");
  ExpectWhole("energy move");
  w_->chbEnergyBoard->click();
  ExpectWhole("energy off");
  w_->chbShowCoordinates->click();
  ExpectWhole("coordinates off");
  Move(1, "d5", "a5");
  ExpectWhole("move without coordinates");
  w_->chbShowCoordinates->click();
  ExpectWhole("coordinates on");
  dialogs_.inputs = {QStringLiteral("41")};
  Item("mnuiBoardSize")->trigger();
  ExpectWhole("size 41");
  dialogs_.inputs = {QStringLiteral("23")};
  Item("mnuiBoardSize")->trigger();
  ExpectWhole("size 23");
  Item("mnuiBoardSquareUserSolidColor")->trigger();
  ExpectWhole("solid squares");
  Item("mnuiBoardSquareStyleBorder")->trigger();
  ExpectWhole("border");
  Item("mnuiBoardSquareStyleMountains")->trigger();
  ExpectWhole("mountains");
  Item("mnuiBoardLinesNet")->trigger();
  ExpectWhole("no lines");
  Move(1, "f3", "e5");
  ExpectWhole("move without lines");
  Item("mnuiBoardLinesNet")->trigger();
  Item("mnuiBoardFontPieces")->trigger();
  ExpectWhole("chess font");
  Move(1, "a5", "a2");
  ExpectWhole("chess font move");
  Item("mnuiBoardSquareBMP")->trigger();
  Item("mnuiBoardPiecesDefault")->trigger();
  ExpectWhole("bitmaps");
  dialogs_.colors = {QColor(200, 30, 40)};
  Item("mnuiBoardColorTable")->trigger();
  ExpectWhole("table colour");
  dialogs_.colors = {QColor(20, 130, 40)};
  Item("mnuiBoardColorText")->trigger();
  ExpectWhole("text colour");
  Item("mnuiBoardColorTextTransparent")->trigger();
  ExpectWhole("text background");
  QFont big(QStringLiteral("DejaVu Sans"), 16);
  dialogs_.fonts = {Dialogs::FontChoice{big, QColor(0, 0, 0)}};
  Item("mnuiBoardFontPlayers")->trigger();
  ExpectWhole("players font");
  RunningClocksOn();
  ExpectWhole("running clocks");
  Move(2, "c8", "g4");
  ExpectWhole("running clocks, move");

  // A running clock that grows narrower between drawings: " 10:00 ", " 9:59 ".
  StartGame("mnuiStartBughouseChessGameClasicsB10m20s");
  w_->DrawBoard();
  w_->TimerNetGame1Timer();
  ASSERT_EQ(G().Position.runningClock[0], 600000);
  QCoreApplication::processEvents();
  ExpectPicture(WholeDrawing(false, true), "a whole drawing with the running clocks at 10:00");
  ExpectDrawnOver("running clocks at 9:59");
  EXPECT_EQ(G().Position.runningClock[0], 599000);
  ExpectWhole("10 minutes");

  // Each look with moves, captures and drops on both boards.
  w_->btnNewGame->click();
  const char* const game[][3] = {{"1", "e2", "e4"}, {"1", "d7", "d5"}, {"1", "e4", "d5"}, {"2", "d2", "d4"},
                                 {"1", "d8", "d5"}, {"2", "e7", "e5"}, {"1", "b1", "c3"}, {"2", "d4", "e5"},
                                 {"1", "d5", "a5"}, {"2", "b8", "c6"}};
  size_t ply = 0;
  for (const char* pieces : {"mnuiBoardPiecesDefault", "mnuiBoardFontPieces"})
    for (const char* squares : {"mnuiBoardSquareBMP", "mnuiBoardSquareUserSolidColor"})
      for (bool lines : {false, true})
        for (bool energy : {false, true}) {
          Item(pieces)->trigger();
          Item(squares)->trigger();
          if (Item("mnuiBoardLinesNet")->isChecked() != lines) Item("mnuiBoardLinesNet")->trigger();
          if (w_->chbEnergyBoard->isChecked() != energy) w_->chbEnergyBoard->click();
          const std::string look = std::string(pieces) + " " + squares + (lines ? " lines" : "") + (energy ? " energy" : "");
          ExpectWhole(look);
          if (ply < std::size(game)) {
            Move(game[ply][0][0] - '0', game[ply][1], game[ply][2]);
            ++ply;
            ExpectWhole(look + " moved");
          }
        }
  EXPECT_EQ(G().PliesA + G().PliesB, static_cast<int>(std::size(game)));

  // Every colour and font of the board, each followed by a move.
  const char* const shuffle2[][2] = {{"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}, {"f6", "g8"}};
  int step = 0;
  for (const char* colour : {"mnuiBoardColorBackGround", "mnuiBoardColorStuffPlace", "mnuiBoardColorLines",
                             "mnuiBoardSquareWhiteColor", "mnuiBoardSquareBlackColor", "mnuiBoardColorPieces",
                             "mnuiBoardColor2Pieces", "mnuiBoardColorStuffNumber", "mnuiBoardFontLag",
                             "mnuiFontStuffNumber", "mnuiFontCoordinates", "mnuiBoardFontPlayers"}) {
    dialogs_.colors = {QColor(30 + 9 * step, 200 - 7 * step, 90)};
    dialogs_.fonts = {Dialogs::FontChoice{QFont(QStringLiteral("DejaVu Serif"), 7 + step), QColor(40, 50, 60)}};
    Item(colour)->trigger();
    ExpectWhole(colour);
    Move(1, shuffle2[step % 4][0], shuffle2[step % 4][1]);
    ++step;
    ExpectWhole(std::string(colour) + " moved");
  }

  EXPECT_EQ(G().PliesA, 6 + step);

  // A promotion that captures.
  w_->btnNewGame->click();
  G().Position.boardA[CKestroGame::SquareFromName('a', '7')] = pcWPawn;
  G().GenerateLegalMoves(G().Position);
  ExpectWhole("pawn on a7");
  dialogs_.messages = {Dialogs::Answer::Yes};
  Move(1, "a7", "b8");
  EXPECT_EQ(G().Position.boardA[CKestroGame::SquareFromName('b', '8')], pcWQueen);
  ExpectWhole("promoted");

  // Frames of half-made moves taken away: a selection moved to another piece,
  // a promotion cancelled, a drag released where no move goes. In the basic
  // style the frames of neighbouring squares share their edges.
  Item("mnuiBoardSquareStyleBasic")->trigger();
  for (bool lines : {false, true}) {
    if (Item("mnuiBoardLinesNet")->isChecked() != lines) Item("mnuiBoardLinesNet")->trigger();
    const std::string look = lines ? "lines: " : "no lines: ";
    w_->btnNewGame->click();
    ExpectWhole(look + "new");
    Click(SquarePoint(1, "e2"));
    ExpectDrawnOver(look + "e2 selected");
    // A move on board B keeps the half-made move of board A, and its frame.
    Move(2, "e2", "e4");
    EXPECT_EQ(w_->SelectionA.from, CKestroGame::SquareFromName('e', '2'));
    ExpectDrawnOver(look + "e2 still selected after a move on B");
    Move(2, "e7", "e5");
    Click(SquarePoint(1, "d2"));
    ExpectDrawnOver(look + "d2 selected instead");
    Click(SquarePoint(1, "d4"));
    ExpectWhole(look + "d4");
    G().Position.boardB[CKestroGame::SquareFromName('a', '7')] = pcWPawn;
    G().GenerateLegalMoves(G().Position);
    ExpectWhole(look + "pawn on a7");
    dialogs_.messages = {Dialogs::Answer::Cancel};
    Move(2, "a7", "b8");
    EXPECT_EQ(w_->SelectionB.from, CKestroGame::SquareFromName('a', '7'));
    ExpectDrawnOver(look + "promotion cancelled");
    dialogs_.messages = {Dialogs::Answer::No};
    Click(SquarePoint(2, "b8"));
    EXPECT_EQ(G().Position.boardB[CKestroGame::SquareFromName('b', '8')], pcWKnight);
    ExpectWhole(look + "promoted after all");
    Item("mnuiMoveInputCDCU")->trigger();
    Drag(SquarePoint(1, "g8"), SquarePoint(1, "g5"));
    EXPECT_EQ(w_->SelectionA.kind, 0);
    ExpectDrawnOver(look + "dragged nowhere");
    Item("mnuiMoveInputCDCDorCU")->trigger();
  }
  Item("mnuiBoardSquareStyleMountains")->trigger();

  for (const char* kind : {"mnuiStartChessCoinGameClasicsB5m5s", "mnuiStartChessIngolsGameClasics3m",
                           "mnuiStartBughouseChessGamePhalanx", "mnuiStartBughouseChessGameClasics"}) {
    StartGame(kind);
    ExpectWhole(kind);
    Move(1, "e2", "e4");
    ExpectWhole(std::string(kind) + " e4");
  }

  // The set-up editor.
  w_->btnSetupPosition->click();
  ExpectWhole("setup");
  Drag(SquarePoint(1, "d2"), SideCell(9, 3));
  ExpectWhole("into hand");
  Drag(SideCell(9, 3), SideCell(19, 8));
  ExpectWhole("hand to hand");
  Drag(SideCell(10, 4), SideCell(10, 4));
  ExpectWhole("castling mark");
  w_->btnOnMove->click();
  ExpectWhole("on move");
  w_->btnClearBoard->click();
  ExpectWhole("clear board");
  w_->btnSetup0->click();
  ExpectWhole("setup start");
  w_->cbo_ChessVariant->setCurrentText(QStringLiteral("coin"));
  w_->btnClearBoard->click();
  ExpectWhole("coin clear");
  w_->btnBFEN->click();
  ExpectWhole("set-up played");
  w_->btnNewGame->click();
  ExpectWhole("new after set-up");

  // A larger pane font, then a long record that scrolls and wraps.
  QFont paneFont(QStringLiteral("DejaVu Sans"), 18);
  dialogs_.fonts = {Dialogs::FontChoice{paneFont, QColor(0, 0, 200)}};
  w_->mnuiBPGNWindowFontClick();
  ExpectWhole("pane font");
  const char* const shuffle[][2] = {{"g1", "f3"}, {"g8", "f6"}, {"f3", "g1"}, {"f6", "g8"}};
  for (int i = 0; i < 12; ++i)
    for (int board : {1, 2})
      for (const auto& m : shuffle) {
        Move(board, m[0], m[1]);
        if (i % 5 == 0) ExpectWhole("shuffle " + std::to_string(i));
      }
  ExpectWhole("long record");
  w_->LoadProfile(KESTRO_SOURCE_DIR "/tests/data/play_profile.ini");
  ExpectWhole("profile");
  Move(1, "g1", "f3");
  ExpectWhole("move after profile");
  // The legal-move list scrolled to its end, then shortened by a move.
  w_->txtAllMoves->verticalScrollBar()->setValue(w_->txtAllMoves->verticalScrollBar()->maximum());
  ExpectWhole("moves scrolled");
  Move(2, "e2", "e4");
  ExpectWhole("moves scrolled, e4");
  Move(2, "d7", "d5");
  ExpectWhole("moves scrolled, d5");
  w_->txtAllMoves->verticalScrollBar()->setValue(w_->txtAllMoves->verticalScrollBar()->maximum());
  Move(2, "f1", "b5");
  ExpectWhole("moves scrolled, check");

  w_->resize(700, 500);
  ExpectWhole("smaller window");
  w_->resize(1400, 900);
  ExpectWhole("larger window");
}

}  // namespace
