#include <gtest/gtest.h>

#include "net/cookies.h"
#include "update/deduplicate.h"

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
  EXPECT_EQ(Merge("a=1; a=2; b=1", ""), "a=1; b=1");    // first jar cookie of a name
  EXPECT_EQ(Merge("", "x=1; y=2; x=1; x=3"), "x=1; y=2; x=3");  // whole entries compared
  EXPECT_EQ(Merge("A=1", "a=2"), "a=2; A=1");              // names are case-sensitive
  EXPECT_EQ(Merge("", ""), "");
  EXPECT_EQ(Merge("a=1;;b=2; a=1;", ";;"), "a=1; b=2");   // no empty entries
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
  const Text sep = kIndexSeparator;  // #分割符#
  EXPECT_EQ(DeduplicateJoined("a" + sep + "b" + sep + "a", sep), "a" + sep + "b");
  EXPECT_EQ(DeduplicateJoined("x=1; y=2; x=1; x=3", "; "), "x=1; y=2; x=3");
  EXPECT_EQ(DeduplicateJoined("single entry", sep), "single entry");
  EXPECT_EQ(DeduplicateJoined("", sep), "");
  EXPECT_EQ(DeduplicateJoined("A;a;a ;a", ";"), "A;a;a ");
  EXPECT_EQ(DeduplicateJoined(";a;;a;", ";"), "a");  // empty pieces are not entries
  EXPECT_EQ(DeduplicateJoined("abc", ""), "abc");
  // GBK: the separator never matches across a character boundary, and
  // entries differing in one trail byte differ.
  EXPECT_EQ(DeduplicateJoined("\xB8\xFC" "#\xB8\xFC" "#\xB8\xFD", "#"), "\xB8\xFC#\xB8\xFD");
}

TEST(DeduplicateJoined, MatchesTheEntryByEntryDefinitionOnGeneratedLists) {
  // Entry i of n repeats entry i % k; the result holds entries 0..k-1 once.
  for (int k : {1, 2, 7}) {
    Text joined;
    Text expected;
    for (int i = 0; i < 20; ++i) {
      joined += (i ? ";" : "") + std::string("e") + std::to_string(i % k);
      if (i < k) expected += (i ? ";" : "") + std::string("e") + std::to_string(i);
    }
    EXPECT_EQ(DeduplicateJoined(joined, ";"), expected) << k;
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
