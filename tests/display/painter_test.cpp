#include "display/board_texts.h"
#include "display_fixture.h"
#include "platform/canvas.h"

using namespace testdisplay;

namespace {

constexpr uint32_t kTable = 0xFFFFFF, kBck = 0xE0E0E0, kStuff = 0xC0F0F0, kLines = 0x202020;
constexpr uint32_t kSquareWhite = 0xD0FFFF, kSquareBlack = 0x0FAF10;

uint32_t Bgr(const QColor& color) { return BgrFromColor(color); }

class Painter : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    v().DPColorTable = kTable;
    v().DPColorBoardBck = kBck;
    v().DPColorStuffPlace = kStuff;
    v().DPColorBoardLines = kLines;
    game_.SetupStandardPosition(pos_);
  }
  KestrovaneVisualProperties& v() { return DisplayOf(game_).Visual; }

  QImage Render() { return RenderPicture(game_, pos_); }
  static uint32_t Px(const QImage& image, int x, int y) { return canvas::PixelOf(image, x, y); }

  int c() { return v().SquareSize + v().DPGraphicBoardLinesNet; }
  int X() { return v().LeftBoardLeft; }
  int X2() { return v().RightBoardLeft; }
  int T() { return v().LeftBoardTop; }
  // Middle of the cell at screen column j, row i (columns 8 and 9 are the hands).
  QPoint CellMiddle(bool right, int j, int i) { return {(right ? X2() : X()) + j * c() + c() / 2, T() + i * c() + c() / 2}; }
  uint32_t At(const QImage& image, QPoint p) { return Px(image, p.x(), p.y()); }

  // Pixels of `color` in a w x h area at (x, y).
  static int CountColor(const QImage& image, int x, int y, int w, int h, uint32_t color) {
    int n = 0;
    for (int yy = y; yy < y + h; ++yy)
      for (int xx = x; xx < x + w; ++xx) n += Px(image, xx, yy) == color;
    return n;
  }
  static int CountOther(const QImage& image, int x, int y, int w, int h, uint32_t color) {
    return w * h - CountColor(image, x, y, w, h, color);
  }

  CKestroGame game_;
  TwoBoardPosition pos_;
};

}  // namespace

TEST(BoardTexts, ClocksLagAndGlyphsByteExact) {
  EXPECT_EQ(ClockText(-5000, false), "-0:05     ");
  EXPECT_EQ(ClockText(125000, true), "2:05   <<");
  EXPECT_EQ(ClockText(-65999, false), "-1:05     ");
  EXPECT_EQ(ClockText(0, false), "0:00     ");
  EXPECT_EQ(ClockText(600000, false), "10:00     ");
  EXPECT_EQ(ClockLineText(180000, true, "WhiteA"), "3:00   << WhiteA");
  EXPECT_EQ(LagText(1950, 250), " LAG: 2.0s (last move: 250ms)");
  EXPECT_EQ(LagText(1940, 0), " LAG: 1.9s (last move: 0ms)");
  EXPECT_EQ(LagText(0, 0), " LAG: 0.0s (last move: 0ms)");
  EXPECT_EQ(LagText(123456, 789), " LAG: 123.5s (last move: 789ms)");
  EXPECT_EQ(RunningClockText(-5000), " -0:05 ");
  EXPECT_EQ(RunningClockText(125000), " 2:05 ");
  EXPECT_EQ(PieceGlyph(pcEmpty, false), ' ');
  EXPECT_EQ(PieceGlyph(pcEmpty, true), '+');
  EXPECT_EQ(PieceGlyph(pcWPawn, false), 'p');
  EXPECT_EQ(PieceGlyph(pcBPawn, true), 'O');
  EXPECT_EQ(PieceGlyph(pcWKnight, false), 'n');
  EXPECT_EQ(PieceGlyph(pcBQueen, true), 'W');
  EXPECT_EQ(PieceGlyph(pcBKing, false), 'l');
  EXPECT_EQ(PieceGlyph(0, false), 0);
}

