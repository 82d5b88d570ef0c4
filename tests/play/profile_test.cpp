// The play window's profile: a whole round trip through the menu items, and
// a profile written on another machine loading completely.
#include "play/profile.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "display/board_display.h"
#include "play/pane_style.h"
#include "play/play_window.h"
#include "play/sounds_menu.h"
#include "tests/display/display_fixture.h"
#include "tests/platform/fake_dialogs.h"

namespace {

using Kind = AskedDialog::Kind;

using testdisplay::WriteFileWithFolders;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

QFont Font(const char* family, int points, bool bold, bool italic, bool underline, bool strikeOut) {
  QFont f{QString::fromLatin1(family)};
  f.setPointSize(points);
  f.setBold(bold);
  f.setItalic(italic);
  f.setUnderline(underline);
  f.setStrikeOut(strikeOut);
  return f;
}

void ExpectPane(const QWidget* pane, const PaneFont& font, uint32_t background) {
  const PaneFont f = FontOf(pane);
  EXPECT_EQ(f.font.family(), font.font.family()) << pane->objectName().toStdString();
  EXPECT_EQ(f.font.pointSize(), font.font.pointSize()) << pane->objectName().toStdString();
  EXPECT_EQ(FontStyleToString(f.font), FontStyleToString(font.font)) << pane->objectName().toStdString();
  EXPECT_EQ(f.color, font.color) << pane->objectName().toStdString();
  EXPECT_EQ(BackgroundOf(pane), background) << pane->objectName().toStdString();
}

class ProfileTest : public testdisplay::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    sounds_ = program_ + "/Sounds/";
    WriteFileWithFolders(sounds_ + "MOVE.WAV", "move-image");
    WriteFileWithFolders(sounds_ + "DEFAULT.WAV", "default");
    WriteFileWithFolders(sounds_ + "Other.wav", "other");
    WriteFileWithFolders(sounds_ + "PlayersVoice/Rori/Go.WAV", "x");
    WriteFileWithFolders(sounds_ + "PlayersVoice/Zed/Go.WAV", "x");
    WriteFileWithFolders(sounds_ + "PlayersVoice/VoiceSynth5/Hey.WAV", "x");
  }
  std::unique_ptr<TfrmKestrovane> NewWindow() {
    auto w = std::make_unique<TfrmKestrovane>();
    w->resize(1300, 800);
    w->show();
    return w;
  }
  // Loads through the menu item with `file` chosen in the dialog.
  void LoadThroughMenu(TfrmKestrovane& w, const std::string& file) {
    dialogs_.files.push_back(QString::fromStdString(file));
    w.mnuiLoadProfile->trigger();
  }

  FakeDialogs dialogs_;
  ScopedDialogs scoped_{dialogs_};
  std::string sounds_;
};

