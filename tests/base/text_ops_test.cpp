// Text operations on GBK texts, with double-byte characters whose trail byte
// is an ASCII letter or "[", "\" (traps for byte-wise searching).
#include "base/text_ops.h"

#include <gtest/gtest.h>

#include "base/gbk.h"
#include "base/hex.h"

namespace base {
namespace {

// Double-byte characters whose second byte reads as ASCII.
const Text kTrailBracket = "\x81[";     // trail byte '['
const Text kTrailBackslash = "\x81\\";  // trail byte '\'
const Text kTrailL = "\x81L";           // trail byte 'L'
const Text kZhong = "\xD6\xD0";         // an ordinary Chinese character

TEST(TextOps, FindNeverStartsInsideADoubleByteCharacter) {
  EXPECT_EQ(Find(kTrailBracket + "[", "["), 3);
  EXPECT_EQ(Find(kTrailBracket, "["), -1);
  EXPECT_EQ(Find(kTrailBackslash + "x\\", "\\"), 4);
  EXPECT_EQ(Find(kTrailL + "l", "l", 0, true), 3);
  EXPECT_EQ(Find(kTrailL, "L"), -1);
  EXPECT_EQ(Find(kTrailL, "l", 0, true), -1);
  // A sought text that itself ends in a lead byte must not swallow the
  // first byte of a following character.
  EXPECT_EQ(Find(kZhong + "a", "\xD6"), -1);
  EXPECT_EQ(Find("ab" + kZhong + "cd" + kZhong, kZhong, 4), 7);
  EXPECT_EQ(Find("abc", ""), -1);
}

TEST(TextOps, FindStartAndCaseRules) {
  EXPECT_EQ(Find("abcabc", "abc", 0), 1);
  EXPECT_EQ(Find("abcabc", "abc", 1), 1);
  EXPECT_EQ(Find("abcabc", "abc", 2), 4);
  EXPECT_EQ(Find("abcabc", "abc", 5), -1);
  EXPECT_EQ(Find("abcabc", "abc", 99), -1);
  EXPECT_EQ(Find("xHREF=", "href=", 0, true), 2);
  EXPECT_EQ(Find("xHREF=", "href=", 0, false), -1);
  // Case folding never touches double-byte characters: 0x81 0x41 ('A' trail)
  // is not equal to 0x81 0x61 ('a' trail).
  EXPECT_EQ(Find("\x81"
                 "A",
                 "\x81"
                 "a",
                 0, true),
            -1);
}

TEST(TextOps, FindLastSearchesBackwardsFromStart) {
  EXPECT_EQ(FindLast("a/b/c", "/"), 4);
  EXPECT_EQ(FindLast("a/b/c", "/", 3), 2);
  EXPECT_EQ(FindLast("a/b/c", "x"), -1);
  EXPECT_EQ(FindLast(kTrailBackslash + "a", "\\"), -1);
  EXPECT_EQ(FindLast("aaa", "aa"), 2);
}

TEST(TextOps, SubstringsClampAtTheEdges) {
  EXPECT_EQ(Left("abc", 2), "ab");
  EXPECT_EQ(Left("abc", 9), "abc");
  EXPECT_EQ(Left("abc", -1), "");
  EXPECT_EQ(Right("abc", 2), "bc");
  EXPECT_EQ(Right("abc", 9), "abc");
  EXPECT_EQ(Mid("abcdef", 2, 3), "bcd");
  EXPECT_EQ(Mid("abcdef", 5, 9), "ef");
  EXPECT_EQ(Mid("abcdef", 7, 1), "");
  EXPECT_EQ(Mid("abcdef", 0, 2), "ab");
}

TEST(TextOps, ReplaceIsCharacterAwareAndBounded) {
  EXPECT_EQ(Replace("a.b.c", ".", "::"), "a::b::c");
  EXPECT_EQ(Replace("a.b.c", ".", "", 0, 1), "ab.c");
  EXPECT_EQ(Replace("a.b.c", ".", "-", 3), "a.b-c");
  EXPECT_EQ(Replace(kTrailBracket + "[", "[", "("), kTrailBracket + "(");
  EXPECT_EQ(Replace("aAa", "a", "b", 0, -1, true), "bbb");
  EXPECT_EQ(Replace("aaaa", "aa", "a"), "aa");  // replacements are not rescanned
  EXPECT_EQ(Replace("abc", "", "x"), "abc");
  EXPECT_EQ(Replace("abc", "b", "x", 0, 0), "abc");
}

TEST(TextOps, SplitDropsEmptyPieces) {
  EXPECT_EQ(Split("a;;b;", ";"), (TextArray{"a", "b"}));
  EXPECT_EQ(Split(";a", ";"), (TextArray{"a"}));
  EXPECT_TRUE(Split("", ";").empty());
  EXPECT_TRUE(Split(";;", ";").empty());
  const Text sep = "#\xB7\xD6\xB8\xEE\xB7\xFB#";  // #分割符#
  EXPECT_EQ(Split("x" + sep + "y" + sep, sep), (TextArray{"x", "y"}));
  EXPECT_EQ(Split(kTrailBackslash + "\\a", "\\"), (TextArray{kTrailBackslash, "a"}));
  EXPECT_EQ(Split("abc", ""), (TextArray{"abc"}));
}

TEST(TextOps, CaseSpacesAndConversions) {
  EXPECT_EQ(ToLower("AbC" + kTrailL), "abc" + kTrailL);
  EXPECT_EQ(TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(TrimSpaces("   "), "");
  EXPECT_EQ(RemoveSpaces(" a b ; c "), "ab;c");
  EXPECT_EQ(Spaces(3), "   ");
  EXPECT_EQ(Spaces(-2), "");
  EXPECT_EQ(Chr(0), "");
  EXPECT_EQ(Chr(34), "\"");
  EXPECT_EQ(Chr(0xD6D0), kZhong);
  EXPECT_EQ(ToText(-42), "-42");
  EXPECT_EQ(ToInt(""), 0);
  EXPECT_EQ(ToInt("8080"), 8080);
  EXPECT_EQ(ToInt("12ab"), 12);
  EXPECT_EQ(ToInt("-7"), -7);
  EXPECT_EQ(ToInt("99999999999"), 2147483647);
  EXPECT_EQ(BitOr(0x80000000, 0x100), static_cast<int>(0x80000100));
}

TEST(TextOps, BoundaryWalkHandlesTruncatedLeadBytes) {
  const Text t = "a" + kZhong + "\x81";  // ends in a lone lead byte
  EXPECT_TRUE(IsGbkBoundary(t, 1));
  EXPECT_FALSE(IsGbkBoundary(t, 2));
  EXPECT_TRUE(IsGbkBoundary(t, 3));
  EXPECT_TRUE(IsGbkBoundary(t, 4));
  EXPECT_EQ(Find(t, "\x81"), 4);
}

TEST(TextOps, HexSaysNumbersInUpperCaseWithAtLeastTheDigitsAsked) {
  EXPECT_EQ(Hex(0), "0x0");
  EXPECT_EQ(Hex(0x1A4), "0x1A4");
  EXPECT_EQ(Hex(0xFFFFFFFFFFFFFFFFull), "0xFFFFFFFFFFFFFFFF");
  EXPECT_EQ(Hex(0x80084010, 8), "0x80084010");
  EXPECT_EQ(Hex(0x1F, 8), "0x0000001F");
}

}  // namespace
}  // namespace base
