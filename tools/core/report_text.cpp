// Report lines: move tables, diagrams and the export of a game file.
#include "tools/core/report_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

constexpr const char* kLightGlyphs = "$ pobvnmrtqwkl";
constexpr const char* kDarkGlyphs = "$+POBVNMRTQWKL";
constexpr int kHandOrder[5] = {pcWQueen, pcWRook, pcWKnight, pcWBishop, pcWPawn};

// Holding slot of a piece code.
int SlotOf(int code) { return code / 2 - 1 + 5 * (code % 2); }

// One side's held pieces, queen first: " ," empty, "q," one, "3q" more.
std::string HandText(const int32_t* holdings, int colour) {
  std::string out;
  for (int white : kHandOrder) {
    const int code = white + colour;
    const int count = holdings[SlotOf(code)];
    const char glyph = kLightGlyphs[code];
    if (count <= 0)
      out += " ,";
    else if (count == 1)
      out += {glyph, ','};
    else
      out += std::to_string(count) + glyph;
  }
  return out;
}

// One rank of a board, from file a to h or from h to a.
std::string RankText(const int32_t* squares, int coinSquare, int rank, bool fromH) {
  std::string out;
  for (int i = 0; i < 8; ++i) {
    const int file = fromH ? 7 - i : i;
    const int square = CKestroGame::SquareFromName(static_cast<char>('a' + file), static_cast<char>('0' + rank));
    const int code = squares[square];
    const bool light = (file + rank) % 2 == 0;
    if (square == coinSquare)
      out += 'x';
    else if (code >= 0 && code <= 13)
      out += (light ? kLightGlyphs : kDarkGlyphs)[code];
    else
      out += '$';
  }
  return out;
}

struct TableLayout {
  int cellWidth;
  int textPoints;     // size of the text after a diagram
  int diagramPoints;
  bool blankAfterDiagram;
};

void WriteTable(ReportSink& sink, CKestroGame& game, int n, const TableLayout& layout) {
  const std::string filler = std::string(static_cast<size_t>(layout.cellWidth), '.') + " ";
  std::string line = game.TagPart;
  int lineCount = 0, lastDiagram = -1, previous = 3;
  const int plies = std::min(game.MoveCount, static_cast<int>(game.Moves.size()));
  TwoBoardPosition position;
  const auto diagram = [&] {
    sink.SetFont(kDiagramFont, layout.diagramPoints);
    sink.AddLine(PositionToDiagramText(game, position));
    sink.ResetAttributes();
    sink.SetSize(layout.textPoints);
    if (layout.blankAfterDiagram) sink.AddLine(" ");
  };
  for (int i = 0; i < plies; ++i) {
    const BpgnMove& move = game.Moves[static_cast<size_t>(i)];
    std::string cell = move.token;
    if (static_cast<int>(cell.size()) < layout.cellWidth) cell.resize(static_cast<size_t>(layout.cellWidth), ' ');
    const int column = 2 * (move.board - 1) + move.side;
    std::string gap;
    if (column == 0 || column < previous) {
      sink.AddLine(line);
      ++lineCount;
      line.clear();
      for (int c = 0; c < column; ++c) gap += filler;
    } else if (column > previous) {
      for (int c = previous + 1; c < column; ++c) gap += filler;
    }
    line += gap + cell + " ";
    if (n != 0 && lineCount % n == 0 && lineCount > lastDiagram) {
      // Replays run forwards only, so a whole game costs one replay.
      game.GetPositionAtMove(position, i);
      diagram();
      lastDiagram = lineCount;
    }
    previous = column;
  }
  if (plies > 0) game.GetPositionAtMove(position, plies - 1);
  sink.AddLine(line);
  // A set-up without moves shows its position.
  if (plies == 0 && n != 0 && game.StartKind != StartSetup::Standard) {
    game.GetPositionAtMove(position, 0);
    diagram();
  }
  sink.AddLine(game.TailPart);
}

}  // namespace

