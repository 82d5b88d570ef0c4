#include "game/display_text.h"

#include <cstdint>
#include <cstring>

namespace display_text {
namespace {

// Length of the ASCII run at the start of `bytes`, eight bytes at a time.
size_t AsciiPrefix(std::string_view bytes) {
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word = 0;
    std::memcpy(&word, bytes.data() + i, 8);
    if ((word & 0x8080808080808080ull) != 0) break;
  }
  while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  return i;
}

}  // namespace

int ToWindows1252(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<int>(codePoint);
  for (int i = 0; i < 32; ++i) {
    if (kWindows1252High[i] == codePoint) return 0x80 + i;
  }
  return -1;
}

bool NextUtf8(std::string_view bytes, size_t& i, char32_t& codePoint) {
  if (i >= bytes.size()) return false;
  const auto lead = static_cast<unsigned char>(bytes[i]);
  if (lead < 0x80) {
    codePoint = lead;
    ++i;
    return true;
  }
  size_t extra = 0;
  char32_t cp = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    cp = lead & 0x07;
  } else {
    return false;
  }
  if (bytes.size() - i <= extra) return false;
  for (size_t k = 1; k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(bytes[i + k]);
    if ((next & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (next & 0x3F);
  }
  constexpr char32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
  codePoint = cp;
  i += extra + 1;
  return true;
}

Encoding EncodingOf(std::string_view bytes) {
  size_t i = AsciiPrefix(bytes);
  if (i == bytes.size()) return Encoding::kWindows1252;
  char32_t cp = 0;
  while (i < bytes.size()) {
    if (!NextUtf8(bytes, i, cp)) return Encoding::kWindows1252;
  }
  return Encoding::kUtf8;
}

}  // namespace display_text