TEST_F(Painter, LayoutAndPictureSizeWithAndWithoutCoordinates) {
  Render();
  // 30 px squares and a grid: c = 31. Players 12 pt = 16 px, lag 10 pt = 13 px,
  // coordinates (31 + 1) / 2 - 3 = 13 pt = 17 px; margin 15, band 21.
  EXPECT_EQ(X(), 20);
  EXPECT_EQ(T(), 39);
  EXPECT_EQ(X2(), 20 + 310 + 2 + 15);
  EXPECT_EQ(v().RightBoardTop, 39);
  EXPECT_EQ(v().LeftBoardWidth, 310);
  EXPECT_EQ(v().RightBoardHeight, 248);
  EXPECT_EQ(v().PictureWidth, 662);
  EXPECT_EQ(v().PictureHeight, 2 * 29 + 21 + 248 + 26);
  EXPECT_EQ(v().FontCoordinates.font.pointSize(), 13);

  v().ShowCoordinates = 0;
  Render();
  EXPECT_EQ(X(), 5);
  EXPECT_EQ(X2(), 5 + 310 + 2);
  EXPECT_EQ(v().PictureWidth, 632);
  EXPECT_EQ(v().PictureHeight, 2 * 29 + 248 + 26);
}

TEST_F(Painter, NothingIsDrawnWithoutAPieceSet) {
  v().PiecesLoaded = 0;
  QImage image(100, 100, QImage::Format_RGB32);
  image.fill(Qt::magenta);
  const QImage before = image.copy();
  DrawPosition(game_, image, pos_);
  DrawRunningClocks(game_, image, pos_, true, true, true, true);
  DrawMoveMarker(game_, image, 1, sq::e4, 0x00FFFF);
  EXPECT_EQ(image, before);
}

TEST_F(Painter, FrameGridGapAndHoldingsColumns) {
  const QImage img = Render();
  const int cc = c(), x = X(), t = T(), x2 = X2(), m = cc / 2;
  // The picture's frame and the table inside it.
  EXPECT_EQ(Px(img, 0, 0), kLines);
  EXPECT_EQ(Px(img, v().PictureWidth - 1, v().PictureHeight - 1), kLines);
  EXPECT_EQ(Px(img, 1, 1), kTable);
  // Horizontal grid lines at T + i*c over both boards, cells between them.
  for (int i = 1; i <= 8; ++i) {
    EXPECT_EQ(Px(img, x + cc / 2, t + i * cc), kLines) << i;
    EXPECT_EQ(Px(img, x2 + 3 * cc + cc / 2, t + i * cc), kLines) << i;
    EXPECT_NE(Px(img, x + cc / 2, t + i * cc - 1), kLines) << i;
  }
  EXPECT_EQ(Px(img, x + cc / 2, t + 8 * cc + 1), kLines);  // bottom of the board area
  for (int j = 0; j <= 8; ++j) {
    EXPECT_EQ(Px(img, x + j * cc, t + cc / 2), kLines) << j;
    EXPECT_EQ(Px(img, x2 + j * cc, t + cc / 2), kLines) << j;
  }
  // The gap between the boards, and its line at the right board's edge.
  EXPECT_EQ(Px(img, x2 - m / 2, t + 2), kTable);  // above the rank number
  EXPECT_EQ(Px(img, x2 - 1, t + cc / 2), kTable);
  // Holdings columns: framed, filled, and inner grid lines covered.
  EXPECT_EQ(Px(img, x + 8 * cc + 1, t + 2 * cc + cc / 2), kLines);
  EXPECT_EQ(Px(img, x + 9 * cc, t + 2 * cc + cc / 2), kStuff);
  EXPECT_EQ(Px(img, x + 10 * cc, t + 2 * cc + cc / 2), kStuff);
  EXPECT_EQ(Px(img, x + 10 * cc + 1, t + 2 * cc + cc / 2), kLines);
  EXPECT_EQ(Px(img, x2 + 8 * cc, t + 2 * cc + cc / 2), kLines);
  EXPECT_EQ(Px(img, x2 + 9 * cc, t + 2 * cc + cc / 2), kStuff);
  EXPECT_EQ(Px(img, x2 + 10 * cc - 2, t + 2 * cc + cc / 2), kLines);
}

