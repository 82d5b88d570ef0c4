// Sounds: the voice a chat line is spoken in across a network game, the move
// sound, the Sounds menu, and the shipped WAV files.
#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "play/core/communicator.h"
#include "play/core/sound_choice.h"
#include "play/sounds.h"
#include "play/sounds_menu.h"
#include "tests/play/net_fixture.h"

namespace {

using nettest::Session;
using nettest::Wait;

// Keeps what would have been played.
class Recorder : public sound::SoundOutput {
 public:
  void PlayFileAsync(const std::string& path) override { played.push_back(path); }
  void PlayImageAndWait(const std::string& image) override { played.push_back("image:" + image); }
  void PlayImageAsync(const std::string& image) override { played.push_back("async:" + image); }
  std::vector<std::string> played;
};

using testdisplay::WriteFileWithFolders;

class SoundNetTest : public nettest::NetWindowsTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    sounds_ = program_ + "/Sounds/";
    // Names in other letter cases than the program asks for.
    WriteFileWithFolders(sounds_ + "MOVE.WAV", "move-image");
    WriteFileWithFolders(sounds_ + "default.wav", "default");
    const std::string v = sounds_ + "PlayersVoice/";
    WriteFileWithFolders(v + "VoiceSynth1/SUGGESTION.WAV", "x");
    WriteFileWithFolders(v + "VoiceSynth2/QGOOD.WAV", "x");
    WriteFileWithFolders(v + "VoiceSynth3/abortrequest.wav", "x");
    WriteFileWithFolders(v + "VoiceSynth4/NOB.WAV", "x");
    WriteFileWithFolders(v + "VoiceSynth4/hey.wav", "x");
    WriteFileWithFolders(v + "VoiceSynth5/readme.txt", "x");
    WriteFileWithFolders(v + "cid/GO.WAV", "x");   // Cid's own voice
    WriteFileWithFolders(v + "cid/Hey.WAV", "x");
    NetWindowsTest::SetUp();
  }
  std::string sounds_;
};

TEST_F(SoundNetTest, EveryRoleIsSpokenInItsVoiceAndTheMoveSoundPlays) {
  ASSERT_NO_FATAL_FAILURE(StartServerAndLogIn("Admin"));
  const std::array<std::string, 4> names = {"Ann", "Bob", "Cid", "Dan"};
  for (const std::string& name : names) ASSERT_NO_FATAL_FAILURE(JoinAndLogIn(name));
  for (int seat = 0; seat < 4; ++seat) Client(seat).mnuiTakeRoles[seat]->trigger();
  ASSERT_TRUE(WaitAll([&](TfrmKestrovane& w) {
    for (int seat = 0; seat < 4; ++seat)
      if (w.Game()->PlayerNames[seat] != names[static_cast<size_t>(seat)]) return false;
    return true;
  })) << Describe();
  TfrmKestrovane& ann = Client(0);  // WhiteA: partner BlackB, opponent BlackA
  ASSERT_TRUE(Wait([&] { return ann.OwnPlayer.partnerSeat == 3 && ann.OwnPlayer.opponentSeat == 1; }));
  Recorder heard;
  ann.Sounds().SetOutput(&heard);

  auto say = [&](TfrmKestrovane& from, const std::string& text) {
    heard.played.clear();
    from.edNetGameMessage->setText(QString::fromLatin1(text.c_str()));
    QTest::keyClick(from.edNetGameMessage, Qt::Key_Return);
    const QString shown = QString::fromLatin1((from.OwnPlayer.name + ">" + text).c_str());
    EXPECT_TRUE(Wait([&] { return ann.reNetGameLog->toPlainText().contains(shown); })) << text;
    return heard.played;
  };
  const std::string v = sounds_ + "PlayersVoice/";
  using Files = std::vector<std::string>;
  // Player: the phrase table's file found in another letter case.
  EXPECT_EQ(say(ann, "What Now ?"), Files{v + "VoiceSynth1/SUGGESTION.WAV"});
  // Partner, "+X"; opponent, the phrase with its trailing blank.
  EXPECT_EQ(say(Client(3), "+Q"), Files{v + "VoiceSynth2/QGOOD.WAV"});
  EXPECT_EQ(say(Client(1), "Request abort of game"), Files{v + "VoiceSynth3/abortrequest.wav"});
  // Partner's opponent has a voice of his own; a message never leaves it.
  EXPECT_EQ(say(Client(2), "../../MOVE"), Files{v + "cid/Hey.WAV"});
  EXPECT_EQ(say(Client(2), "/etc/passwd"), Files{v + "cid/Hey.WAV"});
  // The observer's folder has nothing: the program's default sound.
  EXPECT_EQ(say(Server(), "Yes"), Files{sounds_ + "default.wav"});

  // The partner muted: BlackB's rule speaks him as the partner's opponent.
  sound::SoundsMenu& menu = ann.Sounds();
  menu.mnuiVoiceMute[sound::kPartner]->trigger();
  EXPECT_FALSE(menu.mnuiVoiceWavDir[sound::kPartner]->isChecked());
  EXPECT_EQ(say(Client(3), "-B"), Files{v + "VoiceSynth4/NOB.WAV"});
  // Partner's opponent muted too: Dan is not spoken; Cid sits at WhiteB, so
  // the opponent's rule speaks him, in his own voice.
  menu.mnuiVoiceMute[sound::kPartnersOpponent]->trigger();
  EXPECT_EQ(say(Client(3), "-B"), Files{});
  EXPECT_EQ(say(Client(2), "Go"), Files{v + "cid/GO.WAV"});
  menu.mnuiUseWavesPerHandleIfExistsDir->trigger();
  EXPECT_EQ(say(Client(2), "+Q"), Files{sounds_ + "default.wav"});

  // The move sound comes with a new game, from memory, and not with "None" or "Off".
  heard.played.clear();
  Server().StartGameMenuClick(0);
  ASSERT_TRUE(Wait([&] { return !heard.played.empty(); }));
  EXPECT_EQ(heard.played.front(), "image:move-image");  // the supervisor's chat lines may follow
  menu.mnuiSoundMoveNone->trigger();
  heard.played.clear();
  ann.PlayMoveSoundAndWait();
  EXPECT_EQ(heard.played, Files{});
  menu.mnuiSoundMoveNone->setChecked(false);
  menu.mnuiSoundsOff->trigger();
  EXPECT_FALSE(menu.mnuiSoundMove->isEnabled());
  ann.PlayMoveSoundAndWait();
  EXPECT_EQ(say(ann, "What Now ?"), Files{});
}

