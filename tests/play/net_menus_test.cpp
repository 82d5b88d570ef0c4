// The NetGame menu's roads through the play window: Start Server with its port
// box, Login as administrator, Who, Join with its two queries, and Disconnect,
// each leaving the menus and controls as the user expects.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <memory>

#include "play/play_window.h"
#include "play/sounds_menu.h"
#include "tests/display/display_fixture.h"
#include "tests/platform/fake_dialogs.h"

namespace {

using Kind = AskedDialog::Kind;

// A port nobody listens on right now.
uint16_t FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

class NetMenusTest : public testdisplay::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    w_ = std::make_unique<TfrmKestrovane>();
    w_->resize(1300, 800);
    w_->show();
  }
  QString Pane() const { return w_->reNetGameLog->toPlainText(); }
  bool Visible(QWidget* widget) const { return widget->isVisibleTo(w_.get()); }

  FakeDialogs dialogs_;
  ScopedDialogs scoped_{dialogs_};
  std::unique_ptr<TfrmKestrovane> w_;
};

TEST_F(NetMenusTest, ServerStartsLogsInAnswersWhoAndDisconnects) {
  // A port that is no number, then one in use: nothing starts, the user is told.
  dialogs_.inputs.push_back(QStringLiteral("64x"));
  w_->mnuiStartServer->trigger();
  QTcpServer taken;
  ASSERT_TRUE(taken.listen(QHostAddress::Any, 0));
  dialogs_.inputs.push_back(QString::number(taken.serverPort()));
  w_->mnuiStartServer->trigger();
  const auto messages = dialogs_.Asked(Kind::Message);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, "The port must be a whole number from 1 to 65535.");
  EXPECT_TRUE(messages[1].text.startsWith("Cannot start the server on port")) << messages[1].text.toStdString();
  EXPECT_EQ(w_->NetworkMode, 0);
  EXPECT_TRUE(w_->mnuiStartServer->isEnabled());
  EXPECT_FALSE(w_->mnuiDisconnect->isEnabled());

  const uint16_t port = FreePort();
  dialogs_.inputs.push_back(QString::number(port));
  w_->mnuiStartServer->trigger();
  const auto inputs = dialogs_.Asked(Kind::Input);
  EXPECT_EQ(inputs.back().title, "Net Game Server ");
  EXPECT_EQ(inputs.back().text, "Port (try 80 if proxy on road):");
  EXPECT_EQ(inputs.back().value, "6464");
  EXPECT_EQ(w_->NetworkMode, 1);
  EXPECT_EQ(w_->ActsAsServer, 1);
  EXPECT_TRUE(Pane().contains("Starting server, listening...\n")) << Pane().toStdString();
  EXPECT_FALSE(w_->mnuiStartServer->isEnabled());
  EXPECT_FALSE(w_->mnuiJoinToServer->isEnabled());
  EXPECT_TRUE(w_->mnuiDisconnect->isEnabled());
  EXPECT_TRUE(Visible(w_->btnLogin));
  EXPECT_FALSE(Visible(w_->btnNewGame));
  EXPECT_EQ(w_->edName->text(), "Supervisor");
  EXPECT_EQ(w_->OwnRoles, 0);
  // Sounds off, and their sub-menus with them.
  EXPECT_TRUE(w_->mnuiSoundsOff->isChecked());
  EXPECT_FALSE(w_->Sounds().mnuiSoundMove->isEnabled());
  EXPECT_FALSE(w_->Sounds().mnuiVoice[0]->isEnabled());

  w_->edName->setText(QStringLiteral("Tolvo"));
  w_->btnLogin->click();
  EXPECT_FALSE(Visible(w_->btnLogin));
  EXPECT_EQ(w_->OwnRoles, 7);
  EXPECT_TRUE(Pane().endsWith("Tolvo logged in as administrator."));
  for (QAction* a : w_->StartGameItems) EXPECT_TRUE(a->isEnabled());
  w_->mnuiWho->trigger();
  EXPECT_TRUE(Pane().endsWith("On this server is online 1 active chess players:\n"
                              "Tolvo                 Roles 11100000 [  1]"))
      << Pane().toStdString();

  // The administrator's chat goes round the server's own window.
  w_->edNetGameMessage->setText(QStringLiteral("<b>hello</b>"));
  QTest::keyClick(w_->edNetGameMessage, Qt::Key_Return);
  EXPECT_TRUE(Pane().endsWith("Tolvo><b>hello</b>")) << Pane().toStdString();
  EXPECT_TRUE(w_->edNetGameMessage->text().isEmpty());

  w_->mnuiDisconnect->trigger();
  EXPECT_EQ(w_->NetworkMode, 0);
  EXPECT_TRUE(Pane().endsWith("Disconnecting ..."));
  EXPECT_TRUE(w_->mnuiStartServer->isEnabled());
  EXPECT_TRUE(w_->mnuiJoinToServer->isEnabled());
  EXPECT_FALSE(w_->mnuiDisconnect->isEnabled());
  EXPECT_TRUE(Visible(w_->btnNewGame));
  for (QAction* a : w_->StartGameItems) EXPECT_FALSE(a->isEnabled());
  // The port is free again.
  QTcpServer again;
  EXPECT_TRUE(again.listen(QHostAddress::Any, port));
}

TEST_F(NetMenusTest, JoinAsksAddressAndPortAndSaysWhenNoServerAnswers) {
  w_->mnuiJoinToServer->trigger();  // the address query cancelled
  EXPECT_EQ(w_->NetworkMode, 0);
  EXPECT_TRUE(w_->mnuiJoinToServer->isEnabled());

  const uint16_t port = FreePort();
  dialogs_.inputs.push_back(QStringLiteral("127.0.0.1"));
  dialogs_.inputs.push_back(QString::number(port));
  w_->mnuiJoinToServer->trigger();
  const auto inputs = dialogs_.Asked(Kind::Input);
  ASSERT_EQ(inputs.size(), 3u);
  EXPECT_EQ(inputs[1].title, "Net game server ");
  EXPECT_EQ(inputs[1].value, "127.0.0.1");
  EXPECT_EQ(inputs[2].title, "Net Game Server");
  EXPECT_EQ(inputs[2].text, "Port :");
  EXPECT_EQ(w_->NetworkMode, 2);
  EXPECT_TRUE(Visible(w_->btnLogin));
  EXPECT_TRUE(w_->mnuiDisconnect->isEnabled());
  EXPECT_TRUE(Pane().endsWith("Trying connect as client (wait please 1 minute) ..."));
  const QString error = "Error connecting to server: 127.0.0.1 port: " + QString::number(port) +
                        ". Sorry no server found.";
  EXPECT_TRUE(QTest::qWaitFor([&] { return Pane().endsWith(error); }, 30000)) << Pane().toStdString();

  w_->mnuiDisconnect->trigger();
  EXPECT_EQ(w_->NetworkMode, 0);
  EXPECT_TRUE(w_->mnuiJoinToServer->isEnabled());
}

}  // namespace
