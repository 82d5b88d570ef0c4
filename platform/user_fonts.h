#pragma once
// Fonts installed for the user, so that other programs find them too (a word
// processor opening a saved report with chess diagrams): the file is copied
// into the freedesktop user fonts folder, <data>/fonts/kestrovane/, and the
// font cache of that folder is refreshed with fc-cache when it is installed.
#include <string>

#include "platform/desktop_tools.h"

struct FontInstallStatus {
  bool installed = false;       // the folder holds the same bytes afterwards
  bool copied = false;          // written now: new, or replacing a different file
  bool cacheRefreshed = false;  // fc-cache found and started (or run to success)
};

// The folder below `dataHome` that holds our fonts.
std::string UserFontFolder(const std::string& dataHome);

// Copies `fontFile` into UserFontFolder(dataHome) under its own name unless
// the same bytes are there already, then refreshes the font cache of that
// folder. A missing source installs nothing.
FontInstallStatus InstallUserFont(const std::string& fontFile, const std::string& dataHome, DatabaseTools tools);
// The same for $XDG_DATA_HOME, with fc-cache started in the background.
FontInstallStatus InstallUserFont(const std::string& fontFile);
