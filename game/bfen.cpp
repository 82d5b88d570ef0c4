#include <cstdio>
#include <string_view>
#include <vector>

#include "game/kestro_game.h"

namespace {

void AppendBoard(std::string& out, ConstBoardRef b, int32_t whiteClock, int32_t blackClock) {
  int run = 0, count = 0;
  auto flush = [&] {
    if (run) out += std::to_string(run);
    run = 0;
  };
  for (int row = 9; row >= 2; --row) {
    for (int col = 0; col < 12; ++col) {
      const int square = row * 12 + col;
      const int code = b.squares[square];
      if (code == pcBorder) continue;
      if (++count > 8) {
        flush();
        out += '/';
        count = 1;
      }
      if (code == pcEmpty || code < 0 || code > pcBKing) {
        ++run;
        continue;
      }
      flush();
      out += kPieceLetters[code];
      if (b.marks[square] == 1) out += '~';
    }
  }
  flush();

  bool held = false;
  for (int slot = 0; slot < kSlots; ++slot) held = held || b.holdings[slot] > 0;
  if (held) {
    out += '/';
    for (int slot = 0; slot < kSlots; ++slot)
      for (int i = 0; i < b.holdings[slot]; ++i) out += kPieceLetters[CodeOfSlot(slot)];
  }
  out += *b.sideToMove == 0 ? " w " : " b ";
  const char rights[] = "KQkq";
  bool any = false;
  for (int i = 0; i < 4; ++i) {
    if (b.castling[i]) {
      out += rights[i];
      any = true;
    }
  }
  if (!any) out += " - ";
  const int ep = *b.epSquare;
  if (IsPlayingSquare(ep)) {
    out += ' ';
    out += CKestroGame::SquareName(ep);
    out += ' ';
  } else {
    out += " - ";
  }
  char clocks[32];
  std::snprintf(clocks, sizeof clocks, "%d %d", whiteClock / 1000, blackClock / 1000);
  out += clocks;
}

}  // namespace

std::string CKestroGame::PositionToBfen(const TwoBoardPosition& position) {
  std::string out;
  out.reserve(160);
  AppendBoard(out, BoardOf(position, 1), position.clock[0], position.clock[1]);
  out += " | ";
  AppendBoard(out, BoardOf(position, 2), position.clock[2], position.clock[3]);
  return out;
}

namespace {

// The blank-separated fields of a text.
std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    const size_t start = i;
    while (i < text.size() && text[i] != ' ') ++i;
    if (i > start) fields.push_back(text.substr(start, i - start));
  }
  return fields;
}

int CodeOfPieceLetter(char c) {
  for (int code = pcWPawn; code <= pcBKing; ++code)
    if (kPieceLetters[code] == c) return code;
  return 0;
}

// A whole decimal number of seconds, optionally negative, as milliseconds.
bool ReadClock(std::string_view text, int32_t& ms) {
  size_t i = text.size() > 1 && text[0] == '-' ? 1 : 0;
  if (i == text.size() || text.size() - i > 6) return false;
  int32_t value = 0;
  for (; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  ms = (text[0] == '-' ? -value : value) * 1000;
  return true;
}

// One board's text; the error names what is wrong.
std::string ReadBoard(std::string_view text, BoardRef b, int32_t& whiteClock, int32_t& blackClock) {
  const std::vector<std::string_view> fields = Fields(text);
  if (fields.size() != 6) return "six fields expected";
  const std::string_view placement = fields[0];
  int rank = 7, file = 0, kings[2] = {0, 0};
  size_t i = 0;
  for (; i < placement.size(); ++i) {
    const char c = placement[i];
    if (c == '/') {
      if (file != 8) return "a rank of other than 8 squares";
      if (rank == 0) break;  // the held pieces follow
      --rank;
      file = 0;
    } else if (c >= '1' && c <= '8') {
      file += c - '0';
      if (file > 8) return "a rank of other than 8 squares";
    } else if (const int code = CodeOfPieceLetter(c)) {
      if (file > 7) return "a rank of other than 8 squares";
      const int square = SquareOf(file++, rank);
      b.squares[square] = code;
      if (i + 1 < placement.size() && placement[i + 1] == '~') {
        b.marks[square] = 1;
        ++i;
      }
      if (TypeOf(code) == ptKing) {
        ++kings[ColourOf(code)];
        b.kingSquare[ColourOf(code)] = square;
      }
    } else {
      return std::string("bad character '") + c + "' in the placement";
    }
  }
  if (rank != 0 || file != 8) return "not 8 ranks";
  if (kings[0] != 1 || kings[1] != 1) return "not one king of each colour";
  if (i < placement.size()) {  // past the "/" after rank 1
    if (i + 1 == placement.size()) return "an empty hand after '/'";
    for (++i; i < placement.size(); ++i) {
      const int code = CodeOfPieceLetter(placement[i]);
      if (!code || TypeOf(code) == ptKing) return std::string("bad held piece '") + placement[i] + "'";
      ++b.holdings[SlotOf(code)];
    }
  }
  if (fields[1] != "w" && fields[1] != "b") return "side to move not w or b";
  *b.sideToMove = fields[1] == "b" ? 1 : 0;
  if (fields[2] != "-") {
    const std::string_view rights = fields[2];
    size_t next = 0;
    for (int r = 0; r < 4 && next < rights.size(); ++r)
      if (rights[next] == "KQkq"[r]) {
        b.castling[r] = 1;
        ++next;
      }
    if (next != rights.size()) return "bad castling rights";
  }
  if (fields[3] != "-") {
    const std::string_view ep = fields[3];
    const int square = ep.size() == 2 ? CKestroGame::SquareFromName(ep[0], ep[1]) : 0;
    if (!square || (RankOf(square) != 2 && RankOf(square) != 5)) return "bad en-passant square";
    *b.epSquare = square;
  }
  if (!ReadClock(fields[4], whiteClock) || !ReadClock(fields[5], blackClock)) return "bad clock";
  return {};
}

}  // namespace

bool CKestroGame::BfenToPosition(std::string_view bfen, TwoBoardPosition& out, std::string& error) {
  const size_t bar = bfen.find('|');
  if (bar == std::string_view::npos || bfen.find('|', bar + 1) != std::string_view::npos) {
    error = "two boards separated by '|' expected";
    return false;
  }
  TwoBoardPosition p;
  for (int board = 1; board <= 2; ++board) {
    BoardRef b = BoardOf(p, board);
    for (int square = 0; square < kSquares; ++square) b.squares[square] = IsPlayingSquare(square) ? pcEmpty : pcBorder;
    const std::string_view text = board == 1 ? bfen.substr(0, bar) : bfen.substr(bar + 1);
    const int seat = SeatOf(board, 0);
    error = ReadBoard(text, b, p.clock[seat], p.clock[seat + 1]);
    if (!error.empty()) {
      error = std::string("board ") + (board == 1 ? "A" : "B") + ": " + error;
      return false;
    }
  }
  for (int seat = 0; seat < 4; ++seat) p.runningClock[seat] = p.clock[seat];
  out = p;
  return true;
}
