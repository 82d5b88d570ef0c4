// Draws a two-board position: frame, squares, pieces, hands, castling marks,
// names, clocks, lag and coordinates, and stores the layout it used.
#include <QRegion>
#include <algorithm>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "display/board_display.h"
#include "display/board_texts.h"
#include "platform/canvas.h"
#include "platform/text_codec.h"

namespace {

using canvas::Canvas;

constexpr int kCoinSlot = 14;
constexpr int kFirstCastlingSlot = 15;

// The picture layout of one drawing (pixels; see the settings record).
struct Layout {
  int L = 0, S = 0, f = 0, c = 0;
  int m = 0, h = 0;
  int pH = 0, lH = 0, kH = 0, z = 0;
  int X = 0, T = 0, X2 = 0;
  int showCoordinates = 0;
};

// Seats at the corners: top-left, top-right, bottom-left, bottom-right.
struct Corners {
  int seat[4];
};
Corners CornerSeats(int f) { return {{2 * f + 1, 2 - 2 * f, 2 * f, 3 - 2 * f}}; }

// The values that follow from the settings alone.
Layout SettingsLayout(const KestrovaneVisualProperties& v) {
  Layout l;
  l.L = v.DPGraphicBoardLinesNet;
  l.S = v.DPGraphicBoardSquareStyle;
  l.f = v.FlipSides ? 1 : 0;
  l.c = v.SquareSize + l.L;
  l.showCoordinates = v.ShowCoordinates ? 1 : 0;
  l.lH = canvas::FontPixelHeight(v.FontLag.font);
  return l;
}

Layout ComputeLayout(KestrovaneVisualProperties& v) {
  Layout l = SettingsLayout(v);
  l.pH = canvas::FontPixelHeight(v.FontPlayers.font);
  if (l.showCoordinates) {
    l.z = std::max(1, (l.c + l.L) / 2 - 3);
    v.FontCoordinates.font.setPointSize(l.z);
    l.m = l.c / 2;
    l.kH = canvas::FontPixelHeight(v.FontCoordinates.font);
    l.h = l.kH + 4;
  }
  l.X = v.OriginX + 5 + l.m;
  l.T = l.pH + l.lH + v.OriginY + 10;
  l.X2 = l.X + 10 * l.c + 2 + l.m;
  v.LeftBoardLeft = l.X;
  v.LeftBoardTop = l.T;
  v.RightBoardLeft = l.X2;
  v.RightBoardTop = l.T;
  v.LeftBoardWidth = v.RightBoardWidth = 10 * l.c;
  v.LeftBoardHeight = v.RightBoardHeight = 8 * l.c;
  v.PictureWidth = 5 + l.m + 10 * l.c + 2 + l.m + 10 * l.c + 5;
  v.PictureHeight = 2 * (l.pH + l.lH) + l.h + 8 * l.c + 26;
  return l;
}

// The layout of the last drawing, for the painters that draw over it.
Layout StoredLayout(const KestrovaneVisualProperties& v) {
  Layout l = SettingsLayout(v);
  l.kH = canvas::FontPixelHeight(v.FontCoordinates.font);
  l.X = v.LeftBoardLeft;
  l.T = v.LeftBoardTop;
  l.X2 = v.RightBoardLeft;
  return l;
}

// A rectangle whose right and bottom edges are left out.
using Box = canvas::Rect;

bool Meets(const Box& a, const Box& b) { return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2; }
bool Holds(const Box& outer, const Box& inner) {
  return outer.x1 <= inner.x1 && outer.y1 <= inner.y1 && inner.x2 <= outer.x2 && inner.y2 <= outer.y2;
}
Box Union(const Box& a, const Box& b) {
  return {std::min(a.x1, b.x1), std::min(a.y1, b.y1), std::max(a.x2, b.x2), std::max(a.y2, b.y2)};
}

// Held pieces and castling marks in columns 8 and 9: each coordinate is
// base + a * c + b, the base being the board's left edge or its top.
enum class HoldKind { TopHand, BottomHand, Castling };
struct HoldCell {
  int row;
  HoldKind kind;
  int what;  // piece type for hands; castling index (0 white short .. 3 black long)
  int ax1, bx1, ax2, bx2;
  int ay1, by1, ay2, by2;
};

constexpr HoldCell kLeftHoldCells[] = {
    {0, HoldKind::TopHand, ptPawn, 8, 2, 9, 1, 0, 1, 1, 1},
    {0, HoldKind::TopHand, ptRook, 9, 1, 10, 0, 0, 1, 1, 0},
    {1, HoldKind::TopHand, ptKnight, 8, 4, 9, 3, 1, 1, 2, 0},
    {1, HoldKind::TopHand, ptQueen, 9, 1, 10, 0, 1, 1, 2, 0},
    {2, HoldKind::TopHand, ptBishop, 8, 4, 9, 3, 2, 1, 3, 0},
    {3, HoldKind::Castling, 3, 8, 2, 9, 1, 3, 1, 4, 0},
    {3, HoldKind::Castling, 2, 9, 2, 10, 1, 3, 1, 4, 0},
    {4, HoldKind::Castling, 1, 8, 2, 9, 1, 4, 1, 5, 0},
    {4, HoldKind::Castling, 0, 9, 2, 10, 1, 4, 1, 5, 0},
    {5, HoldKind::BottomHand, ptPawn, 8, 2, 9, 1, 5, 1, 6, 0},
    {5, HoldKind::BottomHand, ptRook, 9, 1, 10, 0, 5, 1, 6, 0},
    {6, HoldKind::BottomHand, ptKnight, 8, 4, 9, 3, 6, 1, 7, 0},
    {6, HoldKind::BottomHand, ptQueen, 9, 1, 10, 0, 6, 1, 7, 0},
    {7, HoldKind::BottomHand, ptBishop, 8, 4, 9, 3, 7, 1, 8, 0},
};
constexpr HoldCell kRightHoldCells[] = {
    {0, HoldKind::TopHand, ptPawn, 8, 1, 9, 0, 0, 1, 1, 0},
    {0, HoldKind::TopHand, ptRook, 9, 0, 10, -1, 0, 1, 1, 0},
    {1, HoldKind::TopHand, ptKnight, 8, 3, 9, 2, 1, 1, 2, 0},
    {1, HoldKind::TopHand, ptQueen, 9, 0, 10, -1, 1, 1, 2, 0},
    {2, HoldKind::TopHand, ptBishop, 8, 3, 9, 2, 2, 1, 3, 0},
    {3, HoldKind::Castling, 0, 8, 1, 9, 0, 3, 1, 4, 0},
    {3, HoldKind::Castling, 1, 9, 1, 10, 0, 3, 1, 4, 0},
    {4, HoldKind::Castling, 2, 8, 1, 9, 0, 4, 1, 5, 0},
    {4, HoldKind::Castling, 3, 9, 1, 10, 0, 4, 1, 5, 0},
    {5, HoldKind::BottomHand, ptPawn, 8, 1, 9, 0, 5, 1, 6, 0},
    {5, HoldKind::BottomHand, ptRook, 9, 0, 10, -1, 5, 1, 6, 0},
    {6, HoldKind::BottomHand, ptKnight, 8, 3, 9, 2, 6, 1, 7, 0},
    {6, HoldKind::BottomHand, ptQueen, 9, 0, 10, -1, 6, 1, 7, 0},
    {7, HoldKind::BottomHand, ptBishop, 8, 3, 9, 2, 7, 1, 8, 0},
};

// Left edge of a held piece's count, from the board's left edge.
int CountX(bool right, int type, int c) {
  switch (type) {
    case ptRook: return right ? 9 * c - 2 : 9 * c - 1;
    case ptQueen: return right ? 9 * c + 2 : 9 * c + 3;
    default: return right ? 8 * c + 2 : 8 * c + 3;
  }
}

}  // namespace

