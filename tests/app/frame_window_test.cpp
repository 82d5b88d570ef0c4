// The frame: child-window rules, the command-line file, exit, help and About.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

#include "app/child_windows.h"
#include "app/frame_window.h"
#include "platform/file_type_registration.h"
#include "platform/registry.h"
#include "tests/display/display_fixture.h"
#include "tests/platform/fake_dialogs.h"

namespace {

using Answer = Dialogs::Answer;
using Kind = AskedDialog::Kind;

const char* const kGame =
    "[Event \"Test\"]\r\n[WhiteA \"Anna\"][BlackA \"Bert\"][WhiteB \"Cleo\"][BlackB \"Dan\"]\r\n"
    "1A.e4{180} 1a.d5{180} 1B.d4{180} 1b.e5{180} 2A.exd5{179} 2B.dxe5{178} 2a.Qxd5{177}\r\n";

class FrameTest : public testdisplay::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    savedOpener_ = Tfrm_Main::OpenUrl;
    Tfrm_Main::OpenUrl = [this](const QUrl& url, QObject*, const std::function<void()>&) { opened_.push_back(url); };
  }
  void TearDown() override {
    Tfrm_Main::OpenUrl = savedOpener_;
    Tfrm_Main::UrlLauncher = QStringLiteral("xdg-open");
  }

  std::unique_ptr<Tfrm_Main> MakeFrame(const QStringList& arguments = {}) {
    auto frame = std::make_unique<Tfrm_Main>(arguments);
    frame->resize(1000, 700);
    return frame;
  }

  static QList<QMdiSubWindow*> Children(Tfrm_Main& frame, const char* className) {
    QList<QMdiSubWindow*> out;
    for (QMdiSubWindow* sub : frame.mdiArea->subWindowList(QMdiArea::CreationOrder))
      if (!sub->isHidden() && qstrcmp(sub->widget()->metaObject()->className(), className) == 0) out.push_back(sub);
    return out;
  }

  static void Click(Tfrm_Main& frame, const char* button) {
    auto* b = frame.findChild<QToolButton*>(QString::fromLatin1(button));
    ASSERT_NE(b, nullptr) << button;
    b->click();
  }

  static void Trigger(Tfrm_Main& frame, const char* item) {
    auto* a = frame.findChild<QAction*>(QString::fromLatin1(item));
    ASSERT_NE(a, nullptr) << item;
    a->trigger();
  }

  // The frame's start-up timer, started by showing the frame, fires now.
  static void FireTimer1(Tfrm_Main& frame) {
    ASSERT_TRUE(frame.Timer1->isActive());
    QTimerEvent tick(frame.Timer1->timerId());
    QCoreApplication::sendEvent(frame.Timer1, &tick);
  }

  static void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  std::string WriteFile(const std::string& name, const std::string& text) {
    const std::string path = program_ + "/" + name;
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), static_cast<qint64>(text.size()));
    return path;
  }

  FakeDialogs dialogs_;
  ScopedDialogs scoped_{dialogs_};
  std::vector<QUrl> opened_;
  std::function<void(const QUrl&, QObject*, const std::function<void()>&)> savedOpener_;
};

TEST_F(FrameTest, PlayWindowOpensOnceAndIsRaisedTheSecondTime) {
  auto frame = MakeFrame();
  frame->show();
  Click(*frame, "spbKestrovane");
  ASSERT_EQ(Children(*frame, "TfrmKestrovane").size(), 1);
  QMdiSubWindow* play = Children(*frame, "TfrmKestrovane").front();
  EXPECT_EQ(play->widget()->windowTitle(), "KVX:Play Games");
  EXPECT_TRUE(play->isMaximized());

  auto* form = static_cast<TfrmKestroForm*>(play->widget());
  form->MoveInputMode = 0;
  Click(*frame, "spbKestroView");
  EXPECT_NE(frame->mdiArea->activeSubWindow(), play);
  Click(*frame, "spbKestrovane");
  EXPECT_EQ(Children(*frame, "TfrmKestrovane").size(), 1);
  EXPECT_EQ(frame->mdiArea->activeSubWindow(), play);
  EXPECT_EQ(form->MoveInputMode, 0);  // activated again: the play window's activation changes nothing
  EXPECT_TRUE(dialogs_.asked.empty());
}