TEST_F(Painter, BitmapSquaresAndPiecesFillTheirCells) {
  const QImage img = Render();
  const int cc = c();
  // a1 (dark) on the left board: white rook, square bitmap around it.
  const int x1 = X() + 1, y1 = T() + 7 * cc + 1, x2 = X() + cc, y2 = T() + 8 * cc;
  EXPECT_EQ(At(img, CellMiddle(false, 0, 7)), Bgr(SlotColor(pcWRook)));
  EXPECT_EQ(Px(img, x1, y1), Bgr(DarkSquareColor()));
  EXPECT_EQ(Px(img, x2 - 1, y2 - 1), Bgr(DarkSquareColor()));
  // The square's transparent bottom-left pixel takes its top-right colour.
  EXPECT_EQ(Px(img, x1, y2 - 1), Bgr(DarkSquareColor()));
  // e4 (light) is empty; h8 holds a black rook.
  EXPECT_EQ(At(img, CellMiddle(false, 4, 4)), Bgr(LightSquareColor()));
  EXPECT_EQ(At(img, CellMiddle(false, 7, 0)), Bgr(SlotColor(pcBRook)));
  // The right board is seen from Black's side: h1 at its top-left, e8's king at column 3 of the bottom row.
  EXPECT_EQ(At(img, CellMiddle(true, 0, 0)), Bgr(SlotColor(pcWRook)));
  EXPECT_EQ(At(img, CellMiddle(true, 3, 0)), Bgr(SlotColor(pcWKing)));
  EXPECT_EQ(At(img, CellMiddle(true, 3, 7)), Bgr(SlotColor(pcBKing)));
  EXPECT_EQ(At(img, CellMiddle(true, 3, 1)), Bgr(SlotColor(pcWPawn)));
  EXPECT_EQ(Px(img, X2() + 1, T() + 1), Bgr(LightSquareColor()));  // h1 is light
}

TEST_F(Painter, HeldPiecesCastlingMarksAndCounts) {
  pos_.holdingsA[SlotOf(pcWPawn)] = 1;
  pos_.holdingsA[SlotOf(pcBQueen)] = 3;
  pos_.holdingsB[SlotOf(pcWKnight)] = 2;
  pos_.castlingA[1] = 0;  // white long castling gone on A
  v().DPColorBoardStuffNumber = 0x0000FF;
  const QImage img = Render();
  const int cc = c(), x = X(), t = T(), x2 = X2();
  auto middle = [](int left, int top, int right, int bottom) { return QPoint((left + right) / 2, (top + bottom) / 2 + 4); };
  // Left board: black hand above (queen in row 1, column 9), white below (pawn in row 5, column 8).
  EXPECT_EQ(At(img, middle(x + 9 * cc + 1, t + cc + 1, x + 10 * cc, t + 2 * cc)), Bgr(SlotColor(pcBQueen)));
  EXPECT_EQ(At(img, middle(x + 8 * cc + 2, t + 5 * cc + 1, x + 9 * cc + 1, t + 6 * cc)), Bgr(SlotColor(pcWPawn)));
  EXPECT_EQ(At(img, middle(x + 8 * cc + 2, t + 1, x + 9 * cc + 1, t + cc + 1)), kStuff);  // no black pawn
  // Right board: white hand above (knight in row 1, column 8).
  EXPECT_EQ(At(img, middle(x2 + 8 * cc + 3, t + cc + 1, x2 + 9 * cc + 2, t + 2 * cc)), Bgr(SlotColor(pcWKnight)));
  // Castling marks: rows 3 and 4, by flag.
  EXPECT_EQ(At(img, middle(x + 8 * cc + 2, t + 3 * cc + 1, x + 9 * cc + 1, t + 4 * cc)), Bgr(SlotColor(18)));
  EXPECT_EQ(At(img, middle(x + 9 * cc + 2, t + 3 * cc + 1, x + 10 * cc + 1, t + 4 * cc)), Bgr(SlotColor(17)));
  EXPECT_EQ(At(img, middle(x + 8 * cc + 2, t + 4 * cc + 1, x + 9 * cc + 1, t + 5 * cc)), kStuff);
  EXPECT_EQ(At(img, middle(x + 9 * cc + 2, t + 4 * cc + 1, x + 10 * cc + 1, t + 5 * cc)), Bgr(SlotColor(15)));
  EXPECT_EQ(At(img, middle(x2 + 8 * cc + 1, t + 3 * cc + 1, x2 + 9 * cc, t + 4 * cc)), Bgr(SlotColor(15)));
  EXPECT_EQ(At(img, middle(x2 + 9 * cc + 1, t + 4 * cc + 1, x2 + 10 * cc, t + 5 * cc)), Bgr(SlotColor(18)));
  // Counts of 2 or more in the top-left corner of their cells; none for a single piece.
  auto reddish = [&](int x0, int y0) {
    int n = 0;
    for (int yy = y0; yy < y0 + 9; ++yy)
      for (int xx = x0; xx < x0 + 6; ++xx) {
        const QColor px = canvas::ToQColor(Px(img, xx, yy));
        n += px.red() > 150 && px.green() < 110 && px.blue() < 110;
      }
    return n;
  };
  EXPECT_GT(reddish(x + 9 * cc + 3, t + cc + 1), 0);        // black queen: 3
  EXPECT_GT(reddish(x2 + 8 * cc + 2, t + cc + 1), 0);       // white knight on B: 2
  EXPECT_EQ(reddish(x + 8 * cc + 3, t + 5 * cc + 1), 0);    // white pawn: 1
}

