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
      sink.SetFont(kDiagramFont, layout.diagramPoints);
      sink.AddLine(PositionToDiagramText(game, position));
      sink.ResetAttributes();
      sink.SetSize(layout.textPoints);
      if (layout.blankAfterDiagram) sink.AddLine(" ");
      lastDiagram = lineCount;
    }
    previous = column;
  }
  if (plies > 0) game.GetPositionAtMove(position, plies - 1);
  sink.AddLine(line);
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
    summary.lastGameText = game.GameText;
    ++summary.games;
  }
  file.GetGame(start);  // the file's current game as before
  return summary;
}

std::string SwapBoardsInBpgn(const std::string& text) {
  std::string out = text;
  const auto swap = [](char c) {
    switch (c) {
      case 'A': return 'B';
      case 'B': return 'A';
      case 'a': return 'b';
      case 'b': return 'a';
      default: return c;
    }
  };
  const auto follows = [&text](size_t i, const char* word) {
    const size_t length = std::char_traits<char>::length(word);
    if (i < length) return false;
    for (size_t k = 0; k < length; ++k)
      if (std::tolower(static_cast<unsigned char>(text[i - length + k])) != word[k]) return false;
    return true;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != 'A' && c != 'a' && c != 'B' && c != 'b') continue;
    if (i + 1 < text.size() && text[i + 1] == '.')
      out[i] = swap(c);
    else if ((c == 'A' || c == 'B') && (follows(i, "white") || follows(i, "black")))
      out[i] = swap(c);
  }
  return out;
}