// What the painter drew last, and onto which picture: the picture's cache key
// after the drawing (any later change of the picture alters it), the look
// and the position drawn, and the areas drawn over since by the marker and
// running-clock painters, which the next drawing restores.
struct PaintedPicture {
  qint64 imageKey = 0;
  QSize imageSize;
  std::shared_ptr<const PieceSet> set;
  KestrovaneVisualProperties visual;
  TwoBoardPosition position;
  std::string lagTexts[4], clockTexts[4];
  std::vector<canvas::Rect> overdrawn;
  // Where each corner's running clock was last written (empty: not since the drawing).
  canvas::Rect runningClocks[4];
  // Where texts drew, by font and text, from their origin, in this look.
  std::map<std::pair<std::ptrdiff_t, std::string>, canvas::Rect> textAreas;
};

namespace {

class Painter {
 public:
  Painter(CKestroGame& game, KestrovaneVisualProperties& look, const PieceSet& set, QImage& image,
          const TwoBoardPosition& position)
      : game_(game), v_(look), set_(set), cv_(image), p_(position) {}

  // A whole drawing, or, when the picture still holds the last one with the
  // same look, a drawing of each changed area: every step of the whole
  // drawing that reaches into the area, in the same order, kept to the area.
  QRegion Draw(PaintedPicture& last, const std::shared_ptr<const PieceSet>& pieces) {
    l_ = ComputeLayout(v_);
    if (v_.DPGraphicPiecesType == 1 && l_.L == 1) v_.DPGraphicBoardSquareStyle = 0;
    for (int corner = 0; corner < 4; ++corner) {
      const int seat = CornerSeats(l_.f).seat[corner];
      const int sideToMove = seat < 2 ? p_.sideToMoveA : p_.sideToMoveB;
      const std::string& name = game_.DisplayNames[seat].empty() ? game_.PlayerNames[seat] : game_.DisplayNames[seat];
      lagTexts_[corner] = LagText(p_.lagSum[seat], p_.lag[seat]);
      clockTexts_[corner] = ClockLineText(p_.clock[seat], sideToMove == seat % 2, name);
    }
    QImage& image = cv_.Image();
    const bool sameLook = last.visual == v_;
    const bool same = sameLook && last.imageKey != 0 && last.imageKey == image.cacheKey() &&
                      last.imageSize == image.size() && last.set == pieces;
    constexpr size_t kMostAreasKept = 2000;
    if (!sameLook || last.textAreas.size() > kMostAreasKept) last.textAreas.clear();
    areas_ = &last.textAreas;
    QRegion drawn;
    if (!same) {
      DrawAll();
      drawn = image.rect();
    } else {
      std::vector<Box> areas = ChangedAreas(last);
      for (const Box& b : last.overdrawn) areas.push_back(b);
      for (const Box& area : DrawAreas(std::move(areas)))
        drawn |= QRect(QPoint(area.x1, area.y1), QPoint(area.x2 - 1, area.y2 - 1));
      drawn &= QRegion(image.rect());
    }
    last.imageKey = image.cacheKey();
    last.imageSize = image.size();
    last.set = pieces;
    last.visual = v_;
    last.position = p_;
    for (int corner = 0; corner < 4; ++corner) {
      last.lagTexts[corner] = lagTexts_[corner];
      last.clockTexts[corner] = clockTexts_[corner];
    }
    last.overdrawn.clear();
    std::fill(std::begin(last.runningClocks), std::end(last.runningClocks), Box{});
    return drawn;
  }

