// The play window: hotseat moves with the mouse, the record pane, promotion,
// move-input modes, the network seam, the private messages, layout and closing.
#include "play/play_window.h"
#include "play/record_pane.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "display/board_display.h"
#include "game/bpgn_file.h"
#include "tests/display/display_fixture.h"
#include "tests/platform/fake_dialogs.h"
#include "tests/play/net_fixture.h"

namespace {

using Answer = Dialogs::Answer;
using Kind = AskedDialog::Kind;

std::string FixedDate() { return "2026-12-08 20:00:00"; }

const std::string kHeader =
    "[Event \"Kestrovane bughouse chess game\"]\r\n[Site \"Kestrovane\"]\r\n[Date \"2026-12-08 20:00:00\"]\r\n"
    "[WhiteA \"WhiteA\"][WhiteAElo \"0\"]\r\n[BlackA \"BlackA\"][BlackAElo \"0\"]\r\n"
    "[WhiteB \"WhiteB\"][WhiteBElo \"0\"]\r\n[BlackB \"BlackB\"][BlackBElo \"0\"]\r\n"
    "[TimeControl \"180+0\"]\r\n[Result \"*\"]\r\n";

int Sq(const char* name) { return CKestroGame::SquareFromName(name[0], name[1]); }

// What the seams were asked, in order, with whether the game still existed.
struct Log {
  std::vector<std::string> calls;
  std::vector<std::string> frames;
};

class RecordingNet : public NetSeam {
 public:
  RecordingNet(Log& log, TfrmKestrovane*& window) : log_(log), window_(window) {}
  void SendToServer(const std::string& frame) override { log_.frames.push_back("server:" + frame); }
  void SendToAll(const std::string& frame) override { log_.frames.push_back("all:" + frame); }
  void SendOwnMove(const std::string& frame) override { log_.frames.push_back("own:" + frame); }
  void Disconnect() override { log_.calls.push_back(std::string("disconnect game=") + (window_->Game() ? "1" : "0")); }
  void RefreshClientsConnected() override { log_.calls.push_back("refresh"); }

 private:
  Log& log_;
  TfrmKestrovane*& window_;
};

class RecordingEngines : public EngineSeam {
 public:
  RecordingEngines(Log& log, TfrmKestrovane*& window) : log_(log), window_(window) {}
  void ComputerPlayerTurn() override { log_.calls.push_back("turn"); }
  void DeleteAgents() override { log_.calls.push_back(std::string("agents game=") + (window_->Game() ? "1" : "0")); }
  void DeleteComputerPlayer() override { log_.calls.push_back("computer"); }

 private:
  Log& log_;
  TfrmKestrovane*& window_;
};

class PlayWindowTest : public testdisplay::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    TfrmKestrovane::DateText = FixedDate;
    w_ = std::make_unique<TfrmKestrovane>();
    raw_ = w_.get();
    w_->SetNetSeam(std::make_unique<RecordingNet>(log_, raw_));
    w_->SetEngineSeam(std::make_unique<RecordingEngines>(log_, raw_));
    w_->resize(1300, 800);
    w_->show();
  }

  CKestroGame& G() { return *w_->Game(); }
  const KestrovaneVisualProperties& V() { return DisplayOf(G()).Visual; }
  int Cell() { return V().SquareSize + V().DPGraphicBoardLinesNet; }

  // Middle of a square's cell, as the painter places it (no flipping: A left, B right).
  QPoint SquarePoint(int board, const char* name) {
    const int c = Cell(), file = name[0] - 'a', rank = name[1] - '1';
    if (board == 1) return {V().LeftBoardLeft + file * c + c / 2, V().LeftBoardTop + (7 - rank) * c + c / 2};
    return {V().RightBoardLeft + (7 - file) * c + c / 2, V().RightBoardTop + rank * c + c / 2};
  }
  // Middle of the black pawn's holdings cell of board B (right board, column 8, row 5).
  QPoint BlackPawnInHandB() {
    const int c = Cell();
    return {V().RightBoardLeft + 8 * c + c / 2, V().RightBoardTop + 5 * c + c / 2};
  }

  void Press(QPoint p) { QTest::mousePress(w_->imgBoard, Qt::LeftButton, {}, p); }
  void Release(QPoint p) { QTest::mouseRelease(w_->imgBoard, Qt::LeftButton, {}, p); }
  void Click(QPoint p) {
    Press(p);
    Release(p);
  }
  void Move(int board, const char* from, const char* to) {
    Click(SquarePoint(board, from));
    Click(SquarePoint(board, to));
  }
  const std::string& Pane() { return w_->RecordPane().Text(); }

  FakeDialogs dialogs_;
  ScopedDialogs scoped_{dialogs_};
  Log log_;
  std::unique_ptr<TfrmKestrovane> w_;
  TfrmKestrovane* raw_ = nullptr;
};

