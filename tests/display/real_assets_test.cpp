// The shipped piece sets, palette and chess font, drawn whole. With
// KESTRO_DISPLAY_PNG set to a folder the pictures are saved there to look at.
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <set>

#include "display/board_display.h"
#include "display_fixture.h"
#include "platform/canvas.h"
#include "platform/paths.h"

namespace {

const std::string kMiddleGame =
    "[Event \"Look\"]\r\n[WhiteA \"Orsolya\"][BlackA \"Tamsin\"][WhiteB \"Bartek\"][BlackB \"Ines\"]\r\n"
    "1A.e4{178} 1a.d5{177} 1B.d4{179} 1b.e5{176} 2A.exd5{171} 2a.Qxd5{172} 2B.dxe5{175} 2b.Nc6{170} "
    "3A.Nc3{165} 3a.Qa5{168} 3B.Nf3{170} 3b.Bb4+{166} 4B.c3{163} 4b.Bxc3+{160} 5B.bxc3{161} 4A.Nf3{158} "
    "4a.P@e4{159} 5b.Nge7{152} 5A.Nxe4{150} 5a.Nf6{150} 6B.P@d6{145} 6b.O-O{140} 6A.Nxf6+{140} 6a.gxf6{141}";

class RealAssets : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string bin = KESTRO_BIN_DIR;
    if (!QFileInfo::exists(QString::fromStdString(bin + "/Graphic/Piece/Bitmap/Kestrovane_Default/WKing.bmp")) ||
        !QFileInfo::exists(QString::fromStdString(bin + "/Sys/sysEnergy.bmp")))
      GTEST_SKIP() << "data files not in " << bin;
    paths::SetProgramFolderForTests(bin);
    const QString font = QString::fromStdString(bin + "/Sys/CHESSBUG.TTF");
    if (QFileInfo::exists(font)) QFontDatabase::addApplicationFont(font);
  }
  void TearDown() override { paths::SetProgramFolderForTests(""); }

  static void Keep(const QImage& image, const char* name) {
    const QByteArray folder = qgetenv("KESTRO_DISPLAY_PNG");
    if (!folder.isEmpty()) image.save(QDir(QString::fromUtf8(folder)).filePath(name), "PNG");
  }
  // Distinct colours in a rectangle.
  static int Colours(const QImage& image, QRect r) {
    std::set<QRgb> seen;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) seen.insert(image.pixel(x, y));
    return static_cast<int>(seen.size());
  }
};

}  // namespace

TEST_F(RealAssets, DefaultSetDrawsBothBoardsInEveryMode) {
  CKestroGame game(kMiddleGame, 0);
  ASSERT_EQ(game.ErrorLog.find("Err"), std::string::npos) << game.ErrorLog;
  BoardDisplay& d = DisplayOf(game);
  ASSERT_EQ(d.Visual.PiecesLoaded, 1);
  EXPECT_EQ(d.Visual.SquareSize, d.Pieces->bitmaps[pcWKing].height());
  EXPECT_TRUE(d.Pieces->hasSquares);
  // The square bitmaps' transparent colour is nowhere else in them.
  for (int slot : {0, 1}) {
    const QImage& square = d.Pieces->bitmaps[static_cast<size_t>(slot)];
    const uint32_t key = canvas::BottomLeftColor(square);
    int keyed = 0;
    for (int y = 0; y < square.height(); ++y)
      for (int x = 0; x < square.width(); ++x) keyed += canvas::PixelOf(square, x, y) == key;
    EXPECT_EQ(keyed, 1) << slot;
  }
  const int c = d.Visual.SquareSize + 1;

  TwoBoardPosition start;
  game.SetupStandardPosition(start);
  QImage image = testdisplay::RenderPicture(game, start);
  Keep(image, "start.png");
  const int X = d.Visual.LeftBoardLeft, T = d.Visual.LeftBoardTop;
  EXPECT_GT(Colours(image, QRect(X + 1, T + 7 * c + 1, c - 1, c - 1)), 3);  // a1 with its rook

  const TwoBoardPosition& middle = game.Position;
  image = testdisplay::RenderPicture(game, middle);
  Keep(image, "middle.png");
  // Held pieces: a pawn of each colour in board A's hand.
  EXPECT_GT(middle.holdingsA[SlotOf(pcBPawn)] + middle.holdingsA[SlotOf(pcWPawn)], 0);

  d.Visual.DPGraphicPiecesType = 1;
  d.Visual.DPBoardSquaresUserSolidColor = 1;
  d.Visual.FontPieces.font.setPointSize(c * 72 / 96);
  image = testdisplay::RenderPicture(game, middle);
  Keep(image, "middle_glyphs.png");
  EXPECT_GT(Colours(image, QRect(X + 1, T + 7 * c + 1, c - 1, c - 1)), 2);

  d.Visual.DPBoardSquaresUserSolidColor = 0;  // squares from the font too
  Keep(testdisplay::RenderPicture(game, middle), "middle_font_squares.png");

  d.Visual.DPGraphicPiecesType = 0;
  d.Visual.TolvoEnergyBoard = 1;
  game.ComputeAttackMaps(game.Position, 1);
  game.ComputeAttackMaps(game.Position, 2);
  image = testdisplay::RenderPicture(game, game.Position);
  Keep(image, "middle_energy.png");

  d.Visual.TolvoEnergyBoard = 0;
  d.Visual.DPBoardSquaresUserSolidColor = 0;
  d.Visual.FlipSides = 1;
  d.Visual.DPGraphicBoardSquareStyle = 2;
  ASSERT_EQ(LoadPieceBitmaps(game, KESTRO_BIN_DIR "/Graphic/Piece/Bitmap/Tolvo1/"), 1);
  image = testdisplay::RenderPicture(game, middle);
  Keep(image, "middle_tolvo_flipped.png");
  QImage clocks = image.copy();
  DrawRunningClocks(game, clocks, middle, true, false, false, true);
  DrawMoveMarker(game, clocks, 1, SquareOf(4, 3), d.Visual.HighlightSquareColor);
  Keep(clocks, "middle_tolvo_clocks.png");
}

