#include "play/communicator_buttons.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace communicator {

namespace {

constexpr int kFormHeight = 15;
constexpr int kMinWidth = 14;
constexpr int kMaxWidth = 65;
// Room kept between the caption and the button's frame on each side.
constexpr int kCaptionMargin = 1;

QFont OfPixelSize(const QFont& base, int pixels) {
  QFont font(base);
  font.setPixelSize(pixels);
  return font;
}

// Where the style draws the caption of `b` when it has `size`.
QRect Contents(const QPushButton* b, QSize size) {
  QStyleOptionButton option;
  option.initFrom(b);
  option.rect = QRect(QPoint(), size);
  option.text = b->text();
  return b->style()->subElementRect(QStyle::SE_PushButtonContents, &option, b);
}

bool Fits(const QPushButton* b, const QFont& font, QSize size) {
  const QFontMetrics metrics(font);
  const QRect contents = Contents(b, size);
  return metrics.horizontalAdvance(b->text()) + 2 * kCaptionMargin <= contents.width() &&
         metrics.height() <= contents.height();
}

// The font of the largest pixel size, from `base`'s down, that fits every
// button at the size `sizeOf` gives it; of pixel size 1 when none does.
template <typename SizeOf>
QFont LargestFitting(std::span<QPushButton* const> buttons, const QFont& base, SizeOf sizeOf) {
  for (int pixels = std::max(QFontInfo(base).pixelSize(), 1); pixels > 1; --pixels) {
    const QFont font = OfPixelSize(base, pixels);
    if (std::all_of(buttons.begin(), buttons.end(), [&](const QPushButton* b) { return Fits(b, font, sizeOf(b)); }))
      return font;
  }
  return OfPixelSize(base, 1);
}

}  // namespace

void SizeToForm(std::span<QPushButton* const> buttons, const QFont& base) {
  const QFont font = LargestFitting(buttons, base, [](const QPushButton*) { return QSize(kMaxWidth, kFormHeight); });
  const QFontMetrics metrics(font);
  for (QPushButton* b : buttons) {
    const int frame = kMaxWidth - Contents(b, QSize(kMaxWidth, kFormHeight)).width();
    const int width = metrics.horizontalAdvance(b->text()) + 2 * kCaptionMargin + frame;
    b->setFont(font);
    b->resize(std::clamp(width, kMinWidth, kMaxWidth), kFormHeight);
  }
}

void FitCaptionFont(std::span<QPushButton* const> buttons, const QFont& base) {
  const QFont font = LargestFitting(buttons, base, [](const QPushButton* b) { return b->size(); });
  for (QPushButton* b : buttons) b->setFont(font);
}

}  // namespace communicator
