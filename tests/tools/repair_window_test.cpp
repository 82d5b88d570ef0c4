// The repair tool window: input, run, panes and counters, saving, step mode,
// the example games and the board picture.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/canvas.h"
#include "tests/display/display_fixture.h"
#include "tests/platform/fake_dialogs.h"
#include "tools/repair_window.h"

namespace {

using Answer = Dialogs::Answer;
using Kind = AskedDialog::Kind;

const char* const kNames[14] = {"Wsquare.bmp", "Bsquare2.bmp", "WPawn.bmp",   "BPawn.bmp",  "WBishop.bmp",
                                "BBishop.bmp", "WKnight.bmp",  "BKnight.bmp", "WRook.bmp",  "BRook.bmp",
                                "WQueen.bmp",  "BQueen.bmp",   "WKing.bmp",   "BKing.bmp"};

const std::string kGood =
    "[Event \"Good\"]\r\n[WhiteA \"Ana\"]\r\n\r\n"
    "1A.e4{179} 1B.d4{179} 1a.e5{178} 1b.d5{178} 2A.Nf3{177} {Ana wins} 1-0\r\n";
// Refused (no board-B move): copied unchanged, a Windows-1252 byte included.
const std::string kRefused = "[Event \"Refused\"]\r\n[WhiteA \"Ren\xE9\"]\r\n\r\n1A.e4{179} 1a.e5{178} *\r\n";

class RepairWindowTest : public testdisplay::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    WriteTolvoSimple(24);
  }

  void WriteTolvoSimple(int size) {
    const std::string folder = SetFolder("TolvoSimple");
    QDir().mkpath(QString::fromStdString(folder));
    for (int i = 0; i < 14; ++i) testdisplay::SaveBmp(testdisplay::SlotBitmap(i, size, size, 0), folder + kNames[i]);
  }

  std::string Path(const std::string& name) const { return program_ + "/" + name; }

  std::string WriteFile(const std::string& name, const std::string& bytes) {
    QFile file(QString::fromStdString(Path(name)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return Path(name);
  }

  std::string ReadFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
  }

  // Loads the file at `path` through the open dialog.
  void Load(TfrmBPGNRepairer& w, const std::string& path) {
    dialogs_.files.push_back(QString::fromStdString(path));
    ASSERT_TRUE(w.LoadBpgn1());
  }

  // Runs with "No" to the first question (go on) and then `answers`.
  void Run(TfrmBPGNRepairer& w, std::deque<Answer> answers = {}) {
    dialogs_.messages = {Answer::No};
    for (Answer a : answers) dialogs_.messages.push_back(a);
    w.bbtnProcess->click();
  }

  std::vector<QString> StepQuestions() const {
    std::vector<QString> out;
    for (const AskedDialog& a : dialogs_.Asked(Kind::Message))
      if (a.text.startsWith("Next move :\n")) out.push_back(a.text);
    return out;
  }

  FakeDialogs dialogs_;
  ScopedDialogs scoped_{dialogs_};
};