// The play window redraws after every move onto the picture it drew before,
// with move markers and running clocks drawn over it in between: the picture
// must always be the one a whole drawing of the position gives, in every look.
TEST_F(RealAssets, PictureRedrawnMoveByMoveIsTheWholeDrawing) {
  for (int look = 0; look < 4; ++look) {
    CKestroGame game(kMiddleGame, 0), whole(kMiddleGame, 0);
    KestrovaneVisualProperties& v = DisplayOf(game).Visual;
    switch (look) {
      case 1:  // energy colours under chess-font pieces, filled glyphs, no grid
        v.TolvoEnergyBoard = 1;
        v.DPGraphicPiecesType = 1;
        v.DPGraphicBoardLinesNet = 0;
        break;
      case 2:  // solid squares in the border style, flipped, opaque name lines
        v.DPBoardSquaresUserSolidColor = 1;
        v.DPGraphicBoardSquareStyle = 1;
        v.FlipSides = 1;
        v.DPColorBoardTextTransparent = 0;
        break;
      case 3:  // glyph squares, a stretched Tolvo set
        v.DPGraphicPiecesType = 1;
        ASSERT_EQ(LoadPieceBitmaps(game, KESTRO_BIN_DIR "/Graphic/Piece/Bitmap/Tolvo1/"), 1);
        v.SquareSize = 37;
        break;
    }
    DisplayOf(whole).Pieces = DisplayOf(game).Pieces;
    TwoBoardPosition position;
    game.GetPositionAtMove(position, 0);
    QImage picture = testdisplay::RenderPicture(game, position);
    const int area = picture.width() * picture.height();
    int smallDrawings = 0;
    for (int n = 1; n <= game.MoveCount; ++n) {
      if (n % 3 == 0) DrawMoveMarker(game, picture, n % 2 ? 1 : 4, n % 2 ? SquareOf(n % 8, 2) : 7, 0x00FFFF);
      if (n % 2 == 0) DrawRunningClocks(game, picture, position, true, false, n % 4 == 0, true);
      if (n == 9) game.PlayerNames[2] = whole.PlayerNames[2] = "A much longer name";
      game.GetPositionAtMove(position, n);
      game.ComputeAttackMaps(position, 1);
      game.ComputeAttackMaps(position, 2);
      position.lagSum[n % 4] += 130 * n;
      position.lag[n % 4] = 40 * n;
      if (n == 12) position.coinSquare[1] = SquareOf(3, 4);
      int drawn = 0;
      for (const QRect& r : DrawPosition(game, picture, position)) drawn += r.width() * r.height();
      smallDrawings += drawn < area / 4;
      DisplayOf(whole).Visual = v;
      ASSERT_EQ(picture, testdisplay::RenderPicture(whole, position)) << "look " << look << ", move " << n;
    }
    EXPECT_GT(smallDrawings, game.MoveCount / 2) << "look " << look;
  }
}
