#include "display_fixture.h"
#include "platform/canvas.h"

using namespace testdisplay;

namespace {

// What the painter drew under a point must be what PointToSquare names there.
class PointToSquareTest : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    game_.SetupStandardPosition(pos_);
    pos_.boardA[sq::e4] = pcWQueen;  // tells the boards apart
    pos_.boardB[SquareOf(3, 4)] = pcBKnight;
    for (int s = 0; s < kSlots; ++s) pos_.holdingsA[s] = pos_.holdingsB[s] = 1;
  }
  KestrovaneVisualProperties& v() { return DisplayOf(game_).Visual; }
  QImage Render() { return RenderPicture(game_, pos_); }
  int c() { return v().SquareSize + v().DPGraphicBoardLinesNet; }
  SquareHit Hit(int x, int y) { return PointToSquare(game_, x, y, v().SquareSize); }
  // The bitmap slot whose colour should be under a hit (-1 for nothing drawn).
  int SlotDrawnFor(const SquareHit& hit) {
    if (hit.area == 1 || hit.area == 2) {
      const int code = (hit.area == 1 ? pos_.boardA : pos_.boardB)[hit.index];
      return code >= pcWPawn ? code : -1;
    }
    if (hit.area >= 3 && hit.area <= 6) return CodeOfSlot(hit.index);
    if (hit.area == 7 || hit.area == 8) return 15 + hit.index - 10;
    return -1;
  }

  // Every cell of both boards and their hands, probed in its middle.
  void ExpectRoundTrips(const QImage& image) {
    int squares = 0, hands = 0, castling = 0;
    for (bool right : {false, true}) {
      for (int row = 0; row < 8; ++row) {
        for (int col = 0; col < 10; ++col) {
          const int x = (right ? v().RightBoardLeft : v().LeftBoardLeft) + col * c() + c() / 2;
          const int y = v().LeftBoardTop + row * c() + c() / 2 + 3;
          const SquareHit hit = Hit(x, y);
          SCOPED_TRACE(testing::Message() << "right " << right << " col " << col << " row " << row);
          if (col < 8) {
            ASSERT_EQ(hit.area, (right != (v().FlipSides == 1)) ? 2 : 1);
            const int file = right ? 7 - col : col, rank = right ? row : 7 - row;
            EXPECT_EQ(hit.index, SquareOf(file, rank));
            ++squares;
          } else if (hit.area == 0) {
            EXPECT_TRUE(col == 9 && (row == 2 || row == 7));  // the two empty cells
            continue;
          } else {
            (hit.area >= 7 ? castling : hands)++;
          }
          const int slot = SlotDrawnFor(hit);
          if (slot >= 0) {
            EXPECT_EQ(canvas::PixelOf(image, x, y), BgrFromColor(SlotColor(slot)));
          }
        }
      }
    }
    EXPECT_EQ(squares, 128);
    EXPECT_EQ(hands, 20);
    EXPECT_EQ(castling, 8);
  }

  CKestroGame game_;
  TwoBoardPosition pos_;
};

}  // namespace

TEST_F(PointToSquareTest, EveryCellMapsToWhatIsDrawnThere) {
  ExpectRoundTrips(Render());
  v().FlipSides = 1;
  ExpectRoundTrips(Render());
  v().FlipSides = 0;
  v().ShowCoordinates = 0;
  v().DPGraphicBoardLinesNet = 0;
  ExpectRoundTrips(Render());
}

TEST_F(PointToSquareTest, CornersCastlingMarksAndEmptyCells) {
  Render();
  const int x = v().LeftBoardLeft, x2 = v().RightBoardLeft, t = v().LeftBoardTop, cc = c();
  auto is = [](SquareHit h, int area, int index) { return h.area == area && h.index == index; };
  EXPECT_TRUE(is(Hit(x + 2, t + 2), 1, sq::a8));
  EXPECT_TRUE(is(Hit(x2 + 2, t + 2), 2, sq::h1));
  EXPECT_TRUE(is(Hit(x + 9 * cc + 5, t + 4 * cc + 5), 7, 10));  // white short castling, left board
  EXPECT_TRUE(is(Hit(x + 8 * cc + 5, t + 4 * cc + 5), 7, 11));  // white long castling
  EXPECT_EQ(DisplayOf(game_).HitResult[0], 7);
  EXPECT_EQ(DisplayOf(game_).HitResult[1], 11);
  EXPECT_EQ(DisplayOf(game_).HitResult[2], 9);
  EXPECT_EQ(DisplayOf(game_).HitResult[3], 4);
  for (QPoint p : {QPoint(x + 9 * cc + 5, t + 7 * cc + 5), QPoint(x + 9 * cc + 5, t + 2 * cc + 5),
                   QPoint(x2 + 9 * cc + 5, t + 7 * cc + 5), QPoint(x2 + 9 * cc + 5, t + 2 * cc + 5),
                   QPoint(x + 5, t + 20 * cc), QPoint(x2 + 30 * cc, t), QPoint(-100000, -100000)})
    EXPECT_EQ(Hit(p.x(), p.y()).area, 0) << p.x() << "," << p.y();
  // Truncation toward zero: less than a cell left of or above a board is its first column or top row.
  EXPECT_TRUE(is(Hit(x - cc + 1, t + 2), 1, sq::a8));
  EXPECT_TRUE(is(Hit(x + 2, t - cc + 1), 1, sq::a8));
  // The gap between the boards counts as the right board's first column.
  EXPECT_TRUE(is(Hit(x2 - 3, t + 7 * cc + 2), 2, sq::h8));

  v().FlipSides = 1;
  Render();
  EXPECT_TRUE(is(Hit(x + 2, t + 2), 2, sq::a8));
  EXPECT_TRUE(is(Hit(x2 + 2, t + 2), 1, sq::h1));
  EXPECT_TRUE(is(Hit(x + 8 * cc + 5, t + 4 * cc + 5), 8, 11));
}

TEST_F(PointToSquareTest, ASquareSizeOfZeroOrLessFindsNothing) {
  Render();
  const int x = v().LeftBoardLeft + 2, y = v().LeftBoardTop + 2;
  v().DPGraphicBoardLinesNet = 0;
  EXPECT_EQ(PointToSquare(game_, x, y, 0).area, 0);
  v().DPGraphicBoardLinesNet = 1;
  EXPECT_EQ(PointToSquare(game_, x, y, -1).area, 0);
  EXPECT_EQ(PointToSquare(game_, x, y, -40).area, 0);
  EXPECT_EQ(DisplayOf(game_).HitResult[0], 0);
  EXPECT_EQ(PointToSquare(game_, x, y, 0).area, 1);  // c = 1 still divides
}
