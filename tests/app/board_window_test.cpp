// The base board window: Board menu, redraws, square size, profiles, closing.
#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "display/board_display.h"
#include "display/board_window.h"
#include "platform/registry.h"
#include "tests/display/display_fixture.h"
#include "tests/platform/fake_dialogs.h"

namespace {

using Kind = AskedDialog::Kind;
using testdisplay::SetOptions;
using testdisplay::WriteSet;

// The base window as the derived windows use it.
class BoardWindow : public TfrmKestroForm {
 public:
  BoardWindow() {
    FormCreate();
    DrawBoard();
  }
  int layouts = 0;
  using TfrmKestroForm::FormActivate;

 protected:
  void WindowLayout() override {
    ++layouts;
    DrawBoard();
  }
};

class BoardWindowTest : public testdisplay::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    WriteSet(SetFolder("Tolvo1"), SetOptions{.size = 24, .variant = 1});
  }
  void TearDown() override { QFile::remove(QString::fromStdString(Registry::DefaultFile())); }

  static QAction* Item(TfrmKestroForm& w, const char* name) {
    auto* a = w.findChild<QAction*>(QString::fromLatin1(name));
    EXPECT_NE(a, nullptr) << name;
    return a;
  }
  static QString Checked(TfrmKestroForm& w, const char* name) {
    QAction* a = Item(w, name);
    return a->actionGroup() && a->actionGroup()->checkedAction() ? a->actionGroup()->checkedAction()->objectName()
                                                                  : QString();
  }
  std::string ReadFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return file.readAll().toStdString();
  }
  void WriteFile(const std::string& path, const std::string& text) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path;
    file.write(text.data(), static_cast<qint64>(text.size()));
  }

  FakeDialogs dialogs_;
  ScopedDialogs scoped_{dialogs_};
};

// The menu bar as the user meets it, one item a line, sub-items indented:
// the caption in quotes, the item's name, and what differs from a plain item.
void DescribeMenu(const QList<QAction*>& items, int depth, std::string& out, std::set<QString>& seen) {
  for (QAction* item : items) {
    out += std::string(static_cast<size_t>(2 * depth), ' ');
    if (item->isSeparator()) {
      out += "----\n";
      continue;
    }
    seen.insert(item->objectName());
    out += "\"" + item->text().toStdString() + "\"";
    if (!item->objectName().isEmpty()) out += " " + item->objectName().toStdString();
    if (item->isCheckable()) out += item->isChecked() ? " checked" : " unchecked";
    if (!item->isVisible()) out += " hidden";
    if (!item->isEnabled()) out += " disabled";
    if (!item->statusTip().isEmpty()) out += " hint \"" + item->statusTip().toStdString() + "\"";
    out += "\n";
    if (item->menu()) DescribeMenu(item->menu()->actions(), depth + 1, out, seen);
  }
}

TEST_F(BoardWindowTest, BoardMenuHasEveryItemWithItsCaptionAndStartingCheckMarks) {
  BoardWindow w;
  auto* bar = w.findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  std::string menu;
  std::set<QString> seen;
  DescribeMenu(bar->actions(), 0, menu, seen);
  for (QAction* item : w.findChildren<QAction*>()) {
    if (!seen.count(item->objectName())) {
      EXPECT_FALSE(item->isChecked()) << item->objectName().toStdString() << " is checked outside the menu";
    }
  }

  const std::string golden = std::string(KESTRO_SOURCE_DIR) + "/tests/data/board_menu.txt";
  if (qEnvironmentVariableIsSet("KESTRO_UPDATE_GOLDEN")) WriteFile(golden, menu);
  EXPECT_EQ(menu, ReadFile(golden))
      << "The Board menu differs from tests/data/board_menu.txt. When the change is meant, rewrite that file with\n"
         "  KESTRO_UPDATE_GOLDEN=1 build/bin/app_tests --gtest_filter='*BoardMenuHasEveryItem*'\n"
         "and review its diff before committing.";
}

