#pragma once
// The play window's profile: the board part of the base window and the
// window's own keys (pane fonts and colours, the window colour and the
// sound settings) in the section "Kestrovane" of one INI file.
#include <string>

class TfrmKestrovane;

namespace profile {

// Writes the board part, then the window's keys; other keys of the file stay.
// Throws when the file cannot be written.
void SaveProfile(TfrmKestrovane& w, const std::string& fileName);
// Reads the board part and the window's keys; a missing file, section or key
// leaves the current value. Writes nothing.
void LoadProfile(TfrmKestrovane& w, const std::string& fileName);

// The menu commands: ask for the file, then save, or load, reload the piece
// set keeping the profile's square size and lay the window out.
void SaveProfileCommand(TfrmKestrovane& w);
void LoadProfileCommand(TfrmKestrovane& w);

}  // namespace profile
