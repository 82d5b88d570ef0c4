#include "platform/canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/text_codec.h"

namespace canvas {
namespace {

constexpr uint32_t kRgbMask = 0x00FFFFFF;

bool Is32Bit(QImage::Format format) {
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied;
}

}  // namespace

QColor ToQColor(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

QRgb ToRgb(uint32_t bgr) { return qRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

uint32_t FromRgb(QRgb rgb) {
  return static_cast<uint32_t>(qRed(rgb)) | static_cast<uint32_t>(qGreen(rgb)) << 8 |
         static_cast<uint32_t>(qBlue(rgb)) << 16;
}

uint32_t FromQColor(const QColor& color) { return FromRgb(color.rgb()); }

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t product = static_cast<int64_t>(a) * b;
  const int64_t half = std::llabs(c) / 2;
  const bool negative = (product < 0) != (c < 0);
  const int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

int PixelHeightFromPoints(int points) { return MulDiv(points, 96, 72); }

int PointsFromPixelHeight(int pixels) { return MulDiv(pixels, 72, 96); }

void SetFontPoints(QFont& font, int points) { font.setPixelSize(std::max(1, PixelHeightFromPoints(points))); }

int FontPoints(const QFont& font) {
  if (font.pixelSize() > 0) return PointsFromPixelHeight(font.pixelSize());
  return static_cast<int>(std::lround(font.pointSizeF()));
}

int FontPixelHeight(const QFont& font) {
  if (font.pixelSize() > 0) return font.pixelSize();
  return std::max(1, static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0)));
}

uint32_t PixelOf(const QImage& image, int x, int y, uint32_t outside) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return outside;
  return FromRgb(image.pixel(x, y));
}

uint32_t BottomLeftColor(const QImage& image) { return PixelOf(image, 0, image.height() - 1); }

Canvas::Canvas(QImage& image) : image_(image) {
  if (!image_.isNull() && !Is32Bit(image_.format())) image_ = image_.convertToFormat(QImage::Format_RGB32);
  SetFont(QFont());
}

void Canvas::SetFont(const QFont& font) {
  font_ = font;
  if (font_.pixelSize() <= 0) SetFontPoints(font_, FontPoints(font));
}

Rect Canvas::Bounds() const {
  Rect r{0, 0, image_.width(), image_.height()};
  if (clip_) r = Rect{std::max(r.x1, clip_->x1), std::max(r.y1, clip_->y1), std::min(r.x2, clip_->x2),
                      std::min(r.y2, clip_->y2)};
  return r;
}

bool Canvas::Inside(int x, int y) const {
  const Rect r = Bounds();
  return x >= r.x1 && y >= r.y1 && x < r.x2 && y < r.y2;
}

void Canvas::ClipPainter(QPainter& painter) const {
  if (clip_) painter.setClipRect(QRect(clip_->x1, clip_->y1, clip_->x2 - clip_->x1, clip_->y2 - clip_->y1));
}

void Canvas::Fill(int x1, int y1, int x2, int y2, uint32_t bgr) {
  const Rect r = Bounds();
  x1 = std::max(x1, r.x1);
  y1 = std::max(y1, r.y1);
  x2 = std::min(x2, r.x2);
  y2 = std::min(y2, r.y2);
  if (x1 >= x2 || y1 >= y2) return;
  const QRgb rgb = ToRgb(bgr);
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  for (int y = y1; y < y2; ++y) {
    auto* line = reinterpret_cast<QRgb*>(bits + y * stride);
    std::fill(line + x1, line + x2, rgb);
  }
}

void Canvas::SetPixel(int x, int y, uint32_t bgr) {
  if (!Inside(x, y)) return;
  reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = ToRgb(bgr);
}

void Canvas::Plot(int x, int y) {
  if (penWidth_ <= 1) {
    SetPixel(x, y, penColor_);
    return;
  }
  const int from = -(penWidth_ / 2);
  Fill(x + from, y + from, x + from + penWidth_, y + from + penWidth_, penColor_);
}

void Canvas::LineTo(int x, int y) {
  const QPoint start = penPos_;
  penPos_ = QPoint(x, y);
  if (penStyle_ == PenStyle::Clear) return;
  int cx = start.x(), cy = start.y();
  if (penWidth_ <= 1 && (cx == x || cy == y)) {  // straight: the same pixels, filled at once
    if (cy == y)
      Fill(cx < x ? cx : x + 1, y, cx < x ? x : cx + 1, y + 1, penColor_);
    else
      Fill(x, cy < y ? cy : y + 1, x + 1, cy < y ? y : cy + 1, penColor_);
    return;
  }
  const int dx = std::abs(x - cx), dy = -std::abs(y - cy);
  const int sx = cx < x ? 1 : -1, sy = cy < y ? 1 : -1;
  int error = dx + dy;
  while (cx != x || cy != y) {  // the end point is left out
    Plot(cx, cy);
    const int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      cx += sx;
    }
    if (twice <= dx) {
      error += dx;
      cy += sy;
    }
  }
}

