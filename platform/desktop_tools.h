#pragma once
// The freedesktop cache tools (update-mime-database, update-desktop-database,
// fc-cache) run on a folder after we wrote files into it.
#include <functional>
#include <string>

class QObject;
class QString;
class QUrl;

// How the tools run: not at all, started in the background, or waited for
// (tests that query the databases afterwards).
enum class DatabaseTools { Skip, Start, Wait };

// Runs `tool` with `folder` as its one argument, its output dropped. False
// when the tool is not installed, could not start or (when waited for) failed.
bool RunDatabaseTool(const char* tool, const std::string& folder, DatabaseTools how);

// Opens `url` with the desktop's `launcher` program (xdg-open) and returns
// at once. `failed` runs later, from the event loop, when the launcher cannot
// start, crashes or exits with an error, unless `owner` is gone by then;
// without the launcher Qt's own way is tried, and `failed` runs at once when
// that fails.
void OpenWithLauncher(const QUrl& url, const QString& launcher, QObject* owner, const std::function<void()>& failed);
