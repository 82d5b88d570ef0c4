#pragma once
// kestroprobe selfplay SEATS PLIES: one game of computer players in the real
// play window, off-screen, as a server without clients.
#include <iosfwd>
#include <string>
#include <vector>

// `args` are the command line without the program name ("selfplay", four seat
// words for WhiteA, BlackA, WhiteB, BlackB, PLIES). A seat word is kvx100,
// kvx500, kvx600, kvx700 (the built-in player at that level), sjeng (Debian's
// /usr/games/sjeng) or the path of an XBoard engine. The game (kind 0) runs
// until a board has no move, the built-in player says "Checkmate !", PLIES
// plies were played on both boards together, a seat to move waits 30 s, or
// 10 minutes pass, or an engine says in the chat that a board's game is over
// (a result or a resignation). Then it prints:
//   reBPGNGames <byte count>\n<text>\n
//   seat <word> moves <n> refused <n> resyncs <n>\n   (four lines, seat order:
//   moves of the seat in the record; engine moves the rules refused; engine
//   set-ups after a refusal)
//   end <mate|over|plies|stalled SEAT|time>\n
// Returns 0, 1 when a seat stalled, 2 for bad usage.
int RunSelfplay(int& argc, char** argv, const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