TEST_F(PlayWindowTest, HotseatGameWithADropWritesTheRecordByteForByte) {
  w_->btnNewGame->click();
  EXPECT_EQ(Pane(), "\r\n\r\n" + kHeader + "\r\n{*} *");
  EXPECT_EQ(w_->SetupMode, 0);

  Move(1, "e2", "e4");
  Move(1, "d7", "d5");
  Move(1, "e4", "d5");
  Move(2, "e2", "e4");
  EXPECT_EQ(G().Position.holdingsB[SlotOf(pcBPawn)], 1);
  Click(BlackPawnInHandB());
  Click(SquarePoint(2, "d5"));

  EXPECT_EQ(Pane(), "\r\n\r\n" + kHeader + " 1A.e4{180} 1a.d5{180} 2A.exd5{180} 1B.e4{180} 1b.P@d5{180}\r\n{*} *");
  QString shown = w_->reBPGNGames->toPlainText();
  EXPECT_EQ(shown.toStdString(), QString::fromStdString(Pane()).replace("\r\n", "\n").toStdString());

  const TwoBoardPosition& p = G().Position;
  EXPECT_EQ(p.boardA[Sq("d5")], pcWPawn);
  EXPECT_EQ(p.boardA[Sq("e4")], pcEmpty);
  EXPECT_EQ(p.boardB[Sq("d5")], pcBPawn);
  EXPECT_EQ(p.holdingsB[SlotOf(pcBPawn)], 0);
  EXPECT_EQ(G().PliesA, 3);
  EXPECT_EQ(G().PliesB, 2);
  for (int seat = 0; seat < 4; ++seat) EXPECT_EQ(p.clock[seat], 180000) << seat;
  EXPECT_EQ(w_->SelectionA.kind, 0);
  EXPECT_EQ(w_->SelectionB.kind, 0);
  EXPECT_TRUE(w_->txtAllMoves->toPlainText().contains("2a."));
  EXPECT_TRUE(w_->txtAllMoves->toPlainText().contains("2B."));
  EXPECT_TRUE(dialogs_.asked.empty());

  // A second game adds an empty line and its header after the first.
  w_->btnNewGame->click();
  EXPECT_TRUE(Pane().ends_with("P@d5{180}\r\n{*} *\r\n\r\n" + kHeader + "\r\n{*} *"));
  EXPECT_EQ(G().PliesA, 0);
  EXPECT_EQ(G().Position.boardA[Sq("e2")], pcWPawn);
}

TEST_F(PlayWindowTest, NamesWithQuotesAndBracketsReadBackFromTheRecord) {
  // Names as a seat taken over the network brings them.
  const std::string names[4] = {"Ann \"Ace\" O]Neil", "[BlackB \"Bo\"]", "C:\\Cy\\", "x\"][Event \"Evil"};
  for (int seat = 0; seat < 4; ++seat) G().PlayerNames[seat] = names[seat];
  w_->btnNewGame->click();
  Move(1, "e2", "e4");
  Move(2, "d2", "d4");
  w_->btnNewGame->click();

  CBpgn record = CBpgn::FromText(Pane(), "record.bpgn");
  ASSERT_EQ(record.GameCount(), 2) << Pane();
  for (int n : {1, 2}) {
    CKestroGame game(record.GetGame(n), 1);
    for (int seat = 0; seat < 4; ++seat) EXPECT_EQ(game.PlayerNames[seat], names[seat]) << n << " " << seat;
    EXPECT_EQ(game.TagEvent, "Kestrovane bughouse chess game");
    EXPECT_EQ(game.TagDate, FixedDate());
    EXPECT_EQ(game.TagResult, "*");
    EXPECT_EQ(game.MoveCount, n == 1 ? 2 : 0);
  }
}

TEST_F(PlayWindowTest, ClockOfTheMoverLosesTheLastThinkTime) {
  w_->btnNewGame->click();
  w_->LastThinkTime = 2500;
  Move(2, "d2", "d4");
  EXPECT_EQ(G().Position.clock[seatWhiteB], 177500);
  EXPECT_EQ(G().Position.clock[seatWhiteA], 180000);
}

