#pragma once
// Whole-file reads and atomic writes, for the profile, registry and desktop
// files. Qt-free.
#include <string>

namespace file_io {

// The file's bytes; false when it cannot be read.
bool ReadFile(const std::string& path, std::string& bytes);
// Writes a temporary file beside the target, then renames it over the target,
// so readers see the old or the new file whole. A symbolic link is followed
// (the file it points to is replaced); an existing file keeps its mode.
bool WriteFileAtomic(const std::string& path, const std::string& bytes);
// Creates the folder and its missing parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);
// The user's home folder ($HOME, else the password entry).
std::string HomeFolder();
// $XDG_CONFIG_HOME, else ~/.config; $XDG_DATA_HOME, else ~/.local/share
// (relative values are ignored, as the XDG rules say). No trailing "/".
std::string ConfigHome();
std::string DataHome();

}  // namespace file_io
