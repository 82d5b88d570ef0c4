// Texts between the game model and XBoard engines.
#include "engines/core/engine_text.h"

#include <cctype>
#include <string>

#include "game/bytes.h"
#include "game/kestro_game.h"

namespace {

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
bool IsFile(char c) { return c >= 'a' && c <= 'h'; }
bool IsRank(char c) { return c >= '1' && c <= '8'; }
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Trim(std::string_view s) {
  size_t first = 0, last = s.size();
  while (first < last && IsBlankOrControl(s[first])) ++first;
  while (last > first && IsBlankOrControl(s[last - 1])) --last;
  return std::string(s.substr(first, last - first));
}

// Code on the square named by two characters; the border code for a bad name.
int CodeAt(const int32_t* squares, char file, char rank) {
  return squares[CKestroGame::SquareFromName(file, rank)];
}

}  // namespace

std::string EngineMoveToBpgn(const TwoBoardPosition& position, int board, const std::string& m) {
  using bytes::At;
  if (At(m, 2) == '@') return std::string(1, Upper(At(m, 1))) + bytes::Copy(m, 2, 3);
  const int32_t* squares = BoardOf(position, board).squares;
  if ((m == "e1g1" && squares[sq::e1] == pcWKing) || (m == "e8g8" && squares[sq::e8] == pcBKing)) return "O-O";
  if ((m == "e1c1" && squares[sq::e1] == pcWKing) || (m == "e8c8" && squares[sq::e8] == pcBKing)) return "O-O-O";

  const int piece = CodeAt(squares, At(m, 1), At(m, 2));
  const bool toEmpty = CodeAt(squares, At(m, 3), At(m, 4)) == pcEmpty;
  const std::string promotion = m.size() > 4 ? std::string("=") + Upper(At(m, 5)) : std::string();
  const std::string capture = std::string(1, At(m, 1)) + "x" + bytes::Copy(m, 3, 2);
  if (piece < pcWBishop) {
    if (!toEmpty) return capture + promotion;
    if (At(m, 1) == At(m, 3)) return bytes::Copy(m, 3, 2) + promotion;
    return capture;
  }
  const char letter = kUpperPieceLetters[piece < pcWKing + 2 ? piece : 0];
  if (toEmpty) return letter + m;
  return letter + bytes::Copy(m, 1, 2) + "x" + bytes::Copy(m, 3, 2);
}

std::string BpgnToEngineText(const std::string& t, int extra) {
  using bytes::At;
  const int dot = bytes::Pos(".", t);
  const int brace = bytes::Pos("{", t, dot + 1);
  // A token without a comment is read to its end.
  const std::string body =
      Trim(bytes::LowerAscii(brace ? bytes::Copy(t, dot + 1, brace - dot - 1) : bytes::From(t, dot + 1)));
  const bool white = std::isupper(static_cast<unsigned char>(At(t, dot - 1))) != 0;

  if (At(body, 2) == '@') return body;
  if (body == "o-o") return white ? "e1g1" : "e8g8";
  if (body == "o-o-o") return white ? "e1c1" : "e8c8";
  const int size = static_cast<int>(body.size());
  if (At(body, 2) == 'x') {
    const char rank = static_cast<char>(At(body, 4) + (white ? -1 : 1));
    std::string text = std::string(1, At(body, 1)) + rank + bytes::Copy(body, 3, 2);
    if (size > 4) text += At(body, size);
    return text;
  }
  if (size < 5) {
    const char rank = static_cast<char>(At(body, 2) + (white ? -1 - extra : 1 + extra));
    std::string text = std::string(1, At(body, 1)) + rank + bytes::Copy(body, 1, 2);
    if (size > 2) text += At(body, size);
    return text;
  }
  if (At(body, 4) == 'x') return bytes::Copy(body, 2, 2) + bytes::Copy(body, 5, 2);
  return bytes::Copy(body, 2, 4);
}

std::string HoldingsToXBoard(const TwoBoardPosition& position, int board) {
  const int32_t* hand = BoardOf(position, board).holdings;
  std::string text = "holding [";
  for (int slot = 0; slot < kSlots; ++slot) {
    if (slot == 5) text += "] [";
    for (int n = 0; n < hand[slot]; ++n) text += kPieceLetters[CodeOfSlot(slot)];
  }
  return text + "]";
}

