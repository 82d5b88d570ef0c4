// The game viewer: opening files, choosing games, stepping, flipping, the
// about line, the report pane, saving as RTF and printing.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "display/board_display.h"
#include "platform/file_io.h"
#include "platform/text_codec.h"
#include "platform/user_fonts.h"
#include "tests/display/display_fixture.h"
#include "tests/platform/fake_dialogs.h"
#include "tools/core/report_text.h"
#include "tools/viewer_window.h"

namespace {

using Answer = Dialogs::Answer;
using Kind = AskedDialog::Kind;

// Three games; the first opens on board A and has 14 plies.
const char* const kFile =
    "[Event \"First\"]\r\n[WhiteA \"Anna\"][BlackA \"Bert\"][WhiteB \"Cleo\"][BlackB \"Dan\"]\r\n\r\n"
    "1A.e4{180} 1a.d5{180} 1B.d4{180} 1b.e5{180} 2A.exd5{179} 2B.dxe5{178} 2a.Qxd5{177}\r\n"
    "2b.P@e4{176} 3A.Nc3{175} 3a.Qa5{174} 3B.Nc3{173} 3b.Nc6{172} 4A.Nf3{171} 4a.Nf6{170} {Over} 1-0\r\n\r\n"
    "[Event \"Second\"]\r\n\r\n1B.e4{180} 1b.e5{180}\r\n\r\n"
    "[Event \"Third\"]\r\n\r\n1A.d4{180} 1a.d5{180} 2A.c4{179}\r\n";

class ViewerTest : public testdisplay::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    file_ = program_ + "/games.bpgn";
    ASSERT_TRUE(file_io::WriteFileAtomic(file_, kFile));
  }

  std::unique_ptr<TfrmKestroView> Open(const std::string& file) {
    return std::make_unique<TfrmKestroView>(nullptr, QString::fromStdString(file));
  }
  static QAction* Item(TfrmKestroView& view, const char* name) {
    auto* item = view.findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(item, nullptr) << name;
    return item;
  }
  static int Ply(TfrmKestroView& view) { return view.Game()->ReplayIndex; }

  FakeDialogs dialogs_;
  ScopedDialogs scoped_{dialogs_};
  std::string file_;
};

TEST_F(ViewerTest, StartsEmptyAndOpensTheFirstGameOfAFile) {
  TfrmKestroView empty(nullptr, QStringLiteral("  "));
  EXPECT_EQ(empty.txtAboutGame->toPlainText(), "No game loaded now. Click \"BPGN Example\" or \"Open BPGN\".");
  EXPECT_EQ(empty.reBpgnGame->toPlainText(), "BPGN Game");
  EXPECT_EQ(empty.Game()->MoveCount, 0);
  EXPECT_EQ(empty.Bpgn(), nullptr);
  EXPECT_FALSE(empty.btnViewGame->isEnabled());
  EXPECT_FALSE(empty.btnFlipGame->isEnabled());
  EXPECT_EQ(empty.imgBoard->y(), 56);

  auto view = Open(file_);
  ASSERT_NE(view->Bpgn(), nullptr);
  EXPECT_EQ(view->windowTitle(),
            QStringLiteral("Kestro View: (%1B) %2").arg(view->Bpgn()->TextLength).arg(QString::fromStdString(file_)));
  EXPECT_EQ(view->txtAboutGame->toPlainText(), "1." + QString::fromStdString(view->Game()->Title));
  EXPECT_EQ(view->Game()->MoveCount, 14);
  EXPECT_EQ(Ply(*view), 0);
  EXPECT_EQ(view->sbGame->maximum(), 14);
  EXPECT_EQ(view->sbGame->value(), 0);
  EXPECT_TRUE(view->reBpgnGame->toPlainText().startsWith("[Event \"First\"]"));
  for (QAction* item : {view->btnViewGame, view->btnFlipGame, view->mnuiShowGameInPrintFormat,
                        view->mnuiShowAllGamesInPrintFormat})
    EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();

  // The open command asks for a file and opens it.
  TfrmKestroView other(nullptr, QString());
  dialogs_.files.push_back(QString::fromStdString(file_));
  Item(other, "mnuiKVYBPGNOpen")->trigger();
  ASSERT_EQ(dialogs_.Asked(Kind::OpenFile).size(), 1u);
  EXPECT_EQ(dialogs_.Asked(Kind::OpenFile).front().filter.count(";;"), 3);
  EXPECT_EQ(other.Game()->MoveCount, 14);
}