void Canvas::Rectangle(int x1, int y1, int x2, int y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (penStyle_ == PenStyle::Clear) {
    if (brushStyle_ == BrushStyle::Solid) Fill(x1, y1, x2 - 1, y2 - 1, brushColor_);
    return;
  }
  const int w = std::max(1, penWidth_);
  if (brushStyle_ == BrushStyle::Solid) Fill(x1 + w, y1 + w, x2 - w, y2 - w, brushColor_);
  if (x2 - x1 <= 0 || y2 - y1 <= 0) return;
  Fill(x1, y1, x2, std::min(y1 + w, y2), penColor_);
  Fill(x1, std::max(y2 - w, y1), x2, y2, penColor_);
  Fill(x1, y1, std::min(x1 + w, x2), y2, penColor_);
  Fill(std::max(x2 - w, x1), y1, x2, y2, penColor_);
}

void Canvas::FillRect(int x1, int y1, int x2, int y2) {
  if (brushStyle_ == BrushStyle::Solid) Fill(x1, y1, x2, y2, brushColor_);
}

void Canvas::FrameRect(int x1, int y1, int x2, int y2) {
  if (brushStyle_ == BrushStyle::Clear || x2 <= x1 || y2 <= y1) return;
  Fill(x1, y1, x2, y1 + 1, brushColor_);
  Fill(x1, y2 - 1, x2, y2, brushColor_);
  Fill(x1, y1, x1 + 1, y2, brushColor_);
  Fill(x2 - 1, y1, x2, y2, brushColor_);
}

int Canvas::TextWidth(const QString& text) const { return QFontMetrics(font_).horizontalAdvance(text); }

int Canvas::TextWidth(const std::string& bytes) const { return TextWidth(ToQString(bytes)); }

int Canvas::TextHeight() const { return QFontMetrics(font_).height(); }

Rect Canvas::TextArea(int x, int y, const std::string& bytes) const {
  const QString text = ToQString(bytes);
  const QFontMetrics metrics(font_);
  QRect area(x, y, metrics.horizontalAdvance(text), metrics.height());
  if (!text.isEmpty()) area |= metrics.boundingRect(text).translated(x, y + metrics.ascent());
  return Rect{area.left() - 1, area.top() - 1, area.right() + 2, area.bottom() + 2};
}

void Canvas::TextOut(int x, int y, const std::string& bytes) { TextOut(x, y, ToQString(bytes)); }

void Canvas::TextOut(int x, int y, const QString& text) {
  const QFontMetrics metrics(font_);
  const int width = metrics.horizontalAdvance(text);
  if (backgroundMode_ == BackgroundMode::Opaque) Fill(x, y, x + width, y + metrics.height(), brushColor_);
  if (!text.isEmpty() && !image_.isNull()) {
    QFont font = font_;
    if (!textAntialiasing_) font.setStyleStrategy(QFont::NoAntialias);
    QPainter painter(&image_);
    ClipPainter(painter);
    painter.setRenderHint(QPainter::TextAntialiasing, textAntialiasing_);
    painter.setFont(font);
    painter.setPen(ToQColor(fontColor_));
    painter.drawText(x, y + metrics.ascent(), text);
  }
  penPos_ = QPoint(x + width, y);
}

QImage Stretched(const QImage& source, int width, int height, std::optional<uint32_t> transparent) {
  if (source.isNull() || width <= 0 || height <= 0) return QImage();
  const QImage src = source.format() == QImage::Format_ARGB32 || source.format() == QImage::Format_RGB32
                         ? source
                         : source.convertToFormat(QImage::Format_ARGB32);
  const bool hasAlpha = src.hasAlphaChannel();
  const QRgb key = transparent ? ToRgb(*transparent) & kRgbMask : 0;
  QImage out(width, height, QImage::Format_ARGB32_Premultiplied);
  // Source column of every target column, worked out once.
  std::vector<int> columns(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) columns[static_cast<size_t>(x)] = static_cast<int>(int64_t{x} * src.width() / width);
  for (int y = 0; y < height; ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(static_cast<int>(int64_t{y} * src.height() / height)));
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const QRgb pixel = in[columns[static_cast<size_t>(x)]];
      const int alpha = hasAlpha ? qAlpha(pixel) : 255;
      if ((transparent && (pixel & kRgbMask) == key) || alpha == 0) {
        line[x] = 0;
      } else if (alpha == 255) {
        line[x] = pixel | 0xFF000000u;
      } else {
        return QImage();  // blended by StretchDraw itself
      }
    }
  }
  return out;
}