  // The areas as the last drawing left them, on the picture that still holds
  // it; `last` must be that drawing, this painter set up with its look, set
  // and position.
  void Restore(PaintedPicture& last, std::vector<Box> areas) {
    l_ = ComputeLayout(v_);
    for (int corner = 0; corner < 4; ++corner) {
      lagTexts_[corner] = last.lagTexts[corner];
      clockTexts_[corner] = last.clockTexts[corner];
    }
    areas_ = &last.textAreas;
    for (const Box& area : DrawAreas(std::move(areas)))
      std::erase_if(last.overdrawn, [&](const Box& b) { return Holds(area, b); });
    last.imageKey = cv_.Image().cacheKey();
  }

 private:
  // Each area, grown to whole cells, drawn again: every step of the whole
  // drawing that reaches into it, in the same order, kept to it. Returns the
  // areas drawn.
  std::vector<Box> DrawAreas(std::vector<Box> areas) {
    std::vector<Box> whole = WholeCells(std::move(areas));
    for (const Box& area : whole) {
      clip_ = area;
      cv_.SetClip(area);
      DrawAll();
    }
    clip_.reset();
    cv_.ClearClip();
    return whole;
  }

  void DrawAll() {
    DrawFrame();
    DrawLagLines();
    DrawClockLines();
    DrawSquares();
    DrawHoldings();
    DrawCounts();
    if (l_.showCoordinates) DrawCoordinates();
  }

  // Whether a step drawing within `box` reaches into the area being drawn.
  bool Touches(const Box& box) const { return !clip_ || Meets(*clip_, box); }
  // For a text written in `font`, which the canvas has.
  bool TouchesText(const VisualFont& font, int x, int y, const std::string& text) {
    return !clip_ || Meets(*clip_, TextArea(font, x, y, text));
  }
  // Where a text in `font` draws at (x, y); measured once per look.
  Box TextArea(const VisualFont& font, int x, int y, const std::string& text) {
    // The font's place in the settings names it.
    const std::ptrdiff_t role = reinterpret_cast<const char*>(&font) - reinterpret_cast<const char*>(&v_);
    auto found = areas_->find({role, text});
    if (found == areas_->end()) {
      const QFont current = cv_.Font();
      cv_.SetFont(font.font);
      found = areas_->emplace(std::make_pair(role, text), cv_.TextArea(0, 0, text)).first;
      cv_.SetFont(current);
    }
    const Box& b = found->second;
    return {b.x1 + x, b.y1 + y, b.x2 + x, b.y2 + y};
  }

  // Where a cell's steps draw: its square with the frame around it.
  Box CellPaintBox(bool right, int j, int i) const {
    const Box b = CellBox(right, j, i);
    return l_.L == 1 ? Box{b.x1 - 1, b.y1 - 1, b.x2 + 1, b.y2 + 1} : Grown(b);
  }