class SoundMenuTest : public testdisplay::ProgramFolderTest {
 protected:
  FakeDialogs dialogs_;
  ScopedDialogs scoped_{dialogs_};
};

TEST_F(SoundMenuTest, ChosenFoldersAndFilesShowUpperCasedAndAMissingFileKeepsTheSound) {
  const std::string sounds = program_ + "/Sounds/";
  WriteFileWithFolders(sounds + "MOVE.WAV", "first");
  WriteFileWithFolders(sounds + "Other/Click.wav", "second");
  WriteFileWithFolders(sounds + "PlayersVoice/Rori/Coming.wav", "x");
  TfrmKestrovane w;
  Recorder heard;
  sound::SoundsMenu& menu = w.Sounds();
  menu.SetOutput(&heard);
  ASSERT_TRUE(menu.Buffers().move);
  const std::shared_ptr<const std::string> kept = menu.Buffers().move;  // shared, not freed under us

  // A voice folder below the program's voices: the hint loses that part.
  dialogs_.files.push_back(QString::fromStdString(sounds + "PlayersVoice/Rori/Coming.wav"));
  menu.mnuiVoiceMute[sound::kOpponent]->trigger();
  menu.mnuiVoiceWavDir[sound::kOpponent]->trigger();
  EXPECT_EQ(menu.mnuiVoiceWavDir[sound::kOpponent]->statusTip(), QStringLiteral("RORI\\"));
  EXPECT_EQ(menu.mnuiVoiceWavDir[sound::kOpponent]->text(), QStringLiteral("RORI\\*.WAV"));
  EXPECT_TRUE(menu.mnuiVoiceWavDir[sound::kOpponent]->isChecked());
  EXPECT_FALSE(menu.mnuiVoiceMute[sound::kOpponent]->isChecked());
  EXPECT_EQ(menu.VoiceFolder(sound::kOpponent), sounds + "PlayersVoice/Rori/");
  EXPECT_EQ(heard.played, std::vector<std::string>{sounds + "PlayersVoice/Rori/Coming.wav"});
  // Cancel changes nothing.
  dialogs_.files.push_back(std::nullopt);
  menu.mnuiVoiceWavDir[sound::kObserver]->trigger();
  EXPECT_EQ(menu.mnuiVoiceWavDir[sound::kObserver]->statusTip(), QStringLiteral("VoiceSynth5\\"));
  EXPECT_TRUE(menu.mnuiVoiceWavDir[sound::kObserver]->isChecked());

  // A missing move sound: a message box, the previous sound stays.
  dialogs_.files.push_back(QString::fromStdString(sounds + "Gone.wav"));
  menu.mnuiSoundMoveWavFile->trigger();
  ASSERT_FALSE(dialogs_.asked.empty());
  EXPECT_EQ(dialogs_.asked.back().kind, AskedDialog::Kind::Message);
  EXPECT_EQ(*menu.Buffers().move, "first");
  EXPECT_EQ(menu.mnuiSoundMoveWavFile->statusTip(), QStringLiteral("MOVE.WAV"));
  // Another one: loaded, played as a test, shown relative and upper-cased.
  heard.played.clear();
  dialogs_.files.push_back(QString::fromStdString(sounds + "Other/Click.wav"));
  menu.mnuiSoundMoveWavFile->trigger();
  EXPECT_EQ(*menu.Buffers().move, "second");
  EXPECT_EQ(*kept, "first");
  EXPECT_EQ(heard.played, std::vector<std::string>{"image:second"});
  EXPECT_EQ(menu.mnuiSoundMoveWavFile->text(), QStringLiteral("OTHER\\CLICK.WAV"));
}