TEST_F(RepairWindowTest, LoadingKeepsTheBytesAndShowsUpTo65000OfThem) {
  TfrmBPGNRepairer w;
  EXPECT_EQ(w.windowTitle(), "BPGN Repairer");
  EXPECT_TRUE(w.bbtnBPGNSave->isEnabled());
  EXPECT_TRUE(w.bbtnBPGN3Save->isEnabled());

  const std::string bytes = kGood + "\r\n" + kRefused;
  Load(w, WriteFile("in.bpgn", bytes));
  EXPECT_EQ(w.Bpgn1(), bytes);
  EXPECT_EQ(w.windowTitle(), QString("BPGN Repairer: (%1B) %2").arg(bytes.size()).arg(QString::fromStdString(Path("in.bpgn"))));
  EXPECT_TRUE(w.reBpgnIn->toPlainText().contains(QString::fromUtf8("Ren\u00E9")));
  const AskedDialog open = dialogs_.Asked(Kind::OpenFile).back();
  EXPECT_EQ(open.value, "*.BPGN");
  EXPECT_EQ(open.folder, QString::fromStdString(program_ + "/Bpgn/"));

  // Bare line feeds become CR LF, as lines joined.
  Load(w, WriteFile("lf.bpgn", "[Event \"x\"]\n1A.e4{1}\n"));
  EXPECT_EQ(w.Bpgn1(), "[Event \"x\"]\r\n1A.e4{1}\r\n");

  const std::string exact(65000, 'x');
  Load(w, WriteFile("exact.bpgn", exact));
  EXPECT_EQ(w.reBpgnIn->toPlainText().size(), 65000);
  Load(w, WriteFile("more.bpgn", exact + "y"));
  EXPECT_EQ(w.Bpgn1().size(), 65001u);
  EXPECT_EQ(w.reBpgnIn->toPlainText(),
            "Loaded BPGN > 65 000 Bytes, is stored in Bpgn1 string, use Repair button to process it.");

  // A cancelled dialog and an unreadable file leave everything as it was.
  EXPECT_FALSE(w.LoadBpgn1());
  dialogs_.files.push_back(QString::fromStdString(Path("missing.bpgn")));
  EXPECT_FALSE(w.LoadBpgn1());
  EXPECT_EQ(dialogs_.Asked(Kind::Error).size(), 1u);
  EXPECT_EQ(w.Bpgn1().size(), 65001u);
}

TEST_F(RepairWindowTest, PaneTextCountsOnlyAfterTheLButton) {
  TfrmBPGNRepairer w;
  w.btnExampleClick();
  const std::string example = w.Bpgn1();
  w.reBpgnIn->setPlainText(QString::fromStdString(kGood) + QString::fromUtf8("\u00A0caf\u00E9"));
  EXPECT_EQ(w.Bpgn1(), example);
  w.btnBpgnLoadFrom1->click();
  const std::string expected = kGood + "\xA0" "caf\xE9";
  EXPECT_EQ(w.Bpgn1(), expected);
  EXPECT_EQ(w.windowTitle(), QString("BPGN Repairer: (%1B) BpgnIn rich text control.").arg(expected.size()));
}

TEST_F(RepairWindowTest, AUtf8FileReadsAsUtf8AndKeepsItsBytesThroughThePaneAndTheSkipText) {
  TfrmBPGNRepairer w;
  // The arrow is a character Windows-1252 lacks.
  const std::string utf8 = kGood +
                           "[Event \"Named\"]\r\n[WhiteA \"J\xC3\xBCrgen \xE2\x86\x92\"]\r\n\r\n"
                           "1A.e4{179} 1B.d4{179} 1a.e5{178} 1b.d5{178} 2A.Nf3{177} {Sch\xC3\xB6n} 1-0\r\n";
  Load(w, WriteFile("utf8.bpgn", utf8));
  EXPECT_TRUE(w.reBpgnIn->toPlainText().contains(QStringLiteral("J\u00FCrgen \u2192")));
  w.btnBpgnLoadFrom1->click();
  EXPECT_EQ(w.Bpgn1(), utf8);
  w.reBpgnIn->moveCursor(QTextCursor::End);
  w.reBpgnIn->insertPlainText(QStringLiteral("\u00F6"));
  w.btnBpgnLoadFrom1->click();
  EXPECT_EQ(w.Bpgn1(), utf8 + "\xC3\xB6");

  w.chbRAGIS->setChecked(true);
  w.edRAGIS->setText(QStringLiteral("Sch\u00F6n"));
  Run(w);
  EXPECT_EQ(w.LastRun().written, 1);
  EXPECT_TRUE(w.LastRun().log.find("Skipping (User RAGIS).") != std::string::npos);
}