TEST_F(BoardWindowTest, RadioItemsMoveTheirCheckMarkAndSetTheirValue) {
  BoardWindow w;
  Item(w, "mnuiBoardSquareStyleMountains")->trigger();
  EXPECT_EQ(w.Visual().DPGraphicBoardSquareStyle, 2);
  EXPECT_EQ(Checked(w, "mnuiBoardSquareStyleBasic"), "mnuiBoardSquareStyleMountains");
  Item(w, "mnuiMoveInputCDCU")->trigger();
  EXPECT_EQ(w.MoveInputMode, 1);
  EXPECT_EQ(Checked(w, "mnuiMoveInputCDCD"), "mnuiMoveInputCDCU");
  Item(w, "mnuiBoardSquareUserSolidColor")->trigger();
  EXPECT_EQ(w.Visual().DPBoardSquaresUserSolidColor, 1);
  EXPECT_FALSE(Item(w, "mnuiBoardSquareBMP")->isChecked());
  Item(w, "mnuiEnergyBoard")->trigger();
  EXPECT_EQ(w.Visual().TolvoEnergyBoard, 1);
  Item(w, "mnuiEnergyBoard")->trigger();
  EXPECT_EQ(w.Visual().TolvoEnergyBoard, 0);

  // The activation of the base window starts a new game and resets the move input.
  w.FormActivate();
  EXPECT_EQ(w.MoveInputMode, 2);
  EXPECT_TRUE(Item(w, "mnuiMoveInputCDCDorCU")->isChecked());
  EXPECT_EQ(w.Visual().DPGraphicBoardSquareStyle, 2);  // the look is carried over
}

TEST_F(BoardWindowTest, ColourItemChangesItsFieldOnOkAndRedraws) {
  BoardWindow w;
  const QImage& canvas = w.imgBoard->Canvas();
  ASSERT_EQ(canvas.width(), w.Visual().PictureWidth);
  ASSERT_EQ(canvas.height(), w.Visual().PictureHeight);
  EXPECT_EQ(canvas.pixelColor(2, 2), QColor(Qt::white));

  dialogs_.colors = {QColor(200, 30, 40)};
  Item(w, "mnuiBoardColorTable")->trigger();
  EXPECT_EQ(w.Visual().DPColorTable, 0x281EC8u);
  EXPECT_EQ(canvas.pixelColor(2, 2), QColor(200, 30, 40));

  Item(w, "mnuiBoardColorTable")->trigger();  // cancelled
  EXPECT_EQ(w.Visual().DPColorTable, 0x281EC8u);
  ASSERT_EQ(dialogs_.Asked(Kind::Color).size(), 2u);

  dialogs_.colors = {QColor(0, 0, 255)};
  Item(w, "mnuiHighlightSquareColor")->trigger();
  EXPECT_EQ(w.Visual().HighlightSquareColor, 0xFF0000u);
}

TEST_F(BoardWindowTest, BoardSizeAcceptsOnlySensibleWholeNumbers) {
  BoardWindow w;
  ASSERT_EQ(w.Visual().SquareSize, 30);
  const int width30 = w.imgBoard->Canvas().width();

  dialogs_.inputs = {QStringLiteral("40")};
  Item(w, "mnuiBoardSize")->trigger();
  ASSERT_EQ(dialogs_.Asked(Kind::Input).size(), 1u);
  const AskedDialog asked = dialogs_.Asked(Kind::Input).front();
  EXPECT_EQ(asked.title, "Board size :");
  EXPECT_EQ(asked.text, "Square size :");
  EXPECT_EQ(asked.value, "30");
  EXPECT_EQ(w.Visual().SquareSize, 40);
  EXPECT_GT(w.imgBoard->Canvas().width(), width30);
  EXPECT_EQ(w.imgBoard->Canvas().width(), w.Visual().PictureWidth);
  EXPECT_EQ(w.imgBoard->size(), w.imgBoard->Canvas().size());
  EXPECT_EQ(w.layouts, 1);

  for (const char* entry : {"0", "-5", "7", "201", "100000"}) {
    dialogs_.inputs = {QString::fromLatin1(entry)};
    Item(w, "mnuiBoardSize")->trigger();
    EXPECT_EQ(w.Visual().SquareSize, 40) << entry;
  }
  EXPECT_TRUE(dialogs_.Asked(Kind::Error).empty());

  dialogs_.inputs = {QStringLiteral("big")};
  Item(w, "mnuiBoardSize")->trigger();
  EXPECT_EQ(w.Visual().SquareSize, 40);
  ASSERT_EQ(dialogs_.Asked(Kind::Error).size(), 1u);
  EXPECT_EQ(dialogs_.Asked(Kind::Error).front().text, "'big' is not a valid integer value");
}

