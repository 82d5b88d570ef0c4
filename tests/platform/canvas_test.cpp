#include "platform/canvas.h"

#include <gtest/gtest.h>

#include <string>

using canvas::Canvas;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00, kBlack = 0;

QImage Blank(int w, int h, uint32_t bgr = kWhite) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(canvas::ToQColor(bgr));
  return image;
}

// One character a pixel: '.' white, 'R' red, 'B' blue, 'G' green, 'K' black, '?' other.
std::string Row(const QImage& image, int y) {
  std::string row;
  for (int x = 0; x < image.width(); ++x) {
    switch (canvas::PixelOf(image, x, y)) {
      case kWhite: row += '.'; break;
      case kRed: row += 'R'; break;
      case kBlue: row += 'B'; break;
      case kGreen: row += 'G'; break;
      case kBlack: row += 'K'; break;
      default: row += '?';
    }
  }
  return row;
}

std::vector<std::string> Rows(const QImage& image) {
  std::vector<std::string> rows;
  for (int y = 0; y < image.height(); ++y) rows.push_back(Row(image, y));
  return rows;
}

using Picture = std::vector<std::string>;

TEST(CanvasColors, AreBgrWithRedInTheLowByte) {
  EXPECT_EQ(canvas::ToQColor(0x0C992D), QColor(0x2D, 0x99, 0x0C));
  EXPECT_EQ(canvas::FromQColor(QColor(0x2D, 0x99, 0x0C)), 0x0C992Du);
  EXPECT_EQ(canvas::ToRgb(0x0C992D), qRgb(0x2D, 0x99, 0x0C));
  EXPECT_EQ(canvas::FromRgb(qRgba(1, 2, 3, 0)), 0x030201u);
}

TEST(CanvasShapes, RectangleFramesWithThePenAndFillsWithTheBrushLeavingOutTheFarEdges) {
  QImage image = Blank(8, 6);
  Canvas c(image);
  c.SetPenColor(kRed);
  c.SetBrushColor(kBlue);
  c.Rectangle(1, 1, 6, 5);
  EXPECT_EQ(Rows(image), (Picture{"........", ".RRRRR..", ".RBBBR..", ".RBBBR..", ".RRRRR..", "........"}));

  c.SetBrushStyle(canvas::BrushStyle::Clear);
  c.SetPenColor(kGreen);
  c.Rectangle(0, 0, 3, 3);  // frame only
  EXPECT_EQ(Row(image, 1), "GRGRRR..");  // the inside is kept
}

TEST(CanvasShapes, RectangleWithAClearPenFillsOnePixelLess) {
  QImage image = Blank(6, 5);
  Canvas c(image);
  c.SetPenStyle(canvas::PenStyle::Clear);
  c.SetBrushColor(kBlue);
  c.Rectangle(1, 1, 5, 4);
  EXPECT_EQ(Rows(image), (Picture{"......", ".BBB..", ".BBB..", "......", "......"}));
}

TEST(CanvasShapes, FillRectAndFrameRectUseTheBrushAndLeaveOutTheFarEdges) {
  QImage image = Blank(6, 5);
  Canvas c(image);
  c.SetBrushColor(kBlue);
  c.FillRect(1, 1, 3, 3);
  c.SetBrushColor(kRed);
  c.FrameRect(2, 0, 6, 4);
  EXPECT_EQ(Rows(image), (Picture{"..RRRR", ".BR..R", ".BR..R", "..RRRR", "......"}));
  c.SetBrushStyle(canvas::BrushStyle::Clear);
  c.FillRect(0, 0, 6, 5);
  EXPECT_EQ(Row(image, 4), "......");
}

TEST(CanvasShapes, LinesLeaveOutTheirEndPoint) {
  QImage image = Blank(6, 6);
  Canvas c(image);
  c.SetPenColor(kBlack);
  c.MoveTo(0, 0);
  c.LineTo(4, 0);
  EXPECT_EQ(c.PenPos(), QPoint(4, 0));
  c.LineTo(4, 3);
  c.MoveTo(0, 2);
  c.LineTo(3, 5);  // diagonal
  EXPECT_EQ(Rows(image), (Picture{"KKKKK.", "....K.", "K...K.", ".K....", "..K...", "......"}));
  c.SetPenStyle(canvas::PenStyle::Clear);
  c.LineTo(0, 5);
  EXPECT_EQ(Row(image, 5), "......");
  EXPECT_EQ(c.PenPos(), QPoint(0, 5));
}

TEST(CanvasShapes, DrawingPastTheEdgesIsClipped) {
  QImage image = Blank(4, 3);
  Canvas c(image);
  c.SetPenColor(kRed);
  c.SetBrushColor(kBlue);
  c.Rectangle(-2, -2, 3, 10);
  c.MoveTo(-5, 2);
  c.LineTo(10, 2);
  c.SetPixel(-1, 0, kGreen);
  c.SetPixel(4, 0, kGreen);
  EXPECT_EQ(Rows(image), (Picture{"BBR.", "BBR.", "RRRR"}));
  EXPECT_EQ(c.Pixel(4, 0), canvas::kInvalidColor);
  EXPECT_EQ(c.Pixel(0, -1), canvas::kInvalidColor);
  EXPECT_EQ(canvas::PixelOf(QImage(), 0, 0, 7u), 7u);
  EXPECT_EQ(canvas::BottomLeftColor(image), kRed);
}