TEST_F(ViewerTest, NextGameRunsThroughTheFileAndWrapsToTheFirst) {
  auto view = Open(file_);
  view->btnViewGame->trigger();
  EXPECT_TRUE(view->txtAboutGame->toPlainText().startsWith("2."));
  EXPECT_EQ(view->Game()->MoveCount, 2);
  view->btnViewGame->trigger();
  EXPECT_TRUE(view->txtAboutGame->toPlainText().startsWith("3."));
  view->btnViewGame->trigger();
  EXPECT_TRUE(view->txtAboutGame->toPlainText().startsWith("1."));
  EXPECT_EQ(view->Game()->MoveCount, 14);
  EXPECT_EQ(view->sbGame->maximum(), 14);
}

TEST_F(ViewerTest, ClicksAndTheScrollBarStepThroughTheGame) {
  auto view = Open(file_);
  const KestrovaneVisualProperties& v = view->Visual();
  const int boardB = v.OriginX + 10 * v.SquareSize + 7;
  // Right click at ply 0 stays at ply 0.
  view->imgBoardMouseUp(Qt::RightButton, 10, 10);
  EXPECT_EQ(Ply(*view), 0);
  // The left half steps board A: 1A.e4.
  view->imgBoardMouseUp(Qt::LeftButton, boardB - 1, 10);
  EXPECT_EQ(Ply(*view), 1);
  EXPECT_EQ(view->sbGame->value(), 1);
  EXPECT_EQ(view->ShownPosition().boardA[CKestroGame::SquareFromName('e', '4')], pcWPawn);
  // The right half steps to board B's next move (1B.d4, the third ply).
  view->imgBoardMouseUp(Qt::LeftButton, boardB, 10);
  EXPECT_EQ(Ply(*view), 3);
  EXPECT_EQ(view->ShownPosition().boardB[CKestroGame::SquareFromName('d', '4')], pcWPawn);
  view->imgBoardMouseUp(Qt::MiddleButton, boardB, 10);
  EXPECT_EQ(Ply(*view), 2);
  EXPECT_EQ(view->sbGame->value(), 2);
  view->sbGame->setValue(7);
  EXPECT_EQ(Ply(*view), 7);
  EXPECT_EQ(view->ShownPosition().boardA[CKestroGame::SquareFromName('d', '5')], pcBQueen);
  view->sbGame->setValue(0);
  EXPECT_EQ(view->ShownPosition().boardA[CKestroGame::SquareFromName('e', '2')], pcWPawn);

  // A game without moves ignores clicks.
  TfrmKestroView empty(nullptr, QString());
  empty.imgBoardMouseUp(Qt::LeftButton, 10, 10);
  EXPECT_EQ(Ply(empty), 0);
}

TEST_F(ViewerTest, FlippingKeepsThePlyAndTwiceGivesTheGameBack) {
  auto view = Open(file_);
  const std::string original = view->Game()->SourceText;
  const QString about = view->txtAboutGame->toPlainText();
  view->sbGame->setValue(12);
  view->btnFlipGame->trigger();
  EXPECT_EQ(Ply(*view), 12);
  EXPECT_EQ(view->sbGame->value(), 12);
  EXPECT_EQ(view->Game()->MoveCount, 14);
  EXPECT_EQ(view->txtAboutGame->toPlainText(), about);
  // Board A's game now stands on board B.
  EXPECT_EQ(view->ShownPosition().boardB[CKestroGame::SquareFromName('a', '5')], pcBQueen);
  EXPECT_EQ(view->Game()->PlayerNames[2], "Anna");
  view->btnFlipGame->trigger();
  EXPECT_EQ(view->Game()->SourceText, original);
  EXPECT_EQ(view->ShownPosition().boardA[CKestroGame::SquareFromName('a', '5')], pcBQueen);
}