TEST_F(BoardWindowTest, BuiltInPieceSetsAndTheirSizes) {
  BoardWindow w;
  Item(w, "mnuiBoardPiecesTolvo")->trigger();
  EXPECT_EQ(w.Visual().SquareSize, 24);
  EXPECT_EQ(w.Visual().DPColorBoardLines, 0x0C992Du);
  EXPECT_EQ(w.Visual().DPGraphicBMPPiecesPath, SetFolder("Tolvo1"));
  EXPECT_EQ(Checked(w, "mnuiBoardPiecesTolvo"), "mnuiBoardPiecesTolvo");
  EXPECT_EQ(w.imgBoard->Canvas().width(), w.Visual().PictureWidth);

  // The chess font: cancelled, nothing changes; chosen, glyph mode.
  Item(w, "mnuiBoardFontPieces")->trigger();
  EXPECT_EQ(w.Visual().DPGraphicPiecesType, 0);
  EXPECT_EQ(Checked(w, "mnuiBoardPiecesTolvo"), "mnuiBoardPiecesTolvo");
  QFont glyphs("Chess Bughouse");
  glyphs.setPointSize(20);
  dialogs_.fonts = {Dialogs::FontChoice{glyphs, QColor(0, 0, 128)}};
  Item(w, "mnuiBoardFontPieces")->trigger();
  EXPECT_EQ(w.Visual().DPGraphicPiecesType, 1);
  EXPECT_EQ(w.Visual().FontPieces.font.pointSize(), 20);
  EXPECT_EQ(w.Visual().FontPieces.color, 0x800000u);
  EXPECT_EQ(Checked(w, "mnuiBoardPiecesTolvo"), "mnuiBoardFontPieces");

  Item(w, "mnuiBoardPiecesDefault")->trigger();
  EXPECT_EQ(w.Visual().SquareSize, 30);  // the white king's height
  EXPECT_EQ(w.Visual().DPGraphicPiecesType, 0);
  EXPECT_EQ(Checked(w, "mnuiBoardPiecesTolvo"), "mnuiBoardPiecesDefault");
}

