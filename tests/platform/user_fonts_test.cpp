#include "platform/user_fonts.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/file_io.h"

namespace {

std::string Read(const std::string& path) {
  std::string bytes;
  return file_io::ReadFile(path, bytes) ? bytes : "<missing>";
}

TEST(UserFontsTest, InstallsOnceReplacesAnotherVersionAndNeedsNoFontCacheTool) {
  QTemporaryDir dir;
  const std::string root = dir.path().toStdString(), data = root + "/data";
  const std::string font = root + "/Sys/CHESSBUG.TTF";
  const std::string installed = data + "/fonts/kestrovane/CHESSBUG.TTF";
  EXPECT_EQ(UserFontFolder(data), data + "/fonts/kestrovane");

  // No font beside the program: nothing is installed, no folder made.
  FontInstallStatus status = InstallUserFont(font, data, DatabaseTools::Wait);
  EXPECT_FALSE(status.installed || status.copied || status.cacheRefreshed);
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(data)));

  ASSERT_TRUE(file_io::MakeFolders(root + "/Sys"));
  ASSERT_TRUE(file_io::WriteFileAtomic(font, std::string("font\0v2", 7)));
  status = InstallUserFont(font, data, DatabaseTools::Wait);
  EXPECT_TRUE(status.installed && status.copied);
  EXPECT_EQ(status.cacheRefreshed, !QStandardPaths::findExecutable("fc-cache").isEmpty());
  EXPECT_EQ(Read(installed), std::string("font\0v2", 7));

  // The same bytes are there: not written again.
  status = InstallUserFont(font, data, DatabaseTools::Wait);
  EXPECT_TRUE(status.installed);
  EXPECT_FALSE(status.copied || status.cacheRefreshed);

  // Another version there is replaced, also where fc-cache is not installed.
  ASSERT_TRUE(file_io::WriteFileAtomic(installed, "font v1"));
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", dir.path().toLocal8Bit());
  status = InstallUserFont(font, data, DatabaseTools::Wait);
  qputenv("PATH", path);
  EXPECT_TRUE(status.installed && status.copied);
  EXPECT_FALSE(status.cacheRefreshed);
  EXPECT_EQ(Read(installed), std::string("font\0v2", 7));
}

}  // namespace
