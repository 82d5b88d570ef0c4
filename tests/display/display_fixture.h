#pragma once
// A program folder of small generated pictures: the energy palette and piece
// sets whose bitmaps carry one recognisable colour each.
#include <QColor>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "display/board_display.h"
#include "platform/paths.h"

namespace testdisplay {

// Writes `bytes` to `path`, making its folders first.
inline void WriteFileWithFolders(const std::string& path, const std::string& bytes) {
  QDir().mkpath(QString::fromStdString(path.substr(0, path.find_last_of('/'))));
  std::ofstream(path, std::ios::binary) << bytes;
}

inline const char* const kSlotFiles[19] = {
    "WSquare.bmp", "BSquare.bmp", "WPawn.bmp",      "BPawn.bmp",      "WBishop.bmp",    "BBishop.bmp", "WKnight.bmp",
    "BKnight.bmp", "WRook.bmp",   "BRook.bmp",      "WQueen.bmp",     "BQueen.bmp",     "WKing.bmp",   "BKing.bmp",
    "Coin.bmp",    "CastlingWK.bmp", "CastlingWQ.bmp", "CastlingBK.bmp", "CastlingBQ.bmp"};

// Left out when drawn (the bottom-left pixel of every piece bitmap).
inline QColor KeyColor() { return QColor(255, 0, 255); }
// The mark in the middle of slot `slot`'s bitmap; `variant` tells sets apart.
inline QColor SlotColor(int slot, int variant = 0) { return QColor(12 * slot + 3, 40 + 30 * variant, 90 + 7 * slot); }
inline QColor LightSquareColor() { return QColor(238, 222, 180); }
inline QColor DarkSquareColor() { return QColor(150, 100, 60); }
// Band i of the energy palette (balance i - 8).
inline QColor EnergyBand(int i) { return QColor(15 * i, 250 - 15 * i, 128); }

inline void SaveBmp(const QImage& image, const std::string& path) {
  ASSERT_TRUE(image.save(QString::fromStdString(path), "BMP")) << path;
}

// A piece-like bitmap: key colour all round, a block of the slot's colour in the middle.
inline QImage SlotBitmap(int slot, int width, int height, int variant) {
  QImage image(width, height, QImage::Format_RGB32);
  if (slot <= 1) {
    image.fill(slot == 0 ? LightSquareColor() : DarkSquareColor());
    image.setPixelColor(0, height - 1, QColor(1, 2, 3 + slot));  // key colour found nowhere else
    return image;
  }
  image.fill(KeyColor());
  for (int y = height / 4; y < height - height / 4; ++y)
    for (int x = width / 4; x < width - width / 4; ++x) image.setPixelColor(x, y, SlotColor(slot, variant));
  return image;
}

struct SetOptions {
  int size = 30;
  int variant = 0;
  bool squares = true;
  bool coin = true;
  int castlingFiles = 4;  // how many of the four castling files to write
  int skipPiece = -1;     // a piece slot (2..13) to leave out, -1 for none
};

inline void WriteSet(const std::string& folder, const SetOptions& o) {
  QDir().mkpath(QString::fromStdString(folder));
  for (int slot = 0; slot < 19; ++slot) {
    if (slot <= 1 && !o.squares) continue;
    if (slot == 14 && !o.coin) continue;
    if (slot >= 15 && slot - 15 >= o.castlingFiles) continue;
    if (slot == o.skipPiece) continue;
    SaveBmp(SlotBitmap(slot, o.size, o.size, o.variant), folder + kSlotFiles[slot]);
  }
}

inline void WriteEnergyPalette(const std::string& path, int bands = 17) {
  QImage palette(10, 31 * bands, QImage::Format_RGB32);
  for (int i = 0; i < bands; ++i)
    for (int y = 0; y < 31; ++y)
      for (int x = 0; x < 10; ++x) palette.setPixelColor(x, 31 * i + y, EnergyBand(i));
  SaveBmp(palette, path);
}

// Draws once to learn the picture's size, then on a canvas of that size.
inline QImage RenderPicture(CKestroGame& game, const TwoBoardPosition& position) {
  QImage probe(1, 1, QImage::Format_RGB32);
  DrawPosition(game, probe, position);
  const KestrovaneVisualProperties& v = DisplayOf(game).Visual;
  QImage image(std::max(1, v.PictureWidth), std::max(1, v.PictureHeight), QImage::Format_RGB32);
  image.fill(Qt::magenta);
  DrawPosition(game, image, position);
  return image;
}

// A temporary program folder with the palette and a default set of 30 px.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    program_ = dir_.path().toStdString();
    paths::SetProgramFolderForTests(program_);
    QDir().mkpath(QString::fromStdString(program_ + "/Sys"));
    WriteEnergyPalette(program_ + "/Sys/sysEnergy.bmp");
    WriteSet(DefaultFolder(), SetOptions{});
  }
  std::string DefaultFolder() const { return program_ + "/Graphic/Piece/Bitmap/Kestrovane_Default/"; }
  std::string SetFolder(const std::string& name) const { return program_ + "/Graphic/Piece/Bitmap/" + name + "/"; }

  QTemporaryDir dir_;
  std::string program_;
};

}  // namespace testdisplay
