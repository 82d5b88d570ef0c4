#pragma once
// Windows-1252 bytes: case folding and UTF-8 names. Qt-free, so the INI
// reader, the registry and the path resolver can share it. Code points of the
// bytes: game/display_text.h.
#include <string>
#include <string_view>

namespace cp1252 {

// Upper case of a byte: ASCII letters, the accented letters of 0xE0-0xFE
// (not 0xF7), and s/z caron, oe, y diaeresis.
unsigned char Upper(unsigned char byte);
std::string Upper(std::string_view s);
bool EqualNoCase(std::string_view a, std::string_view b);

// Decodes UTF-8 into Windows-1252 bytes; false when `utf8` is not valid UTF-8
// or holds a character Windows-1252 lacks.
bool FromUtf8(std::string_view utf8, std::string& out);

}  // namespace cp1252