TEST_F(PlayWindowTest, MoveInputModes) {
  w_->btnNewGame->click();
  const QPoint e2 = SquarePoint(1, "e2"), e4 = SquarePoint(1, "e4"), e5 = SquarePoint(1, "e5");

  // 0: press, press; the second press makes the move and no release acts.
  w_->MoveInputMode = 0;
  Click(e2);
  EXPECT_EQ(w_->SelectionA.kind, 1);
  Press(e4);
  EXPECT_EQ(G().Position.boardA[Sq("e4")], pcWPawn);
  Release(SquarePoint(1, "e7"));
  EXPECT_EQ(G().PliesA, 1);

  // 1: drag and drop; a release off the targets drops the selection; a
  // second press while selected does nothing.
  w_->MoveInputMode = 1;
  Press(SquarePoint(1, "e7"));
  Release(SquarePoint(1, "e4"));
  EXPECT_EQ(w_->SelectionA.kind, 0);
  EXPECT_EQ(G().PliesA, 1);
  Press(SquarePoint(1, "e7"));
  Press(e5);
  EXPECT_EQ(w_->SelectionA.kind, 1);
  EXPECT_EQ(G().PliesA, 1);
  Release(e5);
  EXPECT_EQ(G().Position.boardA[Sq("e5")], pcBPawn);

  // 2: drag works, and a release on the pressed square keeps the selection for a later press.
  w_->MoveInputMode = 2;
  Press(SquarePoint(1, "g1"));
  Release(SquarePoint(1, "f3"));
  EXPECT_EQ(G().Position.boardA[Sq("f3")], pcWKnight);
  Click(SquarePoint(1, "b8"));
  EXPECT_EQ(w_->SelectionA.from, Sq("b8"));
  // Another piece of the same side with moves takes the selection over.
  Click(SquarePoint(1, "g8"));
  EXPECT_EQ(w_->SelectionA.from, Sq("g8"));
  Click(SquarePoint(1, "f6"));
  EXPECT_EQ(G().Position.boardA[Sq("f6")], pcBKnight);
  EXPECT_EQ(Pane().substr(kHeader.size() + 4), " 1A.e4{180} 1a.e5{180} 2A.Ng1f3{180} 2a.Ng8f6{180}\r\n{*} *");
}

TEST_F(PlayWindowTest, PieceOfTheSideNotToMoveSelectsNothing) {
  w_->btnNewGame->click();
  Click(SquarePoint(1, "e7"));
  Click(SquarePoint(1, "e5"));
  EXPECT_EQ(w_->SelectionA.kind, 0);
  EXPECT_EQ(G().PliesA, 0);
}

TEST_F(PlayWindowTest, PromotionAsksQueenOrKnightAndCancelKeepsTheSelection) {
  w_->btnNewGame->click();
  TwoBoardPosition& p = G().Position;
  p.boardA[Sq("a7")] = pcWPawn;
  p.boardA[Sq("a8")] = pcEmpty;
  G().GenerateLegalMoves(p);

  dialogs_.messages = {Answer::Cancel, Answer::No};
  Move(1, "a7", "a8");
  ASSERT_EQ(dialogs_.Asked(Kind::Message).size(), 1u);  // the release of the answering click asks nothing
  const AskedDialog asked = dialogs_.Asked(Kind::Message).front();
  EXPECT_EQ(asked.text, "Promoting pawn to Queen yes ? Or no = kNight.");
  EXPECT_EQ(asked.buttons, (std::vector<Answer>{Answer::Yes, Answer::No, Answer::Cancel}));
  EXPECT_EQ(w_->SelectionA.kind, 1);
  EXPECT_EQ(w_->SelectionA.from, Sq("a7"));
  EXPECT_EQ(w_->SelectionA.to, Sq("a8"));
  EXPECT_EQ(p.boardA[Sq("a7")], pcWPawn);

  Click(SquarePoint(1, "a8"));
  EXPECT_EQ(dialogs_.Asked(Kind::Message).size(), 2u);
  EXPECT_EQ(G().Position.boardA[Sq("a8")], pcWKnight);
  EXPECT_EQ(Pane().substr(kHeader.size() + 4), " 1A.a8=N{180}\r\n{*} *");
  EXPECT_EQ(G().Position.holdingsA[SlotOf(pcBRook)], 0);

  // Yes gives a queen (a capture on b8 from a7 is gone; promote on B instead).
  TwoBoardPosition& q = G().Position;
  q.boardB[Sq("h7")] = pcWPawn;
  q.boardB[Sq("h8")] = pcEmpty;
  G().GenerateLegalMoves(q);
  dialogs_.messages = {Answer::Yes};
  Move(2, "h7", "h8");
  EXPECT_EQ(G().Position.boardB[Sq("h8")], pcWQueen);
}