TEST_F(FrameTest, FurtherViewersOpenOnlyWhenTheUserSaysAll) {
  auto frame = MakeFrame();
  frame->show();
  Click(*frame, "spbKestroView");
  ASSERT_EQ(Children(*frame, "TfrmKestroView").size(), 1);
  EXPECT_EQ(Children(*frame, "TfrmKestroView").front()->widget()->windowTitle(), "KVX:View Games");
  EXPECT_TRUE(dialogs_.asked.empty());

  const QString question =
      "You have already opened %1 KVX:View windows.\nReally u wish new window ?\n (Only if You wish have more BPGN "
      "files in separate windows for example, it is useful ...)";
  dialogs_.messages = {Answer::No};
  Click(*frame, "spbKestroView");
  EXPECT_EQ(Children(*frame, "TfrmKestroView").size(), 1);
  ASSERT_EQ(dialogs_.Asked(Kind::Message).size(), 1u);
  const AskedDialog asked = dialogs_.Asked(Kind::Message).back();
  EXPECT_EQ(asked.text, question.arg(1));
  EXPECT_EQ(asked.buttons, (std::vector<Answer>{Answer::No, Answer::All}));

  dialogs_.messages = {Answer::All};
  Click(*frame, "spbKestroView");
  EXPECT_EQ(Children(*frame, "TfrmKestroView").size(), 2);

  dialogs_.messages = {Answer::No};
  Click(*frame, "spbKestroView");
  EXPECT_EQ(Children(*frame, "TfrmKestroView").size(), 2);
  EXPECT_EQ(dialogs_.Asked(Kind::Message).back().text, question.arg(2));

  // Viewers and the play window do not count each other.
  Click(*frame, "spbKestrovane");
  EXPECT_EQ(Children(*frame, "TfrmKestrovane").size(), 1);
  EXPECT_EQ(dialogs_.Asked(Kind::Message).size(), 3u);
}

TEST_F(FrameTest, RepairToolOpensOnceAndIsRaisedTheSecondTime) {
  const char* const names[14] = {"Wsquare.bmp", "Bsquare2.bmp", "WPawn.bmp",   "BPawn.bmp",  "WBishop.bmp",
                                 "BBishop.bmp", "WKnight.bmp",  "BKnight.bmp", "WRook.bmp",  "BRook.bmp",
                                 "WQueen.bmp",  "BQueen.bmp",   "WKing.bmp",   "BKing.bmp"};
  const std::string folder = SetFolder("TolvoSimple");
  QDir().mkpath(QString::fromStdString(folder));
  for (int i = 0; i < 14; ++i) testdisplay::SaveBmp(testdisplay::SlotBitmap(i, 24, 24, 0), folder + names[i]);
  auto frame = MakeFrame();
  frame->show();
  Click(*frame, "spbBPGNRepairer");
  ASSERT_EQ(Children(*frame, "TfrmBPGNRepairer").size(), 1);
  QMdiSubWindow* tool = Children(*frame, "TfrmBPGNRepairer").front();
  EXPECT_EQ(tool->widget()->windowTitle(), "KVX:BPGN Repairer");
  EXPECT_TRUE(tool->isMaximized());
  Click(*frame, "spbKestrovane");
  EXPECT_NE(frame->mdiArea->activeSubWindow(), tool);
  Click(*frame, "spbBPGNRepairer");
  EXPECT_EQ(Children(*frame, "TfrmBPGNRepairer").size(), 1);
  EXPECT_EQ(frame->mdiArea->activeSubWindow(), tool);
  EXPECT_TRUE(dialogs_.asked.empty());
}

TEST_F(FrameTest, GameFileOnTheCommandLineOpensOneViewerShortlyAfterShowing) {
  for (const char* name : {"game.bpgn", "GAME2.PGN", "Mixed.BpGn"}) {
    SCOPED_TRACE(name);
    const std::string file = WriteFile(name, kGame);
    auto frame = MakeFrame({QString::fromStdString(file)});
    EXPECT_FALSE(frame->Timer1->isActive());
    frame->show();
    EXPECT_TRUE(frame->Timer1->isActive());
    EXPECT_EQ(frame->Timer1->interval(), 200);
    EXPECT_TRUE(Children(*frame, "TfrmKestroView").isEmpty());
    FireTimer1(*frame);
    EXPECT_FALSE(frame->Timer1->isActive());
    const QList<QMdiSubWindow*> viewers = Children(*frame, "TfrmKestroView");
    ASSERT_EQ(viewers.size(), 1);
    auto* viewer = static_cast<TfrmKestroView*>(viewers.front()->widget());
    EXPECT_EQ(viewer->FileName(), QString::fromStdString(file));
    EXPECT_EQ(viewer->windowTitle(), "KVX:View Games");
    // The viewer shows the file's first game before its first move.
    ASSERT_NE(viewer->Game(), nullptr);
    EXPECT_EQ(viewer->Game()->MoveCount, 7);
    EXPECT_EQ(viewer->Game()->ReplayIndex, 0);
    EXPECT_EQ(viewer->ShownPosition().boardA[CKestroGame::SquareFromName('d', '8')], pcBQueen);
    EXPECT_TRUE(dialogs_.asked.empty());
    // Hiding and showing again does not open it a second time.
    frame->hide();
    frame->show();
    EXPECT_FALSE(frame->Timer1->isActive());
  }
}