TEST_F(ProfileTest, EveryValueSurvivesARoundTripAndOtherKeysStay) {
  auto a = NewWindow();
  // Board fonts named, so the file does not depend on this machine's default face.
  for (VisualFont* f : {&a->Visual().FontPlayers, &a->Visual().FontLag, &a->Visual().FontCoordinates,
                        &a->Visual().FontPresumptiveTime})
    f->font.setFamily(QStringLiteral("Arial"));
  const PaneFont chat{Font("Courier New", 13, true, true, false, false), 0x112233};
  const PaneFont tells{Font("Times New Roman", 9, false, false, true, false), 0x010203};
  const PaneFont record{Font("Verdana", 15, true, false, false, true), 0x202020};
  SetPaneFont(a->edNetGameMessage, chat);
  SetBackground(a->edNetGameMessage, 0x445566);
  SetPaneFont(a->edPartnerTells, tells);
  SetBackground(a->edPartnerTells, 0x0A0B0C);
  SetPaneFont(a->reBPGNGames, record);
  SetBackground(a->reBPGNGames, 0x303030);
  a->SetWindowColor(0x405060);
  sound::SoundsMenu& sa = a->Sounds();
  const std::string hints[sound::kRoles] = {"RORI\\", "C:\\KESTRO\\SOUNDS\\PLAYERSVOICE\\ZED\\", "VOICESYNTH5\\",
                                            "E:\\ELSEWHERE\\", "ZED\\"};
  for (int r = 0; r < sound::kRoles; ++r) {
    sa.SetVoiceHint(r, hints[r]);
    sa.mnuiVoiceMute[static_cast<size_t>(r)]->trigger();
  }
  sa.mnuiUseWavesPerHandleIfExistsDir->trigger();
  ASSERT_TRUE(sa.LoadMoveSoundHint("OTHER.WAV"));
  sa.mnuiSoundMoveNone->trigger();
  sa.mnuiSoundsOff->trigger();  // last: it disables the other items

  // A file holding keys of its own, one of them the profile's.
  const std::string file = program_ + "/Profiles/Mine.INI";
  const std::string ownKeys = "[Other]\r\nKeep=1\r\n\r\n[Kestrovane]\r\nUserNote=mine\r\nSquareSize=99\r\n";
  WriteFileWithFolders(file, ownKeys);
  dialogs_.files.push_back(QString::fromStdString(file));
  a->mnuiSaveProfile->trigger();
  ASSERT_EQ(dialogs_.Asked(Kind::SaveFile).size(), 1u);
  EXPECT_EQ(dialogs_.Asked(Kind::SaveFile)[0].value, QStringLiteral("MyProfile.INI"));
  EXPECT_EQ(dialogs_.Asked(Kind::SaveFile)[0].folder.toStdString(), program_ + "/Profiles/");

  const std::string saved = ReadFile(file);
  const std::string goldenPath = std::string(KESTRO_SOURCE_DIR) + "/tests/data/play_profile.ini";
  if (qEnvironmentVariableIsSet("KESTRO_UPDATE_GOLDEN")) WriteFileWithFolders(goldenPath, saved);
  EXPECT_EQ(saved, ReadFile(goldenPath))
      << "The saved profile differs from tests/data/play_profile.ini. When the change is meant, rewrite it with\n"
         "  KESTRO_UPDATE_GOLDEN=1 build/bin/play_tests --gtest_filter='*SurvivesARoundTrip*'\n"
         "and review its diff before committing.";

  auto b = NewWindow();
  LoadThroughMenu(*b, file);
  ExpectPane(b->edNetGameMessage, chat, 0x445566);
  ExpectPane(b->reNetGameLog, chat, 0x445566);
  ExpectPane(b->edName, chat, 0x445566);
  ExpectPane(b->edPartnerTells, tells, 0x0A0B0C);
  ExpectPane(b->reBPGNGames, record, 0x303030);
  EXPECT_EQ(FontOf(b->txtAllMoves).color, record.color);
  EXPECT_EQ(BackgroundOf(b->txtAllMoves), 0x303030u);
  EXPECT_EQ(b->WindowColor(), 0x405060u);
  sound::SoundsMenu& sb = b->Sounds();
  EXPECT_TRUE(sb.mnuiSoundsOff->isChecked());
  for (QAction* item : sb.mnuiVoice) EXPECT_FALSE(item->isEnabled());
  EXPECT_FALSE(sb.mnuiUseWavesPerHandleIfExistsDir->isEnabled());
  EXPECT_FALSE(sb.mnuiSoundMove->isEnabled());
  const std::string voices = sounds_ + "PlayersVoice/";
  const std::string folders[sound::kRoles] = {voices + "Rori/", voices + "Zed/", voices + "VoiceSynth5/",
                                              "E:/ELSEWHERE/", voices + "Zed/"};
  for (int r = 0; r < sound::kRoles; ++r) {
    EXPECT_EQ(sb.VoiceHint(r), hints[r]);
    EXPECT_EQ(sb.mnuiVoiceWavDir[static_cast<size_t>(r)]->text().toStdString(), hints[r] + "*.WAV");
    EXPECT_EQ(sb.VoiceFolder(r), folders[r]);
    EXPECT_FALSE(sb.mnuiVoiceWavDir[static_cast<size_t>(r)]->isChecked());
  }
  EXPECT_FALSE(sb.mnuiUseWavesPerHandleIfExistsDir->isChecked());
  EXPECT_EQ(sb.MoveSoundHint(), "OTHER.WAV");
  EXPECT_FALSE(sb.mnuiSoundMoveWavFile->isChecked());
  ASSERT_TRUE(sb.Buffers().move);
  EXPECT_EQ(*sb.Buffers().move, "other");
  EXPECT_EQ(b->Visual().SquareSize, a->Visual().SquareSize);

  // What the second window holds is what the first saved, byte for byte.
  const std::string again = program_ + "/Profiles/Again.INI";
  WriteFileWithFolders(again, ownKeys);
  dialogs_.files.push_back(QString::fromStdString(again));
  b->mnuiSaveProfile->trigger();
  EXPECT_EQ(ReadFile(again), saved);
  EXPECT_TRUE(dialogs_.Asked(Kind::Message).empty());
}

