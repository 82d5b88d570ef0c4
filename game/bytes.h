#pragma once
// Byte-string helpers with the conventions of the game texts: positions count
// from 1 and 0 means "not found"; taking characters past the end yields what
// is there; a number is read from the whole field or the default is used.
#include <cstdint>
#include <string>
#include <string_view>

namespace bytes {

// 1-based position of the first `needle` in `s` at or after `from`, 0 when absent.
int Pos(std::string_view needle, std::string_view s, int from = 1);
// 1-based position of the last `needle` in `s`, 0 when absent.
int LastPos(std::string_view needle, std::string_view s);
// Up to `count` characters from 1-based `index`; out-of-range parts are simply absent.
std::string Copy(std::string_view s, int index, int count);
// Characters from 1-based `index` to the end.
std::string From(std::string_view s, int index);
// The character at 1-based `index`, or '\0' outside the text.
inline char At(std::string_view s, int index) {
  if (index < 1 || static_cast<size_t>(index) > s.size()) return '\0';
  return s[static_cast<size_t>(index - 1)];
}
// The whole field as a 32-bit decimal integer (leading blanks and one sign
// allowed), else `def`.
int32_t ToIntDef(std::string_view s, int32_t def);
std::string UpperAscii(std::string_view s);
std::string LowerAscii(std::string_view s);
std::string TrimRight(std::string_view s);
// Saturating conversion of a 64-bit value to 32 bits.
int32_t Clamp32(int64_t v);

}  // namespace bytes
