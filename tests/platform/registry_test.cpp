#include "platform/registry.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <vector>

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  std::string File() const { return dir_.filePath("Kestrovane/registry.ini").toStdString(); }
  QTemporaryDir dir_;
};

TEST_F(RegistryTest, KeysAndValueNamesIgnoreLetterCase) {
  Registry reg(File());
  reg.WriteString("HKEY_CLASSES_ROOT\\.BPGN", "", "bpgnview.2");
  reg.WriteString("HKLM\\Software\\Bughouse\\Kestrovane", "Lastver", "/opt/kv/kestrovane");
  EXPECT_EQ(reg.ReadString("hkey_classes_root\\.bpgn", ""), "bpgnview.2");
  EXPECT_EQ(reg.ReadString("\\HKCR\\\\.Bpgn\\", ""), "bpgnview.2");
  EXPECT_EQ(reg.ReadString("HKEY_LOCAL_MACHINE\\SOFTWARE\\bughouse\\KESTROVANE", "LASTVER"), "/opt/kv/kestrovane");
  EXPECT_FALSE(reg.ReadString("HKEY_CLASSES_ROOT\\.BPGN", "Other").has_value());
  EXPECT_FALSE(reg.ReadString("HKEY_CLASSES_ROOT\\.PGN", "").has_value());
  EXPECT_TRUE(reg.KeyExists("HKEY_LOCAL_MACHINE\\Software"));  // above a written key
  EXPECT_FALSE(reg.KeyExists("HKEY_LOCAL_MACHINE\\Soft"));
  reg.WriteString("HKCR\\.bpgn", "", "changed");
  EXPECT_EQ(reg.ReadString("HKEY_CLASSES_ROOT\\.BPGN", ""), "changed");
}

TEST_F(RegistryTest, SavedStoreReadsBackWithAwkwardNamesAndValues) {
  Registry reg(File());
  reg.WriteString("HKCR\\bpgnview.2\\Shell\\Open\\Command", "", "\"/a b/kv\" \"%1\"");
  reg.WriteString("HKCR\\K", "@", "at sign");
  reg.WriteString("HKCR\\K", "a=b", "two\r\nlines\\");
  reg.WriteString("HKCR\\K", "", "");
  reg.CreateKey("HKCU\\Empty\\Key");
  const std::vector<std::string> percents = {"%", "%41", "%4", "%\r", "%0\n", "%%25", "100%"};
  for (size_t i = 0; i < percents.size(); ++i) reg.WriteString("HKCR\\P", "v" + std::to_string(i), percents[i]);
  ASSERT_TRUE(reg.Save());
  EXPECT_NE(reg.Text().find("@=\"/a b/kv\" \"%1\""), std::string::npos) << reg.Text();

  const Registry back(File());
  EXPECT_EQ(back.ReadString("HKCR\\bpgnview.2\\Shell\\Open\\Command", ""), "\"/a b/kv\" \"%1\"");
  EXPECT_EQ(back.ReadString("HKCR\\K", "@"), "at sign");
  EXPECT_EQ(back.ReadString("HKCR\\K", "a=b"), "two\r\nlines\\");
  EXPECT_EQ(back.ReadString("HKCR\\K", ""), "");
  EXPECT_TRUE(back.KeyExists("HKEY_CURRENT_USER\\Empty\\Key"));
  for (size_t i = 0; i < percents.size(); ++i) {
    EXPECT_EQ(back.ReadString("HKCR\\P", "v" + std::to_string(i)), percents[i]) << i;
  }
  EXPECT_EQ(back.Text(), reg.Text());
}

TEST_F(RegistryTest, MoveKeyTakesTheWholeSubtree) {
  Registry reg(File());
  reg.WriteString("HKCR\\p\\Shell\\Open", "", "verb");
  reg.WriteString("HKCR\\p\\Shell\\Open\\Command", "", "cmd");
  reg.WriteString("HKCR\\p\\Shell\\Open\\Command\\Deeper", "x", "y");
  reg.WriteString("HKCR\\p\\Shell\\OpenOther", "", "unrelated");
  ASSERT_TRUE(reg.MoveKey("HKCR\\p\\shell\\open", "HKCR\\p\\Shell\\Open with BPGNView"));
  EXPECT_FALSE(reg.KeyExists("HKCR\\p\\Shell\\Open"));
  EXPECT_EQ(reg.ReadString("HKCR\\p\\Shell\\Open with BPGNView", ""), "verb");
  EXPECT_EQ(reg.ReadString("HKCR\\p\\Shell\\Open with BPGNView\\Command", ""), "cmd");
  EXPECT_EQ(reg.ReadString("HKCR\\p\\Shell\\Open with BPGNView\\Command\\Deeper", "x"), "y");
  EXPECT_EQ(reg.ReadString("HKCR\\p\\Shell\\OpenOther", ""), "unrelated");
  ASSERT_TRUE(reg.Save());
  EXPECT_EQ(Registry(File()).ReadString("HKCR\\p\\Shell\\Open with BPGNView\\Command", ""), "cmd");
}

TEST_F(RegistryTest, MoveKeyRefusesToOverwriteOrToMoveBelowItself) {
  Registry reg(File());
  reg.WriteString("HKCR\\a", "", "a");
  reg.WriteString("HKCR\\b\\c", "", "c");
  EXPECT_FALSE(reg.MoveKey("HKCR\\a", "HKCR\\b"));  // "b" exists above "b\c"
  EXPECT_EQ(reg.ReadString("HKCR\\a", ""), "a");
  EXPECT_FALSE(reg.KeyExists("HKCR\\b\\c\\a"));
  EXPECT_FALSE(reg.MoveKey("HKCR\\a", "HKCR\\a\\inner"));
  EXPECT_FALSE(reg.MoveKey("HKCR\\missing", "HKCR\\z"));
  EXPECT_FALSE(reg.KeyExists("HKCR\\z"));
}

TEST_F(RegistryTest, TheDefaultStoreFollowsXdgConfigHome) {
  const QByteArray old = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
  EXPECT_EQ(Registry().File(), File());
  if (old.isNull()) {
    qunsetenv("XDG_CONFIG_HOME");
  } else {
    qputenv("XDG_CONFIG_HOME", old);
  }
}

}  // namespace
