#pragma once
// The freedesktop cache tools (update-mime-database, update-desktop-database,
// fc-cache) run on a folder after we wrote files into it.
#include <string>

// How the tools run: not at all, started in the background, or waited for
// (tests that query the databases afterwards).
enum class DatabaseTools { Skip, Start, Wait };

// Runs `tool` with `folder` as its one argument, its output dropped. False
// when the tool is not installed, could not start or (when waited for) failed.
bool RunDatabaseTool(const char* tool, const std::string& folder, DatabaseTools how);