TEST_F(PlayWindowTest, RefusedMoveLeavesPaneClocksPositionAndSelection) {
  w_->btnNewGame->click();
  CKestroGame& g = G();
  // A stale list entry the move checker refuses: e2-e5.
  g.SetLegalMove(g.LegalMoveCount, mkMoveA, Sq("e2"), Sq("e5"), 0, pcWPawn, 0);
  ++g.LegalMoveCount;
  const std::string pane = Pane();
  const TwoBoardPosition before = g.Position;
  Move(1, "e2", "e5");
  EXPECT_EQ(Pane(), pane);
  for (int seat = 0; seat < 4; ++seat) EXPECT_EQ(g.Position.clock[seat], before.clock[seat]);
  EXPECT_EQ(g.Position.boardA[Sq("e2")], pcWPawn);
  EXPECT_EQ(g.Position.boardA[Sq("e5")], pcEmpty);
  EXPECT_EQ(g.PliesA, 0);
  EXPECT_EQ(w_->SelectionA.kind, 1);
  EXPECT_EQ(w_->SelectionA.from, Sq("e2"));
  EXPECT_NE(g.ErrorLog.find("\r\nErr: "), std::string::npos);
}

TEST_F(PlayWindowTest, BeforeTheFirstGameTheMouseMovesPiecesFreely) {
  EXPECT_EQ(w_->SetupMode, 1);
  Press(SquarePoint(1, "e2"));
  Release(SquarePoint(1, "e6"));
  EXPECT_EQ(G().Position.boardA[Sq("e6")], pcWPawn);
  EXPECT_EQ(G().Position.boardA[Sq("e2")], pcEmpty);
  EXPECT_EQ(Pane(), "");
}

TEST_F(PlayWindowTest, NetworkMoveIsSentNotPlayedAndNeedsTheSeatsRole) {
  w_->btnNewGame->click();
  w_->NetworkMode = 2;
  w_->OwnRoles = 8;  // WhiteB's bit is missing
  w_->OwnHandle = "h123";
  Move(2, "e2", "e4");
  EXPECT_EQ(w_->SelectionB.kind, 0);
  EXPECT_TRUE(log_.frames.empty());

  nettest::ScopedTickClock ticks;
  w_->TurnStartTick[seatWhiteA] = TfrmKestrovane::TickCount10ms() - 5500;
  Move(1, "e2", "e4");
  ASSERT_EQ(log_.frames.size(), 1u);
  EXPECT_EQ(log_.frames[0],
            "server:\xA4"
            "cmd\xA4      h123\xA4PlayMove            \xA4"
            "1A.e4{174}{C:[T:5500][L:0]}\xA4"
            "endcmd\xA4");
  EXPECT_EQ(w_->LastThinkTime, 5500);
  EXPECT_EQ(G().Position.boardA[Sq("e2")], pcWPawn);  // the server's echo plays it
  EXPECT_EQ(Pane(), "\r\n\r\n" + kHeader + "\r\n{*} *");

  w_->ActsAsServer = 1;
  w_->NetworkMode = 1;
  Move(1, "d2", "d4");
  ASSERT_EQ(log_.frames.size(), 2u);
  EXPECT_EQ(log_.frames[1].substr(0, 4), "own:");
}

TEST_F(PlayWindowTest, PrivateMessagesAreQueuedCalls) {
  w_->PostComputerTurn();
  w_->PostRefreshClients();
  EXPECT_TRUE(log_.calls.empty());
  QCoreApplication::sendPostedEvents(w_.get(), QEvent::MetaCall);
  EXPECT_EQ(log_.calls, (std::vector<std::string>{"turn", "refresh"}));
  w_->SendRefreshClients();
  EXPECT_EQ(log_.calls.back(), "refresh");
}

TEST_F(PlayWindowTest, ClosingTearsDownInOrderAndDropsQueuedTurns) {
  w_->mnuiDisconnect->setEnabled(true);  // connected
  w_->chbShowPresumptiveTimes->setChecked(true);
  w_->chbShowPresumptiveTimesClick();
  EXPECT_TRUE(w_->TimerNetGame1->isActive());
  EXPECT_EQ(w_->TimerNetGame1->interval(), 1000);
  TfrmKestrovane::SetTimerInterval(w_->timerXBoardEngine, 300);
  w_->PostComputerTurn();

  w_->close();
  EXPECT_EQ(w_->EnginesStopped, 1);
  EXPECT_EQ(w_->Game(), nullptr);
  EXPECT_FALSE(w_->TimerNetGame1->isActive());
  EXPECT_FALSE(w_->timerXBoardEngine->isActive());
  QCoreApplication::sendPostedEvents(w_.get(), QEvent::MetaCall);
  EXPECT_EQ(log_.calls, (std::vector<std::string>{"disconnect game=1", "agents game=0", "computer"}));
}

