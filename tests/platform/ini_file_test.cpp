#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void Spit(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class IniFileTest : public ::testing::Test {
 protected:
  std::string File(const char* name) const { return dir_.filePath(name).toStdString(); }
  QTemporaryDir dir_;
};

TEST_F(IniFileTest, WrittenProfileReadsBackAndIsWrittenWithCrLf) {
  IniFile ini(File("p.ini"));
  ini.WriteString("Kestrovane", "DPGraphicBMPPiecesPath", "GRAPHIC\\PIECE\\BITMAP\\TOLVO1\\");
  ini.WriteInteger("Kestrovane", "SquareSize", 24);
  ini.WriteInteger("Kestrovane", "DPColorBoardText", 825645);
  ini.WriteInteger("Kestrovane", "Negative", -5);
  ASSERT_TRUE(ini.Save());
  EXPECT_EQ(Slurp(File("p.ini")),
            "[Kestrovane]\r\nDPGraphicBMPPiecesPath=GRAPHIC\\PIECE\\BITMAP\\TOLVO1\\\r\nSquareSize=24\r\n"
            "DPColorBoardText=825645\r\nNegative=-5\r\n");

  const IniFile back(File("p.ini"));
  EXPECT_EQ(back.ReadString("Kestrovane", "DPGraphicBMPPiecesPath", ""), "GRAPHIC\\PIECE\\BITMAP\\TOLVO1\\");
  EXPECT_EQ(back.ReadInteger("Kestrovane", "SquareSize", 0), 24);
  EXPECT_EQ(back.ReadInteger("Kestrovane", "DPColorBoardText", 0), 825645);
  EXPECT_EQ(back.ReadInteger("Kestrovane", "Negative", 0), -5);
  EXPECT_EQ(back.ReadString("Kestrovane", "Missing", "def"), "def");
  EXPECT_EQ(back.ReadString("Other", "SquareSize", "def"), "def");
}

TEST_F(IniFileTest, TrailingBackslashDoesNotSwallowTheNextKey) {
  Spit(File("w.ini"), "[Kestrovane]\r\nDPGraphicBMPPiecesPath=C:\\KV\\GRAPHIC\\PIECE\\BITMAP\\TOLVO1\\\r\n"
                      "SquareSize=24\r\nDPGraphicBoardSquareStyle=2\r\n");
  const IniFile ini(File("w.ini"));
  EXPECT_EQ(ini.ReadString("Kestrovane", "DPGraphicBMPPiecesPath", ""), "C:\\KV\\GRAPHIC\\PIECE\\BITMAP\\TOLVO1\\");
  EXPECT_EQ(ini.ReadInteger("Kestrovane", "SquareSize", 0), 24);
  EXPECT_EQ(ini.ReadInteger("Kestrovane", "DPGraphicBoardSquareStyle", 0), 2);
}

TEST_F(IniFileTest, NamesCompareWithoutLetterCaseAndKeepTheirSpelling) {
  IniFile ini(File("c.ini"));
  ini.SetText("[Kestrovane]\r\nSquareSize=24\r\nGr\xF6\xDF" "e=1\r\n");
  EXPECT_EQ(ini.ReadInteger("KESTROVANE", "squaresize", 0), 24);
  EXPECT_TRUE(ini.ValueExists("kestrovane", "SQUARESIZE"));
  EXPECT_EQ(ini.ReadString("Kestrovane", "GR\xD6\xDF" "E", ""), "1");  // Windows-1252 o umlaut
  ini.WriteInteger("KESTROVANE", "SQUARESIZE", 40);
  EXPECT_EQ(ini.Text(), "[Kestrovane]\r\nSquareSize=40\r\nGr\xF6\xDF" "e=1\r\n");
}

