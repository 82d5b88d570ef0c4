// Defaults of the visual settings, font style words and colour conversions.
#include "display/visual_properties.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

#include "platform/paths.h"

namespace {

VisualFont MakeFont(const QString& family, int points) {
  VisualFont f;
  f.font = family.isEmpty() ? QGuiApplication::font() : QFont(family);
  f.font.setPointSize(points);
  f.font.setBold(false);
  f.font.setItalic(false);
  f.font.setUnderline(false);
  f.font.setStrikeOut(false);
  f.color = 0x000000;
  return f;
}

}  // namespace

KestrovaneVisualProperties::KestrovaneVisualProperties() {
  FontPlayers = MakeFont({}, 12);
  FontLag = MakeFont({}, 10);
  FontCoordinates = MakeFont({}, 8);
  FontPresumptiveTime = FontPlayers;
  FontPieces = MakeFont(QStringLiteral("Chess Bughouse"), 18);
  FontStuffNumber = MakeFont(QStringLiteral("MS Serif"), 7);
  const std::string& program = paths::ProgramFolder();
  DPGraphicBMPPiecesPath = program + "/Graphic/Piece/Bitmap/Kestrovane_Default/";
  for (int i = 0; i < 5; ++i)
    VoiceFolders[i] = program + "/Sounds/PlayersVoice/VoiceSynth" + std::to_string(i + 1) + "/";
}

std::string FontStyleToString(const QFont& font) {
  std::string text;
  if (font.bold()) text += "Bold";
  if (font.italic()) text += "Italic";
  if (font.underline()) text += "Underline";
  if (font.strikeOut()) text += "StrikeOut";
  return text;
}

void StringToFontStyle(const std::string& text, QFont& font) {
  auto has = [&text](const char* word) { return text.find(word) != std::string::npos; };
  font.setBold(has("Bold"));
  font.setItalic(has("Italic"));
  font.setUnderline(has("Underline"));
  font.setStrikeOut(has("StrikeOut"));
}

QColor ColorFromBgr(uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

uint32_t BgrFromColor(const QColor& color) {
  return static_cast<uint32_t>(color.red()) | (static_cast<uint32_t>(color.green()) << 8) |
         (static_cast<uint32_t>(color.blue()) << 16);
}

uint32_t ProfileColor(int32_t value, uint32_t current) {
  if (value >= 0) return static_cast<uint32_t>(value);
  struct Row {
    int index;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
  };
  static constexpr Row kRows[] = {
      {4, QPalette::Active, QPalette::Window},           {5, QPalette::Active, QPalette::Base},
      {7, QPalette::Active, QPalette::WindowText},       {8, QPalette::Active, QPalette::Text},
      {12, QPalette::Active, QPalette::Dark},            {13, QPalette::Active, QPalette::Highlight},
      {14, QPalette::Active, QPalette::HighlightedText}, {15, QPalette::Active, QPalette::Button},
      {16, QPalette::Active, QPalette::Dark},            {17, QPalette::Disabled, QPalette::Text},
      {18, QPalette::Active, QPalette::ButtonText},      {20, QPalette::Active, QPalette::Light},
      {21, QPalette::Active, QPalette::Shadow},          {22, QPalette::Active, QPalette::Midlight},
      {23, QPalette::Active, QPalette::ToolTipText},     {24, QPalette::Active, QPalette::ToolTipBase}};
  const uint32_t bits = static_cast<uint32_t>(value);
  if ((bits & 0xFFFFFF00u) != 0x80000000u) return current;
  for (const Row& row : kRows)
    if (static_cast<uint32_t>(row.index) == (bits & 0xFFu))
      return BgrFromColor(QGuiApplication::palette().color(row.group, row.role));
  return current;
}