TEST_F(RepairWindowTest, ExampleGamesAreRepairedTheSecondByMovingItsAirDrops) {
  TfrmBPGNRepairer w;
  w.btnExample->click();
  EXPECT_EQ(w.Bpgn1(), TfrmBPGNRepairer::kExample1);
  EXPECT_EQ(w.windowTitle(), QString("BPGN Repairer: (%1B) Example").arg(w.Bpgn1().size()));
  EXPECT_NE(w.Bpgn1().find("{Marek Ondrus resigns} 0-1"), std::string::npos);
  Run(w);
  const AskedDialog info = dialogs_.Asked(Kind::Message).front();
  EXPECT_EQ(info.title, "INFo");
  EXPECT_EQ(info.buttons, (std::vector<Answer>{Answer::Yes, Answer::No}));
  EXPECT_EQ(w.LastRun().end, repair::RepairEnd::Completed);
  EXPECT_EQ(w.LastRun().games, 1);
  EXPECT_EQ(w.LastRun().written, 1);
  EXPECT_EQ(w.LastRun().errors, 0);
  EXPECT_EQ(w.txtTmp->toPlainText(), "AirDrops:\n0,");
  EXPECT_TRUE(w.bbtnBPGNSave->isEnabled());
  EXPECT_FALSE(w.bbtnBPGN3Save->isEnabled());
  EXPECT_EQ(w.pbProcessing->value(), 100);

  w.btnExample2->click();
  EXPECT_EQ(w.windowTitle(), QString("BPGN Repairer: (%1B) Example 2").arg(w.Bpgn1().size()));
  EXPECT_NE(w.Bpgn1().find("{*} *"), std::string::npos);
  Run(w);
  EXPECT_EQ(w.LastRun().repaired, 1);
  EXPECT_EQ(w.LastRun().errors, 0);
  EXPECT_EQ(w.txtTmp->toPlainText(), "AirDrops:\n2,");
  // Each drop now follows the capture on board A that supplies it.
  const std::string& out = w.Bpgn2();
  EXPECT_LT(out.find("2a.dxe4"), out.find("2B.P@e5"));
  EXPECT_LT(out.find("3A.Nxe4"), out.find("2b.P@c4"));
  EXPECT_EQ(w.reBpgnOut->toPlainText(), QString::fromStdString(out).replace("\r\n", "\n"));
  EXPECT_TRUE(w.reDoublePosition->toPlainText().startsWith(" ----------------------\n"));

  // Yes to the first question ends the run before anything is emptied.
  const std::string before = w.Bpgn2();
  dialogs_.messages = {Answer::Yes};
  w.bbtnProcess->click();
  EXPECT_EQ(w.LastRun().end, repair::RepairEnd::Declined);
  EXPECT_EQ(w.Bpgn2(), before);
  EXPECT_TRUE(w.bbtnBPGNSave->isEnabled());
}

TEST_F(RepairWindowTest, RunSortsTheGamesAndSavesBothOutputsByteForByte) {
  TfrmBPGNRepairer w;
  const std::string input = "notes before the games\r\n" + kGood + "\r\n" + kRefused + kGood;
  Load(w, WriteFile("mixed.bpgn", input));
  Run(w);
  const repair::RepairResult& r = w.LastRun();
  EXPECT_EQ(r.games, 3);
  EXPECT_EQ(r.repaired, 2);
  EXPECT_EQ(r.duplicates, 1);
  EXPECT_EQ(r.written, 1);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(w.Bpgn3(), kRefused);
  EXPECT_TRUE(w.txtLog->toPlainText().startsWith(
      QString("Successfully processed BPGN1, length %1 Bytes, games 3, repaired 2, Errors founded in 1 -> BPGN3, "
              "duplicity founded 1, Out -> BPGN2 games 1.")
          .arg(input.size())));
  EXPECT_TRUE(w.bbtnBPGNSave->isEnabled());
  EXPECT_TRUE(w.bbtnBPGN3Save->isEnabled());

  dialogs_.files = {QString::fromStdString(Path("good.bpgn")), QString::fromStdString(Path("bad"))};
  EXPECT_TRUE(w.SaveBpgn2());
  EXPECT_TRUE(w.SaveBpgn3());
  EXPECT_EQ(ReadFile(Path("good.bpgn")), w.Bpgn2());
  EXPECT_EQ(ReadFile(Path("bad.BPGN")), kRefused);  // the default extension is added
  EXPECT_EQ(dialogs_.Asked(Kind::Message).size(), 1u);  // only the first question: no warning
}

