#pragma once
// Fonts and colours of the play window's panes, held as the controls hold
// them: a font with its colour (palette Text) and a background (palette
// Base); colours as 0x00BBGGRR.
#include <QFont>
#include <cstdint>

class QWidget;

struct PaneFont {
  QFont font;
  uint32_t color = 0;
};

PaneFont FontOf(const QWidget* w);
void SetPaneFont(QWidget* w, const PaneFont& font);
uint32_t BackgroundOf(const QWidget* w);
void SetBackground(QWidget* w, uint32_t bgr);
