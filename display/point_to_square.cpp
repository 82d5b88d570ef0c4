// Which square, hand slot or castling mark lies under a point of the picture.
#include "display/board_display.h"

namespace {

struct CellKey {
  int key;
  int area;
  int index;
};

// Holdings and castling cells by col + 100 * row (row 8 at the top).
constexpr CellKey kHoldingCells[] = {
    {109, 3, 1},  {209, 3, 2},  {210, 3, 4},  {309, 3, 0},  {310, 3, 3},  {409, 7, 11}, {410, 7, 10},
    {509, 7, 13}, {510, 7, 12}, {609, 4, 6},  {709, 4, 7},  {710, 4, 9},  {809, 4, 5},  {810, 4, 8},
    {119, 6, 6},  {219, 6, 7},  {220, 6, 9},  {319, 6, 5},  {320, 6, 8},  {419, 8, 12}, {420, 8, 13},
    {519, 8, 10}, {520, 8, 11}, {619, 5, 1},  {719, 5, 2},  {720, 5, 4},  {819, 5, 0},  {820, 5, 3},
};

int OtherBoardArea(int area) {
  switch (area) {
    case 3: return 5;
    case 4: return 6;
    case 5: return 3;
    case 6: return 4;
    case 7: return 8;
    case 8: return 7;
    default: return area;
  }
}

}  // namespace

SquareHit PointToSquare(CKestroGame& game, int x, int y, int squareSize) {
  BoardDisplay& display = DisplayOf(game);
  const KestrovaneVisualProperties& v = display.Visual;
  SquareHit hit;
  // 64-bit so that far-off points cannot overflow.
  int64_t col = 0, row = 0;
  const int64_t c = int64_t{squareSize} + v.DPGraphicBoardLinesNet;
  if (c > 0) {
    int64_t top;
    if (x < v.RightBoardLeft) {
      col = (int64_t{x} - v.LeftBoardLeft) / c + 1;
      top = v.LeftBoardTop;
    } else {
      col = (int64_t{x} - v.RightBoardLeft) / c + 11;
      top = v.RightBoardTop;
    }
    row = 8 - (int64_t{y} - top) / c;
    const bool flip = v.FlipSides != 0;
    if (col >= 1 && col <= 8 && row >= 1 && row <= 8) {
      hit = {flip ? 2 : 1, static_cast<int>(col + 12 * row + 13)};
    } else if (col >= 11 && col <= 18 && row >= 1 && row <= 8) {
      hit = {flip ? 1 : 2, static_cast<int>((9 - row) * 12 - (col - 10) + 22)};
    } else {
      const int64_t key = col + 100 * row;
      for (const CellKey& cell : kHoldingCells) {
        if (cell.key == key) {
          hit = {flip ? OtherBoardArea(cell.area) : cell.area, cell.index};
          break;
        }
      }
    }
  }
  display.HitResult[0] = hit.area;
  display.HitResult[1] = hit.index;
  display.HitResult[2] = static_cast<int32_t>(col);
  display.HitResult[3] = static_cast<int32_t>(row);
  return hit;
}