TEST_F(BoardWindowTest, PieceSetChosenFromAFolderOfOurs) {
  BoardWindow w;
  const std::string pieces = program_ + "/Graphic/Piece/Bitmap/";
  Item(w, "mnuiBoardPiecesUserKVXNStuff")->trigger();  // cancelled
  ASSERT_EQ(dialogs_.Asked(Kind::OpenFile).size(), 1u);
  EXPECT_EQ(dialogs_.Asked(Kind::OpenFile).back().folder.toStdString(), pieces);
  EXPECT_EQ(dialogs_.Asked(Kind::OpenFile).back().value.toStdString(), pieces + "WQueen.BMP");
  EXPECT_EQ(Checked(w, "mnuiBoardPiecesDefault"), "mnuiBoardPiecesDefault");
  EXPECT_EQ(w.layouts, 1);

  WriteSet(SetFolder("Mine"), SetOptions{.size = 36, .variant = 2});
  dialogs_.files = {QString::fromStdString(SetFolder("Mine") + "WQueen.bmp")};
  Item(w, "mnuiBoardPiecesUserKVXNStuff")->trigger();
  EXPECT_EQ(w.Visual().SquareSize, 36);
  EXPECT_EQ(w.Visual().DPGraphicBMPPiecesPath, SetFolder("Mine"));
  EXPECT_EQ(Item(w, "mnuiBoardPiecesUserKVXNStuff")->text().toStdString(), SetFolder("Mine"));
  EXPECT_EQ(Checked(w, "mnuiBoardPiecesDefault"), "mnuiBoardPiecesUserKVXNStuff");

  // A folder without the pieces: the set and the check mark stay.
  dialogs_.files = {QString::fromStdString(program_ + "/Sys/sysEnergy.bmp")};
  Item(w, "mnuiBoardPiecesDefault")->trigger();
  Item(w, "mnuiBoardPiecesUserKVXNStuff")->trigger();
  EXPECT_EQ(dialogs_.Asked(Kind::OpenFile).back().folder.toStdString(), SetFolder("Mine"));
  EXPECT_EQ(w.Visual().DPGraphicBMPPiecesPath, SetFolder("Kestrovane_Default"));
  EXPECT_EQ(Checked(w, "mnuiBoardPiecesDefault"), "mnuiBoardPiecesDefault");
}

TEST_F(BoardWindowTest, PieceSetOfTheOtherProgramKeepsTheSquareSize) {
  BoardWindow w;
  Item(w, "mnuiBoardPiecesUserBugStuff")->trigger();  // no registry entry
  EXPECT_EQ(dialogs_.Asked(Kind::OpenFile).back().value, "WQueen.BMP");
  EXPECT_EQ(dialogs_.Asked(Kind::OpenFile).back().folder, "");

  Registry registry;
  registry.WriteString("HKEY_LOCAL_MACHINE\\Software\\Bughouse", "graphpath", program_ + "/Other/");
  ASSERT_TRUE(registry.Save());
  WriteSet(program_ + "/Other/Piece/Bitmap/", SetOptions{.size = 50, .variant = 3});
  dialogs_.files = {QString::fromStdString(program_ + "/Other/Piece/Bitmap/WQueen.bmp")};
  Item(w, "mnuiBoardPiecesUserBugStuff")->trigger();
  EXPECT_EQ(dialogs_.Asked(Kind::OpenFile).back().folder.toStdString(), program_ + "/Other/Piece/Bitmap/");
  EXPECT_EQ(w.Visual().DPGraphicBMPPiecesPath, program_ + "/Other/Piece/Bitmap/");
  EXPECT_EQ(w.Visual().SquareSize, 30);
  EXPECT_EQ(Checked(w, "mnuiBoardPiecesDefault"), "mnuiBoardPiecesUserBugStuff");
}

// Every board setting away from its default, with fonts that do not depend on the machine.
void SetEverything(TfrmKestroForm& w) {
  KestrovaneVisualProperties& v = w.Visual();
  v.SquareSize = 33;
  v.DPGraphicBoardSquareStyle = 2;
  v.DPGraphicBoardLinesNet = 0;
  v.DPGraphicPiecesType = 1;
  uint32_t colour = 0x010203;
  for (uint32_t* c : {&v.DPColorBoardLines, &v.DPColorBoardText, &v.DPColorBoardBck, &v.DPColorStuffPlace,
                      &v.DPColorTable, &v.PresumptiveTimeColor, &v.PresumptiveTimeBackground,
                      &v.DPColorBoardSquareWhite, &v.DPColorBoardSquareBlack, &v.DPColorBoardPieces,
                      &v.DPColor2BoardPieces, &v.DPColorBoardStuffNumber, &v.HighlightSquareColor})
    *c = colour++;
  v.TolvoEnergyBoard = 1;
  v.ShowPresumptiveTimes = 1;
  v.ShowCoordinates = 0;
  v.SquareCoordinatesNumber = 4;
  v.SquareCoordinates = 5;
  v.FlipSides = 1;
  v.DPBoardSquaresUserSolidColor = 1;
  v.DPColorBoardTextTransparent = 0;
  const auto font = [](const char* family, int size, const char* style, uint32_t color) {
    VisualFont f;
    f.font = QFont(QString::fromLatin1(family));
    f.font.setPointSize(size);
    StringToFontStyle(style, f.font);
    f.color = color;
    return f;
  };
  v.FontPlayers = font("DejaVu Sans", 13, "BoldItalic", 0x0000FF);
  v.FontLag = font("DejaVu Serif", 9, "Underline", 0x00FF00);
  v.FontCoordinates = font("DejaVu Sans Mono", 11, "", 0xFF0000);
  v.FontPresumptiveTime = font("DejaVu Sans Light", 15, "StrikeOut", 0x123456);
  v.FontPieces = font("Chess Bughouse", 21, "Bold", 0x654321);
  v.FontStuffNumber = font("DejaVu Sans", 6, "ItalicUnderline", 0x0A0B0C);
}

