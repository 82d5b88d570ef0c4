#pragma once
// How a two-board position looks: colours (0x00BBGGRR), fonts, square size
// and style, flags, the piece-set folder, and the layout the painter computes.
#include <QFont>
#include <cstdint>
#include <string>

struct VisualFont {
  QFont font;
  uint32_t color = 0;  // 0x00BBGGRR
  bool operator==(const VisualFont&) const = default;
};

struct KestrovaneVisualProperties {
  KestrovaneVisualProperties();  // every default, fonts created

  uint32_t DPColorBoardLines = 0x000000;
  uint32_t DPColorBoardText = 0x0C992D;
  uint32_t DPColorBoardBck = 0xFFFFFF;
  uint32_t DPColorStuffPlace = 0xFFFFFF;
  uint32_t DPColorTable = 0xFFFFFF;
  uint32_t PresumptiveTimeColor = 0xFFFFFF;
  uint32_t PresumptiveTimeBackground = 0x0C992D;
  uint32_t DPColorBoardSquareWhite = 0xD0FFFF;
  uint32_t DPColorBoardSquareBlack = 0x0FAF10;
  uint32_t DPColorBoardPieces = 0x000000;
  uint32_t DPColor2BoardPieces = 0xFFFFFF;
  uint32_t DPColorBoardStuffNumber = 0x0C992D;
  uint32_t HighlightSquareColor = 0x00FFFF;
  int32_t TolvoEnergyBoard = 0;
  int32_t ShowPresumptiveTimes = 0;
  int32_t ShowCoordinates = 1;
  int32_t SquareCoordinatesNumber = 0;
  int32_t SquareCoordinates = 0;
  int32_t FlipSides = 0;
  int32_t DPBoardSquaresUserSolidColor = 0;
  int32_t DPGraphicBoardSquareStyle = 0;  // 0 Basic, 1 Border, 2 Mountains
  int32_t DPGraphicBoardLinesNet = 1;     // 0 or 1
  int32_t DPColorBoardTextTransparent = 1;
  int32_t DPGraphicPiecesType = 0;        // 0 bitmaps, 1 chess font
  VisualFont FontPlayers;                 // 12 pt
  VisualFont FontLag;                     // 10 pt
  VisualFont FontCoordinates;             // 8 pt, resized on every drawing
  VisualFont FontPresumptiveTime;         // a copy of FontPlayers
  VisualFont FontPieces;                  // "Chess Bughouse" 18 pt
  VisualFont FontStuffNumber;             // "MS Serif" 7 pt
  std::string DPGraphicBMPPiecesPath;     // piece-set folder, trailing separator
  std::string VoiceFolders[5];
  int32_t SquareSize = 0;
  int32_t PiecesLoaded = 0;
  int32_t OriginX = 0, OriginY = 0;
  int32_t PictureHeight = 0, PictureWidth = 0;
  int32_t LeftBoardTop = 0, RightBoardTop = 0;
  int32_t LeftBoardLeft = 0, RightBoardLeft = 0;
  int32_t LeftBoardWidth = 0, RightBoardWidth = 0;
  int32_t LeftBoardHeight = 0, RightBoardHeight = 0;

  bool operator==(const KestrovaneVisualProperties&) const = default;
};

// "Bold", "Italic", "Underline", "StrikeOut" for the styles set, joined.
std::string FontStyleToString(const QFont& font);
// Sets each style whose word occurs anywhere in `text` (and clears the others).
void StringToFontStyle(const std::string& text, QFont& font);
// 0x00BBGGRR <-> QColor.
QColor ColorFromBgr(uint32_t bgr);
uint32_t BgrFromColor(const QColor& color);
// A profile's colour: 0x00BBGGRR as stored, a Windows system colour (negative)
// as the desktop's palette has it; an unknown system colour keeps `current`.
uint32_t ProfileColor(int32_t value, uint32_t current);
