#pragma once
// Drawing on a QImage with the semantics of the Windows canvas the painter was
// written for:
// - colours are 0x00BBGGRR (red in the low byte);
// - Rectangle, FillRect and FrameRect cover x1..x2-1 and y1..y2-1 (the right
//   and bottom edges are left out); LineTo leaves out its end point;
// - TextOut puts the top-left corner of the text's cell at (x, y); with the
//   background mode opaque the cell (advance x font height) is first filled
//   with the brush colour;
// - font sizes in points become pixel sizes at 96 dpi, so text is the same
//   size on every screen;
// - shapes, lines and fills are set pixel by pixel, never antialiased; text is
//   antialiased unless SetTextAntialiasing(false);
// - every pixel access is bounds-checked; nothing is drawn outside the image.
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

class QPainter;

namespace canvas {

// What a pixel read outside the image returns (no 0x00BBGGRR colour has it).
inline constexpr uint32_t kInvalidColor = 0xFFFFFFFF;

QColor ToQColor(uint32_t bgr);
uint32_t FromQColor(const QColor& color);
// QRgb (0xAARRGGBB, opaque) <-> 0x00BBGGRR.
QRgb ToRgb(uint32_t bgr);
uint32_t FromRgb(QRgb rgb);

// a * b / c rounded half away from zero; -1 when c is 0 (as Windows does).
int MulDiv(int a, int b, int c);
// The character height in pixels of a font of `points` points at 96 dpi:
// MulDiv(points, 96, 72) (Windows stores it negated as the font height).
int PixelHeightFromPoints(int points);
// Back to points: MulDiv(pixels, 72, 96). PixelHeightFromPoints round trips.
int PointsFromPixelHeight(int pixels);
// Gives `font` the pixel size of `points` points (at least 1 pixel).
void SetFontPoints(QFont& font, int points);
// The size in points of a font set by SetFontPoints (or by point size).
int FontPoints(const QFont& font);
// The font's character height in pixels (its pixel size; a point size is
// converted at 96 dpi).
int FontPixelHeight(const QFont& font);

// The pixel's colour, or `outside` when (x, y) lies outside the image.
uint32_t PixelOf(const QImage& image, int x, int y, uint32_t outside = kInvalidColor);
// The colour of the bottom-left pixel (the transparent colour of a bitmap),
// or kInvalidColor for an empty image.
uint32_t BottomLeftColor(const QImage& image);

// A rectangle whose right and bottom edges are left out.
struct Rect {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// `source` stretched to width x height as StretchDraw stretches it, with the
// pixels StretchDraw leaves out fully transparent (premultiplied ARGB).
// A null image when the source has partly transparent pixels, which
// StretchDraw blends.
QImage Stretched(const QImage& source, int width, int height, std::optional<uint32_t> transparent);

enum class PenStyle { Solid, Clear };
enum class BrushStyle { Solid, Clear };
enum class BackgroundMode { Opaque, Transparent };

class Canvas {
 public:
  // Draws on `image`, which is converted to Format_RGB32 unless it already
  // has 32-bit pixels. The image must outlive the canvas.
  explicit Canvas(QImage& image);

  QImage& Image() { return image_; }
  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }

  // Pen width 0 or 1 is one pixel; wider pens are centred on lines and lie
  // inside the rectangles they frame.
  void SetPenColor(uint32_t bgr) { penColor_ = bgr; }
  void SetPenWidth(int width) { penWidth_ = width; }
  void SetPenStyle(PenStyle style) { penStyle_ = style; }
  void SetBrushColor(uint32_t bgr) { brushColor_ = bgr; }
  void SetBrushStyle(BrushStyle style) { brushStyle_ = style; }
  void SetBackgroundMode(BackgroundMode mode) { backgroundMode_ = mode; }
  // A font given in points is turned into pixels at 96 dpi.
  void SetFont(const QFont& font);
  void SetFontColor(uint32_t bgr) { fontColor_ = bgr; }
  void SetTextAntialiasing(bool on) { textAntialiasing_ = on; }
  uint32_t PenColor() const { return penColor_; }
  uint32_t BrushColor() const { return brushColor_; }
  uint32_t FontColor() const { return fontColor_; }
  const QFont& Font() const { return font_; }
  BackgroundMode Background() const { return backgroundMode_; }

