#pragma once
// Folders below the program's folder ("\Sys\", "\Bpgn\", ...), with "/" as
// separator on this platform. Paths are file-system bytes (normally UTF-8):
// hand them to Qt with PathToQString (platform/text_codec.h).
#include <string>

namespace paths {

// Folder of the running executable, without a trailing separator.
const std::string& ProgramFolder();
// Full path of the running executable (what Windows gives as argument 0).
const std::string& ProgramPath();
// For tests: use another folder as the program folder (empty: the real one).
void SetProgramFolderForTests(const std::string& folder);
// ProgramFolder() + "/" + relative, where `relative` may use "\" or "/" and
// may start with a separator; the result keeps a trailing "/" when given one.
// Components below the program folder resolve as in Resolve.
std::string Below(const std::string& relative);
// A folder or file name as written in a profile (perhaps with "\" and in
// another letter case, as Windows writes them) resolved to an existing path:
// separators become "/", and each component is matched case-insensitively
// against what exists. Components that do not exist are kept as written.
// A component matches a name that is equal ignoring Windows-1252 letter case,
// also when one side is UTF-8 (a Windows profile naming a folder whose name
// the file system holds in UTF-8). Relative paths resolve against the working
// folder and stay relative. A trailing separator is kept.
std::string Resolve(const std::string& path);
// Resolve for `relative` taken below `base` (which is used as it is).
std::string ResolveBelow(const std::string& base, const std::string& relative);

}  // namespace paths