TEST_F(SoundMenuTest, AWindowWithoutSoundFilesStartsSilent) {
  TfrmKestrovane w;
  EXPECT_FALSE(w.Sounds().Buffers().move);
  w.PlayMoveSoundAndWait();  // nothing to play, nothing reported
  EXPECT_TRUE(dialogs_.asked.empty());
}

// The shipped sounds: every file decodes, the move sound is short, and every
// message the communicator sends is spoken by a file of its own in every voice.
TEST(ShippedSounds, EveryFileDecodesAndEveryMessageHasItsFileInEveryVoice) {
  const std::string sounds = std::string(KESTRO_SOURCE_DIR) + "/assets/data/Sounds/";
  int files = 0;
  QDirIterator it(QString::fromStdString(sounds), {"*.WAV", "*.wav"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    sound::Pcm pcm;
    ASSERT_TRUE(sound::DecodeWav(std::string(bytes.constData(), static_cast<size_t>(bytes.size())), pcm))
        << path.toStdString();
    EXPECT_GT(pcm.Milliseconds(), 30) << path.toStdString();
    EXPECT_LE(pcm.rate, 16000) << path.toStdString();
    EXPECT_EQ(pcm.channels, 1) << path.toStdString();
    if (path.endsWith("/MOVE.WAV")) {
      EXPECT_LT(pcm.Milliseconds(), 150);
    }
    ++files;
  }
  EXPECT_GT(files, 5 * 40);

  std::vector<std::string> messages;
  for (const communicator::Button& b : communicator::kTable) messages.push_back(b.text);
  for (const sound::Phrase& p : sound::kPhraseTable) messages.push_back(p.message);
  for (int voice = 1; voice <= 5; ++voice) {
    const std::string folder = sounds + "PlayersVoice/VoiceSynth" + std::to_string(voice) + "/";
    EXPECT_FALSE(sound::FindPath(folder + "Hey.WAV").empty());
    for (const std::string& message : messages) {
      const std::string file = sound::ChooseChatSound(message, folder, "");
      EXPECT_EQ(file.compare(0, folder.size(), folder), 0) << message << " in voice " << voice;
      EXPECT_EQ(file.find("/Hey.WAV"), std::string::npos) << message << " in voice " << voice;
    }
  }
  // A sender's name is a folder name, never a way out of the voices' folder.
  const std::string voices = sounds + "PlayersVoice/";
  EXPECT_EQ(sound::HandleVoiceFolder(voices, "voicesynth2"), voices + "VoiceSynth2/");
  for (const char* name : {".", "..", "../PlayersVoice/VoiceSynth2", "VoiceSynth2/", "C:\\VoiceSynth2", ""})
    EXPECT_EQ(sound::HandleVoiceFolder(voices + "VoiceSynth1/", name), "") << name;
  for (const char* name : {"MOVE.WAV", "DEFAULT.WAV", "CallAdmin.WAV"})
    EXPECT_TRUE(QFile::exists(QString::fromStdString(sounds + name))) << name;
}

}  // namespace
