// The play window's panes and toggles, driven through their buttons and
// menus: the chat pane's sizes, fonts and colours of the panes and the
// window, the partner-tells length, the Board menu's extras, and the guard
// of the player name around Start Server, Join and Login.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <memory>
#include <vector>

#include "display/visual_properties.h"
#include "play/pane_style.h"
#include "play/play_window.h"
#include "tests/platform/fake_dialogs.h"
#include "tests/play/net_fixture.h"

namespace {

using Kind = AskedDialog::Kind;
using nettest::NetWindowsTest;
using nettest::Session;
using nettest::Wait;

QAction* Item(QWidget& w, const char* name) {
  QAction* a = w.findChild<QAction*>(QString::fromLatin1(name));
  EXPECT_NE(a, nullptr) << name;
  return a;
}

class PanesTest : public NetWindowsTest {
 protected:
  FakeDialogs dialogs_;
  ScopedDialogs scoped_{dialogs_};
};

TEST_F(PanesTest, SizesFontsColoursAndSwitchesAsTheUserSeesThem) {
  TfrmKestrovane& w = Server();
  w.LayoutControls(true);  // the chat pane shown
  // Chat pane sizes keep their logical values; the widgets stop at zero.
  ASSERT_EQ(w.reNetGameLog->height(), 70);
  for (int expected : {170, 240, 70, 170}) {
    w.btnReNetGameLogSizeChange->click();
    EXPECT_EQ(w.reNetGameLog->height(), expected);
  }
  w.btnReNetGameLogSizeChangePlus->click();
  w.btnReNetGameLogSizeChangePlus->click();
  w.btnReNetGameLogSizeChangePlus->click();  // 200
  w.btnReNetGameLogSizeChange->click();
  EXPECT_EQ(w.reNetGameLog->height(), 240);
  // The surface grows with the pane, so none of it is cut off.
  auto whole = [&] { return w.reNetGameLog->parentWidget()->rect().contains(w.reNetGameLog->geometry()); };
  EXPECT_TRUE(whole());
  w.btnReNetGameLogSizeChange->click();
  ASSERT_EQ(w.reNetGameLog->height(), 70);

  // Nine "-" ask for -20: the pane shows 0, and nine "+" bring back 70.
  for (int i = 0; i < 9; ++i) w.btnReNetGameLogSizeChangeMinus->click();
  EXPECT_EQ(w.reNetGameLog->height(), 0);
  EXPECT_EQ(w.ChatPaneHeight, -20);
  w.btnReNetGameLogSizeChange->click();  // from the logical height
  EXPECT_EQ(w.reNetGameLog->height(), 170);
  w.btnReNetGameLogSizeChange->click();
  w.btnReNetGameLogSizeChange->click();
  for (int i = 0; i < 9; ++i) w.btnReNetGameLogSizeChangeMinus->click();
  for (int i = 0; i < 9; ++i) w.btnReNetGameLogSizeChangePlus->click();
  EXPECT_EQ(w.reNetGameLog->height(), 70);

  // Widths: both go together, down past zero and back.
  for (int i = 0; i < 80; ++i) w.btnReNetGameLogSizeChangeWidthPlus->click();
  EXPECT_TRUE(whole());
  for (int i = 0; i < 79; ++i) w.btnReNetGameLogSizeChangeWidthMinus->click();
  EXPECT_EQ(w.reNetGameLog->width(), 510);
  EXPECT_EQ(w.edNetGameMessage->width(), 510);
  for (int i = 0; i < 53; ++i) w.btnReNetGameLogSizeChangeWidthMinus->click();
  EXPECT_EQ(w.reNetGameLog->width(), 0);
  EXPECT_EQ(w.edNetGameMessage->width(), 0);
  for (int i = 0; i < 52; ++i) w.btnReNetGameLogSizeChangeWidthPlus->click();
  EXPECT_EQ(w.reNetGameLog->width(), 500);
  EXPECT_EQ(w.edNetGameMessage->width(), 500);
  EXPECT_EQ(w.reNetGameLog->height(), 70);
  w.LayoutControls(false);

  // Font cancelled: nothing changes.
  const PaneFont before = FontOf(w.reNetGameLog);
  Item(w, "mnuiChatWindowFont")->trigger();
  EXPECT_EQ(dialogs_.Asked(Kind::Font).size(), 1u);
  EXPECT_EQ(FontOf(w.reNetGameLog).font, before.font);
  EXPECT_EQ(FontOf(w.reNetGameLog).color, before.color);

  // Confirmed: the chat pane, the chat line and the name edit take font and
  // colour.
  QFont chosen(QStringLiteral("Courier"), 17);
  dialogs_.fonts.push_back(Dialogs::FontChoice{chosen, QColor(0x56, 0x34, 0x12)});
  Item(w, "mnuiChatWindowFont")->trigger();
  for (QWidget* c : {static_cast<QWidget*>(w.reNetGameLog), static_cast<QWidget*>(w.edNetGameMessage),
                     static_cast<QWidget*>(w.edName)}) {
    EXPECT_EQ(c->font().pointSize(), 17) << c->objectName().toStdString();
    EXPECT_EQ(FontOf(c).color, 0x123456u) << c->objectName().toStdString();
  }
  EXPECT_NE(w.edPartnerTells->font().pointSize(), 17);

  // Colour cancelled: the chat line and the name edit take the pane's colour.
  SetBackground(w.reNetGameLog, 0x00AA00);
  Item(w, "mnuiChatWindowColor")->trigger();
  EXPECT_EQ(BackgroundOf(w.edName), 0x00AA00u);
  EXPECT_EQ(BackgroundOf(w.edNetGameMessage), 0x00AA00u);
  dialogs_.colors.push_back(QColor(0x01, 0x02, 0x03));
  Item(w, "mnuiChatWindowColor")->trigger();
  EXPECT_EQ(BackgroundOf(w.reNetGameLog), 0x030201u);
  EXPECT_EQ(BackgroundOf(w.edName), 0x030201u);

  // The partner-tells line alone, from the chat window menu and the client's
  // menu.
  dialogs_.fonts.push_back(Dialogs::FontChoice{QFont(QStringLiteral("Courier"), 9), QColor(0, 0, 0xFF)});
  w.mnuiPartnerTellsFont->trigger();
  EXPECT_EQ(w.edPartnerTells->font().pointSize(), 9);
  EXPECT_EQ(FontOf(w.edPartnerTells).color, 0xFF0000u);
  dialogs_.colors.push_back(QColor(0xFF, 0, 0));
  Item(w, "mnuiChatWindowPartnerTellsColor")->trigger();
  EXPECT_EQ(BackgroundOf(w.edPartnerTells), 0x0000FFu);
  EXPECT_EQ(BackgroundOf(w.reNetGameLog), 0x030201u);

  // The record pane's font colour reaches the legal-move list, not its font.
  const QFont listFont = w.txtAllMoves->font();
  dialogs_.fonts.push_back(Dialogs::FontChoice{QFont(QStringLiteral("Courier"), 21), QColor(0, 0x80, 0)});
  Item(w, "mnuiBPGNWindowFont")->trigger();
  EXPECT_EQ(w.reBPGNGames->font().pointSize(), 21);
  EXPECT_EQ(FontOf(w.txtAllMoves).color, 0x008000u);
  EXPECT_EQ(w.txtAllMoves->font(), listFont);
  dialogs_.colors.push_back(QColor(0x10, 0x20, 0x30));
  Item(w, "mnuiBPGNWindowColor")->trigger();
  EXPECT_EQ(BackgroundOf(w.reBPGNGames), 0x302010u);
  EXPECT_EQ(BackgroundOf(w.txtAllMoves), 0x302010u);

  // Window colour: the window shows it around the picture.
  const QPoint belowPicture = w.imgBoard->mapTo(&w, QPoint(10, w.imgBoard->Canvas().height() + 20));
  EXPECT_EQ(w.grab().toImage().pixelColor(belowPicture), ColorFromBgr(w.WindowColor()));
  dialogs_.colors.push_back(QColor(0x21, 0x43, 0x65));
  Item(w, "mnuiWindowColor")->trigger();
  EXPECT_EQ(w.WindowColor(), 0x654321u);
  EXPECT_EQ(w.grab().toImage().pixelColor(belowPicture), QColor(0x21, 0x43, 0x65));
  // Cancelled, the colour stays.
  Item(w, "mnuiWindowColor")->trigger();
  EXPECT_EQ(w.grab().toImage().pixelColor(belowPicture), QColor(0x21, 0x43, 0x65));

  // The partner-tells line follows its length: padded on the left, or cut.
  w.edPartnerTells->setText(QStringLiteral("hello"));
  QTest::keyClick(w.udPartnerTellsSLN, Qt::Key_Down);
  EXPECT_EQ(w.PartnerTellsLength, 79);
  EXPECT_EQ(w.edPartnerTells->text(), QString(74, '_') + "hello");
  w.udPartnerTellsSLN->setValue(30);
  EXPECT_EQ(w.edPartnerTells->text(), QString(25, '_') + "hello");
  const QString longLine = QString(40, 'x') + QStringLiteral("the end");
  w.edPartnerTells->setText(longLine);
  QTest::keyClick(w.udPartnerTellsSLN, Qt::Key_Up);
  EXPECT_EQ(w.edPartnerTells->text(), longLine.right(31));

  dialogs_.messages.push_back(Dialogs::Answer::Ok);
  Item(w, "mnuiBoardPhoenix")->trigger();
  const AskedDialog phoenix = dialogs_.Asked(Kind::Message).back();
  EXPECT_EQ(phoenix.title, "Phoenix");
  EXPECT_EQ(phoenix.text, "Phoenix is hidden now in board :)");
  EXPECT_EQ(phoenix.buttons, std::vector<Dialogs::Answer>{Dialogs::Answer::Ok});

  // The Board menu's "Show Coordinates" redraws and moves the check box too.
  const QImage with = w.imgBoard->Canvas().copy();
  w.mnuiShowCoordinates->trigger();
  EXPECT_FALSE(w.chbShowCoordinates->isChecked());
  EXPECT_EQ(w.Visual().ShowCoordinates, 0);
  EXPECT_NE(w.imgBoard->Canvas(), with);

  QAction* atTable = w.mnuiPlayersAtTableCanStartGame;
  atTable->setEnabled(true);
  ASSERT_TRUE(atTable->isChecked());
  atTable->trigger();
  EXPECT_FALSE(atTable->isChecked());
  atTable->trigger();
  EXPECT_TRUE(atTable->isChecked());

  EXPECT_FALSE(w.mnuiDebug->menuAction()->isVisible());
  w.mnuiDebugShowOn->trigger();
  EXPECT_TRUE(w.mnuiDebug->menuAction()->isVisible());
  w.mnuiDebugShowOn->trigger();
  EXPECT_FALSE(w.mnuiDebug->menuAction()->isVisible());
}

TEST_F(PanesTest, NameIsTypedOnlyBetweenStartOrJoinAndLogin) {
  TfrmKestrovane& server = Server();
  QAction* clientOptions = server.mnuiClientOptions->menuAction();
  EXPECT_FALSE(clientOptions->isEnabled());
  // The sounds are set under ClientOptions, not in a menu of their own.
  QMenu* sounds = nullptr;
  for (QAction* a : server.mnuiClientOptions->actions())
    if (a->menu() && a->text() == QStringLiteral("Sounds")) sounds = a->menu();
  ASSERT_NE(sounds, nullptr);
  EXPECT_TRUE(sounds->actions().contains(server.mnuiSoundsOff));
  for (QAction* a : server.MainMenu1->actions()) EXPECT_NE(a->text(), QStringLiteral("Sounds"));
  QTest::keyClicks(server.edName, QStringLiteral("X"));
  EXPECT_EQ(server.edName->text(), "Guest");

  ASSERT_TRUE(Session(server).StartServerOn(0));
  EXPECT_EQ(server.edName->text(), "Supervisor");
  EXPECT_TRUE(clientOptions->isEnabled());
  EXPECT_FALSE(server.mnuiPartnerTellsFont->isVisible());
  server.edName->selectAll();
  QTest::keyClicks(server.edName, QStringLiteral("Admin"));
  server.btnLogin->click();
  EXPECT_EQ(server.OwnPlayer.name, "Admin");
  QTest::keyClicks(server.edName, QStringLiteral("X"));
  EXPECT_EQ(server.edName->text(), "Admin");

  std::unique_ptr<TfrmKestrovane> client = NewWindow();
  QTest::keyClicks(client->edName, QStringLiteral("X"));
  EXPECT_EQ(client->edName->text(), "Guest");
  Session(*client).JoinServer("127.0.0.1", Port());
  ASSERT_TRUE(Wait([&] { return client->reNetGameLog->toPlainText().startsWith("Connected to KVX NetGame Server"); }));
  EXPECT_TRUE(client->mnuiClientOptions->menuAction()->isEnabled());
  EXPECT_TRUE(client->mnuiPartnerTellsFont->isVisible());
  client->edName->selectAll();
  QTest::keyClicks(client->edName, QStringLiteral("Bob"));
  EXPECT_EQ(client->edName->text(), "Bob");
  client->btnLogin->click();
  ASSERT_TRUE(Wait([&] { return Session(server).Table().Count() == 2; }));
  QTest::keyClicks(client->edName, QStringLiteral("X"));
  EXPECT_EQ(client->edName->text(), "Bob");
  EXPECT_EQ(client->edName->toolTip(), "Bob");

  client->mnuiDisconnect->trigger();
  EXPECT_FALSE(client->mnuiClientOptions->menuAction()->isEnabled());
  EXPECT_FALSE(client->mnuiPartnerTellsFont->isVisible());
  EXPECT_FALSE(client->edName->isEnabled());
}

}  // namespace
