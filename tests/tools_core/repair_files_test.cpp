#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "tools/core/repair_files.h"

namespace fs = std::filesystem;

TEST(RepairFiles, WritesWholeFilesAndTellsSameFilesApart) {
  const fs::path dir = fs::path(::testing::TempDir()) / ("repair_files_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string a = (dir / "a.bpgn").string(), b = (dir / "b.bpgn").string();
  const std::string bytes("[Event \"\xA4\"]\r\n\0\xFF{*}*", 17);
  std::string error, read;
  ASSERT_TRUE(repair::WriteFileAtomically(a, "old", error)) << error;
  ASSERT_TRUE(repair::WriteFileAtomically(a, bytes, error)) << error;
  ASSERT_TRUE(repair::ReadFileBytes(a, read, error)) << error;
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "no temporary file left";

  // A failed write leaves nothing behind and names the file.
  EXPECT_FALSE(repair::WriteFileAtomically((dir / "no" / "c.bpgn").string(), bytes, error));
  EXPECT_NE(error.find("c.bpgn"), std::string::npos);
  EXPECT_FALSE(repair::ReadFileBytes(b, read, error));
  EXPECT_FALSE(repair::ReadFileBytes(dir.string(), read, error));

  EXPECT_TRUE(repair::SameFile(a, (dir / "." / "a.bpgn").string()));
  EXPECT_TRUE(repair::SameFile(b, (dir / "x" / ".." / "b.bpgn").string()));
  EXPECT_FALSE(repair::SameFile(a, b));
  fs::create_symlink(a, dir / "link.bpgn");
  EXPECT_TRUE(repair::SameFile(a, (dir / "link.bpgn").string()));
  fs::remove_all(dir);
}