TEST_F(PlayWindowTest, ClosingWhileNotConnectedDisconnectsNothing) {
  w_->close();
  EXPECT_EQ(log_.calls, (std::vector<std::string>{"agents game=0", "computer"}));
}

TEST_F(PlayWindowTest, LocalLayoutPlacesThePanesBesideThePictureSizedToIt) {
  const KestrovaneVisualProperties& v = V();
  EXPECT_EQ(w_->imgBoard->y(), w_->btnNewGame->y() + w_->btnNewGame->height());
  EXPECT_EQ(w_->imgBoard->size(), QSize(v.OriginX + v.PictureWidth, v.OriginY + v.PictureHeight));
  EXPECT_EQ(w_->reBPGNGames->x(), w_->imgBoard->x() + v.PictureWidth);
  EXPECT_EQ(w_->reBPGNGames->height(), v.PictureHeight);
  EXPECT_EQ(w_->txtAllMoves->x(), w_->reBPGNGames->x() + w_->reBPGNGames->width());
  EXPECT_EQ(w_->btnSaveXPGN->y(), w_->reBPGNGames->y() - w_->btnSaveXPGN->height());
  EXPECT_EQ(w_->chbTestAutoMove->x(), w_->txtAllMoves->x());
  EXPECT_FALSE(w_->reNetGameLog->isVisibleTo(w_.get()));
  EXPECT_FALSE(w_->btnQuicky[0]->isVisibleTo(w_.get()));
  EXPECT_TRUE(w_->btnNewGame->isVisibleTo(w_.get()));
  EXPECT_TRUE(w_->mnuiMoveInputCDCDorCU->isChecked());
  EXPECT_EQ(w_->MoveInputMode, 2);

  // A large square size gives a picture wider than 2048 pixels: the image follows it.
  w_->Visual().SquareSize = 120;
  w_->FullRedraw();
  EXPECT_GT(v.PictureWidth, 2048);
  EXPECT_EQ(w_->imgBoard->width(), v.OriginX + v.PictureWidth);
  EXPECT_EQ(w_->reBPGNGames->x(), w_->imgBoard->x() + v.PictureWidth);
}

TEST_F(PlayWindowTest, NetworkLayoutOnServerAndOnClient) {
  w_->NetworkMode = 1;
  w_->ActsAsServer = 1;
  w_->LayoutControls(true);
  EXPECT_FALSE(w_->btnNewGame->isVisibleTo(w_.get()));
  EXPECT_EQ(w_->chbFlipSides->x(), 1);
  EXPECT_EQ(w_->imgBoard->y(), w_->chbEnergyBoard->y() + w_->chbEnergyBoard->height());
  EXPECT_FALSE(w_->btnQuicky[0]->isVisibleTo(w_.get()));
  EXPECT_EQ(w_->reNetGameLog->y(), w_->edNetGameMessage->y() + w_->edNetGameMessage->height());
  EXPECT_TRUE(w_->chbShowPresumptiveTimes->isVisibleTo(w_.get()));

  w_->NetworkMode = 2;
  w_->ActsAsServer = 0;
  w_->LayoutControls(true);
  EXPECT_TRUE(w_->btnQuicky[37]->isVisibleTo(w_.get()));
  EXPECT_TRUE(w_->btnGame[8]->isVisibleTo(w_.get()));
  EXPECT_EQ(w_->reNetGameLog->y(), w_->edPartnerTells->y() + w_->edPartnerTells->height());
  // With the login button hidden the last six quick buttons start at its place.
  EXPECT_EQ(w_->btnQuicky[32]->pos(), w_->btnLogin->pos());
  EXPECT_EQ(w_->btnQuicky[33]->x(), w_->btnQuicky[32]->x() + w_->btnQuicky[32]->width());
  w_->btnLogin->show();
  w_->LayoutControls(true);
  EXPECT_EQ(w_->btnQuicky[32]->y(), w_->btnQuicky[0]->y());

  w_->NetworkMode = 0;
  w_->LayoutControls(false);
  EXPECT_FALSE(w_->btnQuicky[0]->isVisibleTo(w_.get()));
  EXPECT_FALSE(w_->chbShowPresumptiveTimes->isVisibleTo(w_.get()));
}