  // The areas whose look differs from the last drawing's.
  std::vector<Box> ChangedAreas(const PaintedPicture& last) {
    std::vector<Box> areas;
    for (int corner = 0; corner < 4; ++corner) {
      if (lagTexts_[corner] != last.lagTexts[corner])
        areas.push_back(Union(TextArea(v_.FontLag, LagX(corner), LagY(corner), lagTexts_[corner]),
                              TextArea(v_.FontLag, LagX(corner), LagY(corner), last.lagTexts[corner])));
      if (clockTexts_[corner] != last.clockTexts[corner])
        areas.push_back(Union(TextArea(v_.FontPlayers, LagX(corner), ClockY(corner), clockTexts_[corner]),
                              TextArea(v_.FontPlayers, LagX(corner), ClockY(corner), last.clockTexts[corner])));
    }
    for (bool right : {false, true}) {
      const ConstBoardRef now = BoardOf(p_, ShownBoard(right));
      const ConstBoardRef before = BoardOf(last.position, ShownBoard(right));
      const int coinNow = p_.coinSquare[ShownBoard(right) - 1], coinBefore = last.position.coinSquare[ShownBoard(right) - 1];
      for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
          const int square = SquareOf(right ? 7 - j : j, right ? i : 7 - i);
          const bool changed = now.squares[square] != before.squares[square] ||
                               (v_.TolvoEnergyBoard && now.attackBalance[square] != before.attackBalance[square]) ||
                               ((coinNow == square) != (coinBefore == square));
          if (changed) areas.push_back(CellPaintBox(right, j, i));
        }
      }
      for (const HoldCell& h : right ? std::span(kRightHoldCells) : std::span(kLeftHoldCells)) {
        if (h.kind == HoldKind::Castling) {
          if ((now.castling[h.what] == 1) != (before.castling[h.what] == 1)) areas.push_back(HoldBox(right, h));
          continue;
        }
        const size_t slot = SlotOf(2 * h.what + HandColour(right, h.kind));
        if (now.holdings[slot] == before.holdings[slot]) continue;
        Box area = HoldBox(right, h);
        for (const int count : {now.holdings[slot], before.holdings[slot]})
          if (count >= 2)
            area = Union(area, TextArea(v_.FontStuffNumber, CountLeft(right, h), CountTop(h), std::to_string(count)));
        areas.push_back(area);
      }
    }
    return areas;
  }

  // The areas grown to hold every cell they reach into whole (a glyph's fill
  // and the square's corner pixel read the cell they draw in), then joined
  // where they meet.
  std::vector<Box> WholeCells(std::vector<Box> areas) const {
    for (Box& area : areas) {
      for (bool grew = true; grew;) {
        grew = false;
        for (bool right : {false, true})
          for (int i = 0; i < 8; ++i)
            for (int j = 0; j < 8; ++j) {
              const Box cell = Grown(CellBox(right, j, i));
              if (Meets(area, cell) && !Holds(area, cell)) {
                area = Union(area, cell);
                grew = true;
              }
            }
      }
    }
    for (bool joined = true; joined;) {
      joined = false;
      for (size_t a = 0; a < areas.size() && !joined; ++a)
        for (size_t b = a + 1; b < areas.size() && !joined; ++b)
          if (Meets(areas[a], areas[b])) {
            areas[a] = Union(areas[a], areas[b]);
            areas.erase(areas.begin() + static_cast<std::ptrdiff_t>(b));
            joined = true;
          }
    }
    return areas;
  }

  int LagX(int corner) const { return corner % 2 == 0 ? l_.X : l_.X2; }
  int LagY(int corner) const { return corner < 2 ? v_.OriginY + 2 : BelowBoards() + l_.pH + 11; }
  int ClockY(int corner) const { return corner < 2 ? v_.OriginY + l_.lH + 4 : BelowBoards() + 4; }
  int CountLeft(bool right, const HoldCell& h) const { return (right ? l_.X2 : l_.X) + CountX(right, h.what, l_.c); }
  int CountTop(const HoldCell& h) const { return l_.T + h.row * l_.c + 1; }

  // Board number (1 A, 2 B) shown on the left or right.
  int ShownBoard(bool right) const { return (right != (l_.f == 1)) ? 2 : 1; }

  Box CellBox(bool right, int j, int i) const {
    const int c = l_.c;
    if (!right) return {l_.X + j * c + 1, l_.T + i * c + 1, l_.X + (j + 1) * c, l_.T + (i + 1) * c};
    const int x1 = l_.X2 + j * c + l_.L;
    return {x1, l_.T + i * c + 1, x1 + c - 1, l_.T + (i + 1) * c};
  }
  // The rectangle one pixel larger at the right and bottom where there are no grid lines.
  Box Grown(const Box& b) const { return {b.x1, b.y1, b.x2 + 1 - l_.L, b.y2 + 1 - l_.L}; }

  // A bitmap stretched into `b`, from the set's stretched copies.
  void Stretch(const Box& b, int slot) {
    if (!Touches(b) || b.x2 <= b.x1 || b.y2 <= b.y1) return;
    const QImage& bitmap = set_.bitmaps[static_cast<size_t>(slot)];
    constexpr size_t kMostKept = 512;  // square sizes tried one after another
    if (set_.stretched.size() > kMostKept) set_.stretched.clear();
    const auto key = std::make_tuple(slot, b.x2 - b.x1, b.y2 - b.y1);
    auto found = set_.stretched.find(key);
    if (found == set_.stretched.end())
      found = set_.stretched
                  .emplace(key, canvas::Stretched(bitmap, b.x2 - b.x1, b.y2 - b.y1, canvas::BottomLeftColor(bitmap)))
                  .first;
    if (found->second.isNull())
      cv_.StretchDraw(b.x1, b.y1, b.x2, b.y2, bitmap, canvas::BottomLeftColor(bitmap));
    else
      cv_.DrawStretched(b.x1, b.y1, found->second);
  }

  // Text written at (x, y) and kept inside `clip`.
  void ClippedText(int x, int y, const std::string& text, const Box& clip) {
    const QRect area = QRect(QPoint(clip.x1, clip.y1), QPoint(clip.x2 - 1, clip.y2 - 1)) & cv_.Image().rect();
    if (area.isEmpty()) return;
    QImage piece = cv_.Image().copy(area);
    Canvas local(piece);
    local.SetFont(cv_.Font());
    local.SetFontColor(cv_.FontColor());
    local.SetBrushColor(cv_.BrushColor());
    local.SetBackgroundMode(cv_.Background());
    local.SetTextAntialiasing(antialias_);
    local.TextOut(x - area.x(), y - area.y(), text);
    QRect back = area;
    if (clip_) back &= QRect(QPoint(clip_->x1, clip_->y1), QPoint(clip_->x2 - 1, clip_->y2 - 1));
    for (int row = back.top(); row <= back.bottom(); ++row)
      std::copy_n(reinterpret_cast<const QRgb*>(piece.constScanLine(row - area.y())) + (back.x() - area.x()),
                  back.width(), reinterpret_cast<QRgb*>(cv_.Image().scanLine(row)) + back.x());
  }

  void DrawFrame() {
    const int X = l_.X, T = l_.T, X2 = l_.X2, c = l_.c, m = l_.m;
    const int bottom = T + 8 * c + 2;
    cv_.SetBackgroundMode(canvas::BackgroundMode::Opaque);
    cv_.SetPenColor(v_.DPColorBoardLines);
    cv_.SetBrushColor(v_.DPColorTable);
    cv_.Rectangle(v_.OriginX, v_.OriginY, v_.OriginX + v_.PictureWidth, v_.OriginY + v_.PictureHeight);
    cv_.SetBrushColor(v_.DPColorBoardBck);
    cv_.Rectangle(X, T, X2 + 10 * c, bottom);
    if (l_.L == 1) {
      for (int i = 1; i <= 8; ++i) {
        cv_.MoveTo(X, T + i * c);
        cv_.LineTo(X2 + 10 * c, T + i * c);
      }
      for (int j = 0; j <= 10; ++j) {
        cv_.MoveTo(X + j * c, T);
        cv_.LineTo(X + j * c, bottom);
        cv_.MoveTo(X2 + j * c, T);
        cv_.LineTo(X2 + j * c, bottom);
      }
    }
    cv_.SetBrushColor(v_.DPColorTable);
    cv_.FillRect(X2 - m - 1, T, X2 + l_.L, bottom);
    cv_.MoveTo(X2 - 1 + l_.L, T);
    cv_.LineTo(X2 - 1 + l_.L, bottom);
    cv_.SetBrushColor(v_.DPColorStuffPlace);
    cv_.Rectangle(X + 8 * c + 1, T, X2 - m, bottom);
    cv_.Rectangle(X2 + 8 * c, T, X2 + 10 * c - 1, bottom);
  }

  // y of the lines below the boards.
  int BelowBoards() const { return l_.T + 8 * l_.c + l_.kH * l_.showCoordinates; }

  void DrawLagLines() {
    cv_.SetFont(v_.FontLag.font);
    cv_.SetFontColor(v_.DPColorBoardText);
    cv_.SetBrushColor(v_.DPColorTable);
    cv_.SetBackgroundMode(canvas::BackgroundMode::Opaque);
    for (int corner = 0; corner < 4; ++corner)
      if (TouchesText(v_.FontLag, LagX(corner), LagY(corner), lagTexts_[corner]))
        cv_.TextOut(LagX(corner), LagY(corner), lagTexts_[corner]);
  }

  void DrawClockLines() {
    if (v_.DPColorBoardTextTransparent) cv_.SetBackgroundMode(canvas::BackgroundMode::Transparent);
    cv_.SetFont(v_.FontPlayers.font);
    cv_.SetFontColor(v_.DPColorBoardText);
    for (int corner = 0; corner < 4; ++corner)
      if (TouchesText(v_.FontPlayers, LagX(corner), ClockY(corner), clockTexts_[corner]))
        cv_.TextOut(LagX(corner), ClockY(corner), clockTexts_[corner]);
  }

  void PaintSquare(const Box& b, uint32_t color) {
    cv_.SetBrushStyle(canvas::BrushStyle::Solid);
    cv_.SetBrushColor(color);
    if (l_.L != 1) {
      cv_.FillRect(b.x1, b.y1, b.x2 + 1, b.y2 + 1);
      return;
    }
    cv_.SetPenColor(v_.DPColorBoardLines);
    switch (v_.DPGraphicBoardSquareStyle) {
      case 1: cv_.Rectangle(b.x1 + 1, b.y1 + 1, b.x2 + 1, b.y2 + 1); break;
      case 2: cv_.Rectangle(b.x1 + 1, b.y1 + 1, b.x2, b.y2); break;
      default: cv_.Rectangle(b.x1 - 1, b.y1 - 1, b.x2 + 1, b.y2 + 1); break;
    }
  }

  // A piece over a square painted in `color`; glyphs get their outside
  // flood-filled in the square colour, kept inside the cell.
  void PieceOnColour(const Box& b, int code, uint32_t color, bool grownBitmap) {
    if (code < pcWPawn || code > pcBKing) return;
    if (v_.DPGraphicPiecesType != 1) {
      Stretch(grownBitmap ? Grown(b) : b, code);
      return;
    }
    cv_.SetFont(v_.FontPieces.font);
    cv_.SetFontColor(v_.DPColorBoardPieces);
    cv_.SetBrushStyle(canvas::BrushStyle::Solid);
    cv_.SetBrushColor(v_.DPColor2BoardPieces);
    antialias_ = false;  // a clean outline for the fill to stop at
    ClippedText(b.x1, b.y1, std::string(1, PieceGlyph(code, false)), b);
    antialias_ = true;
    cv_.SetBrushColor(color);
    cv_.FloodFillSurface(b.x1, b.y1, cv_.Pixel(b.x1, b.y1), canvas::Rect{b.x1, b.y1, b.x2, b.y2});
  }

  void DrawCoin(bool right, int square, const Box& b) {
    const int coin = p_.coinSquare[ShownBoard(right) - 1];
    if (coin != 0 && coin == square) Stretch(right ? Grown(b) : b, kCoinSlot);
  }

  void DrawSquares() {
    cv_.SetBackgroundMode(canvas::BackgroundMode::Opaque);
    for (bool right : {false, true}) {
      const ConstBoardRef board = BoardOf(p_, ShownBoard(right));
      for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
          const int file = right ? 7 - j : j, rank = right ? i : 7 - i;
          const int square = SquareOf(file, rank);
          const int code = board.squares[square];
          const bool light = (file + rank) % 2 == 1;
          if (!Touches(CellPaintBox(right, j, i))) continue;
          const Box b = CellBox(right, j, i);
          if (v_.TolvoEnergyBoard) {
            int balance = std::clamp(board.attackBalance[square], -8, 8);
            if (right) balance = -balance;
            const uint32_t color = set_.energyColors[static_cast<size_t>(balance + 8)];
            PaintSquare(b, color);
            PieceOnColour(b, code, color, false);
          } else if (v_.DPBoardSquaresUserSolidColor) {
            const uint32_t color = light ? v_.DPColorBoardSquareWhite : v_.DPColorBoardSquareBlack;
            PaintSquare(b, color);
            PieceOnColour(b, code, color, right);
            DrawCoin(right, square, b);
          } else if (v_.DPGraphicPiecesType == 0) {
            Stretch(Grown(b), light ? 0 : 1);
            const uint32_t corner = cv_.Pixel(b.x2 - l_.L, b.y1);
            if (corner != canvas::kInvalidColor) cv_.SetPixel(b.x1, b.y2 - l_.L, corner);
            if (code >= pcWPawn && code <= pcBKing) Stretch(b, code);
            DrawCoin(right, square, b);
          } else {
            cv_.SetFont(v_.FontPieces.font);
            cv_.SetFontColor(v_.DPColorBoardPieces);
            cv_.SetBrushStyle(canvas::BrushStyle::Solid);
            cv_.SetBrushColor(v_.DPColor2BoardPieces);
            ClippedText(b.x1, b.y1, std::string(1, PieceGlyph(std::clamp(code, 1, 13), !light)), b);
            DrawCoin(right, square, b);
          }
        }
      }
    }
  }

  Box HoldBox(bool right, const HoldCell& h) const {
    const int B = right ? l_.X2 : l_.X, T = l_.T, c = l_.c;
    return {B + h.ax1 * c + h.bx1, T + h.ay1 * c + h.by1, B + h.ax2 * c + h.bx2, T + h.ay2 * c + h.by2};
  }

  // Colour of the hand shown at the top (black on the left board, white on the right) or bottom.
  static int HandColour(bool right, HoldKind kind) { return (kind == HoldKind::TopHand) != right ? 1 : 0; }

  void DrawHoldings() {
    for (bool right : {false, true}) {
      const ConstBoardRef board = BoardOf(p_, ShownBoard(right));
      for (const HoldCell& h : right ? std::span(kRightHoldCells) : std::span(kLeftHoldCells)) {
        const Box b = HoldBox(right, h);
        if (h.kind == HoldKind::Castling) {
          if (board.castling[h.what] == 1) Stretch(b, kFirstCastlingSlot + h.what);
          continue;
        }
        const int code = 2 * h.what + HandColour(right, h.kind);
        if (board.holdings[SlotOf(code)] < 1 || !Touches(b)) continue;
        if (v_.DPGraphicPiecesType == 1) {
          cv_.SetFont(v_.FontPieces.font);
          cv_.SetFontColor(v_.DPColorBoardPieces);
          cv_.SetBrushStyle(canvas::BrushStyle::Solid);
          cv_.SetBrushColor(v_.DPColorBoardBck);
          ClippedText(b.x1, b.y1, std::string(1, PieceGlyph(code, false)), b);
        } else {
          Stretch(b, code);
        }
      }
    }
  }

  void DrawCounts() {
    cv_.SetFont(v_.FontStuffNumber.font);
    cv_.SetFontColor(v_.DPColorBoardStuffNumber);
    cv_.SetBrushStyle(canvas::BrushStyle::Solid);
    cv_.SetBrushColor(v_.DPColorBoardBck);
    for (bool right : {false, true}) {
      const ConstBoardRef board = BoardOf(p_, ShownBoard(right));
      for (const HoldCell& h : right ? std::span(kRightHoldCells) : std::span(kLeftHoldCells)) {
        if (h.kind == HoldKind::Castling) continue;
        const int count = board.holdings[SlotOf(2 * h.what + HandColour(right, h.kind))];
        if (count < 2) continue;
        const std::string text = std::to_string(count);
        if (TouchesText(v_.FontStuffNumber, CountLeft(right, h), CountTop(h), text))
          cv_.TextOut(CountLeft(right, h), CountTop(h), text);
      }
    }
  }

  void DrawCoordinates() {
    const int X = l_.X, T = l_.T, X2 = l_.X2, c = l_.c, z = l_.z, m = l_.m;
    cv_.SetFont(v_.FontCoordinates.font);
    cv_.SetFontColor(v_.DPColorBoardLines);
    cv_.SetBrushColor(v_.DPColorTable);
    cv_.SetBackgroundMode(canvas::BackgroundMode::Transparent);
    const auto label = [this](int x, int y, const std::string& text) {
      if (TouchesText(v_.FontCoordinates, x, y, text)) cv_.TextOut(x, y, text);
    };
    for (int k = 0; k < 8; ++k) {
      label(X - z + 1, T + k * c + c / 2 - z / 2 - 2, std::to_string(8 - k));
      label(X + k * c + c / 3, T + 8 * c + 2, std::string(1, static_cast<char>('a' + k)));
      label(X2 - m + 2, T + k * c + c / 2 - z / 2, std::to_string(k + 1));
      label(X2 + k * c + c / 3, T + 8 * c + 2, std::string(1, static_cast<char>('h' - k)));
    }
    cv_.SetBackgroundMode(canvas::BackgroundMode::Opaque);
  }

  CKestroGame& game_;
  KestrovaneVisualProperties& v_;
  const PieceSet& set_;
  Canvas cv_;
  const TwoBoardPosition& p_;
  Layout l_;
  bool antialias_ = true;
  std::optional<Box> clip_;  // the area being drawn again, none for a whole drawing
  std::map<std::pair<std::ptrdiff_t, std::string>, Box>* areas_ = nullptr;
  std::string lagTexts_[4], clockTexts_[4];
};