TEST_F(BoardWindowTest, ProfileIsWrittenWithEveryKeyInOrder) {
  BoardWindow w;
  Item(w, "mnuiBoardPiecesTolvo")->trigger();
  SetEverything(w);
  const std::string file = program_ + "/profile.ini";
  w.SaveBoardSettings(file);
  EXPECT_EQ(ReadFile(file),
            "[Kestrovane]\r\n"
            "DPGraphicBMPPiecesPath=GRAPHIC\\PIECE\\BITMAP\\TOLVO1\\\r\n"
            "SquareSize=33\r\nDPGraphicBoardSquareStyle=2\r\nDPGraphicBoardLinesNet=0\r\nDPGraphicPiecesType=1\r\n"
            "DPColorBoardLines=66051\r\nDPColorBoardText=66052\r\nDPColorBoardBck=66053\r\n"
            "DPColorStuffPlace=66054\r\nDPColorTable=66055\r\nPresumptiveTimeColor=66056\r\n"
            "PresumptiveTimeBackground=66057\r\nDPColorBoardSquareWhite=66058\r\nDPColorBoardSquareBlack=66059\r\n"
            "DPColorBoardPieces=66060\r\nDPColor2BoardPieces=66061\r\nDPColorBoardStuffNumber=66062\r\n"
            "HighlightSquareColor=66063\r\n"
            "TolvoEnergyBoard=1\r\nShowPresumptiveTimes=1\r\nShowCoordinates=0\r\nSquareCoordinatesNumber=4\r\n"
            "SquareCoordinates=5\r\nFlipSides=1\r\nDPBoardSquaresUserSolidColor=1\r\n"
            "DPColorBoardTextTransparent=0\r\n"
            "FontPlayersName=DejaVu Sans\r\nFontPlayersColor=255\r\nFontPlayersSize=13\r\n"
            "FontPlayersStyle=BoldItalic\r\n"
            "FontLagName=DejaVu Serif\r\nFontLagColor=65280\r\nFontLagSize=9\r\nFontLagStyle=Underline\r\n"
            "FontCoordinatesName=DejaVu Sans Mono\r\nFontCoordinatesColor=16711680\r\nFontCoordinatesSize=11\r\n"
            "FontCoordinatesStyle=\r\n"
            "FontPresumptiveTimeName=DejaVu Sans Light\r\nFontPresumptiveTimeColor=1193046\r\n"
            "FontPresumptiveTimeSize=15\r\nFontPresumptiveTimeStyle=StrikeOut\r\n"
            "FontPiecesColor=6636321\r\nFontPiecesSize=21\r\nFontPiecesStyle=Bold\r\n"
            "FontStuffNumberColor=658188\r\nFontStuffNumberSize=6\r\nFontStuffNumberStyle=ItalicUnderline\r\n");

  // Writing again replaces the values in place.
  w.Visual().SquareSize = 34;
  w.SaveBoardSettings(file);
  const std::string again = ReadFile(file);
  EXPECT_NE(again.find("\r\nSquareSize=34\r\nDPGraphicBoardSquareStyle=2\r\n"), std::string::npos);
  EXPECT_EQ(again.find("SquareSize=33"), std::string::npos);
}

