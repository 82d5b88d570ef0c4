#include "devtools/probe.h"

#include <algorithm>
#include <ios>
#include <ostream>

#include "game/bpgn_file.h"
#include "game/kestro_game.h"
#include "tools/core/repair_driver.h"
#include "tools/core/repair_files.h"

namespace {

char PieceLetter(int code) { return code >= 0 && code <= pcBKing ? kUpperPieceLetters[code] : '?'; }

std::string Square(int square) {
  return IsPlayingSquare(square) ? CKestroGame::SquareName(square) : "??";
}

void Usage(std::ostream& err) {
  err << "usage: kestroprobe replay FILE\n"
         "       kestroprobe legal FILE\n"
         "       kestroprobe repair IN GOOD BAD\n"
         "       kestroprobe serve PORT SECONDS\n"
         "  serve: the play window off-screen as a network game server on PORT (0: any\n"
         "  free one; prints \"port N\" at once), logged in as administrator without a\n"
         "  seat; after SECONDS (or at once on SIGTERM) it prints its record pane and\n"
         "  its roles summary\n"
         "       kestroprobe selfplay WHITEA BLACKA WHITEB BLACKB PLIES\n"
         "  selfplay: one bughouse game of computer players in the play window\n"
         "  off-screen (a server without clients); each seat is kvx100, kvx500, kvx600,\n"
         "  kvx700 (the built-in player), sjeng or the path of an XBoard engine; it ends\n"
         "  at mate, when an engine says a board's game is over (a result or a\n"
         "  resignation, said in the chat), after PLIES plies, when a seat to move waits\n"
         "  30 s (exit code 1) or after 10 minutes, and prints the record pane\n"
         "  (\"reBPGNGames <bytes>\"), a line \"seat WORD moves N refused N resyncs N\" per\n"
         "  seat and \"end mate|over|plies|stalled SEAT|time\"\n";
}

}  // namespace

std::string EscapeLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

std::string LegalEntryText(const LegalMoveEntry& entry) {
  const bool boardA = entry.kind == mkMoveA || entry.kind == mkWhiteDropA || entry.kind == mkBlackDropA;
  std::string text(1, boardA ? 'A' : 'B');
  if (entry.kind >= mkWhiteDropA) {
    text += '@';
    text += entry.from >= 0 && entry.from < kSlots ? PieceLetter(CodeOfSlot(entry.from)) : '?';
    text += Square(entry.to);
    return text;
  }
  text += Square(entry.from);
  text += Square(entry.to);
  if (entry.promotion != 0) {
    text += '=';
    text += PieceLetter(entry.promotion);
  }
  return text;
}

std::string ReplayReport(CBpgn& file) {
  std::string out;
  for (int n = 1; n <= file.GameCount(); ++n) {
    CKestroGame game(file.GetGame(n), 1);
    TwoBoardPosition position;
    game.GetPositionAtMove(position, game.MoveCount);
    out += "game " + std::to_string(n) + " failed=" + std::to_string(game.LoadFailed) +
           " moves=" + std::to_string(game.MoveCount) + " errors=" + EscapeLineEnds(game.ErrorLog) + "\n";
    out += "final " + CKestroGame::PositionToBfen(position) + "\n";
  }
  return out;
}

std::string LegalReport(CBpgn& file) {
  std::string out;
  if (file.GameCount() == 0) return out;
  CKestroGame game(file.GetGame(1), 1);
  std::vector<std::string> entries;
  for (int k = 0; k <= game.MoveCount; ++k) {
    TwoBoardPosition position;
    game.GetPositionAtMove(position, k);
    game.GenerateLegalMoves(position);
    const int count = std::clamp(game.LegalMoveCount, 0, static_cast<int>(game.LegalMoves.size()));
    entries.clear();
    for (int i = 0; i < count; ++i) entries.push_back(LegalEntryText(game.LegalMoves[static_cast<size_t>(i)]));
    std::sort(entries.begin(), entries.end());
    out += "ply " + std::to_string(k);
    for (const std::string& e : entries) out += " " + e;
    out += "\n";
  }
  return out;
}

std::string RepairReport(const repair::RepairResult& r) {
  return r.summary + "\ngames=" + std::to_string(r.games) + " repaired=" + std::to_string(r.repaired) +
         " duplicates=" + std::to_string(r.duplicates) + " written=" + std::to_string(r.written) +
         " errors=" + std::to_string(r.errors) + " skipped=" + std::to_string(r.skipped) + "\n";
}

namespace {

int RunRepair(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const std::string &in = args[1], &good = args[2], &bad = args[3];
  if (repair::SameFile(in, good) || repair::SameFile(in, bad) || repair::SameFile(good, bad)) {
    err << "kestroprobe: IN, GOOD and BAD must be three different files\n";
    return 2;
  }
  std::string text, error;
  if (!repair::ReadFileBytes(in, text, error)) {
    err << "kestroprobe: " << error << "\n";
    return 2;
  }
  const repair::RepairResult r = repair::RepairBpgn(text, repair::RepairOptions{});
  if (!repair::WriteFileAtomically(good, r.bpgn2, error) || !repair::WriteFileAtomically(bad, r.bpgn3, error)) {
    err << "kestroprobe: " << error << "\n";
    return 2;
  }
  out << RepairReport(r);
  return 0;
}

}  // namespace

int RunProbe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 4 && args[0] == "repair") return RunRepair(args, out, err);
  if (args.size() != 2 || (args[0] != "replay" && args[0] != "legal")) {
    Usage(err);
    return 2;
  }
  try {
    CBpgn file(args[1]);
    out << (args[0] == "replay" ? ReplayReport(file) : LegalReport(file));
  } catch (const BpgnFileError& e) {
    err << "kestroprobe: " << e.what() << "\n";
    return 2;
  } catch (const std::ios_base::failure& e) {  // e.g. a folder: the stream throws while reading
    err << "kestroprobe: cannot read \"" << args[1] << "\": " << e.what() << "\n";
    return 2;
  }
  out.flush();
  return 0;
}