bool CanDraw(const BoardDisplay& display) { return display.Visual.PiecesLoaded && display.Pieces; }

// Notes that `area` was drawn over the picture after the painter's last
// drawing, when the picture held that drawing until then (its key `before`).
// False when it did not: the next drawing draws the picture whole.
bool NoteDrawnOver(BoardDisplay& display, const QImage& canvas, qint64 before, const Box& area) {
  PaintedPicture* last = display.Painted.get();
  if (!last || last->imageKey != before) return false;
  // Running clocks draw over the same areas every second: keep each once.
  std::vector<Box>& over = last->overdrawn;
  if (std::none_of(over.begin(), over.end(), [&](const Box& b) { return Holds(b, area); })) {
    std::erase_if(over, [&](const Box& b) { return Holds(area, b); });
    over.push_back(area);
  }
  last->imageKey = canvas.cacheKey();
  return true;
}

// Draws `area` again as the painter's last drawing left it, when the picture
// holds that drawing with only areas drawn over since; false otherwise.
bool RestoreDrawnOver(CKestroGame& game, BoardDisplay& display, QImage& canvas, const Box& area) {
  PaintedPicture* last = display.Painted.get();
  if (!last || !last->set || last->imageKey != canvas.cacheKey() || last->imageSize != canvas.size()) return false;
  KestrovaneVisualProperties look = last->visual;
  Painter(game, look, *last->set, canvas, last->position).Restore(*last, {area});
  return true;
}