TEST_F(ViewerTest, ExampleGameCanBeFlippedAndReportedButHasNoNextGame) {
  TfrmKestroView view(nullptr, QString());
  Item(view, "spbtnBPGNExample")->trigger();
  const std::string example = TfrmKestroView::kExampleGame;
  EXPECT_EQ(view.windowTitle(), QStringLiteral("KVX: View Games: (%1B) Example").arg(example.size()));
  EXPECT_EQ(view.txtAboutGame->toPlainText(), "Example game");
  EXPECT_EQ(view.Game()->LoadFailed, 0) << view.Game()->ErrorLog;
  EXPECT_EQ(view.Game()->MoveCount, 22);
  EXPECT_FALSE(view.btnViewGame->isEnabled());
  EXPECT_FALSE(view.mnuiShowAllGamesInPrintFormat->isEnabled());
  EXPECT_TRUE(view.btnFlipGame->isEnabled());
  EXPECT_TRUE(view.mnuiShowGameInPrintFormat->isEnabled());
  view.btnFlipGame->trigger();
  EXPECT_EQ(view.Game()->MoveCount, 22);
  view.mnuiShowGameInPrintFormat->trigger();
  EXPECT_TRUE(view.reRTFGame->toPlainText().contains("1B.e4{179}"));
}

TEST_F(ViewerTest, AboutLineCanNotBeEdited) {
  auto view = Open(file_);
  const QString about = view->txtAboutGame->toPlainText();
  view->txtAboutGame->setPlainText(QStringLiteral("typed over"));
  EXPECT_EQ(view->txtAboutGame->toPlainText(), about);
}

TEST_F(ViewerTest, EnergyBoxSetsTheBoardMenuItem) {
  auto view = Open(file_);
  view->chbTolvoEnergyBoard->click();
  EXPECT_TRUE(view->mnuiEnergyBoard->isChecked());
  EXPECT_EQ(view->Visual().TolvoEnergyBoard, 1);
  view->chbTolvoEnergyBoard->click();
  EXPECT_FALSE(view->mnuiEnergyBoard->isChecked());
  EXPECT_EQ(view->Visual().TolvoEnergyBoard, 0);
}

// What the report of one game should hold, written by the Qt-free builder.
class TextSink : public ReportSink {
 public:
  std::string text;
  void SetFont(const std::string&, int) override {}
  void SetSize(int) override {}
  void ResetAttributes() override {}
  void AddLine(const std::string& line) override { text += (text.empty() ? "" : "\n") + line; }
};

QString Normalized(std::string text) {
  QString out = QString::fromStdString(text);
  out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return out;
}

// Blocks of the pane written in the chess font, with their sizes.
std::vector<std::pair<QString, double>> DiagramBlocks(const QTextDocument& document) {
  std::vector<std::pair<QString, double>> out;
  for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
    const QTextCharFormat f = b.begin().atEnd() ? b.charFormat() : b.begin().fragment().charFormat();
    if (f.fontFamilies().toStringList().value(0) == "Chess Bughouse") out.emplace_back(b.text(), f.fontPointSize());
  }
  return out;
}

TEST_F(ViewerTest, ReportOfTheGameHoldsTheTableAndDiagramsWithoutUndoHistory) {
  auto view = Open(file_);
  view->csedAutoDiagram->setValue(2);
  view->reRTFGame->setPlainText(QStringLiteral("old text"));
  view->mnuiShowGameInPrintFormat->trigger();

  CKestroGame expected(view->Bpgn()->GetGame(1), 1);
  TextSink sink;
  WriteGameRtf(sink, expected, 2);
  EXPECT_EQ(view->reRTFGame->toPlainText(), Normalized(sink.text));
  const auto diagrams = DiagramBlocks(*view->reRTFGame->document());
  ASSERT_EQ(diagrams.size() % 12, 0u);
  ASSERT_FALSE(diagrams.empty());
  EXPECT_EQ(diagrams[1].first, " !\"\"\"\"\"\"\"\"#!\"\"\"\"\"\"\"\"#<");
  EXPECT_EQ(diagrams[1].second, 16);
  EXPECT_FALSE(view->reRTFGame->document()->isUndoAvailable());
  // The game is left before its last move; the board is not redrawn.
  EXPECT_EQ(Ply(*view), 13);

  // Without the box there are no diagrams; the second layout is 11 pt.
  view->cbAutoDiagram->setChecked(false);
  EXPECT_EQ(view->AutoDiagramLines(), 0);
  Item(*view, "mnuiShowGameInRTFFormat2")->trigger();
  EXPECT_TRUE(DiagramBlocks(*view->reRTFGame->document()).empty());
  EXPECT_EQ(view->reRTFGame->document()->lastBlock().charFormat().fontPointSize(), 11);

  // Inserting appends a diagram of the shown ply, then a BFEN line.
  view->sbGame->setValue(1);
  const int blocks = view->reRTFGame->document()->blockCount();
  view->btnInsertDiagram->click();
  EXPECT_EQ(view->reRTFGame->document()->blockCount(), blocks + 14);
  EXPECT_EQ(DiagramBlocks(*view->reRTFGame->document()).size(), 12u);
  view->btnInsertBFEN->click();
  EXPECT_EQ(view->reRTFGame->document()->lastBlock().text(),
            Normalized(view->Game()->BpgnSetupText(view->Game()->Position)).split('\n').last());
}

