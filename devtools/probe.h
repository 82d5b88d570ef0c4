#pragma once
// The reports of kestroprobe: plain text for scripts and for checking the game
// model against other chess programs.
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "game/move.h"

class CBpgn;
namespace repair {
struct RepairResult;
}

// CR written as the two characters \r, LF as \n; other bytes unchanged.
std::string EscapeLineEnds(std::string_view text);

// One legal-move entry: "Ae2e4", "Ba7a8=Q", "A@Nf3" (castling as the king's squares).
std::string LegalEntryText(const LegalMoveEntry& entry);

// For every game of the file, "game <n> failed=.. moves=.. errors=.." and
// "final <BFEN after the last move>".
std::string ReplayReport(CBpgn& file);

// For game 1 of the file, "ply <k>" and the sorted legal-move entries of both
// boards after k moves, for k = 0 .. the game's move count. Empty when the
// file holds no game.
std::string LegalReport(CBpgn& file);

// The summary line of a repair run and its counters, one line each.
std::string RepairReport(const repair::RepairResult& result);

// The command line without the program name; the report goes to `out`,
// complaints to `err`. Returns the exit status: 0, or 2 for bad usage, a
// file that can not be read or written, or repair files that are not three
// different files. `repair IN GOOD BAD` repairs IN with the default options,
// writes the repaired games to GOOD and the refused ones to BAD, and reports.
int RunProbe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