TEST_F(RepairWindowTest, SavingOverTheInputOrTheOtherOutputAsksFirst) {
  TfrmBPGNRepairer w;
  const std::string input = kGood + kRefused;
  const std::string in = WriteFile("in.bpgn", input);
  Load(w, in);
  Run(w);
  const size_t asked = dialogs_.Asked(Kind::Message).size();

  // Onto the input: No keeps it.
  dialogs_.files = {QString::fromStdString(in)};
  dialogs_.messages = {Answer::No};
  EXPECT_FALSE(w.SaveBpgn2());
  ASSERT_EQ(dialogs_.Asked(Kind::Message).size(), asked + 1);
  const AskedDialog warning = dialogs_.Asked(Kind::Message).back();
  EXPECT_EQ(warning.title, "Overwrite ?");
  EXPECT_TRUE(warning.text.contains("input file"));
  EXPECT_EQ(warning.defaultButton, Answer::No);
  EXPECT_EQ(ReadFile(in), input);

  // One output onto the other.
  dialogs_.files = {QString::fromStdString(Path("out.bpgn")), QString::fromStdString(Path("out.bpgn"))};
  dialogs_.messages = {Answer::No};
  EXPECT_TRUE(w.SaveBpgn2());
  EXPECT_FALSE(w.SaveBpgn3());
  ASSERT_EQ(dialogs_.Asked(Kind::Message).size(), asked + 2);  // the warning, no "Select file please"
  EXPECT_TRUE(dialogs_.Asked(Kind::Message)[asked + 1].text.contains("other output"));
  EXPECT_EQ(ReadFile(Path("out.bpgn")), w.Bpgn2());

  // Yes overwrites.
  dialogs_.files = {QString::fromStdString(in)};
  dialogs_.messages = {Answer::Yes};
  EXPECT_TRUE(w.SaveBpgn3());
  EXPECT_EQ(ReadFile(in), kRefused);

  // Cancels: nothing for the repaired games, a message for the unrepaired ones.
  const size_t before = dialogs_.Asked(Kind::Message).size();
  EXPECT_FALSE(w.SaveBpgn2());
  EXPECT_EQ(dialogs_.Asked(Kind::Message).size(), before);
  EXPECT_FALSE(w.SaveBpgn3());
  EXPECT_EQ(dialogs_.Asked(Kind::Message).back().title, "Err");
  EXPECT_EQ(dialogs_.Asked(Kind::Message).back().text, "Select file please");
}

TEST_F(RepairWindowTest, StepModeAsksBeforeEachMoveAndNoLeavesSavingOff) {
  TfrmBPGNRepairer w;
  w.btnExample2->click();
  Run(w);
  ASSERT_TRUE(w.bbtnBPGNSave->isEnabled());

  w.chbStepByStep->setChecked(true);
  Run(w, {Answer::Yes, Answer::Yes, Answer::Yes, Answer::Yes, Answer::No});
  EXPECT_EQ(w.LastRun().end, repair::RepairEnd::StoppedInStep);
  const std::vector<QString> questions = StepQuestions();
  ASSERT_EQ(questions.size(), 5u);
  EXPECT_EQ(questions[0], "Next move :\n1A.e4{180}");
  EXPECT_EQ(questions[4], "Next move :\n2B.P@e5{178}");
  EXPECT_EQ(dialogs_.Asked(Kind::Message).back().buttons, (std::vector<Answer>{Answer::Yes, Answer::No}));
  // The partial outputs cannot be saved as if whole.
  EXPECT_FALSE(w.bbtnBPGNSave->isEnabled());
  EXPECT_FALSE(w.bbtnBPGN3Save->isEnabled());
  EXPECT_FALSE(w.Running());
  EXPECT_TRUE(w.bbtnProcess->isEnabled());
  // Board-B moves stand indented; the picture shows the position before the question.
  EXPECT_EQ(w.txtMove->toPlainText(), "          1b.d5{179}");
  EXPECT_TRUE(w.reDoublePosition->toPlainText().contains("1|"));

  // Yes to every move runs the game to its end.
  const size_t asked = StepQuestions().size();
  Run(w, std::deque<Answer>(20, Answer::Yes));
  EXPECT_EQ(w.LastRun().end, repair::RepairEnd::Completed);
  EXPECT_EQ(StepQuestions().size() - asked, 10u);
  EXPECT_TRUE(w.bbtnBPGNSave->isEnabled());
}