TEST_F(ViewerTest, ClearAndExportAskFirst) {
  auto view = Open(file_);
  view->reRTFGame->setPlainText(QStringLiteral("keep me"));
  Item(*view, "mnuiRTFClear")->trigger();  // the default answer is Cancel
  EXPECT_EQ(view->reRTFGame->toPlainText(), "keep me");
  const AskedDialog clear = dialogs_.Asked(Kind::Message).back();
  EXPECT_EQ(clear.title, "RTF Clear ?");
  EXPECT_EQ(clear.text, "Clear and losing all content ?");
  EXPECT_EQ(clear.defaultButton, Answer::Cancel);
  dialogs_.messages.push_back(Answer::Ok);
  Item(*view, "mnuiRTFClear")->trigger();
  EXPECT_TRUE(view->reRTFGame->toPlainText().isEmpty());

  view->reRTFGame->setPlainText(QStringLiteral("keep me"));
  view->mnuiShowAllGamesInPrintFormat->trigger();
  EXPECT_EQ(view->reRTFGame->toPlainText(), "keep me");
  const AskedDialog all = dialogs_.Asked(Kind::Message).back();
  EXPECT_EQ(all.title, "Export all games into RTF ?");
  EXPECT_EQ(all.text, "If number of games is big, could take  of text processing. Continue ?");

  view->btnViewGame->trigger();  // game 2, shown at its first ply
  view->sbGame->setValue(1);
  const QString about = view->txtAboutGame->toPlainText();
  const QString pane = view->reBpgnGame->toPlainText();
  const QImage boards = view->imgBoard->Canvas().copy();
  dialogs_.messages.push_back(Answer::Ok);
  view->mnuiShowAllGamesInPrintFormat->trigger();
  const QString report = view->reRTFGame->toPlainText();
  const qsizetype g2 = report.indexOf("Kestrovane RTF Export [game:2]");
  const qsizetype g3 = report.indexOf("Kestrovane RTF Export [game:3]");
  const qsizetype g1 = report.indexOf("Kestrovane RTF Export [game:1]");
  EXPECT_TRUE(g2 == 0 && g3 > g2 && g1 > g3) << report.toStdString();
  EXPECT_EQ(report.count("Kestrovane RTF Export"), 3);
  EXPECT_FALSE(view->reRTFGame->document()->isUndoAvailable());
  // Game 2 stays shown, at the same ply, in every part of the window.
  EXPECT_TRUE(about.startsWith("2."));
  EXPECT_EQ(view->txtAboutGame->toPlainText(), about);
  EXPECT_TRUE(pane.startsWith("[Event \"Second\"]"));
  EXPECT_EQ(view->reBpgnGame->toPlainText(), pane);
  EXPECT_EQ(view->imgBoard->Canvas(), boards);
  EXPECT_EQ(view->sbGame->value(), 1);
  EXPECT_EQ(Ply(*view), 1);
  EXPECT_EQ(view->Game()->MoveCount, 2);
  view->btnViewGame->trigger();
  EXPECT_TRUE(view->txtAboutGame->toPlainText().startsWith("3."));
}

