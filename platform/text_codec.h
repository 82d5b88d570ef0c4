#pragma once
// The one crossing between the program's byte strings and Qt's text.
// Game texts, names and profile values stay bytes; a widget or painter shows
// a text that is valid UTF-8 as UTF-8 and any other as Windows-1252
// (game/display_text.h). File names are file-system bytes instead (normally
// UTF-8): use PathToQString / PathFromQString for them.
#include <QString>
#include <string>
#include <string_view>

#include "game/display_text.h"

// The text the bytes read as: UTF-8 when the whole text is valid UTF-8, else
// Windows-1252, 0x80-0x9F included (0x80 is the euro sign).
QString ToQString(std::string_view bytes);
// The bytes read in `encoding`: a piece of a longer text, as the whole reads.
QString ToQString(std::string_view bytes, display_text::Encoding encoding);
// Unicode to Windows-1252; a character Windows-1252 lacks becomes "?".
std::string FromQString(const QString& text);
// The characters of `text` that Windows-1252 lacks, each once, in order.
QString LettersOutsideWindows1252(const QString& text);
// Bytes of a text edited in a widget that showed `shown`: UTF-8 when `shown`
// reads as UTF-8, else Windows-1252, so an unchanged text gives `shown` back.
std::string FromQString(const QString& text, std::string_view shown);
// File names: file-system bytes <-> QString (QFile's encoding).
QString PathToQString(const std::string& path);
std::string PathFromQString(const QString& path);
