#include <QFile>
#include <QFontInfo>

#include "display_fixture.h"
#include "display/board_display.h"

using namespace testdisplay;

namespace {

class PieceSets : public ProgramFolderTest {
 protected:
  // The colour a set's bitmap of `slot` carries in its middle.
  static QColor Middle(const BoardDisplay& d, int slot) {
    const QImage& image = d.Pieces->bitmaps[static_cast<size_t>(slot)];
    return image.pixelColor(image.width() / 2, image.height() / 2);
  }
};

}  // namespace

TEST_F(PieceSets, DefaultsDoNotDependOnAnyProfile) {
  KestrovaneVisualProperties v;
  EXPECT_EQ(v.PiecesLoaded, 0);
  EXPECT_EQ(v.FontPlayers.font.pointSize(), 12);
  EXPECT_EQ(v.FontLag.font.pointSize(), 10);
  EXPECT_EQ(v.FontCoordinates.font.pointSize(), 8);
  EXPECT_EQ(v.FontPresumptiveTime.font, v.FontPlayers.font);
  EXPECT_EQ(v.FontPieces.font.family(), "Chess Bughouse");
  EXPECT_EQ(v.FontPieces.font.pointSize(), 18);
  EXPECT_EQ(v.FontStuffNumber.font.family(), "MS Serif");
  EXPECT_EQ(v.FontStuffNumber.font.pointSize(), 7);
  EXPECT_EQ(FontStyleToString(v.FontPlayers.font), "");
  EXPECT_EQ(v.DPGraphicBMPPiecesPath, program_ + "/Graphic/Piece/Bitmap/Kestrovane_Default/");
  EXPECT_EQ(v.VoiceFolders[0], program_ + "/Sounds/PlayersVoice/VoiceSynth1/");
  EXPECT_EQ(v.VoiceFolders[4], program_ + "/Sounds/PlayersVoice/VoiceSynth5/");
}

TEST(FontStyleAndColours, WordsRoundTripAndRedIsTheLowByte) {
  QFont font;
  for (int bits = 0; bits < 16; ++bits) {
    font.setBold(bits & 1);
    font.setItalic(bits & 2);
    font.setUnderline(bits & 4);
    font.setStrikeOut(bits & 8);
    QFont back;
    StringToFontStyle(FontStyleToString(font), back);
    EXPECT_EQ(FontStyleToString(back), FontStyleToString(font)) << bits;
  }
  font = QFont();
  font.setItalic(true);
  font.setStrikeOut(true);
  EXPECT_EQ(FontStyleToString(font), "ItalicStrikeOut");
  StringToFontStyle("xxUnderline,Bold", font);
  EXPECT_EQ(FontStyleToString(font), "BoldUnderline");
  StringToFontStyle("", font);
  EXPECT_EQ(FontStyleToString(font), "");
  // Colours keep red in the low byte.
  EXPECT_EQ(ColorFromBgr(0x0C992D), QColor(0x2D, 0x99, 0x0C));
  EXPECT_EQ(BgrFromColor(QColor(1, 2, 3)), 0x030201u);
}

TEST_F(PieceSets, NewGamesGetTheDefaultSetSharedWithoutReloading) {
  InstallGameDisplayFactory();
  CKestroGame first("", 0);
  CKestroGame second("", 0);
  SetGameDisplayFactory(nullptr);
  BoardDisplay& a = DisplayOf(first);
  BoardDisplay& b = DisplayOf(second);
  EXPECT_EQ(a.Visual.PiecesLoaded, 1);
  EXPECT_EQ(a.Visual.SquareSize, 30);
  ASSERT_TRUE(a.Pieces);
  EXPECT_EQ(a.Pieces.get(), b.Pieces.get());
  EXPECT_EQ(Middle(a, 12), SlotColor(12));
  EXPECT_EQ(a.Pieces->energyColors[0], BgrFromColor(EnergyBand(0)));
  EXPECT_EQ(a.Pieces->energyColors[16], BgrFromColor(EnergyBand(16)));
  // Each game has its own settings.
  a.Visual.FlipSides = 1;
  EXPECT_EQ(b.Visual.FlipSides, 0);
}

TEST_F(PieceSets, OptionalFilesFallBackToTheDefaultSet) {
  const std::string folder = SetFolder("Small");
  WriteSet(folder, SetOptions{.size = 20, .variant = 1, .squares = true, .coin = false, .castlingFiles = 3});
  CKestroGame game;
  ASSERT_EQ(LoadPieceBitmaps(game, folder), 1);
  BoardDisplay& d = DisplayOf(game);
  EXPECT_EQ(d.Visual.SquareSize, 20);
  EXPECT_EQ(d.Visual.DPGraphicBMPPiecesPath, folder);
  EXPECT_EQ(d.Visual.DPBoardSquaresUserSolidColor, 0);
  EXPECT_EQ(Middle(d, 2), SlotColor(2, 1));
  EXPECT_EQ(Middle(d, 14), SlotColor(14, 0));  // coin of the default set
  for (int slot = 15; slot < 19; ++slot) EXPECT_EQ(Middle(d, slot), SlotColor(slot, 0)) << slot;
  // All four castling files of its own are used.
  const std::string full = SetFolder("Full");
  WriteSet(full, SetOptions{.size = 24, .variant = 2});
  ASSERT_EQ(LoadPieceBitmaps(game, full), 1);
  for (int slot = 14; slot < 19; ++slot) EXPECT_EQ(Middle(d, slot), SlotColor(slot, 2)) << slot;
  EXPECT_EQ(d.Visual.SquareSize, 24);
}