// The frame of a move marker (Box), or nothing for a kind or square that has none.
std::optional<Box> MarkerFrame(const KestrovaneVisualProperties& v, int moveKind, int squareOrSlot) {
  const Layout l = StoredLayout(v);
  int kind = moveKind;
  if (l.f) {
    static constexpr int kFlipped[7] = {0, 2, 1, 5, 6, 3, 4};
    if (kind >= 1 && kind <= 6) kind = kFlipped[kind];
  }
  // Holdings cells (col, row) by piece type index (pawn, bishop, knight, rook, queen).
  static constexpr int kBottomHand[5][2] = {{9, 6}, {9, 8}, {9, 7}, {10, 6}, {10, 7}};
  static constexpr int kTopHand[5][2] = {{9, 1}, {9, 3}, {9, 2}, {10, 1}, {10, 2}};
  int col, row, b;
  if (kind == 1 || kind == 2) {
    if (!IsPlayingSquare(squareOrSlot)) return std::nullopt;
    const int file = FileOf(squareOrSlot), rank = RankOf(squareOrSlot);
    b = kind == 1 ? 0 : 1;
    col = kind == 1 ? file + 1 : 8 - file;
    row = kind == 1 ? 8 - rank : rank + 1;
  } else if (kind >= 3 && kind <= 6) {
    if (squareOrSlot < 0 || squareOrSlot >= kSlots) return std::nullopt;
    b = kind <= 4 ? 0 : 1;
    const int(&cell)[2] = (kind == 3 || kind == 6) ? kBottomHand[squareOrSlot % 5] : kTopHand[squareOrSlot % 5];
    col = cell[0];
    row = cell[1];
  } else {
    return std::nullopt;
  }
  const int B = b ? l.X2 : l.X, L = l.L, S = l.S, c = l.c, T = l.T;
  return Box{(col - 1) * c + B + (1 - L) + (L - 1) * b + S, (row - 1) * c + T + (1 - L) + S,
             col * c + B + 1 - S + (L - 1) * b, row * c + T + 1 - S};
}

