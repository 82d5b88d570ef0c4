#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "game/bytes.h"

using namespace bytes;

TEST(Bytes, PositionsCountFromOneAndZeroMeansAbsent) {
  EXPECT_EQ(Pos("{", "1A.e4{180}"), 6);
  EXPECT_EQ(Pos("}", "1A.e4{180}", 7), 10);
  EXPECT_EQ(Pos("x", "1A.e4{180}"), 0);
  EXPECT_EQ(Pos("a", "abc", 10), 0);
  EXPECT_EQ(LastPos(".", "1A.e4{175.9}"), 10);
  EXPECT_EQ(LastPos("@", "e4"), 0);
}

TEST(Bytes, OneCharacterNeedlesAtEveryStart) {
  const std::string s("a.b\xF6.\0x.", 8);
  for (char c : {'.', 'a', 'x', '\xF6', '\0', 'z'}) {
    const std::string needle(1, c);
    int last = 0;
    for (int i = 1; i <= static_cast<int>(s.size()); ++i)
      if (s[static_cast<size_t>(i - 1)] == c) last = i;
    EXPECT_EQ(LastPos(needle, s), last) << int(c);
    for (int from = -1; from <= static_cast<int>(s.size()) + 2; ++from) {
      int first = 0;
      for (int i = std::max(from, 1); i <= static_cast<int>(s.size()) && !first; ++i)
        if (s[static_cast<size_t>(i - 1)] == c) first = i;
      EXPECT_EQ(Pos(needle, s, from), first) << int(c) << " from " << from;
    }
  }
  EXPECT_EQ(Pos("", "ab", 3), 3) << "an empty needle is found where the search starts";
  EXPECT_EQ(Pos("", "ab", 4), 0);
}

TEST(Bytes, CopyTakesOnlyWhatIsThere) {
  EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Copy("abcdef", 5, 10), "ef");
  EXPECT_EQ(Copy("abcdef", 0, 2), "a");
  EXPECT_EQ(Copy("abcdef", 7, 1), "");
  EXPECT_EQ(Copy("abcdef", -5, 3), "");
  EXPECT_EQ(Copy("abcdef", 3, -1), "");
  EXPECT_EQ(From("abcdef", 4), "def");
  EXPECT_EQ(From("abc", 9), "");
  EXPECT_EQ(At("abc", 0), '\0');
  EXPECT_EQ(At("abc", 3), 'c');
  EXPECT_EQ(At("abc", 4), '\0');
}

TEST(Bytes, NumbersAreReadFromTheWholeField) {
  EXPECT_EQ(ToIntDef("175", 0), 175);
  EXPECT_EQ(ToIntDef("-42", 0), -42);
  EXPECT_EQ(ToIntDef("  7", 0), 7);
  EXPECT_EQ(ToIntDef("175.9", 0), 0);
  EXPECT_EQ(ToIntDef("12a", 999), 999);
  EXPECT_EQ(ToIntDef("", 999), 999);
  EXPECT_EQ(ToIntDef("-", 5), 5);
  EXPECT_EQ(ToIntDef("2147483647", 0), 2147483647);
  EXPECT_EQ(ToIntDef("-2147483648", 0), -2147483647 - 1);
  EXPECT_EQ(ToIntDef("2147483648", 3), 3);
  EXPECT_EQ(ToIntDef("99999999999999999999", 3), 3);
}

TEST(Bytes, CaseChangesAreAsciiOnly) {
  EXPECT_EQ(UpperAscii("aB\xe9z"), "AB\xe9Z");
  EXPECT_EQ(LowerAscii("Bughouse \xC9"), "bughouse \xC9");
  EXPECT_EQ(TrimRight("tags \r\n\t"), "tags");
  EXPECT_EQ(Clamp32(int64_t{1} << 40), 2147483647);
  EXPECT_EQ(Clamp32(-(int64_t{1} << 40)), -2147483647 - 1);
}