TEST_F(Painter, CoordinatesBandBesideAndBelowTheBoards) {
  const QImage img = Render();
  const int cc = c(), bandTop = T() + 8 * cc + 2;
  // File letters below both boards, rank numbers left of each board.
  EXPECT_GT(CountOther(img, X() + cc / 3, bandTop, cc / 2, 14, kTable), 0);
  EXPECT_GT(CountOther(img, X2() + cc / 3, bandTop, cc / 2, 14, kTable), 0);
  EXPECT_GT(CountOther(img, 6, T() + 2, 12, cc, kTable), 0);
  EXPECT_GT(CountOther(img, X() + 10 * cc + 4, T() + 2, 12, cc, kTable), 0);
}

TEST_F(Painter, FlippingExchangesTheBoards) {
  pos_.boardA[sq::e4] = pcWQueen;  // only on board A
  pos_.holdingsB[SlotOf(pcBRook)] = 1;
  pos_.castlingB[0] = 0;
  v().FlipSides = 1;
  const QImage img = Render();
  const int cc = c();
  // Left: board B from White's side, e4 empty; right: board A from Black's side.
  EXPECT_EQ(At(img, CellMiddle(false, 4, 4)), Bgr(LightSquareColor()));
  EXPECT_EQ(At(img, CellMiddle(true, 3, 3)), Bgr(SlotColor(pcWQueen)));
  // Board B's hand and castling flags stand beside the left board.
  EXPECT_EQ(At(img, QPoint(X() + 9 * cc + cc / 2, T() + cc / 2 + 2)), Bgr(SlotColor(pcBRook)));
  EXPECT_EQ(At(img, QPoint(X() + 9 * cc + cc / 2 + 1, T() + 4 * cc + cc / 2)), kStuff);
  // The top-left corner belongs to BlackB: its running clock goes there.
  QImage clocks = img.copy();
  v().PresumptiveTimeBackground = 0x00FF00;
  DrawRunningClocks(game_, clocks, pos_, false, false, false, true);
  const int lH = canvas::FontPixelHeight(v().FontLag.font);
  EXPECT_EQ(Px(clocks, X() + 1, lH + 5), 0x00FF00u);
  EXPECT_NE(Px(clocks, X2(), lH + 5), 0x00FF00u);
  // Unflipped, BlackB sits bottom right.
  v().FlipSides = 0;
  const QImage plain = Render();
  QImage clocks2 = plain.copy();
  DrawRunningClocks(game_, clocks2, pos_, false, false, false, true);
  const int low = T() + 8 * cc + canvas::FontPixelHeight(v().FontCoordinates.font) + 4;
  EXPECT_EQ(Px(clocks2, X2(), low + 1), 0x00FF00u);
  EXPECT_NE(Px(clocks2, X() + 1, lH + 5), 0x00FF00u);
}