TEST_F(BoardWindowTest, ProfileReadBackGivesTheSameSettingsAndCheckMarks) {
  const std::string file = program_ + "/profile.ini";
  KestrovaneVisualProperties written;
  {
    BoardWindow w;
    Item(w, "mnuiBoardPiecesTolvo")->trigger();
    SetEverything(w);
    w.SaveBoardSettings(file);
    written = w.Visual();
  }
  BoardWindow r;
  Item(r, "mnuiEnergyBoard")->trigger();
  r.Visual().FontPieces.font.setFamily("Reader Pieces");
  r.Visual().FontStuffNumber.font.setFamily("Reader Numbers");
  r.LoadBoardSettings(file);
  const KestrovaneVisualProperties& v = r.Visual();

  EXPECT_EQ(v.DPGraphicBMPPiecesPath, SetFolder("Tolvo1"));
  EXPECT_EQ(v.SquareSize, 33);
  EXPECT_EQ(v.DPGraphicBoardSquareStyle, 2);
  EXPECT_EQ(v.DPGraphicBoardLinesNet, 0);
  EXPECT_EQ(v.DPGraphicPiecesType, 1);
  EXPECT_EQ(v.DPColorBoardLines, written.DPColorBoardLines);
  EXPECT_EQ(v.HighlightSquareColor, written.HighlightSquareColor);
  EXPECT_EQ(v.DPColorTable, written.DPColorTable);
  EXPECT_EQ(v.TolvoEnergyBoard, 1);
  EXPECT_EQ(v.ShowPresumptiveTimes, 1);
  EXPECT_EQ(v.ShowCoordinates, 0);
  EXPECT_EQ(v.SquareCoordinatesNumber, 4);
  EXPECT_EQ(v.SquareCoordinates, 5);
  EXPECT_EQ(v.FlipSides, 1);
  EXPECT_EQ(v.DPBoardSquaresUserSolidColor, 1);
  EXPECT_EQ(v.DPColorBoardTextTransparent, 0);
  for (const auto& [read, wrote] : {std::pair{&v.FontPlayers, &written.FontPlayers},
                                    std::pair{&v.FontLag, &written.FontLag},
                                    std::pair{&v.FontCoordinates, &written.FontCoordinates}}) {
    EXPECT_EQ(read->font.family(), wrote->font.family());
    EXPECT_EQ(read->font.pointSize(), wrote->font.pointSize());
    EXPECT_EQ(FontStyleToString(read->font), FontStyleToString(wrote->font));
    EXPECT_EQ(read->color, wrote->color);
  }
  // The running clocks take the players' face and size, their own colour and style.
  EXPECT_EQ(v.FontPresumptiveTime.font.family(), "DejaVu Sans");
  EXPECT_EQ(v.FontPresumptiveTime.font.pointSize(), 13);
  EXPECT_EQ(v.FontPresumptiveTime.color, 0x123456u);
  EXPECT_EQ(FontStyleToString(v.FontPresumptiveTime.font), "StrikeOut");
  // Faces not stored stay the reader's.
  EXPECT_EQ(v.FontPieces.font.family(), "Reader Pieces");
  EXPECT_EQ(v.FontPieces.font.pointSize(), 21);
  EXPECT_EQ(v.FontPieces.color, 0x654321u);
  EXPECT_EQ(v.FontStuffNumber.font.family(), "Reader Numbers");
  EXPECT_EQ(FontStyleToString(v.FontStuffNumber.font), "ItalicUnderline");

  EXPECT_EQ(Checked(r, "mnuiBoardSquareStyleBasic"), "mnuiBoardSquareStyleMountains");
  EXPECT_FALSE(Item(r, "mnuiBoardLinesNet")->isChecked());
  EXPECT_TRUE(Item(r, "mnuiBoardSquareUserSolidColor")->isChecked());
  EXPECT_FALSE(Item(r, "mnuiBoardSquareBMP")->isChecked());
  EXPECT_FALSE(Item(r, "mnuiBoardColorTextTransparent")->isChecked());
  // Check marks the profile does not set are left alone.
  EXPECT_TRUE(Item(r, "mnuiEnergyBoard")->isChecked());
  EXPECT_TRUE(Item(r, "mnuiShowCoordinates")->isChecked());
}