TEST_F(RepairWindowTest, OptionsAreTakenFromTheirControlsWhenTheRunStarts) {
  TfrmBPGNRepairer w;
  const std::string commented =
      "[Event \"Stamped\"]\r\n\r\n1A.e4{179}{C:[T:5300][L:120]} 1B.d4{179} 1a.e5{178} 1b.d5{178} *\r\n";
  Load(w, WriteFile("options.bpgn", kGood + kRefused + commented + kGood));
  Run(w);
  EXPECT_EQ(w.LastRun().errors, 2);
  EXPECT_EQ(w.LastRun().duplicates, 1);

  w.chRemoveComments->setChecked(true);
  w.chbRemoveDuplicity->setChecked(false);
  w.chbRAGIS->setChecked(true);
  w.edRAGIS->setText(QString::fromUtf8("Ren\u00E9"));  // matched as Windows-1252 bytes
  Run(w);
  EXPECT_EQ(w.LastRun().errors, 0);
  EXPECT_EQ(w.LastRun().duplicates, 0);
  EXPECT_EQ(w.LastRun().written, 3);
  EXPECT_TRUE(w.LastRun().log.find("Skipping (User RAGIS).") != std::string::npos);

  w.edRAGIS->clear();  // an empty text skips nothing
  Run(w);
  EXPECT_EQ(w.LastRun().errors, 1);
  EXPECT_EQ(w.LastRun().written, 3);
}

TEST_F(RepairWindowTest, LongRunRefreshesItsPanesWithoutSlowingDown) {
  TfrmBPGNRepairer w;
  std::string input;
  for (int i = 0; i < 10000; ++i) {
    input += "[Event \"G" + std::to_string(i) + "\"]\r\n\r\n";
    if (i % 2 == 0) input += "1A.e4{1} 1B.d4{2} 1a.e5{3} {C:[T:1][L:2]} 1b.d5{4} *\r\n";  // refused
    else input += "1A.e4{1} 1B.d4{2} 1a.e5{3} 1b.d" + std::to_string(i % 4 == 1 ? 5 : 6) + "{4} *\r\n";
  }
  Load(w, WriteFile("long.bpgn", input));
  // Pane texts set for every move and game made this run take most of a
  // minute (40,000 moves). Refreshed ten times a second, the move pane is set
  // a thousand times only in a run of 100 s.
  int moveTexts = 0;
  QObject::connect(w.txtMove, &QPlainTextEdit::textChanged, &w, [&moveTexts] { ++moveTexts; });
  Run(w);
  EXPECT_LT(moveTexts, 1000);
  EXPECT_EQ(w.LastRun().errors, 5000);
  EXPECT_EQ(w.LastRun().written, 2);
  // The panes show the end state.
  EXPECT_TRUE(w.txtLog->toPlainText().startsWith("Successfully processed BPGN1"));
  EXPECT_TRUE(w.txtTmp->toPlainText().endsWith("0,0,"));
  EXPECT_EQ(w.txtMove->toPlainText(), "          1b.d6{4}");
  EXPECT_TRUE(w.reDoublePosition->toPlainText().contains("5|....p...||....P...|4"));
}

// Closes the window from inside its step-mode question.
class ClosingDialogs : public FakeDialogs {
 public:
  std::function<void()> onStep;
  Answer Message(QWidget* parent, const QString& title, const QString& text, const std::vector<Answer>& buttons,
                 Answer defaultButton) override {
    const Answer answer = FakeDialogs::Message(parent, title, text, buttons, defaultButton);
    if (text.startsWith("Next move :") && onStep) onStep();
    return answer;
  }
};

