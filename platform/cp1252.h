#pragma once
// Windows-1252 bytes: their Unicode code points and case folding. Qt-free, so
// the INI reader, the registry and the path resolver can share it.
#include <string>
#include <string_view>

namespace cp1252 {

// Code point of a byte; the five bytes Windows-1252 leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same number, as
// Windows does.
char32_t ToUnicode(unsigned char byte);
// The byte of a code point, or -1 when Windows-1252 has none.
int FromUnicode(char32_t codePoint);
// Upper case of a byte: ASCII letters, the accented letters of 0xE0-0xFE
// (not 0xF7), and s/z caron, oe, y diaeresis.
unsigned char Upper(unsigned char byte);
std::string Upper(std::string_view s);
bool EqualNoCase(std::string_view a, std::string_view b);

// Decodes UTF-8 into Windows-1252 bytes; false when `utf8` is not valid UTF-8
// or holds a character Windows-1252 lacks.
bool FromUtf8(std::string_view utf8, std::string& out);

}  // namespace cp1252