TEST_F(Painter, EnergyColoursFollowTheClampedBalance) {
  v().TolvoEnergyBoard = 1;
  pos_.attackBalanceA[sq::e4] = 12;   // beyond +8
  pos_.attackBalanceA[SquareOf(3, 3)] = -3;
  pos_.attackBalanceA[sq::a1] = -20;  // under a white rook
  pos_.attackBalanceB[sq::e4] = 5;    // the right board shows it negated
  const QImage img = Render();
  const auto& colors = DisplayOf(game_).Pieces->energyColors;
  EXPECT_EQ(colors[16], Bgr(EnergyBand(16)));
  EXPECT_EQ(At(img, CellMiddle(false, 4, 4)), Bgr(EnergyBand(16)));
  EXPECT_EQ(At(img, CellMiddle(false, 3, 4)), Bgr(EnergyBand(5)));
  EXPECT_EQ(At(img, CellMiddle(false, 5, 5)), Bgr(EnergyBand(8)));  // balance 0
  // A piece keeps its bitmap, the energy colour shows around it.
  EXPECT_EQ(At(img, CellMiddle(false, 0, 7)), Bgr(SlotColor(pcWRook)));
  EXPECT_EQ(Px(img, X() + 2, T() + 7 * c() + 2), Bgr(EnergyBand(0)));
  // e4 of board B: right board column 3, row 3.
  EXPECT_EQ(At(img, CellMiddle(true, 3, 3)), Bgr(EnergyBand(3)));
}

TEST_F(Painter, SolidSquaresInTheThreeStyles) {
  v().DPBoardSquaresUserSolidColor = 1;
  const int cc = c();
  // e4 of the left board (light, empty): cell x1..x2-1, grid lines at x1-1 and x2.
  auto cell = [&] { return QRect(QPoint(X() + 4 * cc + 1, T() + 4 * cc + 1), QPoint(X() + 5 * cc - 1, T() + 5 * cc - 1)); };
  QImage img = Render();
  QRect r = cell();
  EXPECT_EQ(Px(img, r.left(), r.top()), kSquareWhite);
  EXPECT_EQ(Px(img, r.right(), r.bottom()), kSquareWhite);
  EXPECT_EQ(Px(img, r.left() - 1, r.top()), kLines);
  EXPECT_EQ(At(img, CellMiddle(false, 4, 3)), kSquareBlack);  // e5
  v().DPGraphicBoardSquareStyle = 1;  // Border: inset frame, its own top-left strip untouched
  img = Render();
  r = cell();
  EXPECT_EQ(Px(img, r.left(), r.top()), kBck);
  EXPECT_EQ(Px(img, r.left() + 1, r.top() + 1), kLines);
  EXPECT_EQ(Px(img, r.right(), r.bottom()), kSquareWhite);
  EXPECT_EQ(Px(img, r.right() + 1, r.bottom()), kLines);
  v().DPGraphicBoardSquareStyle = 2;  // Mountains: frame inside the cell on all sides
  img = Render();
  r = cell();
  EXPECT_EQ(Px(img, r.left(), r.top()), kBck);
  EXPECT_EQ(Px(img, r.left() + 1, r.top() + 1), kLines);
  EXPECT_EQ(Px(img, r.right(), r.bottom()), kLines);
  EXPECT_EQ(Px(img, r.right() - 1, r.bottom() - 1), kSquareWhite);
  // Pieces stay on top of their squares.
  EXPECT_EQ(At(img, CellMiddle(false, 0, 7)), Bgr(SlotColor(pcWRook)));
}

TEST_F(Painter, GlyphModeWithGridLinesSetsTheStyleBasic) {
  v().DPGraphicBoardSquareStyle = 2;
  v().DPGraphicPiecesType = 1;
  v().DPGraphicBoardLinesNet = 0;
  Render();
  EXPECT_EQ(v().DPGraphicBoardSquareStyle, 2);
  v().DPGraphicBoardLinesNet = 1;
  Render();
  EXPECT_EQ(v().DPGraphicBoardSquareStyle, 0);
  v().DPGraphicPiecesType = 0;
  v().DPGraphicBoardSquareStyle = 1;
  Render();
  EXPECT_EQ(v().DPGraphicBoardSquareStyle, 1);
}