void FrameMarker(BoardDisplay& display, QImage& canvas, const Box& frame, uint32_t color) {
  const qint64 before = canvas.cacheKey();
  Canvas cv(canvas);
  cv.SetBrushStyle(canvas::BrushStyle::Solid);
  cv.SetBrushColor(color);
  cv.FrameRect(frame.x1, frame.y1, frame.x2, frame.y2);
  NoteDrawnOver(display, canvas, before, frame);
}

}  // namespace

QRegion DrawPosition(CKestroGame& game, QImage& canvas, const TwoBoardPosition& position) {
  BoardDisplay& display = DisplayOf(game);
  if (!CanDraw(display) || canvas.isNull()) return {};
  if (!display.Painted) display.Painted = std::make_shared<PaintedPicture>();
  return Painter(game, display.Visual, *display.Pieces, canvas, position).Draw(*display.Painted, display.Pieces);
}

QRegion PaintBoards(CKestroGame& game, QImage& canvas, const TwoBoardPosition& position) {
  return DrawPosition(game, canvas, position);
}

void FillBoardBackground(CKestroGame& game, QImage& canvas, uint32_t color) {
  const KestrovaneVisualProperties& v = DisplayOf(game).Visual;
  if (canvas.isNull()) return;
  Canvas cv(canvas);
  cv.SetBackgroundMode(canvas::BackgroundMode::Opaque);
  cv.SetPenColor(color);
  cv.SetBrushColor(color);
  cv.Rectangle(0, 0, v.PictureWidth, v.PictureHeight);
}

