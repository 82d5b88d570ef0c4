// RTF bytes: header, fonts, sizes, escapes and code pages.
#include <gtest/gtest.h>

#include "tools/core/rtf_writer.h"

namespace {

const std::vector<std::string> kFonts = {"Courier New", "Chess Bughouse"};

std::string Body(const std::string& rtf) {
  const size_t start = rtf.find("\\pard\\plain ");
  return rtf.substr(start + 12, rtf.size() - start - 12 - 3);  // without the closing "}\r\n"
}

TEST(RtfWriter, HeaderNamesBothFontsAndRunsCarryFontAndHalfPoints) {
  const std::string rtf = WriteRtf(kFonts, {{{{"1A.e4", 0, 20}, {"tMvW", 1, 32}}}, {{{"end", 0, 16}}}});
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252\\deff0", 0), 0u);
  EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}{\\f1\\fnil\\fcharset0 Chess Bughouse;}}"),
            std::string::npos);
  EXPECT_EQ(Body(rtf), "\\f0\\fs20 1A.e4\\f1\\fs32 tMvW\\par\r\n\\f0\\fs16 end");
}

TEST(RtfWriter, SpecialCharactersAreEscapedAndOthersEncoded) {
  // Backslash, braces, line break; é and € are in Windows-1252, Ω and 😀 are not.
  const std::string rtf = WriteRtf(kFonts, {{{{"a\\b{c}\nd \xC3\xA9\xE2\x82\xAC\xCE\xA9\xF0\x9F\x98\x80", 0, 20}}}});
  EXPECT_EQ(Body(rtf), "\\f0\\fs20 a\\\\b\\{c\\}\\line d \\'e9\\'80\\u937?\\u-10179?\\u-8704?");
  // A run that is not UTF-8 reads as Windows-1252.
  EXPECT_EQ(Body(WriteRtf(kFonts, {{{{"x\xFFy\x80", 0, 20}}}})), "\\f0\\fs20 x\\'ffy\\'80");
}

TEST(RtfWriter, EmptyParagraphsStayParagraphs) {
  const std::string rtf = WriteRtf(kFonts, {{}, {{{"x", 0, 20}}}, {}});
  EXPECT_EQ(Body(rtf), "\\par\r\n\\f0\\fs20 x\\par\r\n");
}

}  // namespace
