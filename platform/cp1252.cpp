#include "platform/cp1252.h"

#include "game/display_text.h"

namespace cp1252 {

unsigned char Upper(unsigned char byte) {
  if (byte >= 'a' && byte <= 'z') return static_cast<unsigned char>(byte - 32);
  if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) return static_cast<unsigned char>(byte - 32);
  switch (byte) {
    case 0x9A: return 0x8A;  // s caron
    case 0x9C: return 0x8C;  // oe
    case 0x9E: return 0x8E;  // z caron
    case 0xFF: return 0x9F;  // y diaeresis
    default: return byte;
  }
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(Upper(static_cast<unsigned char>(c)));
  return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Upper(static_cast<unsigned char>(a[i])) != Upper(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

bool FromUtf8(std::string_view utf8, std::string& out) {
  out.clear();
  size_t i = 0;
  char32_t cp = 0;
  while (i < utf8.size()) {
    if (!display_text::NextUtf8(utf8, i, cp)) return false;
    const int byte = display_text::ToWindows1252(cp);
    if (byte < 0) return false;
    out.push_back(static_cast<char>(byte));
  }
  return true;
}

}  // namespace cp1252