TEST_F(PlayWindowTest, ControlsAndMenusCarryTheirNamesAndFormState) {
  for (const char* name : {"chbEnergyBoard",
                           "chbFlipSides",
                           "chbShowCoordinates",
                           "chbShowPresumptiveTimes",
                           "btnShowPresumtiveTimes",
                           "btnShowLagCompensator",
                           "chbTestAutoMove",
                           "btnNewGame",
                           "btnSetupPosition",
                           "btnSetup0",
                           "btnClearBoard",
                           "btnOnMove",
                           "btnBFEN",
                           "btnAnalyzePositionA",
                           "cbo_ChessVariant",
                           "btnEngineForAnalysis",
                           "reBPGNGames",
                           "txtAllMoves",
                           "btnSaveXPGN",
                           "pcXBEngines",
                           "reNetGameLog",
                           "edNetGameMessage",
                           "edName",
                           "btnLogin",
                           "edClientHandle",
                           "edPartnerTells",
                           "udPartnerTellsSLN",
                           "btnreNetGameLogClear",
                           "btnReNetGameLogSizeChangeWidthMinus",
                           "btnGame9",
                           "btnQuicky38",
                           "imgBoard"})
    EXPECT_NE(w_->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  for (const char* name : {"mnuiDisconnect", "mnuiBughouseLagcompensator", "mnuiStartChessIngolsGameClasicsB1m3s",
                           "mnuiBugEngineRolesBlackB", "mnuiXBoardChessEngine", "mnuiDebugShowOn", "mnuiSoundMoveNone"})
    EXPECT_NE(w_->findChild<QAction*>(QString::fromLatin1(name)), nullptr) << name;
  EXPECT_EQ(w_->StartGameItems.size(), 27u);
  int enabled = 0;
  for (QAction* a : w_->StartGameItems) enabled += a->isEnabled();
  EXPECT_EQ(enabled, 6);
  EXPECT_FALSE(w_->btnBFEN->isEnabled());
  EXPECT_TRUE(w_->chbShowCoordinates->isChecked());
  EXPECT_EQ(w_->edName->text(), "Guest");
  EXPECT_FALSE(w_->TimerNetGame1->isActive());
  EXPECT_FALSE(w_->timerXBoardEngine->isActive());
}

TEST_F(PlayWindowTest, BoardCheckBoxesSetTheGamesFlags) {
  w_->chbFlipSides->click();
  EXPECT_EQ(V().FlipSides, 1);
  w_->chbEnergyBoard->click();
  EXPECT_EQ(V().TolvoEnergyBoard, 1);
  w_->chbShowCoordinates->click();
  EXPECT_EQ(V().ShowCoordinates, 0);
  EXPECT_FALSE(w_->mnuiShowCoordinates->isChecked());

  // Flipped, board B is on the left: a move there still reaches board B.
  w_->btnNewGame->click();
  const int c = Cell();
  Click({V().LeftBoardLeft + 4 * c + c / 2, V().LeftBoardTop + 6 * c + c / 2});  // e2 of B
  Click({V().LeftBoardLeft + 4 * c + c / 2, V().LeftBoardTop + 4 * c + c / 2});  // e4 of B
  EXPECT_EQ(G().Position.boardB[Sq("e4")], pcWPawn);
  EXPECT_EQ(G().Position.boardA[Sq("e4")], pcEmpty);
}

TEST_F(PlayWindowTest, EnergyCheckBoxAndBoardMenuItemStayInStep) {
  const QImage plain = w_->imgBoard->Canvas().copy();
  w_->chbEnergyBoard->click();
  EXPECT_TRUE(w_->mnuiEnergyBoard->isChecked());
  EXPECT_EQ(V().TolvoEnergyBoard, 1);
  const QImage energy = w_->imgBoard->Canvas().copy();
  EXPECT_NE(energy, plain);

  w_->mnuiEnergyBoard->trigger();  // off from the menu
  EXPECT_FALSE(w_->chbEnergyBoard->isChecked());
  EXPECT_EQ(V().TolvoEnergyBoard, 0);
  EXPECT_EQ(w_->imgBoard->Canvas(), plain);
  w_->mnuiEnergyBoard->trigger();  // and on again
  EXPECT_TRUE(w_->chbEnergyBoard->isChecked());
  EXPECT_EQ(w_->imgBoard->Canvas(), energy);
  w_->chbEnergyBoard->click();
  EXPECT_FALSE(w_->mnuiEnergyBoard->isChecked());
  EXPECT_EQ(w_->imgBoard->Canvas(), plain);
}

TEST_F(PlayWindowTest, SaveBpgnNowWritesThePaneWithCrLf) {
  w_->btnNewGame->click();
  Move(1, "e2", "e4");
  const QString file = QString::fromStdString(program_ + "/saved.BPGN");
  dialogs_.files = {file};
  w_->btnSaveXPGN->click();
  QFile in(file);
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  EXPECT_EQ(in.readAll().toStdString(), Pane() + "\r\n");
  EXPECT_TRUE(dialogs_.Asked(Kind::SaveFile).front().value.startsWith("KVXN"));
}

TEST(GameRecordPaneTest, MoveGoesBeforeTheClosingAndATextWithoutOneLosesNothing) {
  QPlainTextEdit view;
  GameRecordPane pane(&view);
  pane.SetText("[Result \"*\"]\r\n\r\n{*} *");
  pane.InsertMove("1A.e4{180}");
  EXPECT_EQ(pane.Text(), "[Result \"*\"]\r\n 1A.e4{180}\r\n{*} *");
  EXPECT_EQ(view.toPlainText(), "[Result \"*\"]\n 1A.e4{180}\n{*} *");
  pane.SetText("abc");
  pane.InsertMove("1A.e4{180}");
  EXPECT_EQ(pane.Text(), "abc 1A.e4{180}\r\n{*} *");
}

}  // namespace