  void MoveTo(int x, int y) { penPos_ = QPoint(x, y); }
  // A line from the pen position to (x, y) without the end point; the pen
  // position becomes (x, y).
  void LineTo(int x, int y);
  QPoint PenPos() const { return penPos_; }

  // Frame in the pen, inside filled with the brush. With a clear pen only the
  // brush fills, one pixel smaller at the right and bottom (x1..x2-2).
  void Rectangle(int x1, int y1, int x2, int y2);
  // Brush fill of x1..x2-1, y1..y2-1 (nothing with a clear brush).
  void FillRect(int x1, int y1, int x2, int y2);
  // A one-pixel frame in the brush colour around x1..x2-1, y1..y2-1.
  void FrameRect(int x1, int y1, int x2, int y2);

  // `bytes` read as ToQString reads them (platform/text_codec.h). The pen
  // position moves to the cell's top-right.
  void TextOut(int x, int y, const std::string& bytes);
  void TextOut(int x, int y, const char* bytes) { TextOut(x, y, std::string(bytes)); }
  void TextOut(int x, int y, const QString& text);
  int TextWidth(const std::string& bytes) const;
  int TextWidth(const QString& text) const;
  // Height of a text cell (ascent + descent) in the current font.
  int TextHeight() const;
  // What a TextOut at (x, y) may change in the current font: the text's cell
  // and the ink of its glyphs, one pixel larger all round.
  Rect TextArea(int x, int y, const std::string& bytes) const;

  // Stretches `source` into x1..x2-1, y1..y2-1 (nearest pixel). Source pixels
  // of colour `transparent` and fully transparent ones are not drawn; partly
  // transparent ones are blended.
  void StretchDraw(int x1, int y1, int x2, int y2, const QImage& source,
                   std::optional<uint32_t> transparent = std::nullopt);
  void Draw(int x, int y, const QImage& source, std::optional<uint32_t> transparent = std::nullopt);
  // Draws an image made by Stretched() with its top-left corner at (x, y).
  void DrawStretched(int x, int y, const QImage& stretched);

  // Every drawing operation keeps to `clip` (and the image) until ClearClip.
  // A pixel inside the clip gets the same colour as without a clip.
  void SetClip(const Rect& clip) { clip_ = clip; }
  void ClearClip() { clip_.reset(); }

  uint32_t Pixel(int x, int y) const { return PixelOf(image_, x, y); }
  void SetPixel(int x, int y, uint32_t bgr);

  // Fills the 4-connected area around (x, y) that has the seed pixel's colour
  // with `fill`, staying inside `clip` (and the image). Nothing happens when
  // the seed lies outside or already has `fill`. Returns the pixels filled.
  int FloodFill(int x, int y, uint32_t fill, const Rect& clip);
  // The canvas form: fills with the brush colour, and only when the seed
  // pixel has `surface`.
  int FloodFillSurface(int x, int y, uint32_t surface, const Rect& clip);

 private:
  void Fill(int x1, int y1, int x2, int y2, uint32_t bgr);  // clipped, exclusive
  // The image's rectangle cut down to the clip.
  Rect Bounds() const;
  bool Inside(int x, int y) const;
  // A painter on the image that keeps to the clip.
  void ClipPainter(QPainter& painter) const;
  void Plot(int x, int y);                                   // one pen dot

  QImage& image_;
  uint32_t penColor_ = 0x000000;
  int penWidth_ = 1;
  PenStyle penStyle_ = PenStyle::Solid;
  uint32_t brushColor_ = 0xFFFFFF;
  BrushStyle brushStyle_ = BrushStyle::Solid;
  BackgroundMode backgroundMode_ = BackgroundMode::Opaque;
  QFont font_;
  uint32_t fontColor_ = 0x000000;
  bool textAntialiasing_ = true;
  QPoint penPos_;
  std::optional<Rect> clip_;
};

}  // namespace canvas
