// The communicator over loopback: the buttons carry the captions of the
// golden list, a click on a client reaches every window as a Talk line from
// the sender, and the size menu grows and shrinks the block without losing
// its logical sizes. Every message is spoken by its own file of the
// listener's voice for the sender.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <fstream>
#include <string>
#include <vector>

#include "play/core/communicator.h"
#include "play/play_window.h"
#include "play/sounds_menu.h"
#include "tests/play/net_fixture.h"

namespace {

using nettest::NetWindowsTest;

struct GoldenButton {
  std::string name, caption, text;
};

std::vector<GoldenButton> ReadGolden() {
  std::ifstream in(std::string(KESTRO_SOURCE_DIR) + "/tests/data/communicator_texts.txt", std::ios::binary);
  std::vector<GoldenButton> rows;
  for (std::string line; std::getline(in, line);) {
    const size_t a = line.find('\t');
    const size_t b = line.find('\t', a + 1);
    rows.push_back({line.substr(0, a), line.substr(a + 1, b - a - 1), line.substr(b + 1)});
  }
  return rows;
}

bool PaneHasLine(TfrmKestrovane& w, const std::string& line) {
  return w.reNetGameLog->toPlainText().split('\n').contains(QString::fromLatin1(line.c_str()));
}

// Keeps the files that would have been played.
class Recorder : public sound::SoundOutput {
 public:
  void PlayFileAsync(const std::string& path) override { played.push_back(path); }
  void PlayImageAndWait(const std::string&) override {}
  void PlayImageAsync(const std::string&) override {}
  std::vector<std::string> played;
};

class CommunicatorTest : public NetWindowsTest {
 protected:
  // The program's shipped voices.
  void SetUp() override {
    ProgramFolderTest::SetUp();
    QFile::link(QString::fromStdString(std::string(KESTRO_SOURCE_DIR) + "/assets/data/Sounds"),
                QString::fromStdString(program_ + "/Sounds"));
    NetWindowsTest::SetUp();
  }
};

TEST_F(CommunicatorTest, ClicksReachEveryWindowAsTalkAndButtonsFollowTheGoldenList) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  ASSERT_NO_FATAL_FAILURE(JoinAndLogIn("Ann"));
  ASSERT_NO_FATAL_FAILURE(JoinAndLogIn("Bob"));
  TfrmKestrovane& client = Client(0);
  // Bob hears Ann, who holds no seat, in the observer's voice.
  Recorder heard;
  Client(1).Sounds().SetOutput(&heard);
  ASSERT_TRUE(Client(1).Sounds().Settings().soundsOn);
  const std::string observer = program_ + "/Sounds/PlayersVoice/VoiceSynth5/";

  const std::vector<GoldenButton> golden = ReadGolden();
  ASSERT_EQ(golden.size(), static_cast<size_t>(communicator::kButtons));
  for (size_t i = 0; i < golden.size(); ++i) {
    const GoldenButton& g = golden[i];
    EXPECT_EQ(communicator::kTable[i].name, g.name);
    EXPECT_EQ(communicator::kTable[i].caption, g.caption);
    EXPECT_EQ(communicator::kTable[i].text, g.text);
    auto* b = client.findChild<QPushButton*>(QString::fromStdString(g.name));
    ASSERT_NE(b, nullptr) << g.name;
    EXPECT_EQ(b->text().toStdString(), g.caption) << g.name;
    EXPECT_EQ(b->height(), 15) << g.name;
    EXPECT_TRUE(b->isVisibleTo(&client)) << g.name;
  }

  // Every button of the client, in turn: the server relays it to all.
  heard.played.clear();
  for (const GoldenButton& g : golden) {
    client.findChild<QPushButton*>(QString::fromStdString(g.name))->click();
    const std::string line = "Ann>" + g.text;
    ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) { return PaneHasLine(w, line); })) << g.name << "\n" << Describe();
    // Spoken by the message's own file of that voice.
    ASSERT_FALSE(heard.played.empty()) << g.name;
    EXPECT_EQ(heard.played.back(), sound::ChooseChatSound(g.text, observer, "")) << g.name;
    EXPECT_EQ(heard.played.back().compare(0, observer.size(), observer), 0) << g.name;
    heard.played.clear();
  }
  // The server's own click goes through its processor with its handle.
  Server().btnQuicky[10]->click();
  EXPECT_TRUE(WaitAll([&](TfrmKestrovane& w) { return PaneHasLine(w, "Admin>+ I need something to drop ..."); }))
      << Describe();

  // Three "Smaller" bring the 15-pixel buttons to 0; a fourth keeps the
  // widgets at 0 and as many "Bigger" restore every size.
  QPushButton* quick = client.btnQuicky[0];
  const QSize quickSize = quick->size(), loginSize = client.btnLogin->size(), gameSize = client.btnGame[8]->size();
  for (int i = 0; i < 3; ++i) client.mnuiCommunicatorButtonsSize1->trigger();
  EXPECT_EQ(quick->height(), 0);
  EXPECT_EQ(quick->width(), quickSize.width() - 6);
  client.mnuiCommunicatorButtonsSize1->trigger();
  EXPECT_EQ(quick->height(), 0);
  EXPECT_EQ(client.btnLogin->height(), std::max(loginSize.height() - 20, 0));
  for (int i = 0; i < 6; ++i) client.mnuiCommunicatorButtonsSize2->trigger();
  EXPECT_EQ(quick->size(), quickSize + QSize(4, 10));
  EXPECT_EQ(client.btnGame[8]->size(), gameSize + QSize(4, 10));
  EXPECT_EQ(client.btnLogin->size(), loginSize + QSize(4, 10));
  // Laid out again: the quick-chat row follows the grown widths.
  EXPECT_EQ(client.btnQuicky[1]->x(), quick->x() + quick->width());
  for (int i = 0; i < 2; ++i) client.mnuiCommunicatorButtonsSize1->trigger();
  EXPECT_EQ(quick->size(), quickSize);
  EXPECT_EQ(client.btnLogin->size(), loginSize);
}

}  // namespace