TEST_F(FrameTest, OtherCommandLinesOpenNothing) {
  const std::string text = WriteFile("notes.txt", kGame);
  for (const QStringList& arguments : {QStringList{}, QStringList{QString::fromStdString(text)},
                                       QStringList{QStringLiteral(".PGN")}}) {
    auto frame = MakeFrame(arguments);
    frame->show();
    FireTimer1(*frame);
    EXPECT_FALSE(frame->Timer1->isActive());
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame->mdiArea->subWindowList().isEmpty()) << arguments.join(' ').toStdString();
  }
  EXPECT_TRUE(dialogs_.asked.empty());
}

TEST_F(FrameTest, FileThatCannotBeOpenedIsReportedOnceAndTheTimerStaysOff) {
  auto frame = MakeFrame({QString::fromStdString(program_ + "/missing.bpgn")});
  frame->show();
  FireTimer1(*frame);
  // Stopped, the single shot cannot come again.
  EXPECT_FALSE(frame->Timer1->isActive());
  QCoreApplication::processEvents();
  EXPECT_EQ(dialogs_.Asked(Kind::Error).size(), 1u);
  EXPECT_TRUE(frame->mdiArea->subWindowList().isEmpty());
}

TEST_F(FrameTest, MinimizeAllAndClosingTheFrameCloseEveryChildLastToFirst) {
  for (const char* how : {"WindowMinimizeItem", "close"}) {
    SCOPED_TRACE(how);
    auto frame = MakeFrame();
    frame->show();
    dialogs_.messages = {Answer::All};
    Click(*frame, "spbKestroView");
    Click(*frame, "spbKestrovane");
    Click(*frame, "spbKestroView");
    std::vector<QString> closed;
    for (QMdiSubWindow* sub : frame->mdiArea->subWindowList(QMdiArea::CreationOrder)) {
      auto* form = static_cast<TfrmKestroForm*>(sub->widget());
      QObject::connect(sub, &QObject::destroyed, [&closed, name = QString(form->metaObject()->className())] {
        closed.push_back(name);
      });
    }
    if (std::string(how) == "close") frame->close();
    else Trigger(*frame, how);
    FlushDeletes();
    EXPECT_TRUE(frame->mdiArea->subWindowList().isEmpty());
    EXPECT_EQ(closed, (std::vector<QString>{"TfrmKestroView", "TfrmKestrovane", "TfrmKestroView"}));
  }
}

TEST_F(FrameTest, ExitAsksFirstAndOnlyYesCloses) {
  auto frame = MakeFrame();
  frame->show();
  dialogs_.messages = {Answer::No};
  Trigger(*frame, "FileExitItem");
  EXPECT_TRUE(frame->isVisible());
  ASSERT_EQ(dialogs_.Asked(Kind::Message).size(), 1u);
  const AskedDialog asked = dialogs_.Asked(Kind::Message).front();
  EXPECT_EQ(asked.title, "Exit ?");
  EXPECT_EQ(asked.text, "Really You wish close this application ? ");
  EXPECT_EQ(asked.buttons, (std::vector<Answer>{Answer::Yes, Answer::No}));
  EXPECT_EQ(asked.defaultButton, Answer::No);

  dialogs_.messages = {Answer::Yes};
  Click(*frame, "spbExit");
  EXPECT_FALSE(frame->isVisible());
}