TEST_F(IniFileTest, KeysAreReplacedInPlaceOrAppendedToTheirSection) {
  IniFile ini(File("o.ini"));
  ini.SetText("[One]\r\nA=1\r\nB=2\r\nC=3\r\n\r\n[Two]\r\nX=9\r\n");
  ini.WriteString("One", "B", "20");
  ini.WriteString("One", "D", "4");
  ini.WriteString("One", "E", "5");
  ini.WriteString("Two", "Y", "8");
  ini.WriteString("Three", "Z", "7");
  EXPECT_EQ(ini.Text(),
            "[One]\r\nA=1\r\nB=20\r\nC=3\r\nD=4\r\nE=5\r\n\r\n[Two]\r\nX=9\r\nY=8\r\n\r\n[Three]\r\nZ=7\r\n");
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyOfANameCount) {
  IniFile ini(File("d.ini"));
  ini.SetText("[S]\nK=first\nK=second\n[s]\nK=other\nL=only in second\n");
  EXPECT_EQ(ini.ReadString("S", "K", ""), "first");
  EXPECT_EQ(ini.ReadString("S", "L", "none"), "none");
  ini.WriteString("S", "K", "new");
  EXPECT_EQ(ini.Text(), "[S]\r\nK=new\r\nK=second\r\n[s]\r\nK=other\r\nL=only in second\r\n");
}

TEST_F(IniFileTest, UnknownLinesCommentsAndBytesSurviveARewrite) {
  const std::string text =
      "; written by hand\r\nloose line\r\nBeforeAny=1\r\n[Kestrovane]\r\n; comment = not a key\r\n"
      "[broken header\r\n  Name  =  Eug\xE8ne \x80 \xA4  \r\nno equals sign\r\n";
  Spit(File("u.ini"), text);
  IniFile ini(File("u.ini"));
  EXPECT_EQ(ini.ReadString("Kestrovane", "Name", ""), "Eug\xE8ne \x80 \xA4");  // trimmed, bytes untouched
  EXPECT_EQ(ini.ReadString("Kestrovane", "; comment", "none"), "none");
  EXPECT_EQ(ini.Text(), text);
  ini.WriteString("Kestrovane", "Added", "\xFF");
  ASSERT_TRUE(ini.Save());
  EXPECT_EQ(Slurp(File("u.ini")), text + "Added=\xFF\r\n");
}

TEST_F(IniFileTest, LfFilesAreReadAndWrittenBackWithTheChosenLineEnd) {
  Spit(File("lf.ini"), "[S]\nA=1\nB=2");  // no line end after the last line
  IniFile crlf(File("lf.ini"));
  EXPECT_EQ(crlf.ReadInteger("S", "B", 0), 2);
  EXPECT_EQ(crlf.Text(), "[S]\r\nA=1\r\nB=2\r\n");
  IniFile lf(File("lf.ini"), IniFile::LineEnd::Lf);
  lf.WriteString("S", "C", "3");
  EXPECT_EQ(lf.Text(), "[S]\nA=1\nB=2\nC=3\n");
}

TEST_F(IniFileTest, IntegersAreReadFromTheWholeTrimmedValue) {
  IniFile ini(File("i.ini"));
  ini.SetText("[S]\nA=  42  \nB=+5\nC=12abc\nD=\nE=99999999999\nF=0x10\nG=+-3\nH=-2147483648\nI=- 4\n");
  EXPECT_EQ(ini.ReadInteger("S", "A", -1), 42);
  EXPECT_EQ(ini.ReadInteger("S", "B", -1), 5);
  EXPECT_EQ(ini.ReadInteger("S", "H", -1), INT32_MIN);
  for (const char* bad : {"C", "D", "E", "F", "G", "I", "Missing"}) {
    EXPECT_EQ(ini.ReadInteger("S", bad, -1), -1) << bad;
  }
}

TEST_F(IniFileTest, ValuesCannotInjectLines) {
  IniFile ini(File("n.ini"));
  ini.WriteString("S", "A", "one\r\nB=two");
  EXPECT_EQ(ini.Text(), "[S]\r\nA=one\r\n");
}

TEST_F(IniFileTest, MissingFileIsEmptyAndSavingLeavesNoTemporaryFile) {
  IniFile ini(File("new.ini"));
  EXPECT_FALSE(ini.ValueExists("S", "A"));
  EXPECT_EQ(ini.Text(), "");
  ini.WriteString("S", "A", "1");
  ASSERT_TRUE(ini.Save());
  ini.WriteString("S", "A", "2");
  ASSERT_TRUE(ini.Save());
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"new.ini"});
  EXPECT_EQ(IniFile(File("new.ini")).ReadString("S", "A", ""), "2");

  IniFile nowhere(File("no/such/folder/x.ini"));
  nowhere.WriteString("S", "A", "1");
  EXPECT_FALSE(nowhere.Save());
}

}  // namespace
