// RTF bytes from paragraphs of runs.
#include "tools/core/rtf_writer.h"

#include <cstdint>
#include <cstdio>

#include "game/display_text.h"

namespace {

void AppendUnicode(std::string& out, char32_t c) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "\\u%d?", static_cast<int>(static_cast<int16_t>(static_cast<uint16_t>(c))));
  out += buffer;
}

void AppendText(std::string& out, const std::string& text) {
  display_text::ForEachCharacter(text, [&out](char32_t c) {
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
    } else if (const int b = display_text::ToWindows1252(c); b >= 0 && c >= 0xA0) {
      // (the C1 controls 0x80-0x9F keep their number below, as \uN?)
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\'%02x", b);
      out += buffer;
    } else if (c > 0xFFFF) {
      const char32_t v = c - 0x10000;
      AppendUnicode(out, 0xD800 + (v >> 10));
      AppendUnicode(out, 0xDC00 + (v & 0x3FF));
    } else {
      AppendUnicode(out, c);
    }
  });
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
