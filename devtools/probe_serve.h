#pragma once
// kestroprobe serve PORT SECONDS: the real play window, off-screen, as the
// server of a network game that programs from outside can join.
#include <iosfwd>
#include <string>
#include <vector>

// `args` are the command line without the program name ("serve", PORT,
// SECONDS); argc and argv go to the application object. Prints "port N" at
// once (flushed), serves for SECONDS or until a terminate signal (SIGTERM),
// then prints the record pane's text and the roles summary:
//   reBPGNGames <byte count>\n<text>\nRolesSummaryText <byte count>\n<text>\n
// Returns 0, or 2 for bad usage or a server that does not start.
int RunServe(int& argc, char** argv, const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