TEST_F(ProfileTest, AProfileFromAnotherMachineWithAMissingSoundLoadsCompletely) {
  auto w = NewWindow();
  const int pictureWidth = w->Visual().PictureWidth;
  sound::SoundsMenu& s = w->Sounds();
  s.mnuiVoiceMute[1]->trigger();
  const std::string file = program_ + "/Profiles/Windows.INI";
  WriteFileWithFolders(file,
            "[Kestrovane]\r\n"
            "SquareSize=40\r\nShowCoordinates=0\r\nFlipSides=1\r\n"
            "ChatWindowFontColor=-2147483640\r\nChatWindowColor=-2147483643\r\nWindowColor=-2147483551\r\n"
            "SoundsOff=1\r\n"
            "VoicePlayerWavDir=C:\\Kestro\\Sounds\\PlayersVoice\\Rori\\\r\nVoicePlayerWavDirChecked=0\r\n"
            "VoicePartnerWavDirChecked=1\r\n"
            "VoiceObserverWavDir=D:\\Nowhere\\Voices\\\r\n"
            "UseWavesPerHandleIfExistsDir=0\r\n"
            "SoundMoveWavFile=C:\\Kestro\\Sounds\\GONE.WAV\r\nSoundMoveWavFileChecked=0\r\n");
  const std::string before = ReadFile(file);
  const uint32_t windowColor = w->WindowColor();
  LoadThroughMenu(*w, file);

  // The missing sound is said once; the previous one stays.
  const std::vector<AskedDialog> said = dialogs_.Asked(Kind::Message);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_TRUE(said[0].text.contains(QStringLiteral("GONE.WAV"))) << said[0].text.toStdString();
  ASSERT_TRUE(s.Buffers().move);
  EXPECT_EQ(*s.Buffers().move, "move-image");
  EXPECT_EQ(s.MoveSoundHint(), "C:\\Kestro\\Sounds\\GONE.WAV");

  // Everything after it still applies: folders, check marks and their radio partners.
  EXPECT_EQ(s.VoiceFolder(0), sounds_ + "PlayersVoice/Rori/");
  EXPECT_EQ(s.mnuiVoiceWavDir[0]->text(), QStringLiteral("C:\\Kestro\\Sounds\\PlayersVoice\\Rori\\*.WAV"));
  EXPECT_EQ(s.VoiceFolder(4), "D:/Nowhere/Voices/");
  EXPECT_FALSE(s.mnuiVoiceWavDir[0]->isChecked());
  EXPECT_TRUE(s.mnuiVoiceWavDir[1]->isChecked());
  EXPECT_FALSE(s.mnuiVoiceMute[1]->isChecked());
  EXPECT_FALSE(s.mnuiUseWavesPerHandleIfExistsDir->isChecked());
  EXPECT_FALSE(s.mnuiSoundMoveWavFile->isChecked());
  EXPECT_FALSE(s.mnuiSoundMoveNone->isChecked());
  EXPECT_TRUE(s.mnuiSoundsOff->isChecked());
  EXPECT_FALSE(s.mnuiSoundMove->isEnabled());

  // System colours come from the palette; an unknown one keeps the window's colour.
  EXPECT_EQ(FontOf(w->edNetGameMessage).color, BgrFromColor(QApplication::palette().color(QPalette::Text)));
  EXPECT_EQ(BackgroundOf(w->reNetGameLog), BgrFromColor(QApplication::palette().color(QPalette::Base)));
  EXPECT_EQ(w->WindowColor(), windowColor);

  // The piece set reloaded with the profile's square size, the check boxes followed, the window laid out.
  const KestrovaneVisualProperties& v = w->Visual();
  EXPECT_EQ(v.SquareSize, 40);
  EXPECT_GT(v.PictureWidth, pictureWidth);
  EXPECT_FALSE(w->chbShowCoordinates->isChecked());
  EXPECT_TRUE(w->chbFlipSides->isChecked());
  EXPECT_EQ(v.FlipSides, 1);
  EXPECT_EQ(w->reBPGNGames->x(), w->imgBoard->x() + v.PictureWidth);
  EXPECT_EQ(w->reBPGNGames->height(), v.PictureHeight);
  EXPECT_EQ(ReadFile(file), before);
}

}  // namespace
