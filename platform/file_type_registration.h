#pragma once
// Makes ".BPGN" game files open with this program: the registry keys a
// Windows registration writes (in our registry), and the freedesktop files
// that make Linux file managers start the program on a double click:
//   <data>/mime/packages/kestrovane-bpgn.xml   type application/x-bpgn, *.bpgn in any case
//   <data>/applications/kestrovane.desktop     Exec="<program>" %f
//   <config>/mimeapps.list                     the default application, other lines kept
// then update-mime-database and update-desktop-database when installed.
// Shows no message; the status is for tests.
#include <string>

#include "platform/desktop_tools.h"

class Registry;

inline constexpr const char* kBpgnMimeType = "application/x-bpgn";
inline constexpr const char* kDesktopFileName = "kestrovane.desktop";
inline constexpr const char* kMimePackageName = "kestrovane-bpgn.xml";

// The user's XDG folders, without trailing separators.
struct XdgFolders {
  std::string dataHome;    // $XDG_DATA_HOME, else ~/.local/share
  std::string configHome;  // $XDG_CONFIG_HOME, else ~/.config
  static XdgFolders FromEnvironment();
};

struct RegistrationStatus {
  bool registrySaved = false;
  bool mimePackageWritten = false;
  bool desktopFileWritten = false;
  bool defaultApplicationSet = false;
  bool mimeDatabaseUpdated = false;     // tool found and started (or run to success)
  bool desktopDatabaseUpdated = false;  // likewise
  bool Ok() const { return registrySaved && mimePackageWritten && desktopFileWritten && defaultApplicationSet; }
};

// `programPath`: the full path of the executable; its folder is searched for
// the program icon ("Kestrovane.png"/".svg"/".xpm", also in "Sys/"), in any
// letter case. Uses the XDG folders of the environment and starts the tools.
RegistrationStatus RegisterBpgnFileType(const std::string& programPath, Registry& registry);
RegistrationStatus RegisterBpgnFileType(const std::string& programPath, Registry& registry, const XdgFolders& xdg,
                                        DatabaseTools tools);

// The desktop entry's Exec value for `programPath`: quoted, with the quoting
// and string escapes of the desktop entry format, followed by " %f".
std::string DesktopExec(const std::string& programPath);