std::string CoinToXBoard(const TwoBoardPosition& position, int board) {
  return "coin $" + CKestroGame::SquareName(*BoardOf(position, board).coinSquare);
}

std::string BoardToSetboard(const TwoBoardPosition& position, int board, bool withEnPassant) {
  const ConstBoardRef b = BoardOf(position, board);
  std::string text = "setboard ";
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      const int s = SquareOf(file, rank);
      const int code = b.squares[s];
      if (!IsPiece(code)) {
        ++empty;
        continue;
      }
      if (empty) text += std::to_string(empty);
      empty = 0;
      text += kPieceLetters[code];
      if (b.marks[s] == 1) text += '~';
    }
    if (empty) text += std::to_string(empty);
    if (rank) text += '/';
  }
  text += *b.sideToMove == 0 ? " w " : " b ";
  const char* rights = "KQkq";
  bool any = false;
  for (int i = 0; i < 4; ++i)
    if (b.castling[i]) {
      text += rights[i];
      any = true;
    }
  // An engine joining a game must know the en-passant square, if any.
  if (withEnPassant && *b.epSquare != 0) return text + (any ? " " : "- ") + CKestroGame::SquareName(*b.epSquare);
  if (!any) text += " - ";
  return text;
}

std::string PositionToSetboard(const TwoBoardPosition& position) { return BoardToSetboard(position, 1, false); }

bool ParseXBoardMove(std::string_view t, XBoardMove& move) {
  move = XBoardMove();
  if (t.size() == 4 && t[1] == '@') {
    if (std::string_view("PNBRQ").find(t[0]) == std::string_view::npos || !IsFile(t[2]) || !IsRank(t[3]))
      return false;
    move.drop = true;
    move.piece = t[0];
    move.to = CKestroGame::SquareFromName(t[2], t[3]);
    return true;
  }
  if (t.size() != 4 && t.size() != 5) return false;
  if (!IsFile(t[0]) || !IsRank(t[1]) || !IsFile(t[2]) || !IsRank(t[3])) return false;
  if (t.size() == 5 && std::string_view("qrbn").find(t[4]) == std::string_view::npos) return false;
  move.from = CKestroGame::SquareFromName(t[0], t[1]);
  move.to = CKestroGame::SquareFromName(t[2], t[3]);
  if (move.from == move.to) return false;
  move.promotion = t.size() == 5 ? t[4] : 0;
  return true;
}

std::vector<std::string> EngineLineBuffer::Feed(std::string_view chunk) {
  std::vector<std::string> lines;
  for (char c : chunk) {
    if (c != '\n') {
      Partial += c;
      continue;
    }
    if (!Partial.empty() && Partial.back() == '\r') Partial.pop_back();
    lines.push_back(std::move(Partial));
    Partial.clear();
  }
  return lines;
}

std::string EngineLineBuffer::MoveOfLine(std::string_view line) {
  constexpr std::string_view prefix = "move ";
  if (line.substr(0, prefix.size()) != prefix) return {};
  return Trim(line.substr(prefix.size()));
}

EngineSaying ReadEngineSaying(std::string_view line) {
  const std::string text = Trim(line);
  const std::string_view t = text;
  for (std::string_view result : {"1-0", "0-1", "1/2-1/2"})
    if (t.substr(0, result.size()) == result && (t.size() == result.size() || IsBlankOrControl(t[result.size()])))
      return {EngineSaying::Result, text};
  if (t == "resign" || t == "tellics resign") return {EngineSaying::Resign, text};
  constexpr std::string_view ptell = "tellics ptell ";
  if (t.substr(0, ptell.size()) == ptell) {
    const std::string tell = Trim(t.substr(ptell.size()));
    if (!tell.empty()) return {EngineSaying::PartnerTell, tell};
  }
  return {};
}

bool TellAsksForGo(std::string_view tell) {
  const std::string lower = bytes::LowerAscii(tell);
  return lower.find("tell me 'go'") != std::string::npos || lower.find("tell me \"go\"") != std::string::npos ||
         lower.find("tell me when to go") != std::string::npos;
}
