// How byte texts read on screen: UTF-8 when the whole text is valid UTF-8,
// else Windows-1252.
#include "game/display_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using display_text::Encoding;
using display_text::EncodingOf;

namespace {

std::u32string Decode(std::string_view bytes) {
  std::u32string text;
  display_text::ForEachCharacter(bytes, [&text](char32_t c) { text += c; });
  return text;
}

std::string Utf8(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

TEST(DisplayText, EveryCharacterReadsBackFromItsUtf8AndSurrogatesDoNot) {
  for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
    const std::string text = "x" + Utf8(c) + "y";
    const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    const auto code = static_cast<uint32_t>(c);
    ASSERT_EQ(EncodingOf(text), surrogate ? Encoding::kWindows1252 : Encoding::kUtf8) << std::hex << code;
    if (!surrogate) {
      ASSERT_EQ(Decode(text), U"x" + std::u32string(1, c) + U"y") << std::hex << code;
    }
  }
}

TEST(DisplayText, TextsThatAreNotUtf8ReadAsWindows1252Throughout) {
  EXPECT_EQ(Decode("J\xC3\xBCrgen"), U"J\u00FCrgen");
  EXPECT_EQ(Decode("J\xFCrgen"), U"J\u00FCrgen");
  EXPECT_EQ(Decode("Schach \x80 \x93ok\x94"), U"Schach \u20AC \u201Cok\u201D");
  EXPECT_EQ(Decode("\x81\x8D\x8F\x90\x9D"), U"\u0081\u008D\u008F\u0090\u009D");  // undefined: C1 controls
  EXPECT_EQ(EncodingOf("plain ASCII"), Encoding::kWindows1252);
  EXPECT_EQ(Decode(std::string("a\0b", 3)), std::u32string(U"a\0b", 3));
  // One byte that is not UTF-8 anywhere makes the whole text Windows-1252.
  EXPECT_EQ(Decode("J\xC3\xBCrgen \xFC"), U"J\u00C3\u00BCrgen \u00FC");
  const char* const broken[] = {
      "\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF", "\xE0\x9F\xBF", "\xF0\x80\x80\xAF", "\xF0\x8F\xBF\xBF",  // overlong
      "\xED\xA0\x80", "\xED\xBF\xBF",                                                            // surrogates
      "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xFF", "\xFE",              // beyond U+10FFFF
      "\x80", "\xBF\xBF",                                                                        // stray continuation
      "\xC3", "\xE2\x82", "\xF0\x9F\x98", "\xC3x", "\xE2\x82x", "\xF0\x9F\x98x", "\xC3\xC3\xBC",  // cut short
  };
  for (const std::string b : broken) {
    std::u32string expected = U"ok ";
    for (const char c : b) expected += display_text::FromWindows1252(static_cast<unsigned char>(c));
    EXPECT_EQ(Decode("ok " + b), expected) << "bytes of length " << b.size() << " from " << int(b[0] & 0xFF);
  }
}

TEST(DisplayText, TheCharacterIsFoundWhereverItStandsInALongText) {
  // The ASCII run before it is skipped eight bytes at a time.
  for (size_t at = 0; at <= 40; ++at) {
    std::u32string expected(40, U'a');
    expected.insert(at, 1, U'\u00FC');
    const std::string utf8 = std::string(40, 'a').insert(at, "\xC3\xBC");
    const std::string cp1252 = std::string(40, 'a').insert(at, "\xFC");
    EXPECT_EQ(Decode(utf8), expected) << at;
    EXPECT_EQ(Decode(cp1252), expected) << at;
    EXPECT_EQ(EncodingOf(utf8 + "\xFC"), Encoding::kWindows1252) << at;
  }
}

}  // namespace
