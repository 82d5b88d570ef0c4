// The frame window and the rules for its child windows.
#include "app/frame_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cstdlib>
#include <ctime>

#include "app/child_windows.h"
#include "platform/desktop_tools.h"
#include "platform/dialogs.h"
#include "platform/file_type_registration.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "tools/repair_window.h"

namespace {

using Answer = Dialogs::Answer;

// Small pictures for the speed buttons that have no standard icon.
QIcon DrawnIcon(const std::function<void(QPainter&)>& draw) {
  QPixmap pixmap(20, 20);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing, false);
  draw(painter);
  return QIcon(pixmap);
}

void Window(QPainter& p, int x, int y, int w, int h) {
  p.setPen(QColor(40, 40, 40));
  p.setBrush(Qt::white);
  p.drawRect(x, y, w, h);
  p.fillRect(x + 1, y + 1, w - 1, 3, QColor(0x2D, 0x99, 0x0C));
}

// A chess knight, with a lens for the viewer.
QIcon KnightIcon(bool lens) {
  return DrawnIcon([lens](QPainter& p) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(lens ? 17 : 22);
    p.setFont(font);
    p.setPen(QColor(20, 20, 20));
    p.drawText(lens ? QRect(0, 0, 16, 17) : QRect(0, 0, 20, 20), Qt::AlignCenter, QString(QChar(0x265E)));
    if (lens) {
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setPen(QPen(QColor(0x2D, 0x99, 0x0C), 2));
      p.setBrush(QColor(255, 255, 255, 140));
      p.drawEllipse(QRectF(9.5, 8.5, 7, 7));
      p.drawLine(QPointF(16, 15), QPointF(19, 18.5));
    }
  });
}

// A game file with a check mark, for the repair tool.
QIcon RepairIcon() {
  return DrawnIcon([](QPainter& p) {
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    p.drawRect(3, 1, 12, 17);
    for (int y = 5; y < 16; y += 3) p.drawLine(5, y, 12, y);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(0x2D, 0x99, 0x0C), 2.5));
    p.drawLine(QPointF(9, 13), QPointF(12, 17));
    p.drawLine(QPointF(12, 17), QPointF(18.5, 8));
  });
}

}  // namespace

std::function<void(const QUrl&, QObject*, const std::function<void()>&)> Tfrm_Main::OpenUrl =
    [](const QUrl& url, QObject* owner, const std::function<void()>& failed) {
      OpenWithLauncher(url, UrlLauncher, owner, failed);
    };
QString Tfrm_Main::UrlLauncher = QStringLiteral("xdg-open");
const char* const Tfrm_Main::kForumPage = "https://kestrovane.example.org/forum/";
const char* const Tfrm_Main::kDownloadPage = "https://kestrovane.example.org/download/";

Tfrm_Main::Tfrm_Main(const QStringList& arguments, QWidget* parent) : QMainWindow(parent), arguments_(arguments) {
  setObjectName(QStringLiteral("Tfrm_Main"));
  setWindowTitle(QStringLiteral("Kestrovane 1.55"));
  mdiArea = new QMdiArea(this);
  mdiArea->setObjectName(QStringLiteral("mdiArea"));
  mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdiArea);
  statusBar()->setObjectName(QStringLiteral("StatusLine"));

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(200);
  Timer1->setSingleShot(true);
  connect(Timer1, &QTimer::timeout, this, &Tfrm_Main::Timer1Timer);
  actKVXViewLoadBPGN = new QAction(this);
  actKVXViewLoadBPGN->setObjectName(QStringLiteral("actKVXViewLoadBPGN"));
  connect(actKVXViewLoadBPGN, &QAction::triggered, this, &Tfrm_Main::actKVXViewLoadBPGNExecute);

  BuildSpeedBar();
  BuildMenus();
  FormCreate();
}

void Tfrm_Main::FormCreate() {
  // Hints reach the status line through the actions' and buttons' status tips.
  std::srand(static_cast<unsigned>(std::time(nullptr)));
}