void Canvas::DrawStretched(int x, int y, const QImage& stretched) {
  if (stretched.isNull() || image_.isNull()) return;
  const Rect r = Bounds();
  if (x >= r.x2 || y >= r.y2 || x + stretched.width() <= r.x1 || y + stretched.height() <= r.y1) return;
  // Every pixel is either opaque or fully transparent, so source-over copies
  // the opaque ones exactly and leaves the rest.
  QPainter painter(&image_);
  ClipPainter(painter);
  painter.drawImage(x, y, stretched);
}

void Canvas::StretchDraw(int x1, int y1, int x2, int y2, const QImage& source, std::optional<uint32_t> transparent) {
  if (source.isNull() || x2 <= x1 || y2 <= y1) return;
  const QImage stretched = Stretched(source, x2 - x1, y2 - y1, transparent);
  if (!stretched.isNull()) {
    DrawStretched(x1, y1, stretched);
    return;
  }
  const QImage src = source.format() == QImage::Format_ARGB32 || source.format() == QImage::Format_RGB32
                         ? source
                         : source.convertToFormat(QImage::Format_ARGB32);
  const bool hasAlpha = src.hasAlphaChannel();
  const int64_t dstW = x2 - x1, dstH = y2 - y1;
  const Rect r = Bounds();
  const int fromX = std::max(x1, r.x1), toX = std::min(x2, r.x2);
  const int fromY = std::max(y1, r.y1), toY = std::min(y2, r.y2);
  for (int y = fromY; y < toY; ++y) {
    const int sy = static_cast<int>((y - y1) * src.height() / dstH);
    const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(sy));
    auto* out = reinterpret_cast<QRgb*>(image_.scanLine(y));
    for (int x = fromX; x < toX; ++x) {
      const QRgb pixel = in[(x - x1) * src.width() / dstW];
      if (transparent && (pixel & kRgbMask) == (ToRgb(*transparent) & kRgbMask)) continue;
      const int alpha = hasAlpha ? qAlpha(pixel) : 255;
      if (alpha == 0) continue;
      if (alpha == 255) {
        out[x] = pixel | 0xFF000000u;
      } else {
        const QRgb under = out[x];
        const auto mix = [alpha](int a, int b) { return (a * alpha + b * (255 - alpha) + 127) / 255; };
        out[x] = qRgb(mix(qRed(pixel), qRed(under)), mix(qGreen(pixel), qGreen(under)),
                      mix(qBlue(pixel), qBlue(under)));
      }
    }
  }
}

void Canvas::Draw(int x, int y, const QImage& source, std::optional<uint32_t> transparent) {
  StretchDraw(x, y, x + source.width(), y + source.height(), source, transparent);
}

int Canvas::FloodFill(int x, int y, uint32_t fill, const Rect& clip) {
  const Rect r = Bounds();
  const int left = std::max(clip.x1, r.x1), top = std::max(clip.y1, r.y1);
  const int right = std::min(clip.x2, r.x2), bottom = std::min(clip.y2, r.y2);
  if (x < left || x >= right || y < top || y >= bottom) return 0;
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  const auto at = [bits, stride](int px, int py) -> QRgb& { return reinterpret_cast<QRgb*>(bits + py * stride)[px]; };
  const QRgb seed = at(x, y) & kRgbMask;
  const QRgb paint = ToRgb(fill);
  if (seed == (paint & kRgbMask)) return 0;
  const auto matches = [&](int px, int py) { return (at(px, py) & kRgbMask) == seed; };

  int filled = 0;
  std::vector<QPoint> pending{QPoint(x, y)};
  while (!pending.empty()) {
    const QPoint p = pending.back();
    pending.pop_back();
    if (!matches(p.x(), p.y())) continue;
    int lx = p.x(), rx = p.x();
    while (lx - 1 >= left && matches(lx - 1, p.y())) --lx;
    while (rx + 1 < right && matches(rx + 1, p.y())) ++rx;
    for (int px = lx; px <= rx; ++px) at(px, p.y()) = paint;
    filled += rx - lx + 1;
    for (const int ny : {p.y() - 1, p.y() + 1}) {
      if (ny < top || ny >= bottom) continue;
      bool inRun = false;
      for (int px = lx; px <= rx; ++px) {
        const bool m = matches(px, ny);
        if (m && !inRun) pending.emplace_back(px, ny);
        inRun = m;
      }
    }
  }
  return filled;
}

int Canvas::FloodFillSurface(int x, int y, uint32_t surface, const Rect& clip) {
  if (brushStyle_ == BrushStyle::Clear || Pixel(x, y) != (surface & kRgbMask)) return 0;
  return FloodFill(x, y, brushColor_, clip);
}

}  // namespace canvas