TEST_F(Painter, GlyphFloodFillStaysInsideItsCell) {
  // No grid lines, so cells touch; the piece glyph's background has the
  // colour of the empty square to its left.
  v().DPGraphicBoardLinesNet = 0;
  v().TolvoEnergyBoard = 1;
  v().DPGraphicPiecesType = 1;
  v().DPColor2BoardPieces = Bgr(EnergyBand(8));  // balance 0
  for (int s = 0; s < kSquares; ++s) pos_.boardA[s] = pos_.boardA[s] ? pcEmpty : 0;
  pos_.boardA[sq::e4] = pcWRook;
  pos_.attackBalanceA[sq::e4] = 5;
  const QImage img = Render();
  EXPECT_EQ(At(img, CellMiddle(false, 3, 4)), Bgr(EnergyBand(8)));  // d4 untouched
  EXPECT_EQ(Px(img, X() + 4 * c() + 1, T() + 4 * c() + 1), Bgr(EnergyBand(13)));  // e4's own corner filled
}

TEST_F(Painter, MoveMarkerFramesTheCell) {
  const QImage img = Render();
  const int cc = c(), x = X(), t = T(), x2 = X2();
  constexpr uint32_t kMark = 0x00FFFF;
  QImage marked = img.copy();
  DrawMoveMarker(game_, marked, 1, SquareOf(4, 1), kMark);  // col 5, row 7 of the left board
  EXPECT_EQ(Px(marked, x + 4 * cc, t + 6 * cc + 5), kMark);
  EXPECT_EQ(Px(marked, x + 5 * cc, t + 6 * cc + 5), kMark);
  EXPECT_EQ(Px(marked, x + 4 * cc + 5, t + 7 * cc), kMark);
  EXPECT_EQ(Px(marked, x + 5 * cc + 1, t + 6 * cc + 5), Px(img, x + 5 * cc + 1, t + 6 * cc + 5));
  // A black drop on board B: the right board's bottom hand, knight at (9, 7).
  marked = img.copy();
  DrawMoveMarker(game_, marked, 6, SlotOf(pcBKnight), kMark);
  EXPECT_EQ(Px(marked, x2 + 8 * cc, t + 6 * cc + 5), kMark);
  EXPECT_EQ(Px(marked, x2 + 9 * cc, t + 6 * cc + 5), kMark);
  // Flipped, a square of board A is on the right board.
  v().FlipSides = 1;
  const QImage flipped = Render();
  marked = flipped.copy();
  DrawMoveMarker(game_, marked, 1, sq::h1, kMark);  // right board col 1, row 1
  EXPECT_EQ(Px(marked, X2(), T() + 5), kMark);
  EXPECT_EQ(Px(marked, X2() + cc, T() + 5), kMark);
  // Nonsense arguments draw nothing.
  marked = flipped.copy();
  DrawMoveMarker(game_, marked, 1, 0, kMark);
  DrawMoveMarker(game_, marked, 3, 10, kMark);
  DrawMoveMarker(game_, marked, 9, sq::e4, kMark);
  EXPECT_EQ(marked, flipped);
}

TEST_F(Painter, SmallCanvasAndBackgroundFill) {
  QImage small(40, 30, QImage::Format_RGB32);
  small.fill(Qt::magenta);
  DrawPosition(game_, small, pos_);  // clipped, never outside
  EXPECT_EQ(Px(small, 0, 0), kLines);
  Render();
  QImage image(v().PictureWidth + 10, v().PictureHeight + 10, QImage::Format_RGB32);
  image.fill(Qt::black);
  FillBoardBackground(game_, image, 0x123456);
  EXPECT_EQ(Px(image, 0, 0), 0x123456u);
  EXPECT_EQ(Px(image, v().PictureWidth - 1, v().PictureHeight - 1), 0x123456u);
  EXPECT_EQ(Px(image, v().PictureWidth, v().PictureHeight - 1), 0u);
}
