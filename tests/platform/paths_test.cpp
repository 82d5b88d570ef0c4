#include "platform/paths.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.path().toStdString();
    ASSERT_TRUE(QDir(dir_.path()).mkpath("Graphic/Piece/Bitmap/Tolvo1"));
    ASSERT_TRUE(QDir(dir_.path()).mkpath("Sys"));
    QFile file(dir_.filePath("Sys/CHESSBUG.TTF"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  void TearDown() override { paths::SetProgramFolderForTests(""); }

  QTemporaryDir dir_;
  std::string root_;
};

TEST_F(PathsTest, WindowsProfileFoldersResolveInAnyLetterCase) {
  EXPECT_EQ(paths::Resolve(root_ + "\\GRAPHIC\\piece\\BITMAP\\tolvo1\\"), root_ + "/Graphic/Piece/Bitmap/Tolvo1/");
  EXPECT_EQ(paths::Resolve(root_ + "/sys/chessbug.ttf"), root_ + "/Sys/CHESSBUG.TTF");
  // What does not exist is kept as written, below what does.
  EXPECT_EQ(paths::Resolve(root_ + "\\graphic\\NoSuch\\Sys"), root_ + "/Graphic/NoSuch/Sys");
  EXPECT_EQ(paths::Resolve(root_ + "\\\\Graphic\\\\Piece"), root_ + "/Graphic/Piece");
}

TEST_F(PathsTest, AWindows1252NameFindsItsUtf8Folder) {
  ASSERT_TRUE(QDir(dir_.path()).mkdir(QString::fromUtf8("Pi\xC3\xA8" "ces")));  // "Pieces" with e grave
  EXPECT_EQ(paths::Resolve(root_ + "\\PI\xC8" "CES\\"), root_ + "/Pi\xC3\xA8" "ces/");  // E grave in Windows-1252
  EXPECT_EQ(paths::Resolve(root_ + "/PI\xC3\x88" "CES"), root_ + "/Pi\xC3\xA8" "ces");  // E grave in UTF-8
}

TEST_F(PathsTest, BelowTheProgramFolder) {
  paths::SetProgramFolderForTests(root_ + "/");
  EXPECT_EQ(paths::ProgramFolder(), root_);
  EXPECT_EQ(paths::Below("\\SYS\\"), root_ + "/Sys/");
  EXPECT_EQ(paths::Below("\\Sys\\chessbug.ttf"), root_ + "/Sys/CHESSBUG.TTF");
  EXPECT_EQ(paths::Below("Graphic/Piece/Bitmap/Kestrovane_Default/"), root_ + "/Graphic/Piece/Bitmap/Kestrovane_Default/");
  EXPECT_EQ(paths::Below("HelpHtml\\All.html"), root_ + "/HelpHtml/All.html");
  EXPECT_EQ(paths::Below(""), root_ + "/");
  EXPECT_EQ(paths::Below("\\"), root_ + "/");
}

TEST_F(PathsTest, TheProgramFolderIsTheExecutablesFolder) {
  const std::string& exe = paths::ProgramPath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe.substr(exe.rfind('/') + 1), "platform_tests");
  EXPECT_EQ(paths::ProgramFolder() + "/platform_tests", exe);
}

}  // namespace