TEST_F(ViewerTest, PaneCommandsUndoRatifyCutAndPaste) {
  TfrmKestroView view(nullptr, QString());
  QTextEdit& pane = *view.reRTFGame;
  pane.setFocus();
  QTextCursor cursor(pane.document());
  cursor.insertText(QStringLiteral("typed"));
  Item(view, "mnuiRTFUndo")->trigger();
  EXPECT_TRUE(pane.toPlainText().isEmpty());
  cursor.insertText(QStringLiteral("kept"));
  Item(view, "mnuiRTFRatify")->trigger();
  Item(view, "mnuiRTFUndo")->trigger();
  EXPECT_EQ(pane.toPlainText(), "kept");
  Item(view, "mnuiRTFSelectAll")->trigger();
  EXPECT_EQ(pane.textCursor().selectedText(), "kept");
  Item(view, "mnuiRTFCut")->trigger();
  EXPECT_TRUE(pane.toPlainText().isEmpty());
  Item(view, "mnuiRTFPaste")->trigger();
  Item(view, "mnuiRTFPaste")->trigger();
  EXPECT_EQ(pane.toPlainText(), "keptkept");
}

TEST_F(ViewerTest, AFileThatCanNotBeReadIsReportedInTheErrorBox) {
  TfrmKestroView view(nullptr, QString());
  dialogs_.files.push_back(QString::fromStdString(program_ + "/missing.bpgn"));
  Item(view, "mnuiKVYBPGNOpen")->trigger();
  EXPECT_EQ(dialogs_.Asked(Kind::Error).size(), 1u);
  EXPECT_EQ(view.Bpgn(), nullptr);
  EXPECT_THROW(TfrmKestroView(nullptr, QString::fromStdString(program_ + "/missing.bpgn")), BpgnFileError);
}

// The program converts a file with LibreOffice; empty when it is not installed.
QString Soffice() {
  for (const char* name : {"soffice", "libreoffice"}) {
    const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (!path.isEmpty()) return path;
  }
  return {};
}

// One LibreOffice conversion: the file written, and how soffice ended, for
// the failure message.
struct Converted {
  QByteArray bytes;
  std::string how;
};