namespace {

// Middle of a holdings or castling cell by the hit test's column and row
// (columns 9-10 right of board A, 19-20 right of board B; row 8 at the top).
QPoint SideCell(const KestrovaneVisualProperties& v, int col, int row) {
  const int c = v.SquareSize + v.DPGraphicBoardLinesNet;
  const int left = col < 11 ? v.LeftBoardLeft + (col - 1) * c : v.RightBoardLeft + (col - 11) * c;
  const int top = col < 11 ? v.LeftBoardTop : v.RightBoardTop;
  return {left + c / 2, top + (8 - row) * c + c / 2};
}

bool SameSetup(const TwoBoardPosition& a, const TwoBoardPosition& b) {
  return std::equal(a.boardA, a.boardA + kSquares, b.boardA) && std::equal(a.boardB, a.boardB + kSquares, b.boardB) &&
         std::equal(a.holdingsA, a.holdingsA + kSlots, b.holdingsA) &&
         std::equal(a.holdingsB, a.holdingsB + kSlots, b.holdingsB) &&
         std::equal(a.castlingA, a.castlingA + 4, b.castlingA) && std::equal(a.castlingB, a.castlingB + 4, b.castlingB) &&
         a.sideToMoveA == b.sideToMoveA && a.sideToMoveB == b.sideToMoveB;
}

}  // namespace

