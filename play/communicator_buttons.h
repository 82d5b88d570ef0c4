#pragma once
// The communicator's buttons on screen: their size in the form and a caption
// font small enough that every caption fits inside its button.
#include <QFont>
#include <span>

class QPushButton;

namespace communicator {

// The form's sizes: 15 pixels high, as wide as the caption needs (14 to 65)
// in the largest font of `base`'s family with which the widest caption fits.
// Each button is given that font and its width.
void SizeToForm(std::span<QPushButton* const> buttons, const QFont& base);

// After the buttons were resized: the largest font, not larger than `base`,
// with which every caption fits inside its own button.
void FitCaptionFont(std::span<QPushButton* const> buttons, const QFont& base);

}  // namespace communicator
