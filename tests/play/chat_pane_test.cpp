// The chat pane over loopback, as its users see it: a burst of chat shows
// every line once and in order, and a flood leaves only the last lines.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStringList>
#include <QTextDocument>
#include <map>
#include <string>
#include <vector>

#include "play/chat_pane.h"
#include "tests/play/net_fixture.h"

namespace {

using nettest::Session;
using nettest::Wait;

class ChatPaneTest : public nettest::NetWindowsTest {
 protected:
  // Ann says every line of `lines`; true once both panes end with the last.
  bool Say(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) Session(Client(0)).SendTalk(line);
    const QString last = QString::fromStdString("Ann>" + lines.back());
    return WaitAll([&](TfrmKestrovane& w) { return w.reNetGameLog->toPlainText().endsWith(last); });
  }

  // The pane shows exactly `lines`, each as said by Ann, scrolled to its end.
  void ExpectPaneHolds(TfrmKestrovane& w, const std::vector<std::string>& lines) {
    SCOPED_TRACE(w.OwnPlayer.name);
    QStringList expected;
    for (const std::string& line : lines) expected << QString::fromStdString("Ann>" + line);
    const QStringList shown = w.reNetGameLog->toPlainText().split('\n');
    EXPECT_EQ(shown.size(), expected.size()) << shown.front().left(20).toStdString();
    EXPECT_TRUE(shown == expected);
    EXPECT_EQ(w.reNetGameLog->verticalScrollBar()->value(), w.reNetGameLog->verticalScrollBar()->maximum());
  }
};

TEST_F(ChatPaneTest, ABurstShowsEveryLineInOrderAndAFloodLeavesOnlyTheLastLines) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  ASSERT_NO_FATAL_FAILURE(JoinAndLogIn("Ann"));

  const std::vector<std::string> burst = {"one", "two", "three", "four", "five"};
  ASSERT_TRUE(Say(burst)) << Describe();
  for (TfrmKestrovane* w : {&Server(), &Client(0)}) {
    const QStringList pane = w->reNetGameLog->toPlainText().split('\n');
    ASSERT_GE(pane.size(), 5);
    EXPECT_EQ(pane.mid(pane.size() - 5), QStringList({"Ann>one", "Ann>two", "Ann>three", "Ann>four", "Ann>five"}));
    EXPECT_EQ(pane.count("Ann>one"), 1);
  }

  // Short lines: the last kMaxLines stay.
  std::vector<std::string> flood;
  for (int i = 1; i <= ChatPane::kMaxLines + 100; ++i) flood.push_back("flood " + std::to_string(i));
  // The flood is a burst: each pane shows it in one edit, not line by line
  // (a loaded machine may cut it into a few).
  std::map<TfrmKestrovane*, int> edits;
  std::vector<QMetaObject::Connection> counting;
  for (TfrmKestrovane* w : {&Server(), &Client(0)})
    counting.push_back(QObject::connect(w->reNetGameLog->document(), &QTextDocument::contentsChanged,
                                        [&edits, w] { ++edits[w]; }));
  ASSERT_TRUE(Say(flood)) << Describe();
  for (const auto& c : counting) QObject::disconnect(c);
  for (TfrmKestrovane* w : {&Server(), &Client(0)}) {
    EXPECT_GE(edits[w], 1) << w->OwnPlayer.name;
    EXPECT_LE(edits[w], 5) << w->OwnPlayer.name;
  }
  const std::vector<std::string> lastShort(flood.end() - ChatPane::kMaxLines, flood.end());
  ExpectPaneHolds(Server(), lastShort);
  ExpectPaneHolds(Client(0), lastShort);

  // Long lines, three of which fill the pane's kMaxChars characters (each
  // takes "Ann>" and a line end more): only the last three stay, whole.
  std::vector<std::string> longLines;
  for (char c = 'a'; c <= 'e'; ++c) longLines.push_back(std::string(ChatPane::kMaxChars / 3 - 5, c));
  ASSERT_TRUE(Say(longLines)) << Describe();
  const std::vector<std::string> lastLong(longLines.end() - 3, longLines.end());
  ExpectPaneHolds(Server(), lastLong);
  ExpectPaneHolds(Client(0), lastLong);

  // Lines read from the network wait for the rest of their burst, the last
  // kMaxLines of them at most, and are then shown in one edit.
  TfrmKestrovane& ann = Client(0);
  int annEdits = 0;
  const auto counted = QObject::connect(ann.reNetGameLog->document(), &QTextDocument::contentsChanged,
                                        [&annEdits] { ++annEdits; });
  std::vector<std::string> burst2;
  for (int i = 1; i <= ChatPane::kMaxLines + 100; ++i) burst2.push_back("Ann>burst " + std::to_string(i));
  for (const std::string& line : burst2) ann.AddChatLineLater(line);
  EXPECT_EQ(ann.Chat().WaitingLines(), size_t{ChatPane::kMaxLines});
  EXPECT_EQ(annEdits, 0);
  ASSERT_TRUE(Wait([&] { return ann.Chat().WaitingLines() == 0; }));
  QObject::disconnect(counted);
  EXPECT_EQ(annEdits, 1);
  std::vector<std::string> lastBurst;
  for (auto it = burst2.end() - ChatPane::kMaxLines; it != burst2.end(); ++it) lastBurst.push_back(it->substr(4));
  ExpectPaneHolds(ann, lastBurst);
}

}  // namespace
