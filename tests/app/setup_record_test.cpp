// A position set up in the play window and saved before any move is played
// reads back at that position in the viewer, its report and the repair tool.
#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <gtest/gtest.h>

#include "game/bpgn_file.h"
#include "platform/file_io.h"
#include "tests/play/net_fixture.h"
#include "tools/core/report_text.h"
#include "tools/repair_window.h"
#include "tools/viewer_window.h"

namespace {

class SetupRecordTest : public nettest::NetWindowsTest {
 protected:
  void Drag(int fromArea, int fromIndex, int toArea, int toIndex) {
    QTest::mousePress(Server().imgBoard, Qt::LeftButton, {}, CellPoint(Server(), fromArea, fromIndex));
    QTest::mouseRelease(Server().imgBoard, Qt::LeftButton, {}, CellPoint(Server(), toArea, toIndex));
  }
  static int Sq(const char* name) { return CKestroGame::SquareFromName(name[0], name[1]); }
};

TEST_F(SetupRecordTest, SetUpSavedBeforeAnyMoveOpensAtItsPositionInTheViewerReportAndRepairTool) {
  TfrmKestrovane& w = Server();
  w.btnNewGame->click();
  nettest::NetWindowsTest::ClickSquare(w, 1, Sq("e2"));
  nettest::NetWindowsTest::ClickSquare(w, 1, Sq("e4"));  // board A: Black to move, en passant on e3

  w.btnSetupPosition->click();
  Drag(1, Sq("b8"), 4, SlotOf(pcBKnight));  // into board A's hand
  Drag(2, Sq("g1"), 2, Sq("f3"));
  Drag(2, Sq("d2"), 5, 0);           // a white pawn into board B's hand
  Drag(8, 13, 8, 13);                // board B: Black may not castle long
  w.btnOnMove->click();              // Black to move on both boards
  w.btnBFEN->click();
  const TwoBoardPosition saved = w.Game()->Position;
  const std::string bfen = CKestroGame::PositionToBfen(saved);
  ASSERT_EQ(bfen,
            "r1bqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR/n b KQkq e3 180 180 | "
            "rnbqkbnr/pppppppp/8/8/8/5N2/PPP1PPPP/RNBQKB1R/P b KQk - 180 180");

  const QString file = QString::fromStdString(program_ + "/setup.BPGN");
  dialogs_.files = {file};
  w.btnSaveXPGN->click();
  std::string record;
  ASSERT_TRUE(file_io::ReadFile(file.toStdString(), record));
  ASSERT_NE(record.find("[Setup \"1\"]\r\n[FEN \"" + bfen + "\"]"), std::string::npos) << record;

  TfrmKestroView view(nullptr, file);
  EXPECT_EQ(view.Game()->LoadFailed, 0) << view.Game()->ErrorLog;
  EXPECT_EQ(view.Game()->MoveCount, 0);
  EXPECT_EQ(CKestroGame::PositionToBfen(view.ShownPosition()), bfen);
  EXPECT_EQ(view.Bpgn()->Log().find("Not founded"), std::string::npos) << view.Bpgn()->Log();
  EXPECT_TRUE(view.txtAboutGame->toPlainText().startsWith("1.WhiteA"));
  view.mnuiShowGameInPrintFormat->trigger();
  const std::string diagram = PositionToDiagramText(*view.Game(), saved);
  EXPECT_NE(diagram.find("!\"\"\"\"\"\"\"\"#!\"\"\"\"\"\"\"\"#"), std::string::npos) << "both boards";
  EXPECT_TRUE(view.reRTFGame->toPlainText().contains(QString::fromStdString(diagram)))
      << view.reRTFGame->toPlainText().toStdString();

  // The repair tool keeps it (once, with the duplicate filter) at the same position.
  TfrmBPGNRepairer repairer;
  repairer.chbRemoveDuplicity->setChecked(true);
  ASSERT_TRUE(file_io::WriteFileAtomic(file.toStdString(), record + "\r\n" + record));
  dialogs_.files = {file};
  ASSERT_TRUE(repairer.LoadBpgn1());
  dialogs_.messages = {Dialogs::Answer::No};
  repairer.bbtnProcess->click();
  const repair::RepairResult& run = repairer.LastRun();
  EXPECT_EQ(run.games, 2);
  EXPECT_EQ(run.errors, 0) << run.runLog;
  EXPECT_EQ(run.duplicates, 1);
  EXPECT_EQ(run.written, 1);
  EXPECT_NE(repairer.Bpgn2().find("[FEN \"" + bfen + "\"]"), std::string::npos) << repairer.Bpgn2();
  TwoBoardPosition shown = run.position;
  for (int32_t& clock : shown.clock) clock *= 100;  // tenths of a second there
  EXPECT_EQ(CKestroGame::PositionToBfen(shown), bfen);
}

}  // namespace
