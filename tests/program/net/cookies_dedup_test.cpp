#include <gtest/gtest.h>

#include "program/routines/program_texts.h"
#include "program/net/cookies.h"
#include "program/text/deduplicate.h"

namespace pixaroo {
namespace {

Text Merge(Text jar, Text fresh, Text* freshAfter = nullptr) {
  const Text returned = MergeCookies(jar, fresh);
  EXPECT_EQ(returned, jar);
  if (freshAfter) *freshAfter = fresh;
  return jar;
}

TEST(MergeCookies, FreshCookiesComeFirstAndReplaceOrDeleteJarCookies) {
  EXPECT_EQ(Merge("a=1; b=2", "b=3"), "b=3; a=1");
  EXPECT_EQ(Merge("a=1; b=2", "b=deleted"), "a=1");
  EXPECT_EQ(Merge("a=1; c=deleted", "b=2;"), "b=2; a=1");
  EXPECT_EQ(Merge("a=1; a=2; b=1", ""), "a=1; b=1");            // first jar cookie of a name
  EXPECT_EQ(Merge("", "x=1; y=2; x=1; x=3"), "x=1; y=2; x=3");  // whole entries compared
  EXPECT_EQ(Merge("A=1", "a=2"), "a=2; A=1");                   // names are case-sensitive
  EXPECT_EQ(Merge("", ""), "");
  EXPECT_EQ(Merge("a=1;;b=2; a=1;", ";;"), "a=1; b=2");  // no empty entries
}

TEST(MergeCookies, RemovesEverySpaceFromBothTexts) {
  Text fresh;
  EXPECT_EQ(Merge(" a = two words ; b=1 ", "c = x y;", &fresh), "c=xy; a=twowords; b=1");
  EXPECT_EQ(fresh, "c=xy;");
}

TEST(CookieNames, NameIsTheTrimmedTextBeforeTheFirstEquals) {
  EXPECT_EQ(CookieName(" sid =a=b"), "sid");
  EXPECT_EQ(CookieName("flag"), "flag");
  EXPECT_EQ(CookieName("=v"), "");
  EXPECT_TRUE(HasCookieNamed({"a=1", " b =2"}, "b"));
  EXPECT_FALSE(HasCookieNamed({"a=1", "B=2"}, "b"));
  EXPECT_FALSE(HasCookieNamed({}, ""));
}

TEST(DeduplicateJoined, KeepsFirstOccurrencesInOrder) {
  const Text sep(texts::kIndexSeparator);  // #分割符#
  EXPECT_EQ(DeduplicateJoined("a" + sep + "b" + sep + "a", sep), "a" + sep + "b");
  EXPECT_EQ(DeduplicateJoined("x=1; y=2; x=1; x=3", "; "), "x=1; y=2; x=3");
  EXPECT_EQ(DeduplicateJoined("single entry", sep), "single entry");
  EXPECT_EQ(DeduplicateJoined("", sep), "");
  EXPECT_EQ(DeduplicateJoined("A;a;a ;a", ";"), "A;a;a ");
  EXPECT_EQ(DeduplicateJoined(";a;;a;", ";"), "a");  // empty pieces are not entries
  EXPECT_EQ(DeduplicateJoined("abc", ""), "abc");
  // GBK: the separator never matches across a character boundary, and
  // entries differing in one trail byte differ.
  EXPECT_EQ(DeduplicateJoined("\xB8\xFC"
                              "#\xB8\xFC"
                              "#\xB8\xFD",
                              "#"),
            "\xB8\xFC#\xB8\xFD");
}

// The entry-by-entry algorithm the fast version must agree with.
Text ReferenceDeduplicate(const Text& text, const Text& separator) {
  TextArray kept;
  Text out;
  for (const Text& piece : base::Split(text, separator)) {
    if (IndexOfText(kept, piece) == -1) {
      kept.push_back(piece);
      out += piece + separator;
    }
  }
  return base::Left(out, base::Len(out) - base::Len(separator));
}

TEST(DeduplicateJoined, AgreesWithTheEntryByEntryAlgorithmOnMixedGbkText) {
  // Bytes chosen so that separators also occur inside double-byte
  // characters: '[' and 'L' are trail bytes, 0xB8 0xFC a lead and a trail.
  const char alphabet[] = {'a', 'b', ';', '#', '[', 'L', '\xB8', '\xFC', ' '};
  const Text separators[] = {";", "#", "[", "L#", "\xB8", "\xB8\xFC", "\xFC", "##", ""};
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 16;
  };
  for (int round = 0; round < 3000; ++round) {
    Text text;
    const int len = static_cast<int>(next() % 24);
    for (int i = 0; i < len; ++i) text += alphabet[next() % sizeof alphabet];
    const Text& sep = separators[next() % std::size(separators)];
    ASSERT_EQ(DeduplicateJoined(text, sep), ReferenceDeduplicate(text, sep))
        << "text " << testing::PrintToString(text) << " separator " << testing::PrintToString(sep);
  }
}

TEST(IndexOfText, GivesTheFirstEqualElementFromOne) {
  const TextArray a = {"x", "y", "x", ""};
  EXPECT_EQ(IndexOfText(a, "x"), 1);
  EXPECT_EQ(IndexOfText(a, "y"), 2);
  EXPECT_EQ(IndexOfText(a, ""), 4);
  EXPECT_EQ(IndexOfText(a, "X"), -1);
  EXPECT_EQ(IndexOfText({}, "x"), -1);
}

}  // namespace
}  // namespace pixaroo