TEST(CanvasImages, ImagesWithoutThirtyTwoBitPixelsAreConverted) {
  QImage image(3, 2, QImage::Format_RGB888);
  image.fill(Qt::white);
  Canvas c(image);
  EXPECT_EQ(image.format(), QImage::Format_RGB32);
  c.SetPixel(1, 1, kRed);
  EXPECT_EQ(Row(image, 1), ".R.");
}

TEST(CanvasImages, StretchDrawFillsTheTargetWithoutItsFarEdgesAndSkipsTheKeyColour) {
  QImage source = Blank(2, 2);
  source.setPixel(0, 0, canvas::ToRgb(kRed));
  source.setPixel(1, 0, canvas::ToRgb(kBlue));
  source.setPixel(0, 1, canvas::ToRgb(kGreen));  // bottom-left: the key
  source.setPixel(1, 1, canvas::ToRgb(kBlack));
  QImage image = Blank(6, 6);
  Canvas c(image);
  c.StretchDraw(1, 1, 5, 5, source, canvas::BottomLeftColor(source));
  EXPECT_EQ(Rows(image), (Picture{"......", ".RRBB.", ".RRBB.", "...KK.", "...KK.", "......"}));

  QImage shrunk = Blank(3, 3);
  Canvas s(shrunk);
  s.StretchDraw(0, 0, 1, 1, source);
  s.Draw(1, 1, source);
  EXPECT_EQ(Rows(shrunk), (Picture{"R..", ".RB", ".GK"}));
}

TEST(CanvasImages, StretchDrawHonoursAlpha) {
  QImage source(2, 1, QImage::Format_ARGB32);
  source.setPixel(0, 0, qRgba(255, 0, 0, 0));
  source.setPixel(1, 0, qRgba(0, 0, 0, 128));
  QImage image = Blank(2, 1);
  Canvas c(image);
  c.Draw(0, 0, source);
  EXPECT_EQ(c.Pixel(0, 0), kWhite);
  EXPECT_EQ(c.Pixel(1, 0), 0x7F7F7Fu);
}

TEST(CanvasFonts, PointsBecomePixelsAt96Dpi) {
  EXPECT_EQ(canvas::PixelHeightFromPoints(12), 16);
  EXPECT_EQ(canvas::PixelHeightFromPoints(10), 13);
  EXPECT_EQ(canvas::PixelHeightFromPoints(8), 11);
  EXPECT_EQ(canvas::PixelHeightFromPoints(7), 9);
  EXPECT_EQ(canvas::PixelHeightFromPoints(-10), -13);
  EXPECT_EQ(canvas::MulDiv(5, 3, 0), -1);
  for (int points = 1; points <= 96; ++points) {
    EXPECT_EQ(canvas::PointsFromPixelHeight(canvas::PixelHeightFromPoints(points)), points) << points;
  }
  QFont font("DejaVu Sans");
  font.setPointSize(18);
  QImage image = Blank(4, 4);
  Canvas c(image);
  c.SetFont(font);
  EXPECT_EQ(c.Font().pixelSize(), 24);
  EXPECT_EQ(canvas::FontPoints(c.Font()), 18);
  EXPECT_EQ(canvas::FontPixelHeight(font), 24);
  canvas::SetFontPoints(font, -3);  // sizes computed from tiny squares
  EXPECT_EQ(font.pixelSize(), 1);
}

class CanvasText : public ::testing::Test {
 protected:
  void SetUp() override {
    QFont font("DejaVu Sans");
    canvas::SetFontPoints(font, 12);
    c_.SetFont(font);
    c_.SetTextAntialiasing(false);
    c_.SetFontColor(kBlack);
    c_.SetBrushColor(kBlue);
  }
  // The bounding box of pixels that are neither white nor blue.
  QRect Ink() const {
    QRect box;
    for (int y = 0; y < image_.height(); ++y) {
      for (int x = 0; x < image_.width(); ++x) {
        const uint32_t p = canvas::PixelOf(image_, x, y);
        if (p != kWhite && p != kBlue) box |= QRect(x, y, 1, 1);
      }
    }
    return box;
  }
  QImage image_ = Blank(80, 40);
  Canvas c_{image_};
};

TEST_F(CanvasText, OpaqueTextFillsItsCellFromTheTopLeftCorner) {
  const int w = c_.TextWidth(std::string(" ")), h = c_.TextHeight();
  ASSERT_GT(w, 0);
  ASSERT_GE(h, 16);
  c_.TextOut(10, 5, " ");
  EXPECT_EQ(c_.Pixel(10, 5), kBlue);
  EXPECT_EQ(c_.Pixel(10 + w - 1, 5 + h - 1), kBlue);
  EXPECT_EQ(c_.Pixel(9, 5), kWhite);
  EXPECT_EQ(c_.Pixel(10, 4), kWhite);
  EXPECT_EQ(c_.Pixel(10 + w, 5), kWhite);
  EXPECT_EQ(c_.Pixel(10, 5 + h), kWhite);
  EXPECT_EQ(c_.PenPos(), QPoint(10 + w, 5));
}

