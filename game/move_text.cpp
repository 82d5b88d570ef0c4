#include <cstdio>

#include "game/kestro_game.h"

std::string CKestroGame::MoveToBpgn(const TwoBoardPosition& position, int kind, int from, int to,
                                    int promotion, int pliesA, int pliesB) const {
  const int board = (kind == mkMoveA || kind == mkWhiteDropA || kind == mkBlackDropA) ? 1 : 2;
  ConstBoardRef b = BoardOf(position, board);
  const bool drop = kind >= mkWhiteDropA;
  const bool inBoard = to >= 0 && to < kSquares;

  int piece;
  if (drop) {
    piece = ((from % 5 + 5) % 5) * 2 + 2 + ((kind == mkBlackDropA || kind == mkBlackDropB) ? 1 : 0);
  } else {
    piece = (from >= 0 && from < kSquares) ? b.squares[from] : pcBorder;
  }
  if (piece < 0 || piece > pcBKing) piece = pcBorder;
  const int toCode = inBoard ? b.squares[to] : pcBorder;
  bool capture = inBoard && toCode != pcEmpty;
  if (TypeOf(piece) == ptPawn && to == *b.epSquare) capture = true;

  const int plies = board == 1 ? pliesA : pliesB;
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "%d%c.", (plies + 2) / 2, 64 + board + 32 * ColourOf(piece));

  const char letter = kUpperPieceLetters[piece];
  std::string text;
  if (from < 26) {
    text += letter;
    text += '@';
    text += SquareName(to);
  } else if (TypeOf(piece) == ptPawn) {
    if (capture) {
      text += static_cast<char>(FileOf(from) + 'a');
      text += 'x';
      text += SquareName(to);
    } else if (GameKind == gkIngols) {
      text += SquareName(from) + SquareName(to);
    } else {
      text += SquareName(to);
    }
    if (promotion != 0 && promotion > 0 && promotion <= pcBKing) {
      text += '=';
      text += kUpperPieceLetters[promotion];
    }
  } else if (TypeOf(piece) == ptKing && ((from == sq::e1 && to == sq::c1) || (from == sq::e8 && to == sq::c8))) {
    text += "O-O-O";
  } else if (TypeOf(piece) == ptKing && ((from == sq::e1 && to == sq::g1) || (from == sq::e8 && to == sq::g8))) {
    text += "O-O";
  } else {
    text += letter;
    text += SquareName(from);
    if (capture) text += 'x';
    text += SquareName(to);
  }
  return prefix + text;
}