void DrawRunningClocks(CKestroGame& game, QImage& canvas, const TwoBoardPosition& position, bool whiteToMoveA,
                       bool blackToMoveA, bool whiteToMoveB, bool blackToMoveB) {
  BoardDisplay& display = DisplayOf(game);
  if (!CanDraw(display) || canvas.isNull()) return;
  const KestrovaneVisualProperties& v = display.Visual;
  const Layout l = StoredLayout(v);
  const bool toMove[4] = {whiteToMoveA, blackToMoveA, whiteToMoveB, blackToMoveB};
  const Corners k = CornerSeats(l.f);
  const int low = l.T + 8 * l.c + l.kH * l.showCoordinates + 4;
  const int xs[4] = {l.X, l.X2 - 1, l.X, l.X2 - 1}, ys[4] = {l.lH + 4, l.lH + 4, low, low};
  for (int corner = 0; corner < 4; ++corner) {
    const int seat = k.seat[corner];
    if (!toMove[seat]) continue;
    // A narrower text than the one before must not leave that one's end.
    if (PaintedPicture* last = display.Painted.get()) {
      Box& previous = last->runningClocks[corner];
      if (previous.x2 > previous.x1 && RestoreDrawnOver(game, display, canvas, previous)) previous = Box{};
    }
    Canvas cv(canvas);
    cv.SetFont(v.FontPresumptiveTime.font);
    cv.SetFontColor(v.PresumptiveTimeColor);
    cv.SetBrushColor(v.PresumptiveTimeBackground);
    cv.SetBackgroundMode(canvas::BackgroundMode::Opaque);
    const std::string text = RunningClockText(position.runningClock[seat]);
    const Box area = cv.TextArea(xs[corner], ys[corner], text);
    const qint64 before = canvas.cacheKey();
    cv.TextOut(xs[corner], ys[corner], text);
    if (NoteDrawnOver(display, canvas, before, area)) display.Painted->runningClocks[corner] = area;
  }
}

void DrawMoveMarker(CKestroGame& game, QImage& canvas, int moveKind, int squareOrSlot, uint32_t color) {
  BoardDisplay& display = DisplayOf(game);
  if (!CanDraw(display) || canvas.isNull()) return;
  if (const std::optional<Box> frame = MarkerFrame(display.Visual, moveKind, squareOrSlot))
    FrameMarker(display, canvas, *frame, color);
}

void EraseMoveMarker(CKestroGame& game, QImage& canvas, int moveKind, int squareOrSlot) {
  BoardDisplay& display = DisplayOf(game);
  if (!CanDraw(display) || canvas.isNull()) return;
  const std::optional<Box> frame = MarkerFrame(display.Visual, moveKind, squareOrSlot);
  if (!frame || RestoreDrawnOver(game, display, canvas, *frame)) return;
  // Not over the painter's last drawing: the next drawing draws it whole.
  FrameMarker(display, canvas, *frame, display.Visual.DPColorBoardBck);
}
