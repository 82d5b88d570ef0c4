#include "play/pane_style.h"

#include <QPalette>
#include <QWidget>

#include "display/visual_properties.h"

namespace {

void SetRole(QWidget* w, QPalette::ColorRole role, uint32_t bgr) {
  QPalette p = w->palette();
  const QColor c = ColorFromBgr(bgr);
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) p.setColor(g, role, c);
  w->setPalette(p);
}

}  // namespace

PaneFont FontOf(const QWidget* w) { return PaneFont{w->font(), BgrFromColor(w->palette().color(QPalette::Text))}; }

void SetPaneFont(QWidget* w, const PaneFont& font) {
  w->setFont(font.font);
  SetRole(w, QPalette::Text, font.color);
}

uint32_t BackgroundOf(const QWidget* w) { return BgrFromColor(w->palette().color(QPalette::Base)); }

void SetBackground(QWidget* w, uint32_t bgr) { SetRole(w, QPalette::Base, bgr); }
