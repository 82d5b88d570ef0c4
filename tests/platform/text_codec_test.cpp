#include "platform/text_codec.h"

#include <gtest/gtest.h>

#include "platform/cp1252.h"

namespace {

TEST(TextCodec, EveryWindows1252ByteSurvivesTheTripThroughQt) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const QString text = ToQString(all);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(FromQString(text), all);
  EXPECT_EQ(text[0x80], QChar(0x20AC));  // euro sign
  EXPECT_EQ(text[0x9F], QChar(0x0178));  // Y diaeresis
  EXPECT_EQ(text[0x81], QChar(0x0081));  // undefined: kept as a control
  EXPECT_EQ(text[0xA4], QChar(0x00A4));  // the network frame's separator
  EXPECT_EQ(text[0xE9], QChar(0x00E9));
}

TEST(TextCodec, CharactersWindows1252LacksBecomeQuestionMarks) {
  EXPECT_EQ(FromQString(QString::fromUtf8("a\xE2\x86\x92" "b\xF0\x9F\x98\x80" "c")), "a?b?c");  // arrow, emoji
  EXPECT_EQ(FromQString(QString::fromUtf8("\xE2\x80\x9C" "x\xE2\x80\x9D")), "\x93x\x94");  // curly quotes
}

TEST(TextCodec, Utf8DecodesOnlyWhenValidAndRepresentable) {
  std::string out;
  EXPECT_TRUE(cp1252::FromUtf8("Pi\xC3\xA8" "ces \xE2\x82\xAC", out));
  EXPECT_EQ(out, "Pi\xE8" "ces \x80");
  EXPECT_FALSE(cp1252::FromUtf8("Pi\xE8" "ces", out));         // Windows-1252, not UTF-8
  EXPECT_FALSE(cp1252::FromUtf8("\xC3", out));                  // cut short
  EXPECT_FALSE(cp1252::FromUtf8("\xC0\xAF", out));              // overlong
  EXPECT_FALSE(cp1252::FromUtf8("\xE2\x86\x92", out));          // no such character
}

TEST(TextCodec, LetterCaseFoldsAccentedLetters) {
  EXPECT_TRUE(cp1252::EqualNoCase("Pi\xE8" "ces\x9A\xFF", "PI\xC8" "CES\x8A\x9F"));
  EXPECT_FALSE(cp1252::EqualNoCase("\xF7", "\xD7"));  // division and multiplication signs
  EXPECT_FALSE(cp1252::EqualNoCase("ab", "abc"));
  EXPECT_EQ(cp1252::Upper("tolvo1\\"), "TOLVO1\\");
}

}  // namespace