// soffice's first start on a machine makes a machine-wide extension cache
// folder and aborts when another soffice made it first. Each conversion has
// that cache beside its own profile, and the conversions of all test
// processes run one at a time.
Converted Convert(const QString& soffice, const QString& file, const QString& to, const QString& folder,
                  const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  const QByteArray lockPath = (QDir::tempPath() + "/kestrovane-soffice.lock").toLocal8Bit();
  const int lock = ::open(lockPath.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
  if (lock >= 0) ::flock(lock, LOCK_EX);
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(soffice, {"-env:UserInstallation=file://" + folder + "/profile",
                          "-env:UNO_SHARED_PACKAGES_CACHE=file://" + folder + "/shared", "--headless",
                          "--convert-to", to, "--outdir", folder, file});
  const bool finished = process.waitForFinished(180000);
  if (!finished) {
    process.kill();
    process.waitForFinished(10000);
  }
  if (lock >= 0) ::close(lock);
  Converted out;
  if (!finished)
    out.how = "soffice did not finish within 180 s";
  else if (process.exitStatus() == QProcess::CrashExit)
    out.how = "soffice crashed";
  else
    out.how = "soffice exit code " + std::to_string(process.exitCode());
  out.how += ", stderr: " + process.readAllStandardError().toStdString();
  const QString extension = to.section(':', 0, 0);
  QFile written(folder + "/report." + extension);
  if (written.open(QIODevice::ReadOnly)) out.bytes = written.readAll();
  return out;
}

TEST_F(ViewerTest, SavedReportReadsBackInLibreOfficeWithItsFontsAndSizes) {
  auto view = Open(file_);
  view->csedAutoDiagram->setValue(2);
  view->mnuiShowGameInPrintFormat->trigger();
  {
    // A line typed by the user, with characters from beyond Windows-1252.
    QTextCursor cursor(view->reRTFGame->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("Notes: caf\u00e9 \u20ac \u03a9 {x} a\\b"));
  }
  QTemporaryDir dir;
  const QString base = dir.path() + "/report";
  dialogs_.files.push_back(base);  // no extension: ".RTF" is added
  Item(*view, "mnuiRTFSave")->trigger();
  ASSERT_TRUE(dialogs_.Asked(Kind::Error).empty()) << dialogs_.Asked(Kind::Error).front().text.toStdString();
  EXPECT_EQ(dialogs_.Asked(Kind::SaveFile).front().filter, "Rich Text Edit (*.RTF)");
  QFile saved(base + ".RTF");
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  const QByteArray rtf = saved.readAll();
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi"));
  EXPECT_TRUE(rtf.contains("caf\\'e9 \\'80 \\u937? \\{x\\} a\\\\b"));

  const QString soffice = Soffice();
  if (soffice.isEmpty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  QFile::copy(base + ".RTF", dir.path() + "/report.rtf");
  const QString rtfFile = dir.path() + "/report.rtf";
  const Converted text = Convert(soffice, rtfFile, QStringLiteral("txt:Text (encoded):UTF8"), dir.path());
  ASSERT_FALSE(text.bytes.isEmpty()) << text.how;
  QString read = QString::fromUtf8(text.bytes);
  read.remove(QChar(0xFEFF));
  read.remove('\r');
  // LibreOffice keeps each blank of a run of blanks in a proportional font as a
  // six-per-em space and a blank.
  read.replace(QStringLiteral("\u2006 "), QStringLiteral(" "));
  while (read.endsWith('\n')) read.chop(1);
  EXPECT_EQ(read.toStdString(), view->reRTFGame->toPlainText().toStdString());

  const Converted converted = Convert(soffice, rtfFile, QStringLiteral("fodt"), dir.path());
  ASSERT_FALSE(converted.bytes.isEmpty()) << converted.how;
  const QByteArray& fodt = converted.bytes;
  EXPECT_TRUE(fodt.contains("style:font-name=\"Chess Bughouse\"")) << "no chess font in the document";
  EXPECT_TRUE(fodt.contains("style:font-name=\"Courier New\""));
  EXPECT_TRUE(fodt.contains("fo:font-size=\"16pt\""));
  EXPECT_TRUE(fodt.contains("fo:font-size=\"10pt\""));
  EXPECT_TRUE(fodt.contains("fo:font-size=\"8pt\""));
}

TEST_F(ViewerTest, SavedReportShowsItsDiagramsInTheChessFontInOtherPrograms) {
  // The real chess font beside the program: a board window installs it for the user.
  ASSERT_TRUE(QFile::copy(KESTRO_SOURCE_DIR "/assets/data/Sys/CHESSBUG.TTF",
                          QString::fromStdString(program_ + "/Sys/CHESSBUG.TTF")));
  auto view = Open(file_);
  const QString dataHome = PathToQString(file_io::DataHome());
  ASSERT_TRUE(dataHome.startsWith(QDir::tempPath())) << "tests install fonts in a folder of their own";
  EXPECT_TRUE(QFile::exists(PathToQString(UserFontFolder(file_io::DataHome())) + "/CHESSBUG.TTF"));
  view->csedAutoDiagram->setValue(2);
  view->mnuiShowGameInPrintFormat->trigger();
  QTemporaryDir dir;
  dialogs_.files.push_back(dir.path() + "/report.rtf");
  Item(*view, "mnuiRTFSave")->trigger();
  ASSERT_TRUE(QFile::exists(dir.path() + "/report.rtf"));

  const QString soffice = Soffice();
  const QString pdffonts = QStandardPaths::findExecutable(QStringLiteral("pdffonts"));
  if (soffice.isEmpty() || pdffonts.isEmpty()) GTEST_SKIP() << "LibreOffice or pdffonts is not installed";
  // A user who never had the font: only what the program installed is found.
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("HOME"), dir.path() + "/home");
  environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
  environment.insert(QStringLiteral("XDG_CACHE_HOME"), dir.path() + "/cache");
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path() + "/config");
  const Converted pdf = Convert(soffice, dir.path() + "/report.rtf", QStringLiteral("pdf"), dir.path(), environment);
  ASSERT_TRUE(pdf.bytes.startsWith("%PDF")) << pdf.how;
  QProcess fonts;
  fonts.start(pdffonts, {dir.path() + "/report.pdf"});
  ASSERT_TRUE(fonts.waitForFinished(60000));
  const QByteArray list = fonts.readAllStandardOutput();
  EXPECT_TRUE(list.contains("+ChessBughouse ")) << list.toStdString();
}