void Tfrm_Main::BuildSpeedBar() {
  QToolBar* bar = addToolBar(QStringLiteral("SpeedBar"));
  bar->setObjectName(QStringLiteral("SpeedBar"));
  bar->setMovable(false);
  bar->setIconSize(QSize(20, 20));
  QStyle* s = style();
  const struct {
    const char* name;
    QIcon icon;
    const char* hint;  // "short|long" as the tool tip and the status line show them
    void (Tfrm_Main::*slot)();
    bool gapAfter;
  } buttons[] = {
      {"spbKestrovane", KnightIcon(false), "KVX:Play Games|Play bughouse games", &Tfrm_Main::spbKestrovaneClick, false},
      {"spbKestroView", KnightIcon(true), "KVX:View Games|View BPGN game files", &Tfrm_Main::spbKestroViewClick, false},
      {"spbBPGNRepairer", RepairIcon(), "BPGN Repairer and Utilities",
       &Tfrm_Main::spbBPGNRepairerClick, true},
      {"spbAbout", s->standardIcon(QStyle::SP_MessageBoxInformation), "About|About", &Tfrm_Main::HelpAbout, false},
      {"spbHelpContents", s->standardIcon(QStyle::SP_DialogHelpButton), "Help Contents|Help Contents",
       &Tfrm_Main::HelpContents, true},
      {"spbCascade", DrawnIcon([](QPainter& p) {
         Window(p, 1, 1, 11, 9);
         Window(p, 4, 5, 11, 9);
         Window(p, 7, 9, 11, 9);
       }),
       "Cascade|Cascade", &Tfrm_Main::WindowCascade, false},
      {"spbArrange", DrawnIcon([](QPainter& p) {
         for (int i = 0; i < 3; ++i) Window(p, 1 + i * 6, 13, 5, 5);
       }),
       "Arrange|Arrange", &Tfrm_Main::WindowArrange, false},
      {"spbTile", DrawnIcon([](QPainter& p) {
         Window(p, 1, 2, 8, 15);
         Window(p, 10, 2, 8, 15);
       }),
       "Tile|Tile", &Tfrm_Main::WindowTile, true},
      {"spbExit", s->standardIcon(QStyle::SP_DialogCloseButton), "Exit|Exit", &Tfrm_Main::FileExit, false},
  };
  for (const auto& b : buttons) {
    const QString hint = QString::fromLatin1(b.hint);
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(b.name));
    button->setIcon(b.icon);
    button->setFixedSize(25, 25);
    button->setAutoRaise(true);
    button->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
    button->setStatusTip(hint.section(QLatin1Char('|'), -1));
    connect(button, &QToolButton::clicked, this, b.slot);
    bar->addWidget(button);
    if (b.gapAfter) bar->addSeparator();
  }
}

void Tfrm_Main::BuildMenus() {
  const auto item = [this](QMenu* menu, const char* name, const QString& caption, void (Tfrm_Main::*slot)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->setObjectName(QStringLiteral("File1"));
  item(file, "FileExitItem", QStringLiteral("E&xit"), &Tfrm_Main::FileExit)
      ->setStatusTip(QStringLiteral("Exit this application"));
  item(file, "mnuiWinBPGNFilesRegister", QStringLiteral("Register as BPGN files Viewer"),
       &Tfrm_Main::mnuiWinBPGNFilesRegisterClick);

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("Help1"));
  item(help, "HelpContentsItem", QStringLiteral("Kestrovane HELP Index"), &Tfrm_Main::HelpContents);
  item(help, "mnuiHelpKVXN", QStringLiteral("Bughouse Chess"), &Tfrm_Main::HelpKVXNClick);
  item(help, "HelpAboutItem", QStringLiteral("&About..."), &Tfrm_Main::HelpAbout);
  help->addSeparator();
  QAction* forum = help->addAction(QStringLiteral("Kestrovane Forum (help on the program)"));
  forum->setObjectName(QStringLiteral("mnuiHelpForum"));
  connect(forum, &QAction::triggered, this, [this] { OpenWebPage(kForumPage); });
  QAction* download = help->addAction(QStringLiteral("Kestrovane Download Page"));
  download->setObjectName(QStringLiteral("mnuiHelpDownload"));
  connect(download, &QAction::triggered, this, [this] { OpenWebPage(kDownloadPage); });

  QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
  window->setObjectName(QStringLiteral("Window1"));
  item(window, "WindowTileItem", QStringLiteral("&Tile"), &Tfrm_Main::WindowTile);
  item(window, "WindowCascadeItem", QStringLiteral("&Cascade"), &Tfrm_Main::WindowCascade);
  item(window, "WindowArrangeItem", QStringLiteral("&Arrange All"), &Tfrm_Main::WindowArrange);
  item(window, "WindowMinimizeItem", QStringLiteral("Minimize All"), &Tfrm_Main::WindowMinimizeItemsClick);
}

// --- showing, the command-line file, closing ---

void Tfrm_Main::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!shown_ && !event->spontaneous()) {
    shown_ = true;
    FormShow();
  }
}

void Tfrm_Main::FormShow() { Timer1->start(); }

void Tfrm_Main::Timer1Timer() {
  // Off first, so a file that fails to open is not tried again and again.
  Timer1->stop();
  actKVXViewLoadBPGN->trigger();
}

void Tfrm_Main::actKVXViewLoadBPGNExecute() {
  if (arguments_.isEmpty()) return;
  const QString upper = arguments_.front().toUpper();
  const int a = static_cast<int>(upper.indexOf(QStringLiteral(".BPGN"))) + 1;
  const int b = static_cast<int>(upper.indexOf(QStringLiteral(".PGN"))) + 1;
  if (a + b > 1) OpenViewer(arguments_.front());
}

void Tfrm_Main::closeEvent(QCloseEvent* event) {
  CloseChildren();
  QMainWindow::closeEvent(event);
}

void Tfrm_Main::FileExit() {
  const Answer answer = AppDialogs().Message(this, QStringLiteral("Exit ?"),
                                             QStringLiteral("Really You wish close this application ? "),
                                             {Answer::Yes, Answer::No}, Answer::No);
  if (answer == Answer::Yes) close();
}

// --- child windows ---