TEST_F(BoardWindowTest, MissingOrBadProfileValuesLeaveTheSettings) {
  BoardWindow w;
  SetEverything(w);
  const KestrovaneVisualProperties before = w.Visual();
  w.LoadBoardSettings(program_ + "/no such profile.ini");
  const std::string file = program_ + "/bad.ini";
  // A Windows profile's system colours: button face is known, 0x80000063 is not.
  WriteFile(file,
            "[kestrovane]\r\nSquareSize=0\r\nDPGraphicBoardSquareStyle=two\r\nFlipSides=\r\n"
            "DPColorBoardBck=-2147483633\r\nFontLagColor=-2147483549\r\n");
  w.LoadBoardSettings(file);
  const KestrovaneVisualProperties& v = w.Visual();
  EXPECT_EQ(v.SquareSize, 33);
  EXPECT_EQ(v.DPGraphicBoardSquareStyle, 2);
  EXPECT_EQ(v.FlipSides, 1);
  EXPECT_EQ(v.DPGraphicBMPPiecesPath, before.DPGraphicBMPPiecesPath);
  EXPECT_EQ(v.FontPlayers.font.family(), "DejaVu Sans");
  EXPECT_EQ(v.FontLag.font.pointSize(), 9);
  EXPECT_EQ(FontStyleToString(v.FontStuffNumber.font), "ItalicUnderline");
  EXPECT_EQ(v.FontPresumptiveTime.color, 0x123456u);
  EXPECT_EQ(v.DPColorBoardBck, BgrFromColor(QGuiApplication::palette().color(QPalette::Button)));
  EXPECT_EQ(v.FontLag.color, before.FontLag.color);
}

TEST_F(BoardWindowTest, PieceSetFolderFollowsTheProgramFolderWhenItMoves) {
  const std::string file = program_ + "/moving.ini";
  {
    BoardWindow w;
    Item(w, "mnuiBoardPiecesTolvo")->trigger();
    w.SaveBoardSettings(file);
  }
  QTemporaryDir moved;
  const std::string there = moved.path().toStdString();
  paths::SetProgramFolderForTests(there);
  QDir().mkpath(moved.path() + "/Sys");
  testdisplay::WriteEnergyPalette(there + "/Sys/sysEnergy.bmp");
  WriteSet(there + "/Graphic/Piece/Bitmap/Kestrovane_Default/", SetOptions{});
  WriteSet(there + "/Graphic/Piece/Bitmap/Tolvo1/", SetOptions{.size = 24});
  BoardWindow w;
  w.LoadBoardSettings(file);
  EXPECT_EQ(w.Visual().DPGraphicBMPPiecesPath, there + "/Graphic/Piece/Bitmap/Tolvo1/");

  // A folder outside the program folder is kept whole.
  WriteFile(file, "[Kestrovane]\r\nDPGraphicBMPPiecesPath=" + program_ + "/Graphic/Piece/Bitmap/Tolvo1/\r\n");
  w.LoadBoardSettings(file);
  EXPECT_EQ(w.Visual().DPGraphicBMPPiecesPath, SetFolder("Tolvo1"));
  paths::SetProgramFolderForTests(program_);
}