TEST_F(FrameTest, AboutAndHelpPages) {
  auto frame = MakeFrame();
  Trigger(*frame, "HelpAboutItem");
  ASSERT_EQ(dialogs_.Asked(Kind::Message).size(), 1u);
  const AskedDialog about = dialogs_.Asked(Kind::Message).front();
  EXPECT_EQ(about.title, "About Kestrovane");
  EXPECT_EQ(about.buttons, std::vector<Answer>{Answer::Ok});
  EXPECT_TRUE(about.text.startsWith(
      "K e s t r o v a n e\n       Version 1.55 (NG 1.00, XB 0.50, BPGN 0.81) \n\nAlternative Chess Multiplayer mini "
      "Server and Utilities, especially for blitz and bughouse chess to be like Over The Real Board \n\nIs dedicated "
      "to all who likes chess in all forms and to all who sometimes fall in some space by whole mind :-)\n\n"));
  EXPECT_TRUE(about.text.contains("own risk"));

  Trigger(*frame, "HelpContentsItem");
  Click(*frame, "spbHelpContents");
  Trigger(*frame, "mnuiHelpKVXN");
  Trigger(*frame, "mnuiHelpForum");
  Trigger(*frame, "mnuiHelpDownload");
  const QUrl index = QUrl::fromLocalFile(QString::fromStdString(program_ + "/HelpHtml/All.html"));
  const QUrl forum(QString::fromLatin1(Tfrm_Main::kForumPage));
  const QUrl download(QString::fromLatin1(Tfrm_Main::kDownloadPage));
  EXPECT_EQ(opened_, (std::vector<QUrl>{index, index,
                                        QUrl::fromLocalFile(QString::fromStdString(
                                            program_ + "/HelpHtml/BughouseChess.html")),
                                        forum, download}));
  EXPECT_EQ(dialogs_.Asked(Kind::Message).size(), 1u);  // pages that open say nothing

  // No browser shows the page: the launcher cannot start, ends with an error
  // (xdg-open without a browser) or crashes. A message names the page, once
  // the launcher has failed; a launcher that succeeds says nothing.
  Tfrm_Main::OpenUrl = savedOpener_;
  const auto launcher = [&](const char* name, const std::string& body) {
    const std::string path = WriteFile(name, body);
    QFile::setPermissions(QString::fromStdString(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return QString::fromStdString(path);
  };
  const auto launchersEnded = [] {
    return QCoreApplication::instance()->findChildren<QProcess*>(QStringLiteral("urlLauncher")).isEmpty();
  };
  const std::string shown = program_ + "/shown.txt";
  Tfrm_Main::UrlLauncher = launcher("opens", "#!/bin/sh\necho \"$1\" > '" + shown + "'\n");
  Trigger(*frame, "HelpContentsItem");
  ASSERT_TRUE(QTest::qWaitFor(launchersEnded, 20000));
  QFile page(QString::fromStdString(shown));
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  EXPECT_EQ(page.readAll().trimmed().toStdString(), program_ + "/HelpHtml/All.html");
  EXPECT_EQ(dialogs_.Asked(Kind::Message).size(), 1u);

  const QString failing[] = {launcher("nobrowser", "#!/bin/sh\necho 'xdg-open: no method available' >&2\nexit 3\n"),
                             launcher("crashes", "#!/bin/sh\nkill -SEGV $$\n"),
                             launcher("cannotstart", "#!/nonexistent/shell\n")};
  for (const QString& program : failing) {
    Tfrm_Main::UrlLauncher = program;
    Trigger(*frame, "mnuiHelpKVXN");
    ASSERT_TRUE(QTest::qWaitFor(launchersEnded, 20000));
  }
  // The web pages of the Help menu alike.
  Tfrm_Main::UrlLauncher = failing[0];
  Trigger(*frame, "mnuiHelpForum");
  ASSERT_TRUE(QTest::qWaitFor(launchersEnded, 20000));
  Tfrm_Main::UrlLauncher = failing[2];
  Trigger(*frame, "mnuiHelpDownload");
  ASSERT_TRUE(QTest::qWaitFor(launchersEnded, 20000));
  const std::vector<AskedDialog> messages = dialogs_.Asked(Kind::Message);
  ASSERT_EQ(messages.size(), 6u);
  for (size_t i = 1; i < 6; ++i) {
    EXPECT_EQ(messages[i].title, "Kestrovane HELP");
    EXPECT_EQ(messages[i].buttons, std::vector<Answer>{Answer::Ok});
  }
  for (size_t i = 1; i < 4; ++i)
    EXPECT_EQ(messages[i].text.toStdString(), "No web browser could be started to show the help page\n" + program_ +
                                                   "/HelpHtml/BughouseChess.html");
  EXPECT_EQ(messages[4].text.toStdString(),
            std::string("No web browser could be started to show the web page\n") + Tfrm_Main::kForumPage);
  EXPECT_EQ(messages[5].text.toStdString(),
            std::string("No web browser could be started to show the web page\n") + Tfrm_Main::kDownloadPage);
}

TEST_F(FrameTest, RegisteringMakesThisProgramOpenGameFiles) {
  auto frame = MakeFrame();
  // Without the database tools, which would go on writing after the test.
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QByteArray::fromStdString(program_));
  Trigger(*frame, "mnuiWinBPGNFilesRegister");
  qputenv("PATH", path);
  const Registry registry;
  const std::string program = QCoreApplication::applicationFilePath().toStdString();
  EXPECT_EQ(registry.ReadString("HKEY_CLASSES_ROOT\\.BPGN", ""), "bpgnview.2");
  EXPECT_EQ(registry.ReadString("HKEY_LOCAL_MACHINE\\Software\\Bughouse\\Kestrovane", "Lastver"), program);
  QFile desktop(QString::fromStdString(XdgFolders::FromEnvironment().dataHome + "/applications/" + kDesktopFileName));
  ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
  EXPECT_TRUE(desktop.readAll().contains(QByteArray::fromStdString(DesktopExec(program))));
  EXPECT_TRUE(dialogs_.asked.empty());
  QFile::remove(QString::fromStdString(Registry::DefaultFile()));
}

}  // namespace