TEST_F(CanvasText, GlyphsLieInsideTheirCellAndTransparentTextKeepsTheBackground) {
  c_.SetBackgroundMode(canvas::BackgroundMode::Transparent);
  c_.TextOut(10, 5, std::string("Hg"));
  const QRect ink = Ink();
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GE(ink.top(), 5);
  EXPECT_LT(ink.bottom(), 5 + c_.TextHeight());
  EXPECT_GE(ink.left(), 10);
  EXPECT_LE(ink.right(), 10 + c_.TextWidth(std::string("Hg")));
  EXPECT_EQ(c_.Pixel(10, 5), kWhite);  // no background drawn

  // The same text lower down is the same picture moved.
  c_.SetBrushColor(kWhite);
  c_.FillRect(0, 0, 80, 40);
  c_.TextOut(10, 15, std::string("Hg"));
  EXPECT_EQ(Ink(), ink.translated(0, 10));
}

TEST_F(CanvasText, Windows1252BytesAreDrawnAsTheirCharacters) {
  EXPECT_EQ(c_.TextWidth(std::string("\x80")), c_.TextWidth(QString(QChar(0x20AC))));
  EXPECT_EQ(c_.TextWidth(std::string("\xE9")), c_.TextWidth(QString(QChar(0xE9))));
}

// A 10x10 cell of white framed in black, with a white neighbour cell.
class FloodFill : public ::testing::Test {
 protected:
  void SetUp() override {
    c_.SetPenColor(kBlack);
    c_.SetBrushColor(kWhite);
    c_.Rectangle(2, 2, 7, 7);  // a ring inside the cell
  }
  int Count(uint32_t bgr) const {
    int n = 0;
    for (int y = 0; y < image_.height(); ++y) {
      for (int x = 0; x < image_.width(); ++x) n += canvas::PixelOf(image_, x, y) == bgr;
    }
    return n;
  }
  QImage image_ = Blank(20, 10);
  Canvas c_{image_};
  const canvas::Rect cell_{0, 0, 10, 10};
};

TEST_F(FloodFill, StaysInsideItsCellAndOutsideTheRing) {
  EXPECT_EQ(c_.FloodFill(0, 0, kGreen, cell_), 100 - 25);
  EXPECT_EQ(Count(kGreen), 75);
  EXPECT_EQ(c_.Pixel(10, 0), kWhite);  // the neighbour cell has the same colour
  EXPECT_EQ(c_.Pixel(4, 4), kWhite);   // inside the ring
  EXPECT_EQ(c_.Pixel(3, 3), kWhite);
  EXPECT_EQ(c_.Pixel(2, 2), kBlack);
}

TEST_F(FloodFill, FollowsWindingShapesButNotDiagonalGaps) {
  // A U of white inside black: the fill must go down one arm and up the other.
  QImage u = Blank(5, 4, kBlack);
  Canvas c(u);
  for (const QPoint p : {QPoint(1, 0), QPoint(1, 1), QPoint(1, 2), QPoint(2, 2), QPoint(3, 2), QPoint(3, 1),
                         QPoint(3, 0), QPoint(4, 3)}) {
    c.SetPixel(p.x(), p.y(), kWhite);
  }
  EXPECT_EQ(c.FloodFill(1, 0, kRed, {0, 0, 5, 4}), 7);
  EXPECT_EQ(Rows(u), (Picture{"KRKRK", "KRKRK", "KRRRK", "KKKK."}));
}

TEST_F(FloodFill, DoesNothingForTheSameColourOrASeedOutsideTheClip) {
  const QImage before = image_.copy();
  EXPECT_EQ(c_.FloodFill(0, 0, kWhite, cell_), 0);
  EXPECT_EQ(c_.FloodFill(12, 0, kGreen, cell_), 0);
  EXPECT_EQ(c_.FloodFill(-1, 0, kGreen, {-5, -5, 30, 30}), 0);
  EXPECT_EQ(image_, before);
}

TEST_F(FloodFill, SurfaceFillUsesTheBrushOnlyOnTheNamedColour) {
  c_.SetBrushColor(kBlue);
  EXPECT_EQ(c_.FloodFillSurface(4, 4, kBlack, cell_), 0);  // seed is white
  EXPECT_EQ(c_.FloodFillSurface(4, 4, kWhite, cell_), 9);
  EXPECT_EQ(Count(kBlue), 9);
  // A clip larger than the image is cut to it.
  EXPECT_EQ(c_.FloodFillSurface(15, 5, kWhite, {-100, -100, 100, 100}), 200 - 25);
}

}  // namespace