TEST_F(BoardWindowTest, LoadFromProfileReloadsTheSetAndKeepsTheProfilesSquareSize) {
  BoardWindow w;
  const std::string file = program_ + "/Profiles/MyProfile.INI";
  QDir().mkpath(QString::fromStdString(program_ + "/Profiles"));
  WriteFile(file, "[Kestrovane]\r\nDPGraphicBMPPiecesPath=GRAPHIC\\PIECE\\BITMAP\\TOLVO1\\\r\nSquareSize=50\r\n");
  dialogs_.files = {QString::fromStdString(file)};
  Item(w, "mnuProfileLoadBoard")->trigger();
  const AskedDialog asked = dialogs_.Asked(Kind::OpenFile).back();
  EXPECT_EQ(asked.folder.toStdString(), program_ + "/Profiles/");
  EXPECT_EQ(asked.value, "MyProfile.INI");
  EXPECT_TRUE(asked.filter.contains("*.INI"));
  EXPECT_EQ(w.Visual().SquareSize, 50);
  EXPECT_EQ(DisplayOf(*w.Game()).Pieces->folder, SetFolder("Tolvo1"));
  EXPECT_EQ(w.imgBoard->Canvas().width(), w.Visual().PictureWidth);
  EXPECT_EQ(w.layouts, 1);

  // Saving asks in the same folder; Cancel writes nothing.
  Item(w, "mnuProfileSaveBoard")->trigger();
  EXPECT_EQ(dialogs_.Asked(Kind::SaveFile).back().folder.toStdString(), program_ + "/Profiles/");
  EXPECT_EQ(dialogs_.Asked(Kind::SaveFile).back().value, "MyProfile.INI");
  dialogs_.files = {QString::fromStdString(program_ + "/Profiles/Second")};
  Item(w, "mnuProfileSaveBoard")->trigger();
  EXPECT_NE(ReadFile(program_ + "/Profiles/Second.INI").find("SquareSize=50\r\n"), std::string::npos);
  EXPECT_TRUE(dialogs_.Asked(Kind::Error).empty());
  dialogs_.files = {QString::fromStdString(program_ + "/No folder/Third.INI")};
  Item(w, "mnuProfileSaveBoard")->trigger();
  ASSERT_EQ(dialogs_.Asked(Kind::Error).size(), 1u);
  EXPECT_TRUE(dialogs_.Asked(Kind::Error).front().text.contains("Third.INI"));
}

TEST_F(BoardWindowTest, ReplacedGameKeepsTheLook) {
  BoardWindow w;
  Item(w, "mnuiBoardPiecesTolvo")->trigger();
  w.Visual().DPColorTable = 0x123456;
  auto game = std::make_unique<CKestroGame>(std::string("1A. e4"), 1);
  w.ReplaceGame(std::move(game));
  EXPECT_EQ(w.Visual().DPColorTable, 0x123456u);
  EXPECT_EQ(w.Visual().SquareSize, 24);
  EXPECT_EQ(DisplayOf(*w.Game()).Pieces->folder, SetFolder("Tolvo1"));
}

TEST_F(BoardWindowTest, NothingReachesTheGameAfterTheWindowClosed) {
  auto w = std::make_unique<BoardWindow>();
  auto* timer = new QTimer(w.get());
  QObject::connect(timer, &QTimer::timeout, w.get(), [&w] { w->Visual().SquareSize = 1; });
  timer->start(1);
  w->show();
  w->close();
  EXPECT_TRUE(w->Closing());
  EXPECT_EQ(w->Game(), nullptr);
  EXPECT_FALSE(timer->isActive());
  dialogs_.inputs = {QStringLiteral("40")};
  dialogs_.colors = {QColor(1, 2, 3)};
  for (const char* item : {"mnuiBoardSize", "mnuiBoardColorTable", "mnuiBoardPiecesTolvo", "mnuiShowCoordinates",
                           "mnuProfileLoadBoard", "actWindowLayout"})
    Item(*w, item)->trigger();
  w->DrawBoard();
  w->FullRedraw();
  w->imgBoard->repaint();
  EXPECT_TRUE(dialogs_.asked.empty());
  EXPECT_EQ(w->layouts, 0);
}

}  // namespace