TEST_F(PieceSets, MissingSquareBitmapsSwitchToSolidColours) {
  const std::string folder = SetFolder("NoSquares");
  WriteSet(folder, SetOptions{.squares = false});
  CKestroGame game;
  BoardDisplay& d = DisplayOf(game);
  EXPECT_EQ(d.Visual.DPBoardSquaresUserSolidColor, 0);
  ASSERT_EQ(LoadPieceBitmaps(game, folder), 1);
  EXPECT_EQ(d.Visual.DPBoardSquaresUserSolidColor, 1);
  EXPECT_FALSE(d.Pieces->hasSquares);
  // One square file alone is not enough.
  SaveBmp(SlotBitmap(0, 30, 30, 0), folder + "WSquare.bmp");
  d.Visual.DPBoardSquaresUserSolidColor = 0;
  ASSERT_EQ(LoadPieceBitmaps(game, folder), 1);
  EXPECT_EQ(d.Visual.DPBoardSquaresUserSolidColor, 1);
  // A set with squares leaves the flag as it is.
  ASSERT_EQ(LoadPieceBitmaps(game, DefaultFolder()), 1);
  EXPECT_EQ(d.Visual.DPBoardSquaresUserSolidColor, 1);
}

TEST_F(PieceSets, AFailedLoadKeepsThePreviousSetWhole) {
  CKestroGame game;
  BoardDisplay& d = DisplayOf(game);
  ASSERT_EQ(d.Visual.PiecesLoaded, 1);
  std::shared_ptr<const PieceSet> before = d.Pieces;

  const std::string missing = SetFolder("NoBlackQueen");
  WriteSet(missing, SetOptions{.size = 20, .variant = 1, .skipPiece = 11});
  EXPECT_EQ(LoadPieceBitmaps(game, missing), 0);
  EXPECT_EQ(d.Pieces, before);
  EXPECT_EQ(d.Visual.SquareSize, 30);
  EXPECT_EQ(d.Visual.DPGraphicBMPPiecesPath, DefaultFolder());

  // A piece file that is not a picture.
  const std::string broken = SetFolder("Broken");
  WriteSet(broken, SetOptions{.size = 20, .variant = 1});
  QFile file(QString::fromStdString(broken + "BKing.bmp"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write("not a bitmap");
  file.close();
  EXPECT_EQ(LoadPieceBitmaps(game, broken), 0);
  EXPECT_EQ(d.Pieces, before);
  EXPECT_EQ(d.Visual.PiecesLoaded, 1);
  for (int slot = 2; slot < 19; ++slot) EXPECT_FALSE(d.Pieces->bitmaps[static_cast<size_t>(slot)].isNull());

  // Once repaired, the same folder loads (the cache sees the change).
  SaveBmp(SlotBitmap(13, 20, 20, 1), broken + "BKing.bmp");
  EXPECT_EQ(LoadPieceBitmaps(game, broken), 1);
  EXPECT_EQ(Middle(d, 13), SlotColor(13, 1));
}

TEST_F(PieceSets, NothingLoadsWithoutTheEnergyPalette) {
  QFile::remove(QString::fromStdString(program_ + "/Sys/sysEnergy.bmp"));
  CKestroGame game;
  BoardDisplay& d = DisplayOf(game);
  EXPECT_EQ(d.Visual.PiecesLoaded, 0);
  EXPECT_FALSE(d.Pieces);
}

TEST_F(PieceSets, ASmallPaletteIsReadWithinItsBounds) {
  WriteEnergyPalette(program_ + "/Sys/sysEnergy.bmp", 3);  // 93 pixels high
  CKestroGame game;
  BoardDisplay& d = DisplayOf(game);
  ASSERT_EQ(d.Visual.PiecesLoaded, 1);
  EXPECT_EQ(d.Pieces->energyColors[1], BgrFromColor(EnergyBand(1)));
  EXPECT_EQ(d.Pieces->energyColors[16], BgrFromColor(EnergyBand(2)));
}

TEST_F(PieceSets, FileNamesMatchInAnyLetterCase) {
  const std::string folder = SetFolder("Lower");
  WriteSet(folder, SetOptions{.size = 22, .variant = 3});
  QDir dir(QString::fromStdString(folder));
  for (const QString& name : dir.entryList(QDir::Files)) dir.rename(name, name.toLower());
  CKestroGame game;
  ASSERT_EQ(LoadPieceBitmaps(game, folder), 1);
  EXPECT_EQ(DisplayOf(game).Visual.SquareSize, 22);
  EXPECT_EQ(Middle(DisplayOf(game), 15), SlotColor(15, 3));
}
