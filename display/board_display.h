#pragma once
// The display side of a game object: its visual settings, the piece set it
// draws with, and the painter and point-to-square mapping that work on them.
#include <QImage>
#include <QRegion>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "display/visual_properties.h"
#include "game/kestro_game.h"

// A loaded piece set: 19 bitmaps by slot (0 WSquare, 1 BSquare, 2..13 pieces
// by square code, 14 Coin, 15..18 CastlingWK, CastlingWQ, CastlingBK,
// CastlingBQ), each drawn without its bottom-left pixel's colour.
struct PieceSet {
  std::array<QImage, 19> bitmaps;
  std::array<uint32_t, 17> energyColors{};  // 0x00BBGGRR by attack balance -8..+8
  QImage energy;                            // "sysEnergy.bmp"
  bool hasSquares = false;                  // both square bitmaps present
  std::string folder;
  // The bitmaps stretched to the sizes drawn and masked, by (slot, width,
  // height); kept by the painter.
  mutable std::map<std::tuple<int, int, int>, QImage> stretched;
};

// What the painter drew last and onto which picture (painter.cpp).
struct PaintedPicture;

class BoardDisplay : public GameDisplay {
 public:
  KestrovaneVisualProperties Visual;
  std::shared_ptr<const PieceSet> Pieces;  // shared by every game drawing this set
  int32_t HitResult[4] = {};
  // Lets the next drawing onto the same picture redraw only what changed.
  std::shared_ptr<PaintedPicture> Painted;
};

// The display of a game, created with every default (and the default piece
// set) when the game has none yet.
BoardDisplay& DisplayOf(CKestroGame& game);
// Makes every new game object start with a default display; the default set
// is loaded once and shared.
void InstallGameDisplayFactory();

// Loads the set in `folder` (trailing separator) into the game's display.
// 1 on success; 0 when a required piece file is missing or unreadable, the
// previous set staying in place.
int LoadPieceBitmaps(CKestroGame& game, const std::string& folder);

// The painter: computes the layout into Visual and draws both boards. When
// the picture still holds this display's last drawing, only the parts whose
// look changed are drawn again, to the same pixels a whole drawing gives.
// Returns the area drawn.
QRegion DrawPosition(CKestroGame& game, QImage& canvas, const TwoBoardPosition& position);
QRegion PaintBoards(CKestroGame& game, QImage& canvas, const TwoBoardPosition& position);
void FillBoardBackground(CKestroGame& game, QImage& canvas, uint32_t color);
// The running clocks of the seats to move. The text a corner showed before is
// taken away first, so a narrower one leaves nothing of it.
void DrawRunningClocks(CKestroGame& game, QImage& canvas, const TwoBoardPosition& position, bool whiteToMoveA,
                       bool blackToMoveA, bool whiteToMoveB, bool blackToMoveB);
void DrawMoveMarker(CKestroGame& game, QImage& canvas, int moveKind, int squareOrSlot, uint32_t color);
// Takes a move marker away: its frame shows again what the last drawing drew
// there.
void EraseMoveMarker(CKestroGame& game, QImage& canvas, int moveKind, int squareOrSlot);

// What lies under a point of the picture: area 0 nothing, 1/2 a square of
// board A/B, 3..6 a hand slot, 7/8 a castling flag of board A/B.
struct SquareHit {
  int area = 0;
  int index = 0;
};
SquareHit PointToSquare(CKestroGame& game, int x, int y, int squareSize);
