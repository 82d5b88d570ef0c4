// Every layout of the play window as the user meets it: local, set-up mode,
// server, client before and after Login, and the communicator made bigger
// and smaller. No visible control covers another, and every communicator
// caption fits inside its button.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <string>
#include <vector>

#include "play/core/communicator.h"
#include "play/play_window.h"
#include "tests/play/net_fixture.h"

namespace {

using nettest::NetWindowsTest;

std::string Where(const QWidget* w) {
  const QRect r = w->geometry();
  return w->objectName().toStdString() + " (" + std::to_string(r.x()) + "," + std::to_string(r.y()) + " " +
         std::to_string(r.width()) + "x" + std::to_string(r.height()) + ")";
}

// The controls of the form that the user can see.
std::vector<QWidget*> VisibleControls(TfrmKestrovane& w) {
  std::vector<QWidget*> shown;
  for (QWidget* c : w.imgBoard->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (c->isVisibleTo(&w)) shown.push_back(c);
  return shown;
}

void ExpectNothingOverlaps(TfrmKestrovane& w, const std::string& layout) {
  const std::vector<QWidget*> shown = VisibleControls(w);
  for (size_t i = 0; i < shown.size(); ++i)
    for (size_t j = i + 1; j < shown.size(); ++j)
      EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
          << layout << ": " << Where(shown[i]) << " covers " << Where(shown[j]);
}

// The caption is drawn inside the button's contents: it must be no wider and
// no taller than they are.
void ExpectCaptionsFit(TfrmKestrovane& w, const std::string& layout) {
  for (int i = 0; i < communicator::kButtons; ++i) {
    const QPushButton* b = i < communicator::kGameButtons
                               ? w.btnGame[static_cast<size_t>(i)]
                               : w.btnQuicky[static_cast<size_t>(i - communicator::kGameButtons)];
    QStyleOptionButton option;
    option.initFrom(b);
    option.text = b->text();
    const QRect contents = b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b);
    const QFontMetrics metrics = b->fontMetrics();
    EXPECT_LE(metrics.horizontalAdvance(b->text()), contents.width()) << layout << ": " << Where(b);
    EXPECT_LE(metrics.height(), contents.height()) << layout << ": " << Where(b);
  }
}

void ExpectLayoutSound(TfrmKestrovane& w, const std::string& layout) {
  ExpectNothingOverlaps(w, layout);
  ExpectCaptionsFit(w, layout);
}

class LayoutTest : public NetWindowsTest {};

TEST_F(LayoutTest, NoControlCoversAnotherAndEveryCaptionFitsInEveryLayout) {
  TfrmKestrovane& server = Server();
  ExpectLayoutSound(server, "local");
  server.btnSetupPosition->click();
  ASSERT_TRUE(server.pcXBEngines->isVisibleTo(&server));
  ExpectLayoutSound(server, "set-up mode");
  server.btnNewGame->click();
  ExpectLayoutSound(server, "local game");

  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  ExpectLayoutSound(server, "server");

  clients_.push_back(NewWindow());
  TfrmKestrovane& client = *clients_.back();
  nettest::Session(client).JoinServer("127.0.0.1", Port());
  ASSERT_TRUE(nettest::Wait([&] { return client.btnLogin->isVisibleTo(&client); }));
  ASSERT_TRUE(client.btnQuicky[0]->isVisibleTo(&client));
  ExpectLayoutSound(client, "client before Login");
  client.edName->setText(QStringLiteral("Ann"));
  // Before the connection is made a Login would be lost: it is refused and said.
  client.btnLogin->click();
  EXPECT_TRUE(client.btnLogin->isVisibleTo(&client));
  EXPECT_TRUE(client.OwnPlayer.handle.empty());
  ASSERT_FALSE(dialogs_.asked.empty());
  EXPECT_TRUE(dialogs_.asked.back().text.startsWith(QStringLiteral("Not connected to the server yet.")));
  ASSERT_TRUE(nettest::Wait([&] { return client.reNetGameLog->toPlainText().startsWith("Connected to KVX NetGame Server"); }));
  client.btnLogin->click();
  ASSERT_TRUE(nettest::Wait([&] { return client.OwnPlayer.name == "Ann"; }));
  ASSERT_FALSE(client.btnLogin->isVisibleTo(&client));
  ExpectLayoutSound(client, "client after Login");
  ASSERT_GT(VisibleControls(client).size(), 60u);
  // The form's sizes stay: 15 pixels high, 14 to 65 wide.
  for (QPushButton* b : client.btnQuicky) {
    EXPECT_EQ(b->height(), 15) << Where(b);
    EXPECT_GE(b->width(), 14) << Where(b);
    EXPECT_LE(b->width(), 65) << Where(b);
  }

  for (const char* step : {"Bigger", "Bigger", "Smaller", "Smaller", "Smaller"}) {
    (step[0] == 'B' ? client.mnuiCommunicatorButtonsSize2 : client.mnuiCommunicatorButtonsSize1)->trigger();
    ExpectLayoutSound(client, std::string("client after ") + step);
  }
  client.btnReNetGameLogSizeChange->click();
  client.btnReNetGameLogSizeChangeWidthPlus->click();
  ExpectLayoutSound(client, "client with a taller, wider chat pane");
  client.Visual().SquareSize = 12;
  client.FullRedraw();
  for (int i = 0; i < 4; ++i) client.mnuiCommunicatorButtonsSize2->trigger();
  ExpectLayoutSound(client, "client with small squares and big buttons");

  client.mnuiDisconnect->trigger();
  ASSERT_EQ(client.NetworkMode, 0);
  ExpectLayoutSound(client, "local after Disconnect");
  client.btnSetupPosition->click();
  ExpectLayoutSound(client, "set-up mode after Disconnect");
}

// Every control beside and under the boards, "Send" and the tabs of the
// engines included, is seen with the boards on a laptop's screen, without
// scrolling sideways; what lies lower can be scrolled into view.
void ExpectAllReachable(TfrmKestrovane& w, const std::string& layout) {
  QApplication::processEvents();
  QWidget* surface = w.imgBoard->parentWidget();
  auto* area = qobject_cast<QScrollArea*>(surface->parentWidget()->parentWidget());
  ASSERT_NE(area, nullptr);
  const int seenWidth = area->viewport()->width();
  const int reachedHeight = area->viewport()->height() + area->verticalScrollBar()->maximum();
  for (QWidget* c : VisibleControls(w)) {
    EXPECT_GE(c->x(), 0) << layout << ": " << Where(c);
    EXPECT_LE(c->x() + c->width(), seenWidth) << layout << ": " << Where(c);
    EXPECT_LE(c->y() + c->height(), reachedHeight) << layout << ": " << Where(c);
  }
  ASSERT_TRUE(w.pcXBEngines->isVisibleTo(&w)) << layout;
  QTabBar* tabs = w.pcXBEngines->tabBar();
  const bool allTabsShown = tabs->tabRect(tabs->count() - 1).right() < tabs->width();
  EXPECT_TRUE(allTabsShown || tabs->usesScrollButtons()) << layout;
  for (int page = 0; page < w.pcXBEngines->count(); ++page) {
    w.pcXBEngines->setCurrentIndex(page);
    QApplication::processEvents();
    QWidget* shown = w.pcXBEngines->currentWidget();
    const QRect inTabs(shown->mapTo(w.pcXBEngines, QPoint(0, 0)), shown->size());
    EXPECT_TRUE(w.pcXBEngines->rect().contains(inTabs)) << layout << ": page " << page;
    const auto parts = shown->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_GE(parts.size(), 3) << layout << ": the pane, the line and Send";
    for (QWidget* part : parts) {
      EXPECT_TRUE(shown->rect().contains(part->geometry())) << layout << ": page " << page << " " << Where(part);
      EXPECT_GE(part->width(), part->minimumSizeHint().width()) << layout << ": page " << page << " " << Where(part);
    }
  }
  w.pcXBEngines->setCurrentIndex(0);
}

TEST_F(LayoutTest, EveryControlIsReachableOnALaptopScreen) {
  TfrmKestrovane& server = Server();
  server.btnSetupPosition->click();
  for (int width : {1366, 1300}) {
    server.resize(width, 768);
    ExpectAllReachable(server, "set-up mode " + std::to_string(width));
  }
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  ASSERT_NO_FATAL_FAILURE(JoinAndLogIn("Ann"));
  for (TfrmKestrovane* w : {&Server(), &Client(0)})
    for (int width : {1366, 1300}) {
      w->resize(width, 768);
      ExpectAllReachable(*w, (w == &Server() ? "server " : "client ") + std::to_string(width));
    }
  // A wide window keeps the form's widths.
  Client(0).resize(1600, 900);
  QApplication::processEvents();
  EXPECT_EQ(Client(0).reBPGNGames->width(), 250);
  EXPECT_EQ(Client(0).txtAllMoves->width(), 190);
  EXPECT_EQ(Client(0).pcXBEngines->width(), 300);
}

}  // namespace