std::string PositionToDiagramText(const CKestroGame& game, const TwoBoardPosition& p) {
  const bool both = game.BoardsFound == 2;
  const bool coin = game.GameKind == gkCoin;
  const int coinA = coin && p.coinSquare[0] > 0 ? p.coinSquare[0] : -1;
  const int coinB = coin && p.coinSquare[1] > 0 ? p.coinSquare[1] : -1;
  const std::string border = "!\"\"\"\"\"\"\"\"#";
  const std::string bottom = "/(((((((()";

  std::string out = "  " + HandText(p.holdingsA, 1);
  if (both) out += " , " + HandText(p.holdingsB, 0);
  out += '\n';
  out += p.sideToMoveA == 1 ? '>' : ' ';
  out += border;
  if (both) {
    out += border;
    if (p.sideToMoveB == 0) out += '<';
  }
  out += '\n';
  for (int r = 1; r <= 8; ++r) {
    out += " $" + RankText(p.boardA, coinA, 9 - r, false);
    if (both) out += "%$" + RankText(p.boardB, coinB, r, true);
    out += "%\n";
  }
  out += p.sideToMoveA == 0 ? '>' : ' ';
  out += bottom;
  if (both) {
    out += bottom;
    out += p.sideToMoveB == 1 ? '<' : ' ';
  }
  out += "\n  " + HandText(p.holdingsA, 0);
  if (both) out += " , " + HandText(p.holdingsB, 1);
  return out;
}

void WriteGameRtf(ReportSink& sink, CKestroGame& game, int n) { WriteTable(sink, game, n, {17, 8, 16, false}); }

void WriteGameRtf2(ReportSink& sink, CKestroGame& game, int n) {
  sink.SetSize(11);
  WriteTable(sink, game, n, {15, 11, 17, true});
}

void InsertDiagramRtf(ReportSink& sink, const CKestroGame& game, const TwoBoardPosition& position) {
  sink.AddLine("");
  sink.SetFont(kDiagramFont, 16);
  sink.AddLine(PositionToDiagramText(game, position));
  sink.ResetAttributes();
  sink.SetSize(8);
  sink.AddLine(" ");
}

std::string ExportDurationWord(int textLength) {
  if (textLength > 500000) return " hours ";
  if (textLength > 300000) return " few hours ";
  if (textLength > 200000) return " tens of minutes ";
  if (textLength > 100000) return " several minutes ";
  if (textLength > 10000) return " few minutes ";
  return "";
}

ExportSummary WriteAllGamesRtf(ReportSink& sink, CBpgn& file, int n) {
  ExportSummary summary;
  const int count = file.GameCount();
  if (count == 0) return summary;
  const int start = file.GameNumber >= 1 && file.GameNumber <= count ? file.GameNumber : 1;
  for (int k = 0; k < count; ++k) {
    const int number = (start - 1 + k) % count + 1;
    CKestroGame game(file.GetGame(number), 1);
    char heading[64];
    std::snprintf(heading, sizeof heading, "%s [game:%d]", "Kestrovane RTF Export", number);
    sink.AddLine(heading);
    WriteGameRtf(sink, game, n);
    ++summary.games;
  }
  file.GetGame(start);  // the file's current game as before
  return summary;
}

namespace {

void SwapBoardLetter(char& c) {
  switch (c) {
    case 'A': c = 'B'; break;
    case 'B': c = 'A'; break;
    case 'a': c = 'b'; break;
    case 'b': c = 'a'; break;
    default: break;
  }
}

bool IsTagNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Swaps the seat letter of a White.../Black... tag name opening at `at` ("[")
// and returns the place of the tag's "]" (or of its line's end): the value,
// with its escaped quotes, stays as it is.
size_t SwapTagName(const std::string& text, std::string& out, size_t at) {
  size_t end = at + 1;
  while (end < text.size() && IsTagNameChar(text[end])) ++end;
  const std::string name = text.substr(at + 1, end - at - 1);
  if (name.size() >= 6 && (name[5] == 'A' || name[5] == 'B')) {
    std::string colour = name.substr(0, 5);
    for (char& c : colour) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (colour == "white" || colour == "black") SwapBoardLetter(out[at + 6]);
  }
  bool quoted = false;
  for (; end < text.size(); ++end) {
    const char c = text[end];
    if (c == '\r' || c == '\n') break;
    if (quoted && c == '\\' && end + 1 < text.size() && text[end + 1] != '\r' && text[end + 1] != '\n') ++end;
    else if (c == '"') quoted = !quoted;
    else if (c == ']' && !quoted) break;
  }
  return end;
}

}  // namespace

std::string SwapBoardsInBpgn(const std::string& text) {
  std::string out = text;
  int depth = 0;  // of the comment being read
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (depth > 0) {
      if (c == '{') ++depth;
      else if (c == '}') --depth;
    } else if (c == '{') {
      depth = 1;
    } else if (c == '[') {
      i = SwapTagName(text, out, i);
    } else if ((c == 'A' || c == 'a' || c == 'B' || c == 'b') && i > 0 && i + 1 < text.size() &&
               text[i + 1] == '.' && std::isdigit(static_cast<unsigned char>(text[i - 1]))) {
      SwapBoardLetter(out[i]);  // the board of a move number
    }
  }
  return out;
}