// The editor's whole road: a position edited with the mouse and the buttons,
// saved, played on with the mouse, and the record read back and replayed.
TEST_F(PlayWindowTest, EditedPositionIsPlayedOnAndItsRecordReplays) {
  w_->btnNewGame->click();
  // Moves before the set-up do not count in its record: it starts at move 1.
  Move(1, "e2", "e4");
  Move(1, "e7", "e5");
  QWidget* editor[] = {w_->btnSetup0,           w_->btnClearBoard,    w_->btnOnMove,           w_->btnBFEN,
                       w_->btnAnalyzePositionA, w_->cbo_ChessVariant, w_->btnEngineForAnalysis};
  for (QWidget* c : editor) EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
  w_->btnSetupPosition->click();
  EXPECT_EQ(w_->SetupMode, 1);
  for (QWidget* c : editor) EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
  EXPECT_TRUE(w_->cbo_ChessVariant->isVisibleTo(w_.get()));
  EXPECT_EQ(w_->pcXBEngines->x(), w_->imgBoard->x() + V().OriginX + V().PictureWidth);
  EXPECT_TRUE(w_->pcXBEngines->isVisibleTo(w_.get()));
  EXPECT_EQ(w_->reBPGNGames->x(), w_->pcXBEngines->x() + w_->pcXBEngines->width());
  EXPECT_EQ(w_->txtAllMoves->x(), w_->reBPGNGames->x() + w_->reBPGNGames->width());
  EXPECT_EQ(w_->btnSaveXPGN->y() + w_->btnSaveXPGN->height(), w_->reBPGNGames->y());

  // The variant box decides the kind; a typed "coin" puts a coin on each board.
  w_->cbo_ChessVariant->setCurrentText(QStringLiteral("coin"));
  w_->btnClearBoard->click();
  EXPECT_EQ(G().GameKind, gkCoin);
  EXPECT_EQ(G().Position.coinSquare[0], sq::e4);
  EXPECT_EQ(G().Position.coinSquare[1], sq::e4);
  EXPECT_EQ(G().Position.holdingsB[SlotOf(pcBQueen)], 1);
  w_->cbo_ChessVariant->setCurrentText(QStringLiteral("standard"));
  w_->btnSetup0->click();
  EXPECT_EQ(G().GameKind, gkOther);
  w_->cbo_ChessVariant->setCurrentText(QStringLiteral("bughouse"));
  w_->btnSetup0->click();
  EXPECT_EQ(G().GameKind, gkBughouse);
  EXPECT_EQ(G().Position.holdingsB[SlotOf(pcBQueen)], 0);

  auto drag = [&](QPoint from, QPoint to) {
    Press(from);
    Release(to);
  };
  drag(SquarePoint(1, "d2"), SideCell(V(), 9, 3));   // into A's hand
  drag(SquarePoint(1, "c2"), SideCell(V(), 9, 3));
  drag(SideCell(V(), 9, 3), SideCell(V(), 19, 8));       // from A's hand to B's
  drag(SideCell(V(), 9, 3), SquarePoint(1, "d3"));   // from the hand onto the board
  drag(SquarePoint(1, "b8"), SideCell(V(), 9, 7));   // black knight into A's hand
  drag(SquarePoint(2, "g1"), SquarePoint(2, "f3"));
  drag(SquarePoint(2, "e2"), SquarePoint(2, "d1"));  // refused: d1 is taken
  drag(SideCell(V(), 10, 4), SideCell(V(), 10, 4));      // A's white O-O mark off
  w_->btnOnMove->click();
  const TwoBoardPosition& p = G().Position;
  EXPECT_EQ(p.sideToMoveA, 1);
  EXPECT_EQ(p.sideToMoveB, 0);
  for (int i = 0; i < 4; ++i) w_->btnOnMove->click();
  EXPECT_EQ(p.sideToMoveA, 1) << "four steps come round";
  EXPECT_EQ(p.sideToMoveB, 0);
  EXPECT_EQ(p.holdingsA[SlotOf(pcWPawn)], 0);
  EXPECT_EQ(p.holdingsB[SlotOf(pcWPawn)], 1);
  EXPECT_EQ(p.holdingsA[SlotOf(pcBKnight)], 1);
  EXPECT_EQ(p.boardA[Sq("d3")], pcWPawn);
  EXPECT_EQ(p.boardB[Sq("f3")], pcWKnight);
  EXPECT_EQ(p.boardB[Sq("e2")], pcWPawn);
  EXPECT_EQ(p.castlingA[0], 0);
  EXPECT_EQ(p.castlingA[1], 1);

  const std::string record = G().BpgnSetupText(G().Position);
  const TwoBoardPosition saved = G().Position;
  w_->btnBFEN->click();
  EXPECT_EQ(w_->SetupMode, 0);
  EXPECT_EQ(Pane(), record);
  EXPECT_NE(record.find("[Setup \"1\"]\r\n[FEN \"" + CKestroGame::PositionToBfen(saved) + "\"]"), std::string::npos);
  for (QWidget* c : editor) EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
  EXPECT_FALSE(w_->txtAllMoves->toPlainText().isEmpty());

  // Black opens board A with the held knight, White drops the pawn B holds.
  Click(SideCell(V(), 9, 7));
  Click(SquarePoint(1, "c6"));
  Click(SideCell(V(), 19, 8));
  Click(SquarePoint(2, "e3"));
  Move(1, "d3", "d4");
  Move(2, "e7", "e5");
  EXPECT_EQ(Pane(), record.substr(0, record.size() - 7) +
                        " 1a.N@c6{180} 1B.P@e3{180} 1A.d4{180} 1b.e5{180}\r\n{*} *");

  // The record as the viewer reads it: the same start, every move replayed.
  CKestroGame viewed(Pane(), 1);
  EXPECT_EQ(viewed.LoadFailed, 0) << viewed.ErrorLog;
  EXPECT_EQ(viewed.ErrorLog, "0,");
  EXPECT_EQ(viewed.MoveCount, 4);
  TwoBoardPosition shown;
  viewed.GetPositionAtMove(shown, 0);
  EXPECT_TRUE(SameSetup(shown, saved));
  for (int step = 1; step <= 4; ++step) {
    viewed.StepToNextMoveOnBoard(shown, step % 2 ? 1 : 2);
    EXPECT_EQ(viewed.ReplayIndex, step);
  }
  EXPECT_TRUE(SameSetup(shown, G().Position));
  EXPECT_EQ(CKestroGame::PositionToBfen(shown), CKestroGame::PositionToBfen(G().Position));
}