TEST_F(RepairWindowTest, ClosingDuringAStepQuestionEndsTheRunThenTheWindow) {
  ClosingDialogs closing;
  ScopedDialogs scoped(closing);
  QMdiArea area;
  auto* w = new TfrmBPGNRepairer;
  QMdiSubWindow* sub = area.addSubWindow(w);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  area.show();
  sub->show();
  QPointer<TfrmBPGNRepairer> guard(w);
  w->btnExample->click();
  w->chbStepByStep->setChecked(true);
  int steps = 0;
  closing.onStep = [&] {
    if (++steps == 3) sub->close();
  };
  closing.messages = {Answer::No, Answer::Yes, Answer::Yes, Answer::Yes, Answer::Yes};
  w->bbtnProcess->click();
  EXPECT_EQ(steps, 3);  // no question after the close
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(guard.isNull());
  EXPECT_TRUE(area.subWindowList().isEmpty());
}

TEST_F(RepairWindowTest, PictureDrawsBothBoardsAsThePartnersSeeThem) {
  WriteTolvoSimple(50);
  TfrmBPGNRepairer w;
  ASSERT_EQ(w.Step(), 51);
  EXPECT_TRUE(dialogs_.Asked(Kind::Error).empty());
  repair::CompactPosition p;
  p.Reset();
  p.boardA[26 + 4 + 12 * 3] = 2;  // a white pawn on e4 of board A
  p.boardA[26 + 4 + 12 * 1] = 1;
  p.holdingsA[2] = 2;  // two white knights for board A
  p.holdingsB[5 + 3] = 1;  // a black rook for board B
  w.DrawDoublePosition(p);
  const QImage& s = w.Surface();
  const int green = 0x0C992D;
  EXPECT_EQ(canvas::PixelOf(s, 1, 362), green);
  EXPECT_EQ(canvas::PixelOf(s, 1060, 869), green);
  EXPECT_NE(canvas::PixelOf(s, 1061, 870), green);
  // The middle of cell (column, row).
  const auto middle = [&](int column, int row) {
    return canvas::PixelOf(s, 1 + 8 + column * 51 + 25, 362 + 51 + row * 51 + 25);
  };
  const auto slot = [](int code) { return canvas::FromQColor(testdisplay::SlotColor(code)); };
  const auto light = canvas::FromQColor(testdisplay::LightSquareColor());
  const auto dark = canvas::FromQColor(testdisplay::DarkSquareColor());
  EXPECT_EQ(middle(0, 7), slot(8));   // A's a1: white rook, bottom left
  EXPECT_EQ(middle(4, 0), slot(13));  // A's e8: black king, top
  EXPECT_EQ(middle(4, 4), slot(2));   // A's e4: the pawn
  EXPECT_EQ(middle(4, 6), light);     // A's e2 emptied: (1 + 4) odd
  EXPECT_EQ(middle(4, 5), dark);      // A's e3: (2 + 4) even
  EXPECT_EQ(middle(17, 0), slot(8));  // B's a1: top right, seen from Black
  EXPECT_EQ(middle(13, 7), slot(13)); // B's e8
  EXPECT_EQ(middle(13, 3), light);    // B's e4: (3 + 4) odd
  EXPECT_EQ(middle(8, 6), slot(6));   // A's white knights
  EXPECT_EQ(middle(19, 5), slot(9));  // B's black rook
  EXPECT_NE(middle(8, 0), slot(3));   // no black pawns for A

  // A missing bitmap is reported once; the window still draws.
  QFile::remove(QString::fromStdString(SetFolder("TolvoSimple") + "BKing.bmp"));
  TfrmBPGNRepairer broken;
  ASSERT_EQ(dialogs_.Asked(Kind::Error).size(), 1u);
  EXPECT_TRUE(dialogs_.Asked(Kind::Error).front().text.contains("BKing.bmp"));
  broken.DrawDoublePosition(p);
  EXPECT_EQ(canvas::PixelOf(broken.Surface(), 1, 362), green);
}

}  // namespace
