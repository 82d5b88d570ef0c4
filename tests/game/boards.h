#pragma once
// Small position builders shared by the rules tests.
#include <cstring>
#include <sstream>
#include <string>

#include "game/kestro_game.h"

inline int Sq(const char* name) { return CKestroGame::SquareFromName(name[0], name[1]); }

// Empty boards with the listed pieces, e.g. "Ke1 Nd2 bb4" (upper case white); kings set their squares.
inline TwoBoardPosition Pieces(const char* onA, const char* onB = "") {
  TwoBoardPosition p;
  for (int board = 1; board <= 2; ++board) {
    BoardRef r = BoardOf(p, board);
    for (int i = 0; i < kSquares; ++i) r.squares[i] = IsPlayingSquare(i) ? pcEmpty : pcBorder;
    std::istringstream in(board == 1 ? onA : onB);
    for (std::string w; in >> w;) {
      const int code = static_cast<int>(std::strchr(kPieceLetters, w[0]) - kPieceLetters);
      r.squares[Sq(&w[1])] = code;
      if (code >= pcWKing) r.kingSquare[code - pcWKing] = Sq(&w[1]);
    }
  }
  return p;
}

// Puts ranks 8..1 (files a..h, '.' empty, '/' between ranks) on one board,
// clears its marks and finds its kings.
inline void Fill(TwoBoardPosition& p, int board, const char* ranks) {
  BoardRef r = BoardOf(p, board);
  int rank = 7, file = 0;
  for (const char* c = ranks; *c; ++c) {
    if (*c == '/') {
      --rank;
      file = 0;
      continue;
    }
    const int s = SquareOf(file++, rank);
    r.squares[s] = static_cast<int>(std::strchr(kPieceLetters + 1, *c) - kPieceLetters);
    r.marks[s] = 0;
    if (r.squares[s] == pcWKing) r.kingSquare[0] = s;
    if (r.squares[s] == pcBKing) r.kingSquare[1] = s;
  }
}

// Ranks 8..1 of one board, in the same notation.
inline std::string Diagram(const int32_t* squares) {
  std::string text;
  for (int rank = 7; rank >= 0; --rank) {
    for (int file = 0; file < 8; ++file) text += kPieceLetters[squares[SquareOf(file, rank)]];
    if (rank) text += '/';
  }
  return text;
}