// "Jürgen" and "Schön" from a UTF-8 file read as from a Windows-1252 file: in
// the about line, the game pane, the name on the board and the saved report.
TEST_F(ViewerTest, Utf8AndWindows1252FilesShowTheSameNamesAndComments) {
  struct Shown {
    QString about, pane;
    QImage board;
    QByteArray rtf;
  };
  QTemporaryDir dir;
  const auto show = [&](const std::string& file, const std::string& name, const std::string& comment) {
    const std::string path = program_ + "/" + file + ".bpgn";
    EXPECT_TRUE(file_io::WriteFileAtomic(path, "[Event \"Names\"]\r\n[WhiteA \"" + name +
                                                   "\"][BlackA \"Bert\"][WhiteB \"Cleo\"][BlackB \"Dan\"]\r\n\r\n"
                                                   "1A.e4{180} 1a.d5{180} {" + comment + "} 1-0\r\n"));
    auto view = Open(path);
    view->mnuiShowGameInPrintFormat->trigger();
    const QString saved = dir.path() + "/" + QString::fromStdString(file) + ".rtf";
    dialogs_.files.push_back(saved);
    Item(*view, "mnuiRTFSave")->trigger();
    QFile rtf(saved);
    EXPECT_TRUE(rtf.open(QIODevice::ReadOnly)) << file;
    return Shown{view->txtAboutGame->toPlainText(), view->reBpgnGame->toPlainText(), view->imgBoard->Canvas(),
                 rtf.readAll()};
  };
  const Shown utf8 = show("utf8", "J\xC3\xBCrgen", "Sch\xC3\xB6n");
  const Shown cp1252 = show("cp1252", "J\xFCrgen", "Sch\xF6n");
  const Shown plain = show("plain", "Jurgen", "Schon");
  const QString jurgen = QStringLiteral("J\u00FCrgen"), schon = QStringLiteral("Sch\u00F6n");
  EXPECT_TRUE(utf8.about.startsWith("1." + jurgen)) << utf8.about.toStdString();
  EXPECT_TRUE(utf8.pane.contains("[WhiteA \"" + jurgen + "\"]")) << utf8.pane.toStdString();
  EXPECT_TRUE(utf8.pane.contains("{" + schon + "}"));
  EXPECT_EQ(cp1252.about.toStdString(), utf8.about.toStdString());
  EXPECT_EQ(cp1252.pane.toStdString(), utf8.pane.toStdString());
  EXPECT_TRUE(cp1252.board == utf8.board) << "the name on the board differs";
  EXPECT_FALSE(plain.board == utf8.board) << "the name is not drawn on the board";
  EXPECT_EQ(cp1252.rtf.toStdString(), utf8.rtf.toStdString());
  EXPECT_TRUE(utf8.rtf.contains("J\\'fcrgen")) << utf8.rtf.toStdString();

  const QString soffice = Soffice();
  if (soffice.isEmpty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  QFile::copy(dir.path() + "/utf8.rtf", dir.path() + "/report.rtf");
  const Converted text =
      Convert(soffice, dir.path() + "/report.rtf", QStringLiteral("txt:Text (encoded):UTF8"), dir.path());
  const QString read = QString::fromUtf8(text.bytes);
  EXPECT_TRUE(read.contains(jurgen)) << read.toStdString() << text.how;
  EXPECT_TRUE(read.contains(schon)) << read.toStdString();
}

int PdfPages(const QByteArray& pdf) {
  int pages = 0;
  for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1))
    if (pdf.mid(at + 11, 1) != "s") ++pages;
  return pages;
}

TEST_F(ViewerTest, PrintNowPrintsEveryPageToPdfAfterConfirmation) {
  auto view = Open(file_);
  view->csedAutoDiagram->setValue(1);
  view->mnuiShowGameInPrintFormat->trigger();
  QTemporaryDir dir;
  view->PrintToFile = dir.path() + "/report.pdf";
  Item(*view, "mnuiRTFPrintNow")->trigger();  // Cancel
  EXPECT_FALSE(QFile::exists(view->PrintToFile));
  EXPECT_EQ(dialogs_.Asked(Kind::Message).back().title, "Start printing ?");
  EXPECT_EQ(dialogs_.Asked(Kind::Message).back().text, "Start print now ?");

  dialogs_.messages.push_back(Answer::Ok);
  Item(*view, "mnuiRTFPrintNow")->trigger();
  QFile pdf(view->PrintToFile);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray bytes = pdf.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  // The same document laid out on the printer's page.
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  std::unique_ptr<QTextDocument> copy(view->reRTFGame->document()->clone());
  copy->documentLayout()->setPaintDevice(&printer);
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  copy->setPageSize(page.size());
  EXPECT_GE(copy->pageCount(), 2);
  EXPECT_EQ(PdfPages(bytes), copy->pageCount());
}

}  // namespace