int Tfrm_Main::RaiseChildren(const char* className) {
  const QList<QMdiSubWindow*> children = mdiArea->subWindowList(QMdiArea::CreationOrder);
  int count = 0;
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    QMdiSubWindow* sub = *it;
    QWidget* widget = sub->widget();
    if (sub->isHidden() || !widget || qstrcmp(widget->metaObject()->className(), className) != 0) continue;
    if (sub->isMinimized()) sub->showNormal();
    mdiArea->setActiveSubWindow(sub);
    ++count;
  }
  return count;
}

QMdiSubWindow* Tfrm_Main::AddChild(TfrmKestroForm* form, const QString& caption) {
  form->setWindowTitle(caption);
  QMdiSubWindow* sub = mdiArea->addSubWindow(form);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->showMaximized();
  return sub;
}

void Tfrm_Main::spbKestrovaneClick() {
  if (RaiseChildren("TfrmKestrovane") == 0) AddChild(new TfrmKestrovane, QStringLiteral("KVX:Play Games"));
}

void Tfrm_Main::spbBPGNRepairerClick() {
  if (RaiseChildren("TfrmBPGNRepairer") > 0) return;
  auto* tool = new TfrmBPGNRepairer;
  tool->setWindowTitle(QStringLiteral("KVX:BPGN Repairer"));
  QMdiSubWindow* sub = mdiArea->addSubWindow(tool);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  sub->showMaximized();
}

void Tfrm_Main::spbKestroViewClick() {
  const int open = RaiseChildren("TfrmKestroView");
  if (open >= 1) {
    const QString question = QStringLiteral(
                                 "You have already opened %1 KVX:View windows.\nReally u wish new window ?\n (Only if You "
                                 "wish have more BPGN files in separate windows for example, it is useful ...)")
                                 .arg(open);
    if (AppDialogs().Message(this, QStringLiteral("Confirm"), question, {Answer::No, Answer::All}, Answer::No) !=
        Answer::All)
      return;
  }
  OpenViewer(QString());
}

void Tfrm_Main::OpenViewer(const QString& fileName) {
  AddChild(new TfrmKestroView(nullptr, fileName), QStringLiteral("KVX:View Games"));
}

void Tfrm_Main::CloseChildren() {
  const QList<QMdiSubWindow*> children = mdiArea->subWindowList(QMdiArea::CreationOrder);
  for (auto it = children.rbegin(); it != children.rend(); ++it) (*it)->close();
}

void Tfrm_Main::WindowMinimizeItemsClick() { CloseChildren(); }

void Tfrm_Main::WindowTile() { mdiArea->tileSubWindows(); }

void Tfrm_Main::WindowCascade() { mdiArea->cascadeSubWindows(); }

void Tfrm_Main::WindowArrange() {
  // Lines the minimized children up along the bottom edge, left to right.
  int x = 0;
  for (QMdiSubWindow* sub : mdiArea->subWindowList(QMdiArea::CreationOrder)) {
    if (!sub->isMinimized()) continue;
    const QSize size = sub->size();
    sub->move(x, mdiArea->viewport()->height() - size.height());
    x += size.width();
  }
}

// --- help and registration ---

// No browser or launcher: the message names the page, so the user can still
// open it by hand.
void Tfrm_Main::OpenPage(const QUrl& url, const QString& failure) {
  OpenUrl(url, this, [this, failure] {
    AppDialogs().Message(this, QStringLiteral("Kestrovane HELP"), failure, {Answer::Ok}, Answer::Ok);
  });
}

void Tfrm_Main::OpenHelpPage(const char* relative) {
  const QString page = PathToQString(paths::Resolve(paths::Below(relative)));
  OpenPage(QUrl::fromLocalFile(page),
           QStringLiteral("No web browser could be started to show the help page\n%1").arg(page));
}

void Tfrm_Main::OpenWebPage(const char* address) {
  const QString page = QString::fromLatin1(address);
  OpenPage(QUrl(page), QStringLiteral("No web browser could be started to show the web page\n%1").arg(page));
}

void Tfrm_Main::HelpContents() { OpenHelpPage("HelpHtml/All.html"); }

void Tfrm_Main::HelpKVXNClick() { OpenHelpPage("HelpHtml/BughouseChess.html"); }

QString Tfrm_Main::AboutText() {
  return QStringLiteral(
      "K e s t r o v a n e\n"
      "       Version 1.55 (NG 1.00, XB 0.50, BPGN 0.81) \n\n"
      "Alternative Chess Multiplayer mini Server and Utilities, especially for blitz and bughouse chess to be like "
      "Over The Real Board \n\n"
      "Is dedicated to all who likes chess in all forms and to all who sometimes fall in some space by whole mind "
      ":-)\n\n"
      "This software is provided as is, without warranty of any kind. You use it at your own risk.");
}

void Tfrm_Main::HelpAbout() {
  AppDialogs().Message(this, QStringLiteral("About Kestrovane"), AboutText(), {Answer::Ok}, Answer::Ok);
}

void Tfrm_Main::mnuiWinBPGNFilesRegisterClick() {
  Registry registry;
  RegisterBpgnFileType(PathFromQString(QCoreApplication::applicationFilePath()), registry);
}
