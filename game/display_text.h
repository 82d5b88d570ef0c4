#pragma once
// How the bytes of a game text, a name or a comment read on screen and in
// RTF. Records keep their bytes; a text that is valid UTF-8 reads as UTF-8,
// any other as Windows-1252 (pure ASCII is both). The choice is made for a
// whole text at once. Qt-free: the RTF writer and the widgets share it.
#include <cstddef>
#include <string_view>

namespace display_text {

enum class Encoding { kWindows1252, kUtf8 };

// Code points of the Windows-1252 bytes 0x80-0x9F; the five bytes the code
// page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) keep their own number
// (the C1 controls), as Windows does.
inline constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

// Code point of a Windows-1252 byte.
inline char32_t FromWindows1252(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : byte;
}
// The Windows-1252 byte of a code point, or -1 when the code page has none.
int ToWindows1252(char32_t codePoint);

// Reads the well-formed UTF-8 character at `i` and steps past it. False, with
// `i` unchanged, for a stray or missing continuation byte, an overlong form,
// a surrogate or a code point beyond U+10FFFF.
bool NextUtf8(std::string_view bytes, size_t& i, char32_t& codePoint);

// UTF-8 when the whole text is valid UTF-8 and holds a byte beyond ASCII,
// else Windows-1252.
Encoding EncodingOf(std::string_view bytes);

// Calls `out(codePoint)` for each character the text reads as in `encoding`
// (a piece of a longer text reads as the whole text does).
template <class Out>
void ForEachCharacter(std::string_view bytes, Encoding encoding, Out&& out) {
  if (encoding == Encoding::kUtf8) {
    char32_t codePoint = 0;
    for (size_t i = 0; NextUtf8(bytes, i, codePoint);) out(codePoint);
  } else {
    for (const char c : bytes) out(FromWindows1252(static_cast<unsigned char>(c)));
  }
}

// Calls `out(codePoint)` for each character the text reads as.
template <class Out>
void ForEachCharacter(std::string_view bytes, Out&& out) {
  ForEachCharacter(bytes, EncodingOf(bytes), out);
}

}  // namespace display_text