namespace {

// Pixels of the viewer's picture that differ from a whole drawing of the
// position it shows, and pixels on the screen that differ from the picture.
std::pair<int, int> StalePixels(TfrmKestroView& view) {
  QCoreApplication::processEvents();
  const QImage& canvas = view.imgBoard->Canvas();
  BoardDisplay& d = DisplayOf(*view.Game());
  const std::shared_ptr<PaintedPicture> kept = std::exchange(d.Painted, nullptr);
  QImage whole(canvas.size(), QImage::Format_RGB32);
  whole.fill(ColorFromBgr(view.WindowColor()));
  DrawPosition(*view.Game(), whole, view.ShownPosition());
  d.Painted = kept;
  const QImage screen = QGuiApplication::primaryScreen()->grabWindow(view.winId()).toImage();
  const QPoint at = view.imgBoard->mapTo(&view, QPoint(0, 0));
  const QRect seen = view.imgBoard->visibleRegion().boundingRect() & canvas.rect();
  std::pair<int, int> stale{0, 0};
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x) {
      if ((canvas.pixel(x, y) & 0xFFFFFF) != (whole.pixel(x, y) & 0xFFFFFF)) ++stale.first;
      if (seen.contains(x, y) && (canvas.pixel(x, y) & 0xFFFFFF) != (screen.pixel(at.x() + x, at.y() + y) & 0xFFFFFF))
        ++stale.second;
    }
  return stale;
}

}  // namespace

TEST_F(ViewerTest, EveryStepShowsWhatAWholeDrawingShows) {
  auto view = Open(file_);
  view->resize(1100, 800);
  view->show();
  const KestrovaneVisualProperties& v = view->Visual();
  const auto expectWhole = [&](const char* step) {
    EXPECT_EQ(StalePixels(*view), std::make_pair(0, 0)) << step << " (picture, screen)";
  };
  expectWhole("opened");
  const int boardB = v.OriginX + 10 * v.SquareSize + 7;
  for (int i = 0; i < 5; ++i) view->imgBoardMouseUp(Qt::LeftButton, boardB - 1, 10);
  expectWhole("stepped on A");
  view->imgBoardMouseUp(Qt::LeftButton, boardB, 10);
  view->imgBoardMouseUp(Qt::LeftButton, boardB, 10);
  expectWhole("stepped on B");
  view->imgBoardMouseUp(Qt::RightButton, 10, 10);
  expectWhole("back");
  view->sbGame->setValue(view->sbGame->maximum());
  expectWhole("last");
  view->sbGame->setValue(0);
  expectWhole("first");
  view->sbGame->setValue(8);
  expectWhole("jumped");
  view->chbTolvoEnergyBoard->click();
  expectWhole("energy");
  view->sbGame->setValue(3);
  expectWhole("energy jumped");
  view->chbTolvoEnergyBoard->click();
  view->btnFlipGame->trigger();
  expectWhole("flipped game");
  view->sbGame->setValue(12);
  expectWhole("flipped game stepped");
  Item(*view, "mnuiBoardLinesNet")->trigger();
  expectWhole("no lines");
  view->sbGame->setValue(2);
  expectWhole("no lines stepped");
  view->btnViewGame->trigger();
  expectWhole("next game");
  view->imgBoardMouseUp(Qt::LeftButton, boardB, 10);
  expectWhole("next game stepped");
  view->btnViewGame->trigger();
  view->sbGame->setValue(3);
  expectWhole("third game last");
  Item(*view, "mnuiKVYBPGNExample")->trigger();
  expectWhole("example");
  view->sbGame->setValue(view->sbGame->maximum());
  expectWhole("example last");
  view->resize(500, 400);
  expectWhole("smaller window");
}
