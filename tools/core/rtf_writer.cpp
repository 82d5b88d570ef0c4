// RTF bytes from paragraphs of runs.
#include "tools/core/rtf_writer.h"

#include <cstdint>
#include <cstdio>

namespace {

// Unicode of the Windows-1252 bytes 0x80..0x9F (0 where the code page has none).
constexpr char32_t kHigh1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The Windows-1252 byte of a code point beyond ASCII, or -1.
int ByteOf(char32_t c) {
  if (c >= 0xA0 && c <= 0xFF) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i)
    if (kHigh1252[i] != 0 && kHigh1252[i] == c) return 0x80 + i;
  return -1;
}

// Next code point of UTF-8 text; a bad sequence gives U+FFFD and skips one byte.
char32_t NextCodePoint(const std::string& s, size_t& i) {
  const auto byte = [&s](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = byte(i);
  const int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
  if (extra < 0) {
    ++i;
    return 0xFFFD;
  }
  char32_t c = extra == 0 ? b : static_cast<char32_t>(b & (0x3F >> extra));
  for (int k = 1; k <= extra; ++k) {
    if (i + static_cast<size_t>(k) >= s.size() || (byte(i + static_cast<size_t>(k)) & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    c = (c << 6) | (byte(i + static_cast<size_t>(k)) & 0x3F);
  }
  i += static_cast<size_t>(extra) + 1;
  return c;
}

void AppendUnicode(std::string& out, char32_t c) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "\\u%d?", static_cast<int>(static_cast<int16_t>(static_cast<uint16_t>(c))));
  out += buffer;
}

void AppendText(std::string& out, const std::string& text) {
  for (size_t i = 0; i < text.size();) {
    const char32_t c = NextCodePoint(text, i);
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\line ";
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c < 0x20) {
      // other control characters carry nothing printable
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (const int b = ByteOf(c); b >= 0) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\'%02x", b);
      out += buffer;
    } else if (c > 0xFFFF) {
      const char32_t v = c - 0x10000;
      AppendUnicode(out, 0xD800 + (v >> 10));
      AppendUnicode(out, 0xDC00 + (v & 0x3FF));
    } else {
      AppendUnicode(out, c);
    }
  }
}

}  // namespace

std::string WriteRtf(const std::vector<std::string>& fonts, const std::vector<RtfParagraph>& paragraphs) {
  std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\r\n{\\fonttbl";
  for (size_t f = 0; f < fonts.size(); ++f) {
    out += "{\\f" + std::to_string(f) + (fonts[f] == "Courier New" ? "\\fmodern" : "\\fnil") + "\\fcharset0 ";
    AppendText(out, fonts[f]);
    out += ";}";
  }
  out += "}\r\n\\pard\\plain ";
  int font = -1, size = -1;
  for (size_t p = 0; p < paragraphs.size(); ++p) {
    for (const RtfRun& run : paragraphs[p].runs) {
      if (run.font != font || run.halfPoints != size) {
        font = run.font;
        size = run.halfPoints;
        out += "\\f" + std::to_string(font) + "\\fs" + std::to_string(size) + " ";
      }
      AppendText(out, run.text);
    }
    if (p + 1 < paragraphs.size()) out += "\\par\r\n";
  }
  out += "}\r\n";
  return out;
}
