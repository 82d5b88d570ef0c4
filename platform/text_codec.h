#pragma once
// The one crossing between the program's byte strings and Qt's text.
// Game texts, names and profile values are Windows-1252 bytes; widgets and
// painters take QString. File names are file-system bytes instead (normally
// UTF-8): use PathToQString / PathFromQString for them.
#include <QString>
#include <string>
#include <string_view>

// Windows-1252 bytes to Unicode, 0x80-0x9F included (0x80 is the euro sign).
QString ToQString(std::string_view bytes);
// Unicode to Windows-1252; a character Windows-1252 lacks becomes "?".
std::string FromQString(const QString& text);
// File names: file-system bytes <-> QString (QFile's encoding).
QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);
